#include "exchange/export_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "browse/page_selection.h"
#include "store/test_util.h"

namespace sk::exchange {
namespace {

using store::test::ReadBytes;
using store::test::WriteBytes;

// Writes "[" at the head, each page's title and "]" at the tail.
class TitleExporter : public PageExporter {
 public:
  void Head(std::string* out) override { *out += "["; }
  void Page(const ExportPage& p, std::string* out) override { *out += p.title + " "; }
  void Tail(std::string* out) override { *out += "]"; }
};

class ExportRunTest : public store::test::TempDirTest {
 protected:
  // Pages 1-6 titled f a e b d c, categories x y x x y x.
  void SetUp() override {
    TempDirTest::SetUp();
    path_ = Path("p.dbf");
    store::test::MakePageFile(path_, {{"x", "f", "", "20240101", "", "", ""},
                                      {"y", "a", "", "20240102", "", "", ""},
                                      {"x", "e", "", "20240103", "", "", ""},
                                      {"x", "b", "", "20240104", "", "", ""},
                                      {"y", "d", "", "20240105", "", "", ""},
                                      {"x", "c", "", "20240106", "", "", ""}});
    ASSERT_TRUE(t_.Open(path_, store::PageFileOptions()).ok());
  }

  // Title order, category x only: f e b c -> b c e f.
  void SelectXInTitleOrder() {
    browse::PageSelection sel;
    sel.BunruiSelectMode = true;
    sel.SelBunruiList = {"x"};
    t_.SetFilter(browse::MakeSelectionFilter(sel, t_));
    ASSERT_TRUE(t_.SetFiltered(true).ok());
    ASSERT_TRUE(t_.SetIndexName("T").ok());
  }

  std::string Export(const ExportRange& r, ExportOutcome* o = nullptr,
                     const store::Table::Progress& progress = {}) {
    ExportOutcome local;
    AsideFile out;
    Status st = out.Open(Path("out.txt"));
    EXPECT_TRUE(st.ok()) << st.message();
    TitleExporter ex;
    st = ExportPages(t_, r, ex, out, progress, o ? o : &local);
    EXPECT_TRUE(st.ok()) << st.message();
    if (!(o ? o : &local)->cancelled) {
      EXPECT_TRUE(out.Commit().ok());
    }
    return ReadBytes(Path("out.txt"));
  }

  std::string path_;
  store::Table t_;
};

TEST_F(ExportRunTest, PageRanges) {
  SelectXInTitleOrder();
  // All selected pages in the display order, whatever page is current.
  ASSERT_TRUE(t_.Last().ok());
  ExportOutcome o;
  EXPECT_EQ(Export({true, 1, false}, &o), "[b c e f ]");
  EXPECT_EQ(o.pages, 4);
  // Five pages from the second to last one: two pages.
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(t_.Next().ok());
  ASSERT_TRUE(t_.Next().ok());
  EXPECT_EQ(Export({false, 5, false}), "[e f ]");
  // Two pages from the first.
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Export({false, 2, false}), "[b c ]");
  // A count below 1 writes no page: only the frame.
  EXPECT_EQ(Export({false, 0, false}), "[]");
  EXPECT_EQ(Export({false, -1, false}), "[]");
}

TEST_F(ExportRunTest, ACurrentPageThatLeftTheSelectionStartsAtItsNeighbour) {
  SelectXInTitleOrder();
  ASSERT_TRUE(t_.First().ok());  // b (record 4)
  ASSERT_TRUE(t_.Next().ok());   // c (record 6)
  ASSERT_EQ(t_.RecNo(), 6);
  ASSERT_TRUE(t_.Edit().ok());
  ASSERT_TRUE(t_.SetFieldString("BUNRUI", "y").ok());
  ASSERT_TRUE(t_.Post().ok());
  ASSERT_EQ(t_.RecNo(), 6);  // stays current outside the selection
  EXPECT_EQ(Export({false, 2, true}), "[e f ]");
}

TEST_F(ExportRunTest, ACancelLeavesNothingUnderTheName) {
  // No file before: none after.
  ExportOutcome o;
  int calls = 0;
  Export({true, 1, false}, &o, [&](uint32_t done, uint32_t total) {
    ++calls;
    EXPECT_EQ(done, 1u);
    EXPECT_GE(total, 6u);
    return false;
  });
  EXPECT_TRUE(o.cancelled);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("out.txt")));
  // An old file stays as it was, and no temporary file is left beside it.
  WriteBytes(Path("out.txt"), "old");
  Export({true, 1, false}, &o, [](uint32_t, uint32_t) { return false; });
  EXPECT_EQ(ReadBytes(Path("out.txt")), "old");
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    files += e.path().filename().string().rfind(".out.txt", 0) == 0;
  EXPECT_EQ(files, 0);
}

TEST_F(ExportRunTest, AnOverwrittenFileKeepsItsPermissions) {
  WriteBytes(Path("out.txt"), "old");
  ASSERT_EQ(::chmod(Path("out.txt").c_str(), 0640), 0);
  EXPECT_EQ(Export({true, 1, false}), "[f a e b d c ]");
  struct stat s {};
  ASSERT_EQ(::stat(Path("out.txt").c_str(), &s), 0);
  EXPECT_EQ(s.st_mode & 0777, 0640u);
}

// A killed export leaves its temporary file; the next export to that target removes it, but not
// the temporary file of an export still running, nor files of other names.
TEST_F(ExportRunTest, TheNextExportRemovesTheTemporaryFileOfAKilledOne) {
  const std::string target = Path("out.txt");
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    AsideFile dying;
    if (dying.Open(target).ok()) dying.Write("half");
    ::kill(::getpid(), SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  auto hidden = [&] {
    std::vector<std::string> v;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      if (e.path().filename().string()[0] == '.') v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  };
  const std::vector<std::string> dead = hidden();
  ASSERT_EQ(dead.size(), 1u);
  // Not this target's temporary files: other names, another length.
  for (const char* other : {".other.txt.AbC123", ".out.txt.AbC1234", ".out.txt.AbC12"})
    WriteBytes(Path(other), "keep");

  AsideFile running;
  ASSERT_TRUE(running.Open(target).ok());
  AsideFile next;
  ASSERT_TRUE(next.Open(target).ok());
  std::vector<std::string> now = hidden();
  EXPECT_EQ(std::count(now.begin(), now.end(), dead[0]), 0) << "the dead export's file stays";
  EXPECT_TRUE(std::filesystem::exists(running.temp_path())) << "a running export's file went";
  ASSERT_TRUE(running.Write("first").ok());
  ASSERT_TRUE(running.Commit().ok());
  ASSERT_TRUE(next.Write("second").ok());
  ASSERT_TRUE(next.Commit().ok());
  EXPECT_EQ(ReadBytes(target), "second");
  EXPECT_EQ(hidden(),
            (std::vector<std::string>{".other.txt.AbC123", ".out.txt.AbC12", ".out.txt.AbC1234"}));
}

TEST_F(ExportRunTest, FilesThatCannotBeWrittenAreRefusedBeforeAnything) {
  AsideFile out;
  // A folder that does not exist, a folder as the target, a write-protected file (root may
  // write anything: only checked when the protection holds).
  EXPECT_FALSE(out.Open(Path("no/such/out.txt")).ok());
  std::filesystem::create_directory(Path("sub"));
  Status st = out.Open(Path("sub"));
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("sub"), std::string::npos);
  WriteBytes(Path("ro.txt"), "x");
  ::chmod(Path("ro.txt").c_str(), 0444);
  if (::access(Path("ro.txt").c_str(), W_OK) != 0) {
    EXPECT_FALSE(out.Open(Path("ro.txt")).ok());
  }
}

}  // namespace
}  // namespace sk::exchange
