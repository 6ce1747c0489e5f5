#include "store/keys.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/page_file.h"

namespace sk::store {
namespace {

// A page record (deletion byte first) with the given fields; others blank.
std::string Record(const std::string& bunrui, const std::string& title, const std::string& date) {
  std::string rec(150, ' ');
  rec.replace(1, bunrui.size(), bunrui);
  rec.replace(21, title.size(), title);
  rec.replace(121, date.size(), date);
  return rec;
}

TagDef PageTag(const std::string& name) {
  for (const auto& s : PageFileTags())
    if (s.name == name) {
      TagDef t;
      Status st = ParseTag(s.name, s.expr, s.is_expr, PageRecordFields(), &t);
      EXPECT_TRUE(st.ok()) << st.message();
      return t;
    }
  ADD_FAILURE() << name;
  return {};
}

TEST(Keys, UpperRaisesHalfWidthLettersOnly) {
  struct Case {
    const char* name;
    std::string title, upper;
  } cases[] = {
      {"ascii", "abcXyz-09", "ABCXYZ-09"},
      {"full-width a kept", "\x82\x81x", "\x82\x81X"},
      {"trail byte 0x5C kept",
       "\x83\x5C"
       "a",
       "\x83\x5C"
       "A"},
      {"trail bytes in a-z kept", "\x83\x61\x83\x7A\x88\x61z", "\x83\x61\x83\x7A\x88\x61Z"},
      {"half-width katakana kept",
       "\xB1"
       "b",
       "\xB1"
       "B"},
  };
  TagDef t = PageTag("T");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string want = c.upper;
    want.resize(50, ' ');
    EXPECT_EQ(MakeKey(t, PageRecordFields(), Record("", c.title, "")), want);
  }
}

TEST(Keys, DatesInKeys) {
  EXPECT_EQ(JulianDay(2024, 1, 31), 2460341.0);
  EXPECT_EQ(JulianDay(2000, 1, 1), 2451545.0);
  auto fields = PageRecordFields();
  TagDef sd = PageTag("SD"), d = PageTag("D");
  struct Case {
    std::string date;
    std::string dtos;
    double jd;
  } cases[] = {
      {"20240131", "20240131", 2460341.0},
      {"        ", "        ", 0.0},
      {"20230230", "        ", 0.0},  // not a date: blank
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    std::string rec = Record("", "", c.date);
    EXPECT_EQ(MakeKey(sd, fields, rec).substr(50), c.dtos);
    std::string k = MakeKey(d, fields, rec);
    ASSERT_EQ(k.size(), 8u);
    double jd;
    memcpy(&jd, k.data(), 8);
    EXPECT_EQ(jd, c.jd);
  }
  // Blank dates sort first in a date tag.
  std::string blank = MakeKey(d, fields, Record("", "", "")),
              some = MakeKey(d, fields, Record("", "", "19000101"));
  EXPECT_LT(CompareKeys(d, reinterpret_cast<const unsigned char*>(blank.data()),
                        reinterpret_cast<const unsigned char*>(some.data())),
            0);
}

TEST(Keys, PageTagLengths) {
  struct Case {
    const char* tag;
    int key_len;
    char type;
  } cases[] = {{"SD", 58, 'C'}, {"TD", 58, 'C'}, {"BD", 28, 'C'}, {"S", 50, 'C'},
               {"T", 50, 'C'},  {"B", 20, 'C'},  {"D", 8, 'D'},   {"BT", 70, 'C'},
               {"BS", 70, 'C'}, {"TS", 100, 'C'}};
  for (const auto& c : cases) {
    TagDef t = PageTag(c.tag);
    EXPECT_EQ(t.key_len, c.key_len) << c.tag;
    EXPECT_EQ(t.type, c.type) << c.tag;
    EXPECT_EQ(t.item_len() % 4, 0) << c.tag;
  }
  EXPECT_EQ(PageTag("BT").item_len(), 76);
}

TEST(Keys, BadExpressionsAreRejected) {
  const char* bad[] = {"LOWER(TITLE)", "UPPER(NOPE)", "DTOS(TITLE)", "UPPER(DATE)", "UPPER(TITLE"};
  for (const char* e : bad) {
    TagDef t;
    EXPECT_FALSE(ParseTag("X", e, true, PageRecordFields(), &t).ok()) << e;
  }
}

}  // namespace
}  // namespace sk::store
