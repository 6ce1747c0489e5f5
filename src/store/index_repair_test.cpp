// An index that does not fit its table: one of another table, one with a damaged tree, one
// missing or stale under a read-only open.  A writable table rebuilds it once, with a notice; a
// read-only one orders in memory, with a notice, and never changes a byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "store/check.h"
#include "store/file_io.h"
#include "store/page_file.h"
#include "store/table.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

constexpr int kItemT = 56;  // item length of tag T (key of 50 bytes)

class IndexRepair : public test::TempDirTest {
 protected:
  static std::vector<int> Make(const std::string& path, int n, const std::string& prefix) {
    return test::MakeTitledPages(path, n, prefix);
  }
  static uint32_t RootOfT(const std::string& mdx) { return test::TagRoot(mdx, "T"); }
  static std::string U32(uint32_t v) { return test::U32(v); }
  // Walks the whole order forward and back; both must give `want`.
  static void ExpectOrder(Table& t, const std::vector<int>& want) {
    EXPECT_EQ(test::WalkRecNos(t), want);
    std::vector<int> back;
    Status st = t.Last();
    while (st.ok() && !t.Bof() && back.size() <= want.size()) {
      back.push_back(t.RecNo());
      st = t.Prior();
    }
    EXPECT_TRUE(st.ok()) << st.message();
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, want);
  }
  std::string Files(const std::string& dbf) {
    return test::ReadBytes(dbf) + "|" + test::ReadBytes(SiblingPath(dbf, "dbt")) + "|" +
           test::ReadBytes(SiblingPath(dbf, "mdx"));
  }
};

// Damage to tag T's tree, off the path of the few keys an open looks up: the sixth leaf of 17.
struct Damage {
  const char* name;
  std::function<void(const std::string& mdx, uint32_t root, uint32_t leaf)> spoil;
};
const Damage kDamage[] = {
    {"a child pointer to its ancestor (a loop)",
     [](const std::string& mdx, uint32_t root, uint32_t) {
       std::string p(4, '\0');
       Put32(reinterpret_cast<unsigned char*>(p.data()), root);
       test::Patch(mdx, size_t(root) * 512 + 8 + 5 * kItemT, p);
     }},
    {"a key count larger than a block holds",
     [](const std::string& mdx, uint32_t, uint32_t leaf) {
       test::Patch(mdx, size_t(leaf) * 512, std::string("\xE8\x03\0\0", 4));
     }},
    {"a block overwritten with random bytes",
     [](const std::string& mdx, uint32_t, uint32_t leaf) {
       std::mt19937 rng(7);
       std::string junk(1024, '\0');
       for (auto& c : junk) c = char(rng());
       test::Patch(mdx, size_t(leaf) * 512, junk);
     }},
};

TEST_F(IndexRepair, DamageMetWhileSteppingIsRepairedOnce) {
  for (bool read_only : {false, true}) {
    for (const auto& d : kDamage) {
      SCOPED_TRACE(std::string(d.name) + (read_only ? ", read-only" : ", writable"));
      std::string path =
          Path(std::string(read_only ? "r" : "w") + std::to_string(&d - kDamage) + ".dbf");
      std::vector<int> want = Make(path, 300, "title");
      std::string mdx = SiblingPath(path, "mdx");
      uint32_t root = RootOfT(mdx);
      uint32_t leaf = Get32(reinterpret_cast<const unsigned char*>(test::ReadBytes(mdx).data()) +
                            size_t(root) * 512 + 8 + 5 * kItemT);
      d.spoil(mdx, root, leaf);
      const std::string before = Files(path);

      std::vector<std::string> notices;
      Table t;
      t.SetNoticeSink([&](const std::string& n) { notices.push_back(n); });
      ASSERT_TRUE(t.Open(path, PageFileOptions(read_only)).ok());
      EXPECT_EQ(notices, std::vector<std::string>{}) << "the damage should be met on the way";
      ASSERT_TRUE(t.SetIndexName("T").ok());
      // A step lands where it should across the repair.
      ASSERT_TRUE(t.GotoBookmark(uint32_t(want[80])).ok());
      ASSERT_TRUE(t.MoveBy(20).ok());
      EXPECT_EQ(t.RecNo(), want[100]);
      ASSERT_EQ(notices.size(), 1u) << testing::PrintToString(notices);
      EXPECT_NE(notices[0].find(BaseName(mdx)), std::string::npos) << notices[0];
      EXPECT_NE(notices[0].find(read_only ? "並べた順序" : "作り直しました"), std::string::npos)
          << notices[0];
      ExpectOrder(t, want);
      ASSERT_TRUE(t.FindNearest("TITLE", "title150").ok());
      EXPECT_EQ(t.RecNo(), want[150]);
      EXPECT_EQ(notices.size(), 1u) << "repaired once";
      EXPECT_TRUE(t.TakeNotices().empty()) << "the sink had them";
      ASSERT_TRUE(t.Close().ok());
      if (read_only)
        EXPECT_EQ(Files(path), before) << "a reader wrote";
      else
        EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
    }
  }
}

TEST_F(IndexRepair, IndexOfAnotherTableIsNoticedAtOpen) {
  struct Case {
    const char* name;
    bool rename_inside;  // the other index carries this table's name
  } cases[] = {{"another table's name", false}, {"this table's name, other keys", true}};
  for (bool read_only : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (read_only ? ", read-only" : ", writable"));
      std::filesystem::remove_all(dir_);
      std::filesystem::create_directory(dir_);
      std::string sample = Path("Sample.dbf"), other = Path("Other.dbf");
      std::vector<int> want = Make(sample, 30, "s");
      Make(other, 30, "o");
      std::string theirs = test::ReadBytes(SiblingPath(other, "mdx"));
      if (c.rename_inside) theirs.replace(4, 16, std::string("Sample") + std::string(10, '\0'));
      test::WriteBytes(SiblingPath(sample, "mdx"), theirs);
      const std::string before = Files(sample);

      Table t;
      ASSERT_TRUE(t.Open(sample, PageFileOptions(read_only)).ok());
      auto notices = t.TakeNotices();
      ASSERT_EQ(notices.size(), 1u);
      EXPECT_NE(notices[0].find("Sample.mdx"), std::string::npos) << notices[0];
      ASSERT_TRUE(t.SetIndexName("T").ok());
      ExpectOrder(t, want);
      ASSERT_TRUE(t.Close().ok());
      if (read_only)
        EXPECT_EQ(Files(sample), before);
      else
        EXPECT_EQ(CheckTableFiles(sample), std::vector<std::string>{});
    }
  }
}

// A page file copied under another name keeps the old name inside its index; the keys are its
// own, so the index is used as it is (a writable open puts the new name in).
TEST_F(IndexRepair, CopyUnderAnotherNameKeepsItsIndex) {
  std::string sample = Path("Sample.dbf"), copy = Path("Copy.dbf");
  std::vector<int> want = Make(sample, 30, "s");
  for (const char* ext : {"dbf", "dbt", "mdx"})
    std::filesystem::copy_file(SiblingPath(sample, ext), SiblingPath(copy, ext));
  for (bool read_only : {true, false}) {
    SCOPED_TRACE(read_only ? "read-only" : "writable");
    const std::string before = Files(copy);
    Table t;
    ASSERT_TRUE(t.Open(copy, PageFileOptions(read_only)).ok());
    EXPECT_EQ(t.TakeNotices(), std::vector<std::string>{});
    EXPECT_FALSE(t.OrderInMemory());
    ASSERT_TRUE(t.SetIndexName("T").ok());
    EXPECT_EQ(test::WalkRecNos(t), want);
    ASSERT_TRUE(t.Close().ok());
    if (read_only) {
      EXPECT_EQ(Files(copy), before);
    }
  }
  EXPECT_EQ(test::ReadBytes(SiblingPath(copy, "mdx")).substr(4, 5), std::string("Copy\0", 5));
}

// A read-only open of a file whose index cannot be used orders in memory like the index:
// every order, the filter, FindNearest and a change of order keep to the tag's (key, record).
TEST_F(IndexRepair, ReadOnlyOrdersInMemoryAsTheIndexWould) {
  std::string path = Path("m.dbf");
  std::vector<test::Page> pages = {
      {"memo", "Beta", "x", "20240131", "", "", ""},   {"memo", "alpha", "y", "", "", "", ""},
      {"diary", "ALPHA", "x", "20230101", "", "", ""}, {"", "alpha", "z", "20230101", "", "", ""},
      {"memo", "gamma", "x", "20221231", "", "", ""},
  };
  test::MakePageFile(path, pages);
  {  // one record deleted: it is in no order
    Table t;
    ASSERT_TRUE(t.Open(path, PageFileOptions()).ok());
    ASSERT_TRUE(t.GotoBookmark(5).ok());
    ASSERT_TRUE(t.Delete().ok());
    ASSERT_TRUE(t.Close().ok());
  }
  // The orders of the index, as the reference.
  std::map<std::string, std::vector<int>> orders;
  Table ref;
  ASSERT_TRUE(ref.Open(path, PageFileOptions(true)).ok());
  ASSERT_TRUE(ref.TakeNotices().empty());
  for (const auto& n : ref.TagNames()) {
    ASSERT_TRUE(ref.SetIndexName(n).ok());
    orders[n] = test::WalkRecNos(ref);
  }
  ASSERT_TRUE(ref.Close().ok());
  ASSERT_EQ(orders.size(), 10u);
  EXPECT_EQ(orders["T"], (std::vector<int>{2, 3, 4, 1}));

  std::filesystem::remove(SiblingPath(path, "mdx"));
  const std::string dbf = test::ReadBytes(path);
  Table t;
  ASSERT_TRUE(t.Open(path, PageFileOptions(true)).ok());
  EXPECT_TRUE(t.OrderInMemory());
  EXPECT_EQ(t.TakeNotices().size(), 1u);
  for (const auto& [name, want] : orders) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(t.SetIndexName(name).ok());
    ExpectOrder(t, want);
  }
  ASSERT_TRUE(t.SetIndexName("T").ok());
  t.SetFilter([](const Table& x) { return x.FieldString("SUBTITLE") == "x"; });
  ASSERT_TRUE(t.SetFiltered(true).ok());
  ExpectOrder(t, {3, 1});
  ASSERT_TRUE(t.FindNearest("TITLE", "B").ok());
  EXPECT_EQ(t.RecNo(), 1);
  ASSERT_TRUE(t.SetFiltered(false).ok());
  ASSERT_TRUE(t.FindNearest("TITLE", "ALPHA").ok());
  EXPECT_EQ(t.RecNo(), 2);
  ASSERT_TRUE(t.SetIndexName("D").ok());
  EXPECT_EQ(t.RecNo(), 2) << "a change of order keeps the record";
  ASSERT_TRUE(t.Next().ok());
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_FALSE(t.Edit().ok());
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(test::ReadBytes(path), dbf);
  EXPECT_FALSE(std::filesystem::exists(SiblingPath(path, "mdx")));
}

// The index of a file from another program is rebuilt with the index flag on every field a tag
// is keyed on (the date), as a new file has it.
TEST_F(IndexRepair, RebuildMarksTheFieldsTagsAreKeyedOn) {
  std::string path = Path("legacy.dbf");
  Make(path, 3, "t");
  const size_t date_flag = 32 + 32 * 3 + 31;
  test::Patch(path, date_flag, std::string(1, '\0'));
  std::filesystem::remove(SiblingPath(path, "mdx"));
  Table t;
  ASSERT_TRUE(t.Open(path, PageFileOptions()).ok());
  EXPECT_EQ(t.TakeNotices().size(), 1u);
  EXPECT_TRUE(t.fields()[3].mdx_flag);
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(test::ReadBytes(path)[date_flag], '\x01');
  EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
}

// A rebuild at open tells its progress; a cancel at any point opens nothing and leaves the
// files byte for byte; the next open rebuilds, and the one after needs no rebuild.
TEST_F(IndexRepair, RebuildAtOpenShowsProgressAndCancelLeavesTheFiles) {
  struct Case {
    const char* name;
    std::function<void(const std::string& mdx)> spoil;
  } cases[] = {
      {"missing", [](const std::string& mdx) { std::filesystem::remove(mdx); }},
      {"older than the table",
       [](const std::string& mdx) {
         std::filesystem::last_write_time(
             mdx, std::filesystem::last_write_time(mdx) - std::chrono::hours(1));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Path(std::string("r") + c.name[0] + ".dbf");
    const std::string mdx = SiblingPath(path, "mdx");
    const std::vector<int> want = Make(path, 40, "t");
    c.spoil(mdx);
    const std::string before = Files(path);
    const auto mtime = std::filesystem::exists(mdx) ? std::filesystem::last_write_time(mdx)
                                                    : std::filesystem::file_time_type{};
    for (int cancel_at : {1, 4}) {
      SCOPED_TRACE(cancel_at);
      Table t;
      Table::OpenOptions o = PageFileOptions();
      int calls = 0;
      o.progress = [&](uint32_t, uint32_t) { return ++calls < cancel_at; };
      EXPECT_FALSE(t.Open(path, o).ok());
      EXPECT_TRUE(t.OpenCancelled());
      EXPECT_EQ(calls, cancel_at);
      EXPECT_FALSE(t.is_open());
      EXPECT_EQ(Files(path), before);
      EXPECT_FALSE(std::filesystem::exists(mdx + ".tmp"));
      if (std::filesystem::exists(mdx)) {
        EXPECT_EQ(std::filesystem::last_write_time(mdx), mtime);
      }
    }
    Table t;
    Table::OpenOptions o = PageFileOptions();
    uint32_t last = 0, all = 0;
    o.progress = [&](uint32_t done, uint32_t total) {
      EXPECT_GE(done, last);
      EXPECT_LE(done, total);
      last = done;
      all = total;
      return true;
    };
    ASSERT_TRUE(t.Open(path, o).ok());
    EXPECT_TRUE(t.IndexRebuiltAtOpen());
    EXPECT_FALSE(t.OpenCancelled());
    EXPECT_GT(all, 0u);
    ASSERT_TRUE(t.SetIndexName("T").ok());
    ExpectOrder(t, want);
    ASSERT_TRUE(t.Close().ok());
    bool told = false;
    o.progress = [&](uint32_t, uint32_t) { return told = true; };
    ASSERT_TRUE(t.Open(path, o).ok());
    EXPECT_FALSE(t.IndexRebuiltAtOpen());
    EXPECT_FALSE(told);
    ASSERT_TRUE(t.Close().ok());
  }
}

}  // namespace
}  // namespace sk::store
