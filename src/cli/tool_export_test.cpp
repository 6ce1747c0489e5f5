// sorakumo-tool export: the pages, order and selection of the options, the stored dialog settings
// when no option gives a choice, UTF-8 output, and nothing under the name when it fails.
#include <gtest/gtest.h>
#include <sys/wait.h>

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

class ToolExport : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::create_directory(Path("conf"));
    // Pages 1-4: categories a b a a, dates descending, titles T1..T4.
    test::MakePageFile(Path("p.dbf"), {{"a", "T1", "", "20240104", J("本文一"), "", ""},
                                       {"b", "T2", "", "20240103", "two", "", ""},
                                       {"a", "T3", "S3", "20240102", "three\r\nlines", "", ""},
                                       {"a", "T4", "", "20240101", "", "", ""}});
  }
  using Outcome = cli::test::ToolOutcome;
  // Runs the tool in the test's folder with its own settings folder.
  Outcome Cli(const std::vector<std::string>& args) {
    return cli::test::RunTool(dir_, args, Path("conf"));
  }
  // The titles in a text export (the lines after "●タイトル = ").
  std::string Titles(const std::string& file) {
    const std::string key = J("●タイトル = ");
    std::string data = ReadBytes(Path(file)), out;
    for (size_t p = data.find(key); p != std::string::npos; p = data.find(key, p + 1))
      out += data.substr(p + key.size(), data.find('\n', p) - p - key.size()) + " ";
    return out;
  }
};

TEST_F(ToolExport, PagesOrderAndSelectionFromTheOptions) {
  struct Case {
    std::vector<std::string> options;
    const char* titles;
  } cases[] = {
      {{}, "T1 T2 T3 T4 "},
      {{"--order", "D"}, "T4 T3 T2 T1 "},
      {{"--category", "a", "--order", "D"}, "T4 T3 T1 "},
      {{"--from", "2024-01-02", "--to", "2024-01-03"}, "T2 T3 "},
      {{"--pages", "2", "--from-page", "3"}, "T3 T4 "},
      {{"--pages", "5", "--from-page", "3", "--order", "D"}, "T3 T2 T1 "},
      {{"--pages", "0"}, ""},
      // A first page outside the selection: the pages start at its neighbour in the order.
      {{"--category", "a", "--pages", "2", "--from-page", "2"}, "T3 T4 "},
      {{"--category", "a", "--order", "D", "--pages", "5", "--from-page", "2"}, "T1 "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"export", "text", "p.dbf", "out.txt"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    Outcome r = Cli(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Titles("out.txt"), c.titles) << testing::PrintToString(c.options);
  }
}

TEST_F(ToolExport, StoredSettingsOptionsAndUtf8) {
  // The dialog's stored settings hold without options: only the title line, no empty line.
  {
    settings::SettingsStore reg(Path("conf/sorakumo.conf"));
    reg.OpenKey(settings::kRootKey, true);
    for (const char* n : {"SaveTextSaveBunrui", "SaveTextSaveChosha", "SaveTextSaveDate",
                          "SaveTextSaveImageFileName", "SaveTextSaveText"})
      reg.WriteBool(n, false);
    reg.WriteInteger("SaveTextPageKan", 0);
    reg.WriteInteger("TypeOfDateForTextOutput", 9);
    reg.CloseKey();
    ASSERT_TRUE(reg.Sync().ok());
  }
  ASSERT_EQ(Cli({"export", "text", "p.dbf", "a.txt", "--pages", "1"}).code, 0);
  EXPECT_EQ(ReadBytes(Path("a.txt")), J("●タイトル = T1\n"));
  // Options over the stored values: the date in the stored style 9, the text, UTF-8.
  ASSERT_EQ(
      Cli({"export", "text", "p.dbf", "b.txt", "--pages", "1", "--fields", "date,text", "--utf8"})
          .code,
      0);
  EXPECT_EQ(ReadBytes(Path("b.txt")), "●二〇二四年一月四日\n本文一\n");
  ASSERT_EQ(Cli({"export", "text", "p.dbf", "c.txt", "--pages", "1", "--fields", "date",
                 "--date-style", "4", "--empty-lines", "1"})
                .code,
            0);
  EXPECT_EQ(ReadBytes(Path("c.txt")), J("●January 4, 2024\n\n"));
}

TEST_F(ToolExport, HtmlAndTexFiles) {
  ASSERT_EQ(Cli({"export", "html", "p.dbf", "p.html", "--title", "日誌"}).code, 0);
  const std::string html = ReadBytes(Path("p.html"));
  EXPECT_EQ(html.rfind("<HTML>\n<HEAD>\n", 0), 0u);
  EXPECT_NE(html.find(J("日誌")), std::string::npos);
  EXPECT_NE(html.find("three\n<BR>\nlines"), std::string::npos);
  ASSERT_EQ(
      Cli({"export", "tex", "p.dbf", "p.tex", "--paper", "a5", "--vertical", "--landscape"}).code,
      0);
  EXPECT_EQ(ReadBytes(Path("p.tex")).rfind("\\documentstyle[a5j,fleqn,tascmac]{tarticle}\n", 0),
            0u);
}

// "-" writes to standard output, through a pipe as in a shell: the same bytes as the file, the
// count on stderr, nothing left in the folder.
TEST_F(ToolExport, DashWritesToStandardOutput) {
  for (const char* kind : {"text", "html"}) {
    SCOPED_TRACE(kind);
    ASSERT_EQ(Cli({"export", kind, "p.dbf", "file.out"}).code, 0);
    const std::string cmd = "cd '" + dir_ + "' && SORAKUMO_CONFIG_DIR='" + Path("conf") +
                            "' '" SORAKUMO_TOOL "' export " + kind +
                            " p.dbf - 2>err.txt | cat >piped.out";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(Path("piped.out")), ReadBytes(Path("file.out")));
    EXPECT_NE(ReadBytes(Path("err.txt")).find("4 ページを 標準出力 に書き出しました"),
              std::string::npos)
        << ReadBytes(Path("err.txt"));
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"conf", "err.txt", "file.out", "p.dbf", "p.dbt",
                                            "p.mdx", "piped.out"}));
  }
  // A stored page count applies as with a file.
  Outcome r = Cli({"export", "text", "p.dbf", "-", "--pages", "1"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("T1"), std::string::npos);
  EXPECT_EQ(r.out.find("T2"), std::string::npos);
}

TEST_F(ToolExport, BadArgumentsAndFailuresWriteNothing) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"export", "pdf", "p.dbf", "x"},
           {"export", "text", "p.dbf"},
           {"export", "text", "p.dbf", "x", "--date-style", "11"},
           {"export", "text", "p.dbf", "x", "--fields", "colour"},
           {"export", "text", "p.dbf", "x", "--from", "2024/01/01"},
           {"export", "tex", "p.dbf", "x", "--paper", "a3"},
       }) {
    Outcome r = Cli(args);
    EXPECT_EQ(r.code, 2) << testing::PrintToString(args) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("x")));
  Outcome r = Cli({"export", "text", "missing.dbf", "y.txt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("y.txt")));
  r = Cli({"export", "text", "p.dbf", "no/such/folder/y.txt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no/such/folder/y.txt"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace sk::store
