// Crash safety of slimming and merging.  Slimming: `sorakumo-tool slim` is killed at random moments
// on a page file of a few thousand pages with a tenth deleted.  After each kill the next writable
// open finishes or clears what was left; the file is then consistent and holds exactly the live
// pages, with their contents, in their order: under their old numbers or renumbered from 1, never a
// deleted page.  Merging: see below.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/check.h"
#include "store/maintenance.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

namespace fs = std::filesystem;
using sk::Status;
using sk::store::Table;

constexpr std::array<const char*, 7> kFields = {"BUNRUI", "TITLE",     "SUBTITLE", "DATE",
                                                "TEXT",   "IMAGEFILE", "KEY"};
using Page = std::array<std::string, 7>;

// The live pages in page-number order, with their numbers.
Status ReadPages(const std::string& path, std::vector<uint32_t>* numbers,
                 std::vector<Page>* pages) {
  Table t;
  Status st = t.Open(path, sk::store::PageFileOptions(true));
  if (!st.ok()) return st;
  for (st = t.First(); st.ok() && !t.Eof(); st = t.Next()) {
    Page p;
    for (size_t i = 0; i < p.size() && st.ok(); ++i) st = t.ReadField(kFields[i], &p[i]);
    numbers->push_back(uint32_t(t.RecNo()));
    pages->push_back(std::move(p));
  }
  return st;
}

class SlimCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sk_slim_crash_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "saved");
    fs::create_directories(dir_ / "work");
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }
  // Runs the tool; with kill_after_us >= 0 it is killed then.  True when it was killed.
  bool Run(const std::vector<std::string>& args, long kill_after_us) {
    pid_t pid = fork();
    EXPECT_GE(pid, 0);
    if (pid == 0) {
      freopen("/dev/null", "w", stdout);
      freopen("/dev/null", "w", stderr);
      std::vector<char*> argv{const_cast<char*>(SORAKUMO_TOOL)};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(SORAKUMO_TOOL, argv.data());
      _exit(127);
    }
    if (kill_after_us >= 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(kill_after_us));
      kill(pid, SIGKILL);
    }
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    if (WIFSIGNALED(status)) return true;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return false;
  }
  void Restore() {
    for (const auto& e : fs::directory_iterator(dir_ / "work")) fs::remove(e.path());
    for (const char* f : {"p.dbf", "p.dbt", "p.mdx"})
      fs::copy_file(dir_ / "saved" / f, dir_ / "work" / f);
  }

  fs::path dir_;
};

TEST_F(SlimCrash, KilledSlimmingLeavesTheOldOrTheNewFile) {
  const std::string saved = (dir_ / "saved" / "p.dbf").string();
  const std::string work = (dir_ / "work" / "p.dbf").string();
  ASSERT_FALSE(Run({"generate", saved, "--pages", "3000", "--seed", "7"}, -1));
  {
    Table t;
    ASSERT_TRUE(t.Open(saved, sk::store::PageFileOptions()).ok());
    for (uint32_t r = 4; r <= 3000; r += 10) {
      ASSERT_TRUE(t.GotoBookmark(r).ok());
      ASSERT_TRUE(t.Delete().ok());
    }
    ASSERT_TRUE(t.Close().ok());
  }
  std::vector<uint32_t> old_numbers;
  std::vector<Page> want;
  ASSERT_TRUE(ReadPages(saved, &old_numbers, &want).ok());
  ASSERT_EQ(want.size(), 2700u);
  std::vector<uint32_t> new_numbers(want.size());
  for (size_t i = 0; i < new_numbers.size(); ++i) new_numbers[i] = uint32_t(i + 1);

  // How long a whole slimming takes here; the kills fall in that span and a little after.
  Restore();
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_FALSE(Run({"slim", work}, -1));
  long span = long(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
          .count());
  const char* env = getenv("SK_CRASH_SEED");
  std::mt19937 rng(env ? unsigned(strtoul(env, nullptr, 10)) : 20240131u);
  int killed = 0, old_kept = 0, renumbered = 0, finished_at_open = 0, cleared_at_open = 0;
  constexpr int kRounds = 120;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Restore();
    long at = long(rng() % uint32_t(span + span / 4 + 1));
    auto r0 = std::chrono::steady_clock::now();
    bool was_killed = Run({"slim", work}, at);
    killed += was_killed;
    // The kills follow how long a slimming takes now (other work on the machine changes it).
    if (!was_killed)
      span = (span + long(std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - r0)
                              .count())) /
             2;
    Table t;
    std::vector<std::string> notices;
    t.SetNoticeSink([&](const std::string& n) { notices.push_back(n); });
    Status st = t.Open(work, sk::store::PageFileOptions());
    ASSERT_TRUE(st.ok()) << st.message();
    ASSERT_TRUE(t.Close().ok());
    for (const auto& n : notices) {
      finished_at_open += n.find("最後まで済ませました") != std::string::npos;
      cleared_at_open += n.find("一時ファイル") != std::string::npos;
    }
    std::vector<std::string> faults = sk::store::CheckTableFiles(work);
    ASSERT_TRUE(faults.empty()) << faults[0];
    std::vector<uint32_t> numbers;
    std::vector<Page> pages;
    st = ReadPages(work, &numbers, &pages);
    ASSERT_TRUE(st.ok()) << st.message();
    ASSERT_TRUE(pages == want) << "the live pages differ (" << pages.size() << " pages)";
    ASSERT_TRUE(numbers == old_numbers || numbers == new_numbers);
    (numbers == old_numbers ? old_kept : renumbered)++;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir_ / "work")) left.push_back(e.path().filename());
    ASSERT_EQ(left.size(), 3u) << "left behind: " << left[0] << " " << left.back();
  }
  std::cout << "slimming took " << span / 1000 << " ms; killed " << killed << " of " << kRounds
            << "; old file kept " << old_kept << ", renumbered " << renumbered
            << "; finished at open " << finished_at_open << ", cleared at open " << cleared_at_open
            << "\n";
  EXPECT_GT(killed, kRounds / 3);
  EXPECT_GT(old_kept, 0);
  EXPECT_GT(renumbered, 0);
  EXPECT_GT(cleared_at_open, 0);
}

// `sorakumo-tool merge` killed at random moments: the next writable open leaves the page file
// with its old pages, or with the old pages and every page merged, never a part of them.
TEST_F(SlimCrash, KilledMergeLeavesTheOldPagesOrAllOfThem) {
  const std::string saved = (dir_ / "saved" / "p.dbf").string();
  const std::string other = (dir_ / "saved" / "q.dbf").string();
  const std::string work = (dir_ / "work" / "p.dbf").string();
  ASSERT_FALSE(Run({"generate", saved, "--pages", "2000", "--seed", "3"}, -1));
  ASSERT_FALSE(Run({"generate", other, "--pages", "500", "--seed", "4"}, -1));
  std::vector<uint32_t> numbers;
  std::vector<Page> old_pages, merged;
  ASSERT_TRUE(ReadPages(saved, &numbers, &old_pages).ok());
  ASSERT_TRUE(ReadPages(other, &numbers, &merged).ok());
  std::vector<Page> all = old_pages;
  all.insert(all.end(), merged.begin(), merged.end());

  // The quickest of three whole merges (the first runs with cold caches and takes far longer).
  long span = 0;
  for (int i = 0; i < 3; ++i) {
    Restore();
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_FALSE(Run({"merge", work, other}, -1));
    long took = long(std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::steady_clock::now() - t0)
                         .count());
    span = i == 0 ? took : std::min(span, took);
  }
  const char* env = getenv("SK_CRASH_SEED");
  std::mt19937 rng(env ? unsigned(strtoul(env, nullptr, 10)) : 20240207u);
  int killed = 0, old_kept = 0, all_in = 0, rolled_back = 0;
  constexpr int kRounds = 60;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Restore();
    // Up to twice the time measured, so that some merges finish even on a busy machine.
    killed += Run({"merge", work, other}, long(rng() % uint32_t(2 * span + 1)));
    Table t;
    std::vector<std::string> notices;
    t.SetNoticeSink([&](const std::string& n) { notices.push_back(n); });
    Status st = t.Open(work, sk::store::PageFileOptions());
    ASSERT_TRUE(st.ok()) << st.message();
    ASSERT_TRUE(t.Close().ok());
    for (const auto& n : notices)
      rolled_back += n.find("追加の前に戻しました") != std::string::npos;
    std::vector<std::string> faults = sk::store::CheckTableFiles(work);
    ASSERT_TRUE(faults.empty()) << faults[0];
    std::vector<uint32_t> nums;
    std::vector<Page> pages;
    st = ReadPages(work, &nums, &pages);
    ASSERT_TRUE(st.ok()) << st.message();
    ASSERT_TRUE(pages == old_pages || pages == all) << pages.size() << " pages";
    (pages == old_pages ? old_kept : all_in)++;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir_ / "work")) left.push_back(e.path().filename());
    ASSERT_EQ(left.size(), 3u) << "left behind: " << left[0] << " " << left.back();
  }
  std::cout << "merge took " << span / 1000 << " ms; killed " << killed << " of " << kRounds
            << "; old pages kept " << old_kept << ", all merged " << all_in
            << "; rolled back at open " << rolled_back << "\n";
  EXPECT_GT(killed, kRounds / 5);
  EXPECT_GT(rolled_back, 0);
  EXPECT_GT(all_in, 0);
}

}  // namespace
