// sorakumo-tool print: bad arguments end with the usage and status 2, a page file or target that
// cannot be used with a message naming it and status 1, neither leaving a file behind; the
// sheets follow the stored settings, the options and the page choice.  (What the PDF holds is
// checked by the ctest print_pdf, with the PDF tools.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "cli/tool_test_util.h"
#include "settings/settings_store.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

using test::J;
using test::ReadBytes;

class ToolPrint : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::create_directory(Path("conf"));
    test::MakePageFile(Path("p.dbf"), {{"a", "T1", "", "20240104", J("本文一"), "", ""},
                                       {"b", "T2", "", "20240103", "two", "", ""}});
  }
  cli::test::ToolOutcome Cli(const std::vector<std::string>& args) {
    return cli::test::RunTool(dir_, args, Path("conf"));
  }
  bool NothingBesideThePageFile() {
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      const std::string n = e.path().filename().string();
      if (n != "conf" && n != "p.dbf" && n != "p.dbt" && n != "p.mdx" && n != "ro") return false;
    }
    return true;
  }
};

TEST_F(ToolPrint, BadArgumentsGiveTheUsageAndStatus2) {
  struct Case {
    std::vector<std::string> args;
    const char* why;
  } cases[] = {
      {{"print", "p.dbf"}, "ページファイルと出力する PDF を指定してください"},
      {{"print", "p.dbf", "o.pdf", "extra"}, "引数が多すぎます"},
      {{"print", "p.dbf", "o.pdf", "--colour", "red"}, "不明なオプション --colour"},
      {{"print", "p.dbf", "o.pdf", "--columns", "3"}, "--columns は 1 か 2 です"},
      {{"print", "p.dbf", "o.pdf", "--paper", "A3"}, "--paper は A4, A5, B4, B5 のどれかです"},
      {{"print", "p.dbf", "o.pdf", "--paper", "letter"}, "--paper は"},
      {{"print", "p.dbf", "o.pdf", "--font-size", "0"}, "--font-size は"},
      {{"print", "p.dbf", "o.pdf", "--font-size", "10pt"}, "--font-size は"},
      {{"print", "p.dbf", "o.pdf", "--vertical", "--horizontal"}, "一緒に指定できません"},
      {{"print", "p.dbf", "o.pdf", "--landscape", "--portrait"}, "一緒に指定できません"},
      {{"print", "p.dbf", "o.pdf", "--pictures", "left"}, "--pictures は"},
      {{"print", "p.dbf", "o.pdf", "--bag", "yes"}, "--bag は"},
      {{"print", "p.dbf", "o.pdf", "--fields", "title,colour"}, "--fields は"},
      {{"print", "p.dbf", "o.pdf", "--pages", "few"}, "--pages は all か 0 以上の数です"},
      {{"print", "p.dbf", "o.pdf", "--from-page", "0"}, "--from-page はページ番号です"},
      {{"print", "p.dbf", "o.pdf", "--from", "2024/01/01"}, "--from は YYYY-MM-DD"},
      {{"print", "p.dbf", "o.pdf", "--title"}, "--title に値がありません"},
  };
  for (const Case& c : cases) {
    const cli::test::ToolOutcome r = Cli(c.args);
    EXPECT_EQ(r.code, 2) << testing::PrintToString(c.args) << r.err;
    EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("print FILE.dbf OUT.pdf"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(NothingBesideThePageFile());
}

TEST_F(ToolPrint, AFileThatCannotBeUsedIsNamedWithStatus1) {
  std::filesystem::create_directory(Path("ro"));
  ::chmod(Path("ro").c_str(), 0555);
  struct Case {
    std::vector<std::string> args;
    const char* named;
  } cases[] = {
      {{"print", "missing.dbf", "o.pdf"}, "missing.dbf"},
      {{"print", "p.dbf", "no/such/folder/o.pdf"}, "no/such/folder/o.pdf"},
      {{"print", "p.dbf", "conf"}, "conf"},
      {{"print", "p.dbf", "ro/o.pdf"}, "ro/o.pdf"},
      {{"print", "p.dbf", "o.pdf", "--order", "NOSUCHTAG"}, "NOSUCHTAG"},
      {{"print", "p.dbf", "o.pdf", "--pages", "0"}, "p.dbf: 印刷するページがありません"},
      {{"print", "p.dbf", "o.pdf", "--category", "none"}, "p.dbf: 印刷するページがありません"},
  };
  for (const Case& c : cases) {
    if (c.args[2] == "ro/o.pdf" && ::geteuid() == 0) continue;  // root writes anywhere
    const cli::test::ToolOutcome r = Cli(c.args);
    EXPECT_EQ(r.code, 1) << testing::PrintToString(c.args) << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
  ::chmod(Path("ro").c_str(), 0755);
  EXPECT_TRUE(NothingBesideThePageFile());
  EXPECT_TRUE(std::filesystem::is_empty(Path("ro")));
}

// The sheets follow the stored settings, the options over them and the page choice.
TEST_F(ToolPrint, StoredSettingsOptionsAndPagesDecideTheSheets) {
  std::string text;
  for (int i = 0; i < 60; ++i)
    text += J("今日は朝から雨が降っていた。図書館で古い新聞を読んだ。\r\n");
  test::MakePageFile(Path("long.dbf"), {{"a", "L1", "", "20240101", text, "", ""},
                                        {"b", "L2", "", "20240102", text, "", ""},
                                        {"a", "L3", "", "20240103", text, "", ""}});
  auto sheets = [&](std::vector<std::string> options) {
    std::vector<std::string> args = {"print", "long.dbf", "out.pdf"};
    args.insert(args.end(), options.begin(), options.end());
    const cli::test::ToolOutcome r = Cli(args);
    EXPECT_EQ(r.code, 0) << testing::PrintToString(args) << r.err;
    EXPECT_EQ(ReadBytes(Path("out.pdf")).rfind("%PDF-", 0), 0u);
    const size_t at = r.err.find(" 枚を out.pdf に書き出しました");
    if (at == std::string::npos) return -1;
    const size_t line = r.err.rfind('\n', at);
    return std::atoi(r.err.c_str() + (line == std::string::npos ? 0 : line + 1));
  };
  const int all = sheets({});
  const int one = sheets({"--pages", "1"});
  EXPECT_GT(one, 0);
  EXPECT_GT(all, 2 * one);
  // Two pages of the same text, chosen by a selection or by a count from a page.
  const int two = sheets({"--category", "a"});
  EXPECT_EQ(two, sheets({"--pages", "2", "--from-page", "2"}));
  EXPECT_GT(two, one);
  EXPECT_LT(two, all);
  EXPECT_GT(sheets({"--paper", "a5"}), all);
  // Stored: from the current page (the first), one page; --pages all over it.
  {
    settings::SettingsStore reg(Path("conf/sorakumo.conf"));
    reg.OpenKey("\\Software\\sorakumo\\Print", true);
    reg.WriteBool("AllPage", false);
    reg.WriteInteger("PageCount", 1);
    reg.CloseKey();
    ASSERT_TRUE(reg.Sync().ok());
  }
  EXPECT_EQ(sheets({}), one);
  EXPECT_EQ(sheets({"--pages", "all"}), all);
  // Nothing is left beside the PDF.
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"conf", "long.dbf", "long.dbt", "long.mdx", "out.pdf",
                                          "p.dbf", "p.dbt", "p.mdx"}));
}

}  // namespace
}  // namespace sk::store
