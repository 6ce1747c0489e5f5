// Backups, slimming and renaming of a page file: the slots the backups take, the pages and index a
// slimming leaves, what a slimming cut short at any step leaves for the next open, and renames
// that refuse what they must.
#include "store/maintenance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

#include "store/check.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

namespace fs = std::filesystem;
using test::Page;

class Maintenance : public test::TempDirTest {
 protected:
  // Six pages with memos of several sizes (one larger than the copy's read window).
  std::vector<Page> SixPages() {
    std::vector<Page> v;
    for (int i = 1; i <= 6; ++i) {
      std::string text =
          i == 3 ? std::string(5 << 20, 'x') + "end" : "page " + std::to_string(i) + "\r\n";
      v.push_back({"b" + std::to_string(7 - i), "title" + std::to_string(i), i % 2 ? "s" : "",
                   i == 4 ? "" : "2024010" + std::to_string(i), i == 5 ? "" : text,
                   i == 2 ? "pic.jpg" : "", i == 6 ? "\x21" : ""});
    }
    return v;
  }
  void DeletePages(const std::string& path, std::vector<uint32_t> recnos) {
    Table t;
    ASSERT_TRUE(t.Open(path, PageFileOptions()).ok());
    for (uint32_t r : recnos) {
      ASSERT_TRUE(t.GotoBookmark(r).ok());
      ASSERT_TRUE(t.Delete().ok());
    }
    ASSERT_TRUE(t.Close().ok());
  }
  // The live pages in page-number order, with their numbers.
  std::vector<std::pair<int, Page>> Pages(const std::string& path) {
    std::vector<std::pair<int, Page>> v;
    Table t;
    Status st = t.Open(path, PageFileOptions(true));
    EXPECT_TRUE(st.ok()) << st.message();
    for (st = t.First(); st.ok() && !t.Eof(); st = t.Next())
      v.push_back({t.RecNo(), test::ReadPage(t)});
    EXPECT_TRUE(st.ok()) << st.message();
    return v;
  }
  std::vector<std::string> Files() {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir_)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
  void SetMTime(const std::string& path, time_t sec) {
    struct timespec ts[2] = {{sec, 0}, {sec, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ts, 0), 0);
  }
};

TEST_F(Maintenance, BackupsFillTheSlotsThenReplaceTheOldest) {
  // Upper-case extensions: the sources are found whatever their case; the names are fixed.
  const std::string dbf = Path("Diary.DBF");
  test::MakePageFile(dbf, {Page{"b", "t", "", "", "text", "", ""}});
  ASSERT_TRUE(FileExists(Path("Diary.DBT")));
  const std::string b = Path("BackUp/Diary.");
  struct Step {
    int depth;
    int slot;
  } steps[] = {{3, 1},
               {3, 2},
               {3, 3},
               {3, 1},
               {3, 2},
               // Raised to 5: the empty slots come first, then the oldest (slot 3).
               {5, 4},
               {5, 5},
               {5, 3}};
  time_t when = 1700000000;
  for (const auto& s : steps) {
    SCOPED_TRACE("backup at " + std::to_string(when));
    SetMTime(dbf, when);
    int slot = 0;
    Status st = DoBackUp(dbf, s.depth, &slot);
    ASSERT_TRUE(st.ok()) << st.message();
    EXPECT_EQ(slot, s.slot);
    const std::string n = std::to_string(slot);
    EXPECT_EQ(test::ReadBytes(b + "DBF" + n), test::ReadBytes(dbf));
    EXPECT_EQ(test::ReadBytes(b + "DBT" + n), test::ReadBytes(Path("Diary.DBT")));
    EXPECT_EQ(test::ReadBytes(b + "MDX" + n), test::ReadBytes(Path("Diary.MDX")));
    struct stat st_b;
    ASSERT_EQ(::stat((b + "DBF" + n).c_str(), &st_b), 0);
    EXPECT_EQ(st_b.st_mtim.tv_sec, when) << "a copy keeps its source's modification time";
    when += 60;
  }
}

// A page file unchanged since its newest backup is not copied again (opening and closing it
// changes nothing), so the slots keep distinct versions; a changed file is copied again.
TEST_F(Maintenance, UnchangedFileKeepsTheHistoryOfDistinctVersions) {
  const std::string dbf = Path("d.dbf");
  test::MakePageFile(dbf, {Page{"b", "t", "", "", "text", "", ""}});
  const std::string b = Path("BackUp/d.");
  auto edit = [&](const std::string& title) {
    Table t;
    ASSERT_TRUE(t.Open(dbf, PageFileOptions()).ok());
    ASSERT_TRUE(t.Edit().ok());
    ASSERT_TRUE(t.SetFieldString("TITLE", title).ok());
    ASSERT_TRUE(t.Close().ok());
  };
  auto backup = [&] {
    int slot = 0;
    Status st = DoBackUp(dbf, 2, &slot);
    EXPECT_TRUE(st.ok()) << st.message();
    return slot;
  };
  EXPECT_EQ(backup(), 1);
  const std::string v1 = test::ReadBytes(dbf);
  for (int i = 0; i < 3; ++i) {
    Table t;  // an open without an edit
    ASSERT_TRUE(t.Open(dbf, PageFileOptions()).ok());
    ASSERT_TRUE(t.Close().ok());
    EXPECT_EQ(backup(), 1) << "open " << i;
  }
  EXPECT_FALSE(FileExists(b + "DBF2"));
  edit("second");
  const std::string v2 = test::ReadBytes(dbf);
  EXPECT_EQ(backup(), 2);
  EXPECT_EQ(backup(), 2);
  // Both versions are kept; the next change pushes out the oldest only.
  EXPECT_EQ(test::ReadBytes(b + "DBF1"), v1);
  EXPECT_EQ(test::ReadBytes(b + "DBF2"), v2);
  edit("third");
  EXPECT_EQ(backup(), 1);
  EXPECT_EQ(test::ReadBytes(b + "DBF1"), test::ReadBytes(dbf));
  EXPECT_EQ(test::ReadBytes(b + "DBF2"), v2);
  EXPECT_EQ(test::ReadBytes(b + "MDX1"), test::ReadBytes(Path("d.mdx")));
  // Only the memo file changed (same table bytes and time): copied again.
  const std::string dbt = Path("d.dbt");
  test::WriteBytes(dbt, test::ReadBytes(dbt) + std::string(512, '\0'));
  EXPECT_EQ(backup(), 2);
  EXPECT_EQ(test::ReadBytes(b + "DBT2"), test::ReadBytes(dbt));
}

// A backup cancelled at any point leaves every slot as it was and nothing half made; progress
// counts up to the three files' size.
TEST_F(Maintenance, CancelledBackupLeavesTheSlots) {
  const std::string dbf = Path("d.dbf");
  test::MakePageFile(dbf, {Page{"b", "t", "", "", std::string(3 << 20, 'x'), "", ""}});
  SetMTime(dbf, 1700000000);
  ASSERT_TRUE(DoBackUp(dbf, 1).ok());
  SetMTime(dbf, 1700000060);  // changed since
  auto slot_files = [&] {
    std::string all;
    for (const auto& e : Files()) all += e + ";";
    for (const char* e : {"DBF1", "DBT1", "MDX1"}) all += test::ReadBytes(Path("BackUp/d.") + e);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Path("BackUp")))
      names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    for (const auto& n : names) all += "|" + n;
    return all;
  };
  const std::string before = slot_files();
  uint64_t total =
      uint64_t(fs::file_size(dbf) + fs::file_size(Path("d.dbt")) + fs::file_size(Path("d.mdx"))) >>
      10;
  for (int cancel_at : {1, 2, 3}) {
    SCOPED_TRACE(cancel_at);
    int calls = 0;
    bool cancelled = false;
    Status st = DoBackUp(
        dbf, 1, nullptr,
        [&](uint32_t done, uint32_t all) {
          EXPECT_EQ(all, total);
          EXPECT_LE(done, all);
          return ++calls < cancel_at;
        },
        &cancelled);
    EXPECT_TRUE(st.ok()) << st.message();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(calls, cancel_at);
    EXPECT_EQ(slot_files(), before);
  }
  // Not cancelled: the slot takes the new version.
  uint32_t last = 0;
  bool cancelled = true;
  ASSERT_TRUE(
      DoBackUp(
          dbf, 1, nullptr, [&](uint32_t done, uint32_t) { return (last = done), true; }, &cancelled)
          .ok());
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(last, total);
  EXPECT_EQ(test::ReadBytes(Path("BackUp/d.DBT1")), test::ReadBytes(Path("d.dbt")));
}

TEST_F(Maintenance, BackupThatCannotBeWrittenIsReported) {
  const std::string dbf = Path("d.dbf");
  test::MakePageFile(dbf, {Page{"b", "t", "", "", "text", "", ""}});
  const std::string before = test::ReadBytes(dbf);
  // The backup folder's name taken by a file.
  test::WriteBytes(Path("BackUp"), "x");
  Status st = DoBackUp(dbf, 3);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("BackUp"), std::string::npos) << st.message();
  fs::remove(Path("BackUp"));
  // A slot that cannot be written: nothing half-made is left in it.
  fs::create_directories(Path("BackUp/d.DBT1"));
  st = DoBackUp(dbf, 3);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("d.DBT1"), std::string::npos) << st.message();
  EXPECT_FALSE(FileExists(Path("BackUp/d.DBF1")));
  EXPECT_EQ(test::ReadBytes(dbf), before);
  fs::remove_all(Path("BackUp"));
  // A folder that is read-only (the system's administrator writes anywhere, so only for others).
  if (::geteuid() != 0) {
    fs::create_directory(Path("BackUp"));
    fs::permissions(Path("BackUp"), fs::perms::owner_read | fs::perms::owner_exec);
    st = DoBackUp(dbf, 3);
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.message().find("d.DBF1"), std::string::npos) << st.message();
    fs::permissions(Path("BackUp"), fs::perms::owner_all);
  }
  EXPECT_EQ(test::ReadBytes(dbf), before);
}

TEST_F(Maintenance, SlimmingRenumbersTheLivePagesAndRebuildsTheTags) {
  const std::string dbf = Path("a.dbf");
  std::vector<Page> pages = SixPages();
  test::MakePageFile(dbf, pages);
  DeletePages(dbf, {2, 5});
  // A leftover of the user's own (no journal): never touched, the next free name is used.
  test::WriteBytes(Path("temp0.dbf"), "mine");
  const uint64_t size_before = fs::file_size(Path("a.dbt"));
  // A private page file stays private.
  for (const char* f : {"a.dbf", "a.dbt", "a.mdx"})
    fs::permissions(Path(f), fs::perms::owner_read | fs::perms::owner_write);
  std::vector<uint32_t> told;
  SlimOutcome out;
  Status st = SlimPageFile(
      dbf,
      [&](uint32_t done, uint32_t total) {
        told.push_back(done);
        EXPECT_LE(done, total);
        return true;
      },
      &out);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_FALSE(out.cancelled);
  EXPECT_EQ(out.pages, 4u);
  EXPECT_EQ(out.temp_name, "temp1.dbf");
  EXPECT_EQ(out.new_number, (std::vector<uint32_t>{0, 1, 0, 2, 3, 0, 4}));
  EXPECT_FALSE(told.empty());
  EXPECT_EQ(test::ReadBytes(Path("temp0.dbf")), "mine");
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.dbf", "a.dbt", "a.mdx", "temp0.dbf"}));
  EXPECT_LT(fs::file_size(Path("a.dbt")), size_before);
  for (const char* f : {"a.dbf", "a.dbt", "a.mdx"})
    EXPECT_EQ(fs::status(Path(f)).permissions(), fs::perms::owner_read | fs::perms::owner_write)
        << f;
  EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
  std::vector<std::pair<int, Page>> want = {
      {1, pages[0]}, {2, pages[2]}, {3, pages[3]}, {4, pages[5]}};
  EXPECT_EQ(Pages(dbf), want);
  // The tags in the order a slimming adds them (the first one's key begins with UPPER, so the
  // file is not taken for an old one); an open finds nothing to repair.
  Table t;
  ASSERT_TRUE(t.Open(dbf, PageFileOptions()).ok());
  EXPECT_EQ(t.TagNames(),
            (std::vector<std::string>{"T", "S", "D", "BT", "BS", "BD", "TS", "TD", "SD", "B"}));
  EXPECT_EQ(t.FirstTagExpression(), "UPPER(TITLE)");
  EXPECT_TRUE(t.TakeNotices().empty());
  ASSERT_TRUE(t.SetIndexName("B").ok());
  EXPECT_EQ(test::WalkRecNos(t), (std::vector<int>{4, 3, 2, 1}));  // b1, b3, b4, b6
}

// The memos are copied in runs straight from the old file where they lie one after the other;
// whatever that file held past a memo's end in its last block, the new file holds zeros there.
TEST_F(Maintenance, SlimmedMemosKeepTheirBytesWithZeroedTails) {
  const std::string dbf = Path("a.dbf");
  std::vector<Page> pages;
  for (int i = 1; i <= 60; ++i) {
    // Sizes around the block size, a few long runs, and one memo past the read window.
    size_t n = i == 30 ? (4 << 20) + 700 : size_t(i % 7 == 0 ? 20000 + i : 480 + 17 * i);
    pages.push_back({"b", "t" + std::to_string(i), "", "20240101",
                     std::string(n, char('a' + i % 26)) + std::to_string(i), "", ""});
  }
  test::MakePageFile(dbf, pages);
  // Page 5 edited later: its memo now lies at the end of the file, read alone.
  {
    Table t;
    ASSERT_TRUE(t.Open(dbf, PageFileOptions()).ok());
    ASSERT_TRUE(t.GotoBookmark(5).ok());
    ASSERT_TRUE(t.Edit().ok());
    pages[4].text = "edited " + std::string(3000, 'e');
    ASSERT_TRUE(t.SetFieldString("TEXT", pages[4].text).ok());
    ASSERT_TRUE(t.Post().ok());
    ASSERT_TRUE(t.Close().ok());
  }
  DeletePages(dbf, {2, 3, 9, 31, 44, 45, 46, 60});
  // Leftovers in the unused tails of every third memo's last block.
  std::string dbt = test::ReadBytes(Path("a.dbt"));
  int scribbled = 0;
  for (size_t b = 1; b * 512 + 8 <= dbt.size(); ++b) {
    const auto* h = reinterpret_cast<const unsigned char*>(dbt.data() + b * 512);
    if (memcmp(h, "\xFF\xFF\x08\x00", 4) != 0) continue;
    const size_t end = b * 512 + Get32(h + 4), tail = (512 - end % 512) % 512;
    if (b % 3 == 0 && end + tail <= dbt.size() && tail > 0) {
      memset(dbt.data() + end, 'Z', tail);
      ++scribbled;
    }
  }
  ASSERT_GT(scribbled, 5);
  test::WriteBytes(Path("a.dbt"), dbt);
  const auto want = Pages(dbf);
  ASSERT_EQ(want.size(), 52u);
  SlimOutcome out;
  Status st = SlimPageFile(dbf, {}, &out);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
  auto now = Pages(dbf);
  ASSERT_EQ(now.size(), want.size());
  for (size_t i = 0; i < now.size(); ++i) EXPECT_EQ(now[i].second, want[i].second) << i;
  // The new memo file: one memo after another from block 1, each followed by zeros only.
  dbt = test::ReadBytes(Path("a.dbt"));
  size_t b = 1, memos = 0;
  while (b * 512 < dbt.size()) {
    const auto* h = reinterpret_cast<const unsigned char*>(dbt.data() + b * 512);
    ASSERT_EQ(memcmp(h, "\xFF\xFF\x08\x00", 4), 0) << "block " << b;
    const size_t end = b * 512 + Get32(h + 4), next = (end + 511) / 512 * 512;
    ASSERT_LE(next, dbt.size());
    EXPECT_EQ(dbt.find_first_not_of('\0', end), next == dbt.size() ? std::string::npos : next)
        << "block " << b;
    b = next / 512;
    ++memos;
  }
  EXPECT_EQ(memos, 52u);
}

// A damaged memo file stops the slimming with a message naming the memo file, and nothing
// changes.
TEST_F(Maintenance, SlimmingNamesTheMemoFileForItsFaults) {
  struct Case {
    const char* what;
    std::function<void(std::string*)> damage;
    const char* says;
  };
  const std::vector<Case> cases = {
      {"header", [](std::string* d) { (*d)[512] = 'x'; }, "見出しがありません"},
      {"length", [](std::string* d) { Put32(reinterpret_cast<unsigned char*>(d->data()) + 516,
                                            0x7FFFFFF0u); },
       "ファイルの末尾を越えています"},
      {"cut", [](std::string* d) { d->resize(d->size() / 2); }, "ファイルの末尾を越えています"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const std::string dbf = Path("a.dbf");
    test::MakePageFile(dbf, SixPages());
    std::string dbt = test::ReadBytes(Path("a.dbt"));
    c.damage(&dbt);
    test::WriteBytes(Path("a.dbt"), dbt);
    std::map<std::string, std::string> before;
    for (const auto& f : Files()) before[f] = test::ReadBytes(Path(f));
    SlimOutcome out;
    Status st = SlimPageFile(dbf, {}, &out);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.message().rfind("a.dbt: ", 0), 0u) << st.message();
    EXPECT_NE(st.message().find(c.says), std::string::npos) << st.message();
    std::map<std::string, std::string> after;
    for (const auto& f : Files()) after[f] = test::ReadBytes(Path(f));
    EXPECT_TRUE(after == before) << "files changed or left behind";
  }
}

TEST_F(Maintenance, CancelledSlimmingLeavesTheFileUntouched) {
  const std::string dbf = Path("a.dbf");
  test::MakePageFile(dbf, SixPages());
  DeletePages(dbf, {2});
  std::map<std::string, std::string> before;
  for (const auto& f : Files()) before[f] = test::ReadBytes(Path(f));
  SlimOutcome out;
  Status st = SlimPageFile(
      dbf, [](uint32_t, uint32_t) { return false; }, &out);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_TRUE(out.cancelled);
  std::map<std::string, std::string> after;
  for (const auto& f : Files()) after[f] = test::ReadBytes(Path(f));
  EXPECT_TRUE(after == before) << "files changed or left behind";
}

TEST_F(Maintenance, HeldPageFileIsNeitherSlimmedNorRenamed) {
  const std::string dbf = Path("a.dbf");
  test::MakePageFile(dbf, SixPages());
  Table t;
  ASSERT_TRUE(t.Open(dbf, PageFileOptions()).ok());
  SlimOutcome out;
  Status st = SlimPageFile(dbf, {}, &out);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("ほかのプログラム"), std::string::npos) << st.message();
  st = RenamePageFile(dbf, Path("b.dbf"));
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.dbf", "a.dbt", "a.mdx"}));
}

// A file layer that stops every change after a given number of them, as if the program had died
// there; the count tells how many changes a whole slimming makes.
class DyingLayer : public SystemFileLayer {
 public:
  explicit DyingLayer(int allowed) : left_(allowed) {}
  bool Pass() { return left_.fetch_sub(1) > 0 || (errno = EIO, false); }
  int Open(const char* p, int flags, mode_t mode) override {
    if ((flags & (O_WRONLY | O_RDWR | O_CREAT)) && !Pass()) return -1;
    return SystemFileLayer::Open(p, flags, mode);
  }
  ssize_t Pwrite(int fd, const void* b, size_t n, off_t off) override {
    return Pass() ? SystemFileLayer::Pwrite(fd, b, n, off) : -1;
  }
  int Ftruncate(int fd, off_t size) override {
    return Pass() ? SystemFileLayer::Ftruncate(fd, size) : -1;
  }
  int Fdatasync(int fd) override { return Pass() ? SystemFileLayer::Fdatasync(fd) : -1; }
  int Rename(const char* a, const char* b) override {
    return Pass() ? SystemFileLayer::Rename(a, b) : -1;
  }
  int Unlink(const char* p) override { return Pass() ? SystemFileLayer::Unlink(p) : -1; }
  int SyncDir(const char*) override { return Pass() ? 0 : -1; }
  int used(int allowed) const { return allowed - left_.load(); }

 private:
  std::atomic<int> left_;
};

TEST_F(Maintenance, SlimmingCutShortAtAnyStepLeavesTheOldOrTheNewFile) {
  const std::string dbf = Path("a.dbf");
  std::vector<Page> pages = SixPages();
  pages[2].text = "short";
  test::MakePageFile(dbf, pages);
  DeletePages(dbf, {2, 5});
  const std::string saved = dir_ + "/../" + fs::path(dir_).filename().string() + "_saved";
  fs::create_directory(saved);
  for (const auto& f : {"a.dbf", "a.dbt", "a.mdx"}) fs::copy_file(Path(f), saved + "/" + f);
  const auto old_pages = Pages(dbf);
  std::vector<std::pair<int, Page>> new_pages;
  for (size_t i = 0; i < old_pages.size(); ++i)
    new_pages.push_back({int(i + 1), old_pages[i].second});
  // How many changes a whole slimming makes.
  DyingLayer all(1 << 30);
  SetFileLayer(&all);
  SlimOutcome out;
  ASSERT_TRUE(SlimPageFile(dbf, {}, &out).ok());
  SetFileLayer(nullptr);
  const int steps = all.used(1 << 30);
  ASSERT_GT(steps, 10);
  int finished = 0, cleared = 0;
  for (int k = 0; k < steps; ++k) {
    SCOPED_TRACE("cut after " + std::to_string(k) + " of " + std::to_string(steps) + " changes");
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    for (const auto& f : {"a.dbf", "a.dbt", "a.mdx"}) fs::copy_file(saved + "/" + f, Path(f));
    DyingLayer dying(k);
    SetFileLayer(&dying);
    Status st = SlimPageFile(dbf, {}, &out);
    SetFileLayer(nullptr);
    // A reader of a file caught between the switch's renames is refused, not misled.
    {
      Table r;
      Status rs = r.Open(dbf, PageFileOptions(true));
      if (!rs.ok()) {
        EXPECT_NE(rs.message().find("スリム化"), std::string::npos) << rs.message();
      }
    }
    Table t;
    std::vector<std::string> notices;
    t.SetNoticeSink([&](const std::string& n) { notices.push_back(n); });
    st = t.Open(dbf, PageFileOptions());
    ASSERT_TRUE(st.ok()) << st.message();
    ASSERT_TRUE(t.Close().ok());
    for (const auto& n : notices) {
      finished += n.find("最後まで済ませました") != std::string::npos;
      cleared += n.find("一時ファイル") != std::string::npos;
    }
    EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
    auto now = Pages(dbf);
    EXPECT_TRUE(now == old_pages || now == new_pages);
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.dbf", "a.dbt", "a.mdx"}));
  }
  EXPECT_GT(finished, 0);
  EXPECT_GT(cleared, 0);
  fs::remove_all(saved);
}

TEST_F(Maintenance, RenameMovesTheThreeFilesOrRefuses) {
  const std::string dbf = Path("a.dbf");
  std::vector<Page> pages = SixPages();
  pages[2].text = "short";
  test::MakePageFile(dbf, pages);
  const auto want = Pages(dbf);
  fs::create_directory(Path("sub"));
  // Any of the three target files present: refused, nothing moves.
  test::WriteBytes(Path("sub/b.MDX"), "x");
  Status st = RenamePageFile(dbf, Path("sub/b.dbf"));
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("はすでに存在するので，名前の変更はできません。"), std::string::npos);
  EXPECT_EQ(Pages(dbf), want);
  fs::remove(Path("sub/b.MDX"));
  EXPECT_FALSE(RenamePageFile(dbf, dbf).ok());
  // Into another folder.
  st = RenamePageFile(dbf, Path("sub/b.dbf"));
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_EQ(Files(), std::vector<std::string>{"sub"});
  EXPECT_EQ(Pages(Path("sub/b.dbf")), want);
  Table t;
  ASSERT_TRUE(t.Open(Path("sub/b.dbf"), PageFileOptions()).ok());
  EXPECT_TRUE(t.TakeNotices().empty()) << "the index carries its new name";
  ASSERT_TRUE(t.Close().ok());
  // Onto another file system: copied, made durable, the originals removed.
  struct stat a, b;
  if (::stat("/dev/shm", &b) == 0 && ::stat(dir_.c_str(), &a) == 0 && a.st_dev != b.st_dev) {
    const std::string other = "/dev/shm/sk_rename_" + std::to_string(::getpid());
    fs::create_directory(other);
    st = RenamePageFile(Path("sub/b.dbf"), other + "/c.dbf");
    ASSERT_TRUE(st.ok()) << st.message();
    EXPECT_TRUE(fs::is_empty(Path("sub")));
    EXPECT_EQ(Pages(other + "/c.dbf"), want);
    EXPECT_EQ(CheckTableFiles(other + "/c.dbf"), std::vector<std::string>{});
    fs::remove_all(other);
  }
}

}  // namespace
}  // namespace sk::store
