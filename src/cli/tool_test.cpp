// sorakumo-tool as a user runs it: commands that only read never change a byte, whatever state
// the index is in; every notice reaches stderr; the command line takes help and odd file names.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "cli/tool_test_util.h"
#include "store/check.h"
#include "store/file_io.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

using Outcome = cli::test::ToolOutcome;

class Tool : public test::TempDirTest {
 protected:
  // Runs the tool in the test's folder with the arguments (shell-quoted here).
  Outcome Cli(const std::vector<std::string>& args) { return cli::test::RunTool(dir_, args); }
  // n pages titled "<prefix>NNN" (100 and up), scrambled; the record numbers in title order.
  static std::vector<int> Make(const std::string& path, const std::string& prefix, int n = 30) {
    return test::MakeTitledPages(path, n, prefix, 100);
  }
  // Every file in the folder with its bytes.
  std::map<std::string, std::string> Folder() {
    std::map<std::string, std::string> m;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      m[e.path().filename().string()] = test::ReadBytes(e.path().string());
    return m;
  }
  static uint32_t RootOfT(const std::string& mdx) { return test::TagRoot(mdx, "T"); }
  static std::vector<int> FirstColumn(const std::string& tsv) {
    std::vector<int> v;
    size_t p = 0;
    while (p < tsv.size()) {
      v.push_back(std::atoi(tsv.c_str() + p));
      p = tsv.find('\n', p);
      if (p == std::string::npos) break;
      ++p;
    }
    return v;
  }
};

TEST_F(Tool, ReadCommandsNeverWrite) {
  struct Case {
    const char* name;
    std::function<void(const std::string& dbf, const std::string& mdx)> spoil;
  } cases[] = {
      {"no index",
       [](const std::string&, const std::string& mdx) { std::filesystem::remove(mdx); }},
      {"stale index",
       [](const std::string&, const std::string& mdx) {
         test::Patch(mdx, 56, std::string("\x02\0\0\0", 4));
       }},
      {"damaged index",
       [](const std::string&, const std::string& mdx) {
         // The root of tag T claims more keys than a block holds.
         test::Patch(mdx, size_t(RootOfT(mdx)) * 512, std::string("\xE8\x03\0\0", 4));
       }},
      {"another table's index",
       [](const std::string& dbf, const std::string& mdx) {
         std::string other = GetDir(dbf) + "/Other.dbf";
         test::MakePageFile(
             other, std::vector<test::Page>(30, test::Page{"o", "other", "", "", "", "", ""}));
         test::WriteBytes(mdx, test::ReadBytes(SiblingPath(other, "mdx")));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directory(dir_);
    std::string dbf = Path("Sample.dbf");
    std::vector<int> want = Make(dbf, "t");
    c.spoil(dbf, SiblingPath(dbf, "mdx"));
    const auto before = Folder();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"info", "Sample.dbf"},
                                                 {"dump", "Sample.dbf"},
                                                 {"dump", "Sample.dbf", "--order", "T"},
                                                 {"check", "Sample.dbf"}}) {
      SCOPED_TRACE(args[0] + (args.size() > 2 ? " --order T" : ""));
      Outcome r = Cli(args);
      EXPECT_EQ(Folder(), before) << "a read command changed the files";
      if (args[0] == "check") {
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.out.find("Sample.mdx"), std::string::npos) << r.out;
        continue;
      }
      EXPECT_EQ(r.code, 0) << r.err;
      EXPECT_NE(r.err.find("お知らせ: Sample.mdx"), std::string::npos) << r.err;
      if (args.size() > 2) {
        EXPECT_EQ(FirstColumn(r.out), want);
      }
    }
    // On purpose, the index is rebuilt.
    Outcome r = Cli({"reindex", "Sample.dbf"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
    r = Cli({"dump", "Sample.dbf", "--order", "T"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(FirstColumn(r.out), want);
  }
}

TEST_F(Tool, AppendReportsTheIndexItRebuilt) {
  std::string dbf = Path("a.dbf"), mdx = Path("a.mdx");
  Make(dbf, "t", 300);
  // The sixth of 17 leaves of tag T (titles t190 to t207) claims more keys than a block holds;
  // the open looks up keys elsewhere, the new page's key goes there.
  uint32_t root = RootOfT(mdx);
  uint32_t leaf = Get32(reinterpret_cast<const unsigned char*>(test::ReadBytes(mdx).data()) +
                        size_t(root) * 512 + 8 + 5 * 56);
  test::Patch(mdx, size_t(leaf) * 512, std::string("\xE8\x03\0\0", 4));
  Outcome r = Cli({"append", "a.dbf", "--title", "t195x"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "301\n");
  EXPECT_NE(r.err.find("お知らせ: a.mdx"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("作り直しました"), std::string::npos) << r.err;
  EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
}

TEST_F(Tool, HugeNextFreeMemoBlockIsNotTrusted) {
  std::string dbf = Path("m.dbf"), dbt = Path("m.dbt");
  Make(dbf, "t");
  test::Patch(dbt, 0, std::string("\x40\x42\x0F\0", 4));  // 1,000,000
  Outcome r = Cli({"check", "m.dbf"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("m.dbt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1000000"), std::string::npos) << r.out;
  const auto size = std::filesystem::file_size(dbt);
  test::WriteBytes(Path("t.txt"), "a new page\n");
  ASSERT_EQ(Cli({"append", "m.dbf", "--title", "x", "--text-file", "t.txt"}).code, 0);
  EXPECT_LT(std::filesystem::file_size(dbt), size + 64 * 1024);
  EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
}

TEST_F(Tool, SlimAndBackup) {
  std::string dbf = Path("s.dbf");
  Make(dbf, "t", 10);
  {
    Table t;
    ASSERT_TRUE(t.Open(dbf, PageFileOptions()).ok());
    for (uint32_t r : {3u, 7u}) {
      ASSERT_TRUE(t.GotoBookmark(r).ok());
      ASSERT_TRUE(t.Delete().ok());
    }
    ASSERT_TRUE(t.Close().ok());
  }
  Outcome r = Cli({"slim", "s.dbf"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "8\n");
  EXPECT_EQ(r.err, "") << "no progress when stderr is not a terminal";
  EXPECT_EQ(CheckTableFiles(dbf), std::vector<std::string>{});
  EXPECT_EQ(FirstColumn(Cli({"dump", "s.dbf"}).out), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Cli({"backup", "s.dbf", "--depth", "2"}).out, "1\n");
  // Unchanged since: the newest backup holds it already.
  EXPECT_EQ(Cli({"backup", "s.dbf", "--depth", "2"}).out, "1\n");
  EXPECT_FALSE(std::filesystem::exists(Path("BackUp/s.DBF2")));
  EXPECT_EQ(Cli({"append", "s.dbf", "--title", "new"}).code, 0);
  EXPECT_EQ(Cli({"backup", "s.dbf", "--depth", "2"}).out, "2\n");
  EXPECT_TRUE(std::filesystem::exists(Path("BackUp/s.MDX2")));
  EXPECT_EQ(Cli({"backup", "s.dbf", "--depth", "10"}).code, 2);
  r = Cli({"slim", "missing.dbf"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("missing.dbf"), std::string::npos) << r.err;
  EXPECT_EQ(Cli({"backup", "missing.dbf"}).code, 1);
}

TEST_F(Tool, CommandLine) {
  for (const char* cmd : {"new", "append", "dump", "info", "check", "reindex", "generate", "slim",
                          "backup", "search"}) {
    for (const char* help : {"-h", "--help"}) {
      SCOPED_TRACE(std::string(cmd) + " " + help);
      Outcome r = Cli({cmd, help});
      EXPECT_EQ(r.code, 0);
      EXPECT_NE(r.out.find(std::string(cmd) + " FILE.dbf"), std::string::npos) << r.out;
      EXPECT_TRUE(Folder().empty()) << "help created a file";
    }
  }
  EXPECT_EQ(Cli({"--help"}).code, 0);
  // A name beginning with "-" is an option unless it comes after "--".
  Outcome r = Cli({"new", "-x.dbf"});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(Folder().empty());
  r = Cli({"new", "--", "-x.dbf"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(Path("-x.dbf")));
  EXPECT_EQ(Cli({"info", "--", "-x.dbf"}).code, 0);
  EXPECT_EQ(Cli({"new", "a.dbf", "b.dbf"}).code, 2);
  EXPECT_EQ(Cli({"dump", "-x.dbf", "--order"}).code, 2);
  // A folder is named as one.
  std::filesystem::create_directory(Path("pages"));
  r = Cli({"check", "pages"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("pages: フォルダーです"), std::string::npos) << r.out;
}

TEST_F(Tool, Search) {
  // Titles c b a: title order 3 2 1.
  test::MakePageFile(Path("p.dbf"), {{"k", "c", "", "", "one XX two", "IMG_1.JPG", ""},
                                     {"k", "b", "Sub", "", "nothing", "", ""},
                                     {"k", "a", "", "", "xx and yy", "", ""},
                                     {"k", "d", "", "", test::J("表") + " yy \\", "", ""}});
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string out;
  };
  const Case cases[] = {
      {{"xx"}, 0, "1\t4\n3\t0\n"},
      {{"xx", "--match-case"}, 0, "3\t0\n"},
      {{"XX", "--match-case"}, 0, "1\t4\n"},
      {{"xx", "--order", "T"}, 0, "3\t0\n1\t4\n"},
      {{"xx&yy"}, 0, "3\t0\n"},
      {{"two|nothing"}, 0, "1\t7\n2\t0\n"},
      {{"表"}, 0, "4\t0\n"},
      {{"\\"}, 0, "4\t6\n"},  // never the trail byte of 表
      {{"A", "--fields", "title"}, 0, "3\t0\n"},
      {{"sub", "--fields", "subtitle"}, 0, "2\t0\n"},
      {{"img_1", "--fields", "image", "--match-case"}, 0, "1\t0\n"},
      {{"cimg", "--fields", "all"}, 1, ""},
      {{"jpg\x01one", "--fields", "all"}, 0, "1\t9\n"},
      {{"nowhere"}, 1, ""},
      // Nothing to look for is an error, not "nothing found".
      {{""}, 2, ""},
      {{"|"}, 2, ""},
      {{"&&"}, 2, ""},
      {{"|", "--fields", "title"}, 2, ""},
      {{"xx", "--fields", "body"}, 2, ""},
      {{"\xF0\x9F\x98\x80"}, 2, ""},
      {{"xx", "--order", "NOTAG"}, 2, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"search", "p.dbf"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE("'" + c.args[0] + "'" + (c.args.size() > 1 ? " " + c.args[1] : ""));
    Outcome r = Cli(args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.out, c.out);
    if (c.code == 2) {
      EXPECT_NE(r.err, "");
    }
  }
  EXPECT_NE(Cli({"search", "p.dbf", "\xF0\x9F\x98\x80"}).err.find("U+1F600"), std::string::npos);
  EXPECT_EQ(Cli({"search", "missing.dbf", "x"}).code, 2);
  EXPECT_EQ(Cli({"search", "p.dbf"}).code, 2);
  EXPECT_EQ(Cli({"search", "p.dbf", "a", "b"}).code, 2);

  // The sample pages.
  Outcome r = Cli({"search", SORAKUMO_SOURCE_DIR "/data/Sample.dbf", "そらくも"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 5), "1\t21\n");
  r = Cli({"search", SORAKUMO_SOURCE_DIR "/data/Sample.dbf", "HILL", "--fields", "all"});
  EXPECT_EQ(r.out, "3\t10\n7\t6\n28\t10\n");
  EXPECT_EQ(Cli({"search", SORAKUMO_SOURCE_DIR "/data/Sample.dbf", "HILL", "--fields", "all",
                 "--match-case"})
                .code,
            1);
}

}  // namespace
}  // namespace sk::store
