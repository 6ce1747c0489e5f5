#include "app/shell_logic.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace sk::app {
namespace {

TEST(ShellLogic, WindowIsPulledOntoTheScreen) {
  struct Case {
    WindowRect stored;
    int sw, sh;
    WindowRect want;
  } cases[] = {
      {{130, 10, 650, 748}, 1920, 1080, {130, 10, 650, 748}},  // fits
      {{130, 10, 650, 748}, 1024, 768, {130, 10, 650, 748}},   // 758 > 768? no: fits exactly
      {{130, 10, 650, 748}, 800, 600, {130, 10, 650, 580}},    // too tall
      {{300, 100, 900, 2000}, 1000, 800, {50, 10, 900, 780}},  // too tall and too wide
      {{0, 0, 2000, 100}, 1280, 1024, {50, 0, 1180, 100}},     // too wide only
  };
  for (const Case& c : cases) {
    WindowRect got = FitWindowToScreen(c.stored, c.sw, c.sh);
    EXPECT_EQ(got, c.want) << c.sw << "x" << c.sh;
  }
}

TEST(ShellLogic, TextImageSplitFromWindowSize) {
  EXPECT_EQ(DeriveTextImageWH(0, 650, 748), 650 * 107 / 165);
  EXPECT_EQ(DeriveTextImageWH(1, 650, 748), 650 * 58 / 165);
  EXPECT_EQ(DeriveTextImageWH(2, 650, 748), (748 * 107 - 13482) / 165);
  EXPECT_EQ(DeriveTextImageWH(3, 650, 748), (748 * 58 - 7308) / 165);
  EXPECT_EQ(DeriveTextImageWH(4, 650, 748), 0);
  EXPECT_EQ(DeriveTextImageWH(9, 650, 748), 0);
}

TEST(ShellLogic, FontDerivedSizes) {
  EXPECT_EQ(SmallFontHeight(10, 96), -13);  // -960/72 = -13.33, truncated
  EXPECT_EQ(TextFontHeight(10, 96), -13);
  EXPECT_EQ(TextFontHeight(11, 96), -15);  // -14.67 rounds to -15
  EXPECT_EQ(HeaderControlHeight(-13), 21);
  EXPECT_EQ(HeaderControlHeight(-20), 28);
}

TEST(ShellLogic, ExtensionLooksAtTheFileNameOnly) {
  struct Case {
    const char* path;
    const char* ext;
    bool ok;
  } cases[] = {
      {"/home/a/diary.dbf", "dbf", true},      {"/home/a/Diary.DBF", "dbf", true},
      {"/home/a.dbf/notes.txt", "dbf", false}, {"/home/my.folder/diary.dbf", "dbf", true},
      {"C:\\old\\diary.dbf", "dbf", true},     {"/home/a/dbf", "dbf", false},
      {"/home/a/x.dbfx", "dbf", false},        {"/home/a/x.txt", "", true},
  };
  for (const Case& c : cases) EXPECT_EQ(HasExtension(c.path, c.ext), c.ok) << c.path;
}

// Why a chosen page file cannot be opened, one cause each.
TEST(ShellLogic, OpenProblemsNameTheirCause) {
  char tmpl[] = "/tmp/sk-open-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  chmod(dir.c_str(), 0755);
  auto put = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    return dir + "/" + name;
  };
  const std::string table = put("diary.dbf", std::string("\x03") + std::string(40, '\0'));
  std::filesystem::create_directory(dir + "/a.dbf");
  struct Case {
    std::string path;
    std::string reason;
  } cases[] = {
      {table, ""},
      {dir + "/missing.dbf", "そのファイルは存在しません。"},
      {dir + "/a.dbf", "それはフォルダで，ページファイルではありません。"},
      {put("notes.dbf", "just some text, longer than a dBASE header would be\n"),
       "dBASE のファイル（ページファイル）ではありません。"},
      {put("short.dbf", "\x03"), "dBASE のファイル（ページファイル）ではありません。"},
      {"/dev/null", "それは通常のファイルではありません。"},
  };
  for (const Case& c : cases) EXPECT_EQ(WhyNotOpenable(c.path), c.reason) << c.path;

  // Held by a program: a lock on another open of the same file.
  int held = ::open(table.c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  EXPECT_EQ(WhyNotOpenable(table), "このプログラムまたは他のプログラムがすでに開いています。");
  ::close(held);

  // Not readable.  Root reads any file whatever its mode, so the check runs in a child that has
  // given up root for an ordinary user.
  chmod(table.c_str(), 0200);
  int pipe_fd[2];
  ASSERT_EQ(pipe(pipe_fd), 0);
  pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
    std::string why = WhyNotOpenable(table);
    (void)!::write(pipe_fd[1], why.data(), why.size());
    _exit(0);
  }
  ::close(pipe_fd[1]);
  std::string got;
  char buf[256];
  for (ssize_t n; (n = read(pipe_fd[0], buf, sizeof buf)) > 0;) got.append(buf, size_t(n));
  ::close(pipe_fd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(got, "そのファイルを読む権限がありません。");
  std::filesystem::remove_all(dir);
}

TEST(ShellLogic, CaptionShowsThePathAsItIs) {
  // Names are case-sensitive here: the caption names the very file that is open.
  EXPECT_EQ(WindowCaption("SoraKumo", "/home/taro/日記/Diary.dbf"),
            "SoraKumo（/home/taro/日記/Diary.dbf）");
  EXPECT_EQ(LowerHankakuLetters("ABCｱＡ"), "abcｱＡ");
}

}  // namespace
}  // namespace sk::app
