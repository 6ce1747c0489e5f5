// sorakumo-tool print: bad arguments end with the usage and status 2, a page file or target that
// cannot be used with a message naming it and status 1; neither leaves a file behind.  (The
// PDF itself is checked by the ctest print_pdf, with the PDF tools.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cli/tool_test_util.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

using test::J;

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

}  // namespace
}  // namespace sk::store
