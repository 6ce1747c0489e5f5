// sorakumo-tool import and merge as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "cli/tool_common.h"
#include "cli/tool_test_util.h"
#include "store/check.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

using test::J;
using test::Page;

using Outcome = cli::test::ToolOutcome;

class ToolImport : public test::TempDirTest {
 protected:
  Outcome Cli(const std::vector<std::string>& args) { return cli::test::RunTool(dir_, args); }
  std::vector<Page> ReadAll(const std::string& name) {
    Table t;
    Status st = t.Open(Path(name), PageFileOptions(true));
    EXPECT_TRUE(st.ok()) << st.message();
    std::vector<Page> v;
    for (st = t.First(); st.ok() && !t.Eof(); st = t.Next()) v.push_back(test::ReadPage(t));
    return v;
  }
  static bool Has(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
  }
};

constexpr const char* kSplitMessage =
    "ファイルのデータが長すぎたので，ページを分割してインプットしました。";

TEST_F(ToolImport, LongFileBecomesPagesTitledWithItsName) {
  test::MakePageFile(Path("Main.dbf"),
                     {{"", "one", "", "", "", "", ""}, {"", "two", "", "", "", "", ""}});
  // 1000 CP932 lines of 68 bytes with LF ends: 70,000 bytes once the ends are CR LF.
  std::string file, want;
  for (int i = 0; i < 1000; ++i) {
    std::string line = J("行") + std::to_string(i);
    line.resize(68, 'x');
    file += line + "\n";
    want += line + "\r\n";
  }
  test::WriteBytes(Path("long.txt"), file);
  Outcome r = Cli({"import", "Main.dbf", "long.txt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3\n4\n5\n");
  EXPECT_TRUE(Has(r.err, kSplitMessage)) << r.err;
  EXPECT_FALSE(Has(r.err, "UTF-8")) << r.err;

  auto pages = ReadAll("Main.dbf");
  ASSERT_EQ(pages.size(), 5u);
  std::string joined;
  for (size_t i = 2; i < 5; ++i) {
    EXPECT_EQ(pages[i].title, "long.txt");
    EXPECT_EQ(pages[i].date, cli::Today());
    EXPECT_EQ(pages[i].bunrui, "");
    EXPECT_LE(pages[i].text.size(), 30000u);
    joined += pages[i].text;
  }
  EXPECT_EQ(joined, want);
  EXPECT_EQ(CheckTableFiles(Path("Main.dbf")), std::vector<std::string>{});
}

TEST_F(ToolImport, AppendToAPage) {
  const Page diary{J("分類"), J("日記"), J("副"), "20240315", std::string(29980, 'a'),
                   "a.jpg",   "\x41"};
  test::MakePageFile(Path("Main.dbf"), {{"", "short", "", "", "abc\r\n", "", ""}, diary});

  // A small file goes at the end of the page's text.
  test::WriteBytes(Path("small.txt"), "x\ny");
  Outcome r = Cli({"import", "Main.dbf", "small.txt", "--append-to", "1"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadAll("Main.dbf")[0].text, "abc\r\nx\r\ny\r\n");

  // Near the limit: one more line fits, the rest goes to a continuation page.
  std::string file, rest;
  for (int i = 0; i < 300; ++i) {
    std::string line = std::to_string(i);
    line.resize(10, '-');
    file += line + "\r\n";
    if (i > 0) rest += line + "\r\n";
  }
  test::WriteBytes(Path("more.txt"), file);
  r = Cli({"import", "Main.dbf", "more.txt", "--append-to", "2"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2\n3\n");
  EXPECT_TRUE(Has(r.err, kSplitMessage)) << r.err;
  auto pages = ReadAll("Main.dbf");
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[1].text, diary.text + "0---------\r\n");
  EXPECT_EQ(pages[2], (Page{J("分類"), J("日記(追加1)"), J("副"), "20240315", rest, "", ""}));

  // Errors: a page that does not exist, a number that is none, a file that does not exist.
  const auto before = test::ReadBytes(Path("Main.dbf"));
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  } cases[] = {
      {{"import", "Main.dbf", "small.txt", "--append-to", "9"}, 1, "9"},
      {{"import", "Main.dbf", "small.txt", "--append-to", "x"}, 2, "--append-to"},
      {{"import", "Main.dbf", "none.txt"}, 1, "none.txt は存在しません。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    r = Cli(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(test::ReadBytes(Path("Main.dbf")), before);
}

TEST_F(ToolImport, Utf8FileIsConverted) {
  test::MakePageFile(Path("Main.dbf"), {});
  test::WriteBytes(Path("日記メモ.txt"), "今日は晴れ😀\n明日は雨🌂\r\n");
  Outcome r = Cli({"import", "Main.dbf", "日記メモ.txt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1\n");
  EXPECT_TRUE(Has(r.err, "UTF-8 から変換しました")) << r.err;
  EXPECT_TRUE(Has(r.err, "2 文字を〓に置き換えました")) << r.err;
  EXPECT_FALSE(Has(r.err, kSplitMessage));
  auto pages = ReadAll("Main.dbf");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].title, J("日記メモ.txt"));
  EXPECT_EQ(pages[0].text, J("今日は晴れ〓\r\n明日は雨〓\r\n"));
}

// A file that is no text (a program, here a copy of one) is refused, naming it; nothing is added,
// by import or by append --text-file.
TEST_F(ToolImport, AFileOfNoTextIsRefused) {
  test::MakePageFile(Path("Main.dbf"), {{"", "one", "", "", "", "", ""}});
  std::string program = test::ReadBytes("/bin/ls");
  ASSERT_NE(program.find('\0'), std::string::npos);
  test::WriteBytes(Path("ls"), program);
  const std::string before = test::ReadBytes(Path("Main.dbf"));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"import", "Main.dbf", "ls"},
        std::vector<std::string>{"import", "Main.dbf", "ls", "--append-to", "1"},
        std::vector<std::string>{"append", "Main.dbf", "--title", "x", "--text-file", "ls"}}) {
    SCOPED_TRACE(args[0]);
    Outcome r = Cli(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Has(r.err, "ls はテキストファイルではない")) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(test::ReadBytes(Path("Main.dbf")), before);
}

// append --text-file reads Shift-JIS and UTF-8 files as the import does.
TEST_F(ToolImport, AppendReadsItsTextFileInEitherEncoding) {
  test::MakePageFile(Path("Main.dbf"), {});
  const std::string sj = J("今日の日記\r\nﾊｲ ﾃｽ\r\n");
  test::WriteBytes(Path("sj.txt"), sj);
  test::WriteBytes(Path("u8.txt"), "今日の日記\nﾊｲ ﾃｽ\n");
  test::WriteBytes(Path("kana.txt"), "\xCA\xB2\x20\xC3\xBD");
  for (const char* f : {"sj.txt", "u8.txt", "kana.txt"}) {
    Outcome r = Cli({"append", "Main.dbf", "--title", f, "--text-file", f});
    EXPECT_EQ(r.code, 0) << f << ": " << r.err;
  }
  auto pages = ReadAll("Main.dbf");
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].text, sj);
  EXPECT_EQ(pages[1].text, sj);
  EXPECT_EQ(pages[2].text, "\xCA\xB2\x20\xC3\xBD");
}

TEST_F(ToolImport, MergeAppendsAnotherPageFile) {
  std::vector<Page> main, other;
  for (int i = 0; i < 10; ++i)
    main.push_back({"m", "main" + std::to_string(i), "", "", "", "", ""});
  for (int i = 0; i < 3; ++i)
    other.push_back(
        {J("新"), "other" + std::to_string(i), "s", "20200101", J("本文"), "p.jpg", "\x21"});
  test::MakePageFile(Path("Main.dbf"), main);
  test::MakePageFile(Path("Other.dbf"), other);
  Outcome r = Cli({"merge", "Main.dbf", "Other.dbf"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3\n");
  auto pages = ReadAll("Main.dbf");
  ASSERT_EQ(pages.size(), 13u);
  EXPECT_EQ(std::vector<Page>(pages.begin() + 10, pages.end()), other);

  r = Cli({"merge", "Main.dbf", "Main.dbf"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Has(r.err, "Main.dbf")) << r.err;
  EXPECT_EQ(ReadAll("Main.dbf").size(), 13u);

  // A source whose memo file ends early: nothing comes in, and the page file checks clean.
  std::vector<Page> long_pages(60, Page{"", "long", "", "", std::string(3000, 'x'), "", ""});
  test::MakePageFile(Path("Cut.dbf"), long_pages);
  std::filesystem::resize_file(Path("Cut.dbt"), 512 * 100);
  const std::string dbf = test::ReadBytes(Path("Main.dbf")),
                    dbt = test::ReadBytes(Path("Main.dbt"));
  r = Cli({"merge", "Main.dbf", "Cut.dbf"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Has(r.err, "Cut.dbt")) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(test::ReadBytes(Path("Main.dbf")), dbf);
  EXPECT_EQ(test::ReadBytes(Path("Main.dbt")), dbt);
  r = Cli({"check", "Main.dbf"});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
}

}  // namespace
}  // namespace sk::store
