#include "app/shell_logic.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(MaxWrapPixels(3.0, 96), 113);
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

TEST(ShellLogic, CaptionUpperCasesOnlyHalfWidthLetters) {
  EXPECT_EQ(WindowCaption("SoraKumo", "/home/taro/日記/diary.dbf"),
            "SoraKumo（/HOME/TARO/日記/DIARY.DBF）");
  EXPECT_EQ(LowerHankakuLetters("ABCｱＡ"), "abcｱＡ");
}

}  // namespace
}  // namespace sk::app
