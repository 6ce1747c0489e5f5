// Damaged page files: each fault gives a message naming the file, at open, at reading a field or
// from the consistency check; nothing crashes or hangs, and the table and memo files keep their
// bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "store/check.h"
#include "store/file_io.h"
#include "store/page_file.h"
#include "store/table.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

constexpr size_t kHeader = 257, kRecLen = 150, kTextField = 129;

class Damage : public test::TempDirTest {
 public:
  // 40 pages: the title tag has an interior root over several leaves.
  void MakeGood() {
    std::vector<test::Page> pages;
    for (int i = 0; i < 40; ++i) {
      char title[16];
      snprintf(title, sizeof title, "title%02d", (i * 7) % 40);
      pages.push_back({"b", title, "s", "20240101", "text " + std::to_string(i), "", ""});
    }
    test::MakePageFile(dbf_, pages);
  }
  uint32_t MemoBlockOfRecord1() {
    std::string ptr = test::ReadBytes(dbf_).substr(kHeader + kTextField, 10);
    return uint32_t(std::stoul(ptr));
  }
  // Page of the root of tag T and its entry count.
  uint32_t TitleRoot(uint32_t* n) {
    const uint32_t root = test::TagRoot(mdx_, "T");
    std::string m = test::ReadBytes(mdx_);
    auto* p = reinterpret_cast<const unsigned char*>(m.data());
    *n = Get32(p + size_t(root) * 512);
    EXPECT_NE(Get32(p + size_t(root) * 512 + 8 + *n * 56), 0u) << "the root should be interior";
    return root;
  }
  static std::string U32(uint32_t v) { return test::U32(v); }

  void SetUp() override {
    TempDirTest::SetUp();
    dbf_ = Path("d.dbf");
    dbt_ = Path("d.dbt");
    mdx_ = Path("d.mdx");
  }

  std::string dbf_, dbt_, mdx_;
};

// Opens the table for writing and reads every field in every order; returns the errors met.
std::vector<std::string> UseTable(const std::string& path) {
  std::vector<std::string> errors;
  Table t;
  Status st = t.Open(path, PageFileOptions());
  if (!st.ok()) return {st.message()};
  std::vector<std::string> orders = {""};
  for (const auto& n : t.TagNames()) orders.push_back(n);
  for (const auto& order : orders) {
    st = t.SetIndexName(order);
    if (!st.ok()) {
      errors.push_back(st.message());
      continue;
    }
    st = t.First();
    for (int steps = 0; st.ok() && !t.Eof() && steps < 200; ++steps) {
      for (const auto& f : t.fields()) {
        std::string v;
        Status r = t.ReadField(f.name, &v);
        if (!r.ok()) errors.push_back(r.message());
      }
      st = t.Next();
    }
    if (!st.ok()) errors.push_back(st.message());
  }
  st = t.Close();
  if (!st.ok()) errors.push_back(st.message());
  return errors;
}

TEST_F(Damage, FaultsAreReportedAndFilesLeftAlone) {
  struct Case {
    const char* name;
    const char* file;    // the file the message names
    const char* detail;  // and a fact the message gives
    std::function<void(Damage&)> spoil;
  } cases[] = {
      {"truncated table header", "d.dbf", "",
       [](Damage& d) { test::WriteBytes(d.dbf_, test::ReadBytes(d.dbf_).substr(0, 100)); }},
      {"record count past the end", "d.dbf", "1000",
       [](Damage& d) { test::Patch(d.dbf_, 4, U32(1000)); }},
      {"header length past the end", "d.dbf", "",
       [](Damage& d) { test::Patch(d.dbf_, 8, std::string("\xFF\x7F", 2)); }},
      {"memo block past the end", "d.dbt", "99999",
       [](Damage& d) { test::Patch(d.dbf_, kHeader + kTextField, "     99999"); }},
      {"memo length past the end", "d.dbt", "1048576",
       [](Damage& d) {
         test::Patch(d.dbt_, size_t(d.MemoBlockOfRecord1()) * 512 + 4, U32(1u << 20));
       }},
      {"memo length below its header", "d.dbt", "レコード 1",
       [](Damage& d) { test::Patch(d.dbt_, size_t(d.MemoBlockOfRecord1()) * 512 + 4, U32(3)); }},
      {"garbage memo pointer", "d.dbf", "レコード 6",
       [](Damage& d) { test::Patch(d.dbf_, kHeader + kRecLen * 5 + kTextField, "   12ab   "); }},
      {"truncated memo header", "d.dbt", "",
       [](Damage& d) { test::WriteBytes(d.dbt_, test::ReadBytes(d.dbt_).substr(0, 10)); }},
      {"index root's last child is the root", "d.mdx", "タグ T",
       [](Damage& d) {
         uint32_t n = 0, root = d.TitleRoot(&n);
         test::Patch(d.mdx_, size_t(root) * 512 + 8 + n * 56, U32(root));
       }},
      {"index root's first child is the root", "d.mdx", "タグ T",
       [](Damage& d) {
         uint32_t n = 0, root = d.TitleRoot(&n);
         test::Patch(d.mdx_, size_t(root) * 512 + 8, U32(root));
       }},
      {"index child page outside the file", "d.mdx", "2147483632",
       [](Damage& d) {
         uint32_t n = 0, root = d.TitleRoot(&n);
         test::Patch(d.mdx_, size_t(root) * 512 + 8, U32(0x7FFFFFF0));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeGood();
    c.spoil(*this);
    const std::string dbf = test::ReadBytes(dbf_), dbt = test::ReadBytes(dbt_),
                      mdx = test::ReadBytes(mdx_);

    std::vector<std::string> faults = CheckTableFiles(dbf_);
    EXPECT_EQ(test::ReadBytes(mdx_), mdx) << "the check wrote to the index";
    EXPECT_FALSE(faults.empty());
    std::vector<std::string> errors = UseTable(dbf_);
    EXPECT_EQ(test::ReadBytes(dbf_), dbf);
    EXPECT_EQ(test::ReadBytes(dbt_), dbt);

    bool named = false;
    for (const auto* list : {&faults, &errors})
      for (const auto& m : *list)
        named |= m.find(c.file) != std::string::npos && m.find(c.detail) != std::string::npos;
    EXPECT_TRUE(named) << "faults: " << testing::PrintToString(faults)
                       << "\nerrors: " << testing::PrintToString(errors);
    for (const auto& m : faults) EXPECT_NE(m.find("d."), std::string::npos) << m;
    for (const auto& m : errors) EXPECT_NE(m.find("d."), std::string::npos) << m;
  }
}

}  // namespace
}  // namespace sk::store
