#include "exchange/page_transfer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "store/check.h"
#include "store/test_util.h"

namespace sk::exchange {
namespace {

using store::PageFileOptions;
using store::Table;
using store::test::J;
using store::test::Page;
using store::test::ReadPage;

std::vector<Page> Pages(int n, const std::string& prefix) {
  std::vector<Page> v;
  for (int i = 0; i < n; ++i) {
    std::string s = std::to_string(i + 1);
    v.push_back({"b", prefix + s, "s", "2024010" + std::to_string(i % 9 + 1), "text " + s, "", ""});
  }
  return v;
}

std::vector<Page> ReadAll(const std::string& path) {
  Table t;
  Status st = t.Open(path, PageFileOptions(true));
  EXPECT_TRUE(st.ok()) << st.message();
  std::vector<Page> v;
  for (st = t.First(); st.ok() && !t.Eof(); st = t.Next()) v.push_back(ReadPage(t));
  EXPECT_TRUE(st.ok()) << st.message();
  return v;
}

class PageTransfer : public store::test::TempDirTest {
 protected:
  // Every file in the folder (hidden ones too) with its bytes.
  std::map<std::string, std::string> Folder() {
    std::map<std::string, std::string> m;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      m[e.path().filename().string()] =
          e.is_directory() ? "<folder>" : store::test::ReadBytes(e.path().string());
    return m;
  }
  // A progress callback that answers false once `stop_at` records are done.
  static Table::Progress StopAt(uint32_t stop_at, std::vector<uint32_t>* seen) {
    return [=](uint32_t done, uint32_t) {
      seen->push_back(done);
      return done < stop_at;
    };
  }
};

TEST_F(PageTransfer, AppendsEveryPageWithAllFields) {
  const std::string dest = Path("Main.dbf"), src = Path("Other.dbf");
  store::test::MakePageFile(dest, Pages(10, "main"));
  const std::vector<Page> added = {
      {J("日記"), J("一番目"), J("副題"), "20230405", J("本文\r\n二行目\r\n"), J("a.jpg\r\nb.png"),
       "\x45"},
      {"", "second", "", "", "", "", ""},
      {J("新分類"), "third", "x", "19991231", std::string(5000, 'z'), "c.jpg", "\x21"},
  };
  store::test::MakePageFile(src, added);

  Table t;
  ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
  std::vector<std::pair<uint32_t, uint32_t>> calls;
  TransferOutcome out;
  Status st = AppendPageFile(
      t, src,
      [&](uint32_t done, uint32_t total) {
        calls.push_back({done, total});
        return true;
      },
      &out);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_EQ(out.pages, 3);
  EXPECT_FALSE(out.cancelled);
  EXPECT_EQ(t.RecNo(), 13);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), std::make_pair(3u, 3u));
  ASSERT_TRUE(t.Close().ok());

  std::vector<Page> all = ReadAll(dest);
  ASSERT_EQ(all.size(), 13u);
  EXPECT_EQ(std::vector<Page>(all.begin() + 10, all.end()), added);
  EXPECT_EQ(all[0], Pages(10, "main")[0]);
  EXPECT_EQ(store::CheckTableFiles(dest), std::vector<std::string>{});
  EXPECT_EQ(ReadAll(src), added) << "the source is left as it was";
}

TEST_F(PageTransfer, AppendRefusesItselfAndWhatIsNoPageFile) {
  const std::string dest = Path("Main.dbf");
  store::test::MakePageFile(dest, Pages(2, "main"));
  const std::string other = Path("Other.dbf");
  ASSERT_TRUE(Table::Create(other, {{"NAME", 'C', 10}}, {}).ok());
  Table t;
  ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
  for (const std::string& src : {dest, dir_ + "/./Main.dbf", other, Path("Missing.dbf")}) {
    SCOPED_TRACE(src);
    TransferOutcome out;
    Status st = AppendPageFile(t, src, {}, &out);
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(out.pages, 0);
    if (src != other && src != Path("Missing.dbf")) {
      EXPECT_NE(st.message().find("Main.dbf"), std::string::npos) << st.message();
    }
  }
  EXPECT_EQ(t.RecordCount(), 2u);
}

TEST_F(PageTransfer, CancelledAppendKeepsTheWholePagesDone) {
  const std::string dest = Path("Main.dbf"), src = Path("Other.dbf");
  store::test::MakePageFile(dest, Pages(1, "main"));
  store::test::MakePageFile(src, Pages(150, "other"));
  Table t;
  ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
  std::vector<uint32_t> seen;
  TransferOutcome out;
  ASSERT_TRUE(AppendPageFile(t, src, StopAt(64, &seen), &out).ok());
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(out.pages, 64);
  ASSERT_TRUE(t.Close().ok());
  std::vector<Page> all = ReadAll(dest);
  ASSERT_EQ(all.size(), 65u);
  EXPECT_EQ(all.back(), Pages(150, "other")[63]);
  EXPECT_EQ(store::CheckTableFiles(dest), std::vector<std::string>{});
}

TEST_F(PageTransfer, ExportWritesTheSelectionInItsOrder) {
  const std::string src = Path("Main.dbf");
  // Ten pages; those in category "x" (4 of them) are selected, shown in date order.
  std::vector<Page> pages = Pages(10, "p");
  const char* dates[] = {"20240105", "20240301", "20231224", "20240102", "20240710",
                         "20240601", "20240201", "20220101", "20240901", "20240115"};
  for (int i = 0; i < 10; ++i) pages[i].date = dates[i];
  for (int i : {1, 2, 5, 7}) {
    pages[i].bunrui = "x";
    pages[i].image = "pic" + std::to_string(i) + ".jpg";
    pages[i].key = "\x41";
  }
  store::test::MakePageFile(src, pages);
  const std::vector<Page> want = {pages[7], pages[2], pages[1], pages[5]};

  // An old file under the target's names (extensions in capitals) is replaced whole.
  const std::string target = Path("Out.DBF");
  store::test::MakePageFile(target, Pages(20, "old"));
  ASSERT_TRUE(std::filesystem::exists(Path("Out.DBT")));

  Table t;
  ASSERT_TRUE(t.Open(src, PageFileOptions()).ok());
  t.SetFilter([](const Table& r) { return r.FieldString("BUNRUI") == "x"; });
  ASSERT_TRUE(t.SetFiltered(true).ok());
  ASSERT_TRUE(t.SetIndexName("D").ok());
  ASSERT_TRUE(t.First().ok());
  ASSERT_TRUE(t.Next().ok());
  const int here = t.RecNo();

  TransferOutcome out;
  Status st = ExportToPageFile(t, target, {}, &out);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_EQ(out.pages, 4);
  EXPECT_EQ(t.RecNo(), here);
  EXPECT_EQ(t.IndexName(), "D");
  EXPECT_TRUE(t.Filtered());

  auto files = Folder();
  std::vector<std::string> names;
  for (const auto& [n, _] : files) names.push_back(n);
  EXPECT_EQ(names, (std::vector<std::string>{"Main.dbf", "Main.dbt", "Main.mdx", "Out.DBF",
                                             "Out.DBT", "Out.MDX"}));

  EXPECT_EQ(ReadAll(target), want);  // page-number order 1..4
  Table o;
  ASSERT_TRUE(o.Open(target, PageFileOptions(true)).ok());
  EXPECT_TRUE(o.TakeNotices().empty());
  std::vector<std::string> tags;
  for (const auto& s : store::AddIndexTags()) tags.push_back(s.name);
  EXPECT_EQ(o.TagNames(), tags);
  ASSERT_TRUE(o.SetIndexName("D").ok());
  EXPECT_EQ(store::test::WalkRecNos(o), (std::vector<int>{1, 2, 3, 4}));
  ASSERT_TRUE(o.Close().ok());
  EXPECT_EQ(store::CheckTableFiles(target), std::vector<std::string>{});
}

TEST_F(PageTransfer, CancelledOrRefusedExportLeavesTheTargetAlone) {
  const std::string src = Path("Main.dbf");
  store::test::MakePageFile(src, Pages(150, "p"));
  Table t;
  ASSERT_TRUE(t.Open(src, PageFileOptions()).ok());

  // Cancelled with no file of that name: none appears.
  std::vector<uint32_t> seen;
  TransferOutcome out;
  const auto empty_before = Folder();
  ASSERT_TRUE(ExportToPageFile(t, Path("New.dbf"), StopAt(64, &seen), &out).ok());
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(Folder(), empty_before);

  // Cancelled over an old file: it stays byte for byte.
  store::test::MakePageFile(Path("Old.dbf"), Pages(3, "old"));
  const auto before = Folder();
  seen.clear();
  ASSERT_TRUE(ExportToPageFile(t, Path("Old.dbf"), StopAt(64, &seen), &out).ok());
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(Folder(), before);

  // Refused: the open file itself, a target open elsewhere, a folder that does not exist, a
  // folder in the target's place.
  Table held;
  ASSERT_TRUE(held.Open(Path("Old.dbf"), PageFileOptions(true)).ok());
  std::filesystem::create_directory(Path("Dir.dbf"));
  const auto with_folder = Folder();
  for (const std::string& target : {src, Path("Old.dbf"), Path("nowhere/X.dbf"), Path("Dir.dbf")}) {
    SCOPED_TRACE(target);
    Status st = ExportToPageFile(t, target, {}, &out);
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(Folder(), with_folder);
  }
  ASSERT_TRUE(held.Close().ok());
  EXPECT_EQ(ReadAll(Path("Old.dbf")), Pages(3, "old"));
}

// A table written by an independent dBASE writer (no index of its own) taken in.
TEST_F(PageTransfer, AppendsATableOfAnotherWriter) {
  if (std::system("/usr/bin/python3 -c 'import dbf' 2>/dev/null") != 0)
    GTEST_SKIP() << "python3-dbf is not installed";
  const std::string other = Path("old.dbf");
  const std::string script = Path("write.py");
  store::test::WriteBytes(script, R"py(import datetime, sys, dbf
t = dbf.Table(sys.argv[1], "BUNRUI C(20); TITLE C(50); SUBTITLE C(50); DATE D; TEXT M; "
              "IMAGEFILE M; KEY C(1)", dbf_type="db3", codepage="cp932")
with t:
    t.append({"bunrui": "日記", "title": "最初", "subtitle": "", "date": datetime.date(2001, 3, 4),
              "text": "本文\r\n二行目", "imagefile": "a.jpg", "key": "A"})
    t.append({"bunrui": "", "title": "blank date", "subtitle": "sub", "date": None,
              "text": "長いメモ\r\n" * 300, "imagefile": "", "key": ""})
)py");
  ASSERT_EQ(std::system(("/usr/bin/python3 '" + script + "' '" + other + "'").c_str()), 0);
  ASSERT_FALSE(std::filesystem::exists(Path("old.mdx")));

  const std::string dest = Path("Main.dbf");
  store::test::MakePageFile(dest, Pages(1, "main"));
  Table t;
  ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
  TransferOutcome out;
  Status st = AppendPageFile(t, other, {}, &out);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_EQ(out.pages, 2);
  ASSERT_TRUE(t.Close().ok());
  std::string memo;
  for (int i = 0; i < 300; ++i) memo += J("長いメモ\r\n");
  std::vector<Page> all = ReadAll(dest);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1],
            (Page{J("日記"), J("最初"), "", "20010304", J("本文\r\n二行目"), "a.jpg", "A"}));
  EXPECT_EQ(all[2], (Page{"", "blank date", "sub", "", memo, "", ""}));
  EXPECT_FALSE(std::filesystem::exists(Path("old.mdx"))) << "the source was written to";
  EXPECT_EQ(store::CheckTableFiles(dest), std::vector<std::string>{});
}

}  // namespace
}  // namespace sk::exchange
