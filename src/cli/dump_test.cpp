// sorakumo-tool dump: what each page becomes in TSV and JSON, and a failed write.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "store/test_util.h"

namespace sk::store {
namespace {

class DumpTest : public test::TempDirTest {
 protected:
  // Runs the tool; returns its exit status and puts its standard output in *out.
  int Run(const std::string& args, std::string* out) {
    FILE* f = popen((std::string(SORAKUMO_TOOL) + " " + args).c_str(), "r");
    if (!f) return -1;
    out->clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
    const int status = pclose(f);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(DumpTest, EscapesAndConvertsEveryField) {
  // 表 is 95 5C: its second byte is a backslash code and must not be escaped.  0x80 is no
  // character (a stand-in, U+F780), 0x01 a control.
  test::Page tricky{test::J("日記"), test::J("表\t\"x\"\\"),      "\x80",
                    "20240102",      "a\r\nb\x01" + test::J("ｱ"), "",
                    "\x05"};
  test::MakePageFile(Path("p.dbf"), {tricky, test::Page{}});

  struct Case {
    std::string args, want;
  };
  const Case cases[] = {
      {"",
       "1\t日記\t表\\t\"x\"\\\\\t\uF780\t2024-01-02\ta\\r\\nb\x01ｱ\t\t5\n"
       "2\t\t\t\t\t\t\t\n"},
      {"--format json",
       "{\"page\":1,\"BUNRUI\":\"日記\",\"TITLE\":\"表\\t\\\"x\\\"\\\\\",\"SUBTITLE\":\"\uF780\","
       "\"DATE\":\"2024-01-02\",\"TEXT\":\"a\\r\\nb\\u0001ｱ\",\"IMAGEFILE\":\"\",\"KEY\":\"5\"}\n"
       "{\"page\":2,\"BUNRUI\":\"\",\"TITLE\":\"\",\"SUBTITLE\":\"\",\"DATE\":\"\",\"TEXT\":\"\","
       "\"IMAGEFILE\":\"\",\"KEY\":\"\"}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    std::string out;
    EXPECT_EQ(Run("dump " + Path("p.dbf") + " " + c.args, &out), 0);
    EXPECT_EQ(out, c.want);
  }
}

TEST_F(DumpTest, AFailedWriteIsAFailure) {
  // Enough pages to fill the output buffer more than once.
  test::Page page{test::J("日記"), test::J("題"), "", "20240102", std::string(4000, 'x'), "", ""};
  test::MakePageFile(Path("p.dbf"), std::vector<test::Page>(600, page));
  std::string out;
  EXPECT_EQ(Run("dump " + Path("p.dbf") + " > /dev/full 2> /dev/null", &out), 1);
  EXPECT_EQ(Run("dump " + Path("p.dbf") + " > /dev/null", &out), 0);
}

}  // namespace
}  // namespace sk::store
