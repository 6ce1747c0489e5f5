#include "exchange/page_transfer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

#include "store/append_journal.h"
#include "store/check.h"
#include "store/power_cut_layer.h"
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
  // A page file under another extension.
  store::test::MakePageFile(Path("Pages.dbf"), Pages(2, "p"));
  std::filesystem::rename(Path("Pages.dbf"), Path("Pages.txt"));
  Table t;
  ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
  const struct {
    std::string src, said;
  } cases[] = {
      {dest, "Main.dbf は開いているページファイルそのもの"},
      {dir_ + "/./Main.dbf", "Main.dbf は開いているページファイルそのもの"},
      {other, "Other.dbf はページファイルではありません"},
      {Path("Pages.txt"), "Pages.txt はページファイル (.dbf) ではありません"},
      {Path("Missing.dbf"), "Missing.dbf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.src);
    TransferOutcome out;
    Status st = AppendPageFile(t, c.src, {}, &out);
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(out.pages, 0);
    EXPECT_NE(st.message().find(c.said), std::string::npos) << st.message();
  }
  EXPECT_EQ(t.RecordCount(), 2u);
}

// A merge cut short by a cancel or by a damaged source takes the page file back to its old pages:
// the table and memo files byte for byte, the index without the new keys (no rebuild at the next
// open), nothing left beside them.
TEST_F(PageTransfer, AppendCutShortLeavesTheOldPages) {
  const std::string dest = Path("Main.dbf"), src = Path("Other.dbf");
  const std::vector<Page> old_pages = Pages(40, "main");
  store::test::MakePageFile(dest, old_pages);
  std::vector<Page> other = Pages(150, "other");
  for (auto& p : other) p.text = std::string(700, 'm');  // two memo blocks each
  store::test::MakePageFile(src, other);
  const std::string damaged = Path("Damaged.dbf");
  store::test::MakePageFile(damaged, other);
  std::filesystem::resize_file(Path("Damaged.dbt"), 512 + 100 * 1024);  // memos of page ~73 on

  const auto before = Folder();
  struct Case {
    const char* name;
    std::string source;
    uint32_t stop_at;
    bool fails;
  } cases[] = {{"cancelled", src, 64, false}, {"truncated memo file", damaged, 1000, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Table t;
    ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
    std::vector<uint32_t> seen;
    TransferOutcome out;
    Status st = AppendPageFile(t, c.source, StopAt(c.stop_at, &seen), &out);
    EXPECT_EQ(st.ok(), !c.fails) << st.message();
    if (c.fails) {
      EXPECT_NE(st.message().find("Damaged.dbt"), std::string::npos) << st.message();
    }
    EXPECT_EQ(out.cancelled, !c.fails);
    EXPECT_EQ(out.pages, 0);
    ASSERT_TRUE(t.is_open());
    EXPECT_EQ(t.RecordCount(), 40u);
    EXPECT_EQ(t.RecNo(), 40);
    ASSERT_TRUE(t.Close().ok());
    auto after = Folder();
    for (const char* f : {"Main.dbf", "Main.dbt"}) EXPECT_EQ(after[f], before.at(f)) << f;
    after.erase("Main.mdx");
    auto without_index = before;
    without_index.erase("Main.mdx");
    EXPECT_EQ(after, without_index) << "a file was left beside the page file";
    EXPECT_EQ(store::CheckTableFiles(dest), std::vector<std::string>{});
    Table again;
    ASSERT_TRUE(again.Open(dest, PageFileOptions()).ok());
    EXPECT_EQ(again.TakeNotices(), std::vector<std::string>{}) << "the index was rebuilt";
    ASSERT_TRUE(again.SetIndexName("T").ok());
    EXPECT_EQ(store::test::WalkRecNos(again).size(), 40u);
  }
  EXPECT_EQ(ReadAll(dest), old_pages);
}

// The journal a crash leaves is rolled back by the next writable open, refused by a read-only
// one, and left alone while the pass that wrote it is still running.
TEST_F(PageTransfer, InterruptedAppendIsRolledBackAtTheNextOpen) {
  const std::string dest = Path("Main.dbf");
  store::test::MakePageFile(dest, Pages(5, "main"));
  const auto before = Folder();
  {
    store::AppendJournal journal;
    ASSERT_TRUE(journal.Begin(dest).ok());
    // Another program's opens while the pass runs, read-only and writable: neither reads the
    // file nor rolls the pass back.
    for (const char* command : {"info", "reindex"}) {
      const std::string run =
          std::string(SORAKUMO_TOOL) + " " + command + " '" + dest + "' 2>/dev/null >/dev/null";
      EXPECT_NE(std::system(run.c_str()), 0) << command;
    }
    ASSERT_TRUE(std::filesystem::exists(store::AppendJournalPath(dest)));
    Table work;
    auto o = PageFileOptions();
    o.bulk = true;
    ASSERT_TRUE(work.Open(dest, o).ok());
    for (const auto& p : Pages(30, "new")) ASSERT_TRUE(store::test::AppendPage(work, p).ok());
    ASSERT_TRUE(work.Close().ok());
    // The journal object goes without Commit or RollBack: as if the program died here.
  }
  ASSERT_TRUE(std::filesystem::exists(store::AppendJournalPath(dest)));
  {
    Table ro;
    Status st = ro.Open(dest, PageFileOptions(true));
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.message().find("途中で止まって"), std::string::npos) << st.message();
  }
  Table t;
  ASSERT_TRUE(t.Open(dest, PageFileOptions()).ok());
  std::vector<std::string> notices = t.TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("追加の前に戻しました"), std::string::npos) << notices[0];
  EXPECT_EQ(t.RecordCount(), 5u);
  ASSERT_TRUE(t.Close().ok());
  auto after = Folder();
  EXPECT_EQ(after["Main.dbf"], before.at("Main.dbf"));
  EXPECT_EQ(after["Main.dbt"], before.at("Main.dbt"));
  EXPECT_EQ(after.size(), before.size());
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

// The process gone at one file call: every call from there on fails, what was written stays.
class CrashAt : public store::SystemFileLayer {
 public:
  explicit CrashAt(uint64_t call) : at_(call) {}
  uint64_t calls() const { return calls_; }
  int Open(const char* p, int f, mode_t m) override {
    return Live() ? SystemFileLayer::Open(p, f, m) : Dead();
  }
  ssize_t Pwrite(int fd, const void* b, size_t n, off_t o) override {
    return Live() ? SystemFileLayer::Pwrite(fd, b, n, o) : Dead();
  }
  int Ftruncate(int fd, off_t n) override {
    return Live() ? SystemFileLayer::Ftruncate(fd, n) : Dead();
  }
  int Fdatasync(int fd) override { return Live() ? SystemFileLayer::Fdatasync(fd) : Dead(); }
  int Close(int fd) override { return SystemFileLayer::Close(fd); }  // the kernel closes them
  int Rename(const char* a, const char* b) override {
    return Live() ? SystemFileLayer::Rename(a, b) : Dead();
  }
  int Unlink(const char* p) override { return Live() ? SystemFileLayer::Unlink(p) : Dead(); }
  int Link(const char* a, const char* b) override {
    return Live() ? SystemFileLayer::Link(a, b) : Dead();
  }
  int SyncDir(const char* d) override { return Live() ? SystemFileLayer::SyncDir(d) : Dead(); }

 private:
  bool Live() { return calls_++ < at_; }
  static int Dead() {
    errno = EIO;
    return -1;
  }
  uint64_t at_, calls_ = 0;
};

// An export over an existing page file, cut at every file call it makes (the process killed
// there, or the power gone with only what was synced kept): the next writable open finds the
// whole old page file or the whole new one, consistent, with nothing left beside it.
TEST_F(PageTransfer, ExportCutAtEveryFileCallLeavesTheOldOrTheNewFile) {
  const std::string src = Path("Main.dbf");
  const std::vector<Page> fresh = Pages(12, "new"), old = Pages(20, "old");
  store::test::MakePageFile(src, fresh);
  const std::string folder = Path("out"), target = folder + "/Old.dbf";
  std::filesystem::create_directory(folder);
  store::test::MakePageFile(target, old);
  std::map<std::string, std::string> saved;
  for (const char* f : {"Old.dbf", "Old.dbt", "Old.mdx"})
    saved[f] = store::test::ReadBytes(folder + "/" + f);
  auto restore = [&] {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    for (const auto& [f, bytes] : saved) store::test::WriteBytes(folder + "/" + f, bytes);
  };
  auto run = [&](store::FileLayer* layer) {
    Table t;
    EXPECT_TRUE(t.Open(src, PageFileOptions()).ok());
    store::SetFileLayer(layer);
    Status st = ExportToPageFile(t, target, {}, nullptr);
    store::SetFileLayer(nullptr);
    return st;
  };
  CrashAt counter(UINT64_MAX);
  ASSERT_TRUE(run(&counter).ok());
  const uint64_t calls = counter.calls();
  int kept = 0, replaced = 0;
  for (uint64_t at = 0; at <= calls; ++at) {
    for (bool power : {false, true}) {
      SCOPED_TRACE("cut at call " + std::to_string(at) + (power ? " (power)" : " (kill)"));
      restore();
      if (power) {
        store::test::PowerCutLayer layer(folder, uint32_t(at) * 7919u + 1);
        layer.CutAt(at);
        (void)run(&layer);
        layer.Cut();
      } else {
        CrashAt crash(at);
        (void)run(&crash);
      }
      Table t;
      Status st = t.Open(target, PageFileOptions());
      ASSERT_TRUE(st.ok()) << st.message();
      ASSERT_TRUE(t.Close().ok());
      ASSERT_EQ(store::CheckTableFiles(target), std::vector<std::string>{});
      const std::vector<Page> now = ReadAll(target);
      ASSERT_TRUE(now == old || now == fresh) << now.size() << " pages";
      (now == old ? kept : replaced)++;
      std::vector<std::string> left;
      for (const auto& e : std::filesystem::directory_iterator(folder))
        left.push_back(e.path().filename().string());
      std::sort(left.begin(), left.end());
      ASSERT_EQ(left, (std::vector<std::string>{"Old.dbf", "Old.dbt", "Old.mdx"}));
    }
  }
  std::cout << calls << " file calls; old file kept " << kept << ", replaced " << replaced << "\n";
  EXPECT_GT(kept, 0);
  EXPECT_GT(replaced, 0);
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
