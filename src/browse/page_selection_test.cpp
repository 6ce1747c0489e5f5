#include "browse/page_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "convert/sjis.h"
#include "store/test_util.h"

namespace sk::browse {
namespace {

using store::Date;
using store::Table;
using store::test::J;
using store::test::Page;

PageSelection TitleSel(const std::string& needle) {
  PageSelection s;
  s.TitleSelectMode = true;
  s.SelTitle = needle;
  return s;
}

// The title condition, on stored titles padded as the record holds them.  Each case is also run
// through the filter on raw records below.
struct TitleCase {
  const char* what;
  std::string title, needle;
  bool match;
};

std::vector<TitleCase> TitleCases() {
  return {
      {"upper-case title, trimmed lower needle", "xABCx", "abc", true},
      {"equal", "abc", "abc", true},
      {"blank inside", "a bc", "abc", false},
      {"padding is not part of the title", "abc", "c ", false},
      {"padding is not part of the title (trailing blanks given)", "abc   ", "bc", true},
      {"a blank inside the title does match", "ab c", "b c", true},
      {"upper-case needle never matches a letter", "abc", "ABC", false},
      {"full-width Latin", J("ＸＡＢＣ"), J("ａｂ"), true},
      {"full-width lower in the title", J("ａｂｃ"), J("ａｂｃ"), true},
      {"full-width is not half-width", J("ＡＢＣ"), "abc", false},
      {"Greek", J("ΑΒΓ"), J("βγ"), true},
      {"Cyrillic across the gap at 0x847F", J("ДОМ"), J("дом"), true},
      {"Cyrillic lower kept", J("дом"), J("дом"), true},
      {"trail byte 'A' of ア is no letter", J("ア"), "a", false},
      {"trail byte 'a' of ヂ is not a match start", J("ヂ"), "a", false},
      {"trail byte 0x5C of ソ", J("ソ"), "\\", false},
      {"trail byte 0x5C of 表", J("表示"), "\\", false},
      {"a real backslash", "a\\b", "\\", true},
      {"needle across a character boundary", J("アイ"), std::string("\x41\x83", 2), false},
      {"kana needle", J("旅の計画 12"), J("計画 1"), true},
      {"lone lead at the needle's end before a trail byte", J("ア"), "\x83", false},
      {"lone lead at the title's end", "x\x83", "\x83", true},
      {"half-width katakana", J("ｱｲｳ"), J("ｲｳ"), true},
      {"empty title contains nothing", "", "a", false},
      {"empty needle matches nothing", "abc", "", false},
      {"second occurrence on a boundary", J("ヂa"), "a", true},
  };
}

TEST(PageSelectionMatches, TitleTable) {
  for (const auto& c : TitleCases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TitleSel(c.needle).Matches("", std::nullopt, c.title, ""), c.match);
    // The subtitle condition is the same test on the other field.
    PageSelection s;
    s.ChoshaSelectMode = true;
    s.SelChosha = c.needle;
    EXPECT_EQ(s.Matches("", std::nullopt, "", c.title), c.match);
  }
}

TEST(PageSelectionMatches, CategoryDateAndCombination) {
  PageSelection cat;
  cat.BunruiSelectMode = true;
  cat.SelBunruiList = {"memo", J("日記"), J("ＭＹ")};
  PageSelection dates;
  dates.DateSelectMode = true;
  dates.SelStartDate = {2024, 1, 5};
  dates.SelEndDate = {2024, 2, 29};
  PageSelection all = cat;
  all.DateSelectMode = true;
  all.SelStartDate = dates.SelStartDate;
  all.SelEndDate = dates.SelEndDate;
  all.TitleSelectMode = true;
  all.SelTitle = "x";
  struct Case {
    const char* what;
    const PageSelection& sel;
    std::string bunrui;
    std::optional<Date> date;
    std::string title;
    bool match;
  } cases[] = {
      {"category differing in case", cat, "Memo", {}, "", true},
      {"category upper", cat, "MEMO  ", {}, "", true},
      {"category full-width case", cat, J("ｍｙ"), {}, "", true},
      {"category prefix only", cat, "mem", {}, "", false},
      {"category longer", cat, "memo2", {}, "", false},
      {"kanji category", cat, J("日記"), {}, "", true},
      {"empty category", cat, "", {}, "", false},
      {"first day", dates, "", Date{2024, 1, 5}, "", true},
      {"last day", dates, "", Date{2024, 2, 29}, "", true},
      {"day before", dates, "", Date{2024, 1, 4}, "", false},
      {"day after", dates, "", Date{2024, 3, 1}, "", false},
      {"later year, earlier month", dates, "", Date{2025, 1, 1}, "", false},
      {"blank date", dates, "", std::nullopt, "", false},
      {"all three hold", all, "memo", Date{2024, 2, 1}, "aXb", true},
      {"title fails", all, "memo", Date{2024, 2, 1}, "ab", false},
      {"date fails", all, "memo", Date{2023, 2, 1}, "x", false},
      {"category fails", all, "other", Date{2024, 2, 1}, "x", false},
      {"nothing active", PageSelection{}, "", std::nullopt, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.sel.Matches(c.bunrui, c.date, c.title, ""), c.match);
  }
  PageSelection none = cat;
  none.SelBunruiList.clear();
  EXPECT_FALSE(none.Matches("memo", std::nullopt, "", ""));
  PageSelection empty_name = cat;
  empty_name.SelBunruiList = {""};
  EXPECT_TRUE(empty_name.Matches("  ", std::nullopt, "", ""));
}

TEST(PageSelectionDates, ParseAndFormat) {
  struct Case {
    const char* text;
    std::optional<Date> date;
  } cases[] = {
      {" 2024/1/5 ", Date{2024, 1, 5}},
      {"2024/01/05", Date{2024, 1, 5}},
      {"1900/1/1", Date{1900, 1, 1}},
      {"2024/2/29", Date{2024, 2, 29}},
      {"2000/2/29", Date{2000, 2, 29}},
      {"9999/12/31", Date{9999, 12, 31}},
      {"1/1/1", Date{1, 1, 1}},
      {"2023/2/29", std::nullopt},
      {"1900/2/29", std::nullopt},
      {"2024/2/30", std::nullopt},
      {"2024/13/1", std::nullopt},
      {"2024/0/1", std::nullopt},
      {"0/1/1", std::nullopt},
      {"2024.1.5", std::nullopt},
      {"2024-01-05", std::nullopt},
      {"2024/1", std::nullopt},
      {"2024/1/5/", std::nullopt},
      {"2024/1/5x", std::nullopt},
      {"2024/ 1/5", std::nullopt},
      {"12024/1/5", std::nullopt},
      {"2024/001/5", std::nullopt},
      {"abc", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseSelectionDate(c.text), c.date);
  }
  EXPECT_EQ(FormatSelectionDate({2024, 1, 5}), "2024/1/5");
  EXPECT_EQ(FormatSelectionDate({1900, 12, 31}), "1900/12/31");
}

TEST(PageSelectionHistory, PushMovesToTopIgnoringCaseAndKeepsTwenty) {
  std::vector<std::string> h = {"one", "Abc", "two"};
  PushHistory(h, "ABC");
  EXPECT_EQ(h, (std::vector<std::string>{"ABC", "one", "two"}));
  PushHistory(h, J("ａｂ"));
  PushHistory(h, J("ＡＢ"));
  EXPECT_EQ(h, (std::vector<std::string>{J("ＡＢ"), "ABC", "one", "two"}));
  PushHistory(h, "");
  EXPECT_EQ(h.front(), "");
  EXPECT_EQ(h.size(), 5u);
  PushHistory(h, "");
  EXPECT_EQ(h.size(), 5u);
  for (int i = 0; i < 30; ++i) PushHistory(h, "e" + std::to_string(i));
  ASSERT_EQ(h.size(), 20u);
  EXPECT_EQ(h.front(), "e29");
  EXPECT_EQ(h.back(), "e10");
}

TEST(PageOrders, CodesAndTags) {
  EXPECT_EQ(OrderOfCode(1).tag, "T");
  EXPECT_EQ(OrderOfTag("BD").code, 6);
  EXPECT_EQ(OrderOfCode(42).code, -1);
  EXPECT_EQ(OrderOfTag("X").item, "PageOrderItem");
}

// ---- the filter on raw records against the predicate ----

class SelectionFilter : public store::test::TempDirTest {
 protected:
  // Record numbers the filtered table visits, in page-number order.
  static std::vector<int> Visited(Table& t, const PageSelection& sel) {
    t.SetFilter(MakeSelectionFilter(sel, t));
    EXPECT_TRUE(t.SetFiltered(true).ok());
    std::vector<int> v = store::test::WalkRecNos(t);
    EXPECT_TRUE(t.SetFiltered(false).ok());
    return v;
  }
  // Record numbers whose stored fields satisfy Matches().
  static std::vector<int> Expected(Table& t, const PageSelection& sel) {
    std::vector<int> v;
    for (int r : store::test::WalkRecNos(t))
      if (t.GotoBookmark(Table::Bookmark(r)).ok() &&
          sel.Matches(t.FieldString("BUNRUI"), t.FieldDate("DATE"), t.FieldString("TITLE"),
                      t.FieldString("SUBTITLE")))
        v.push_back(r);
    return v;
  }
};

TEST_F(SelectionFilter, AwkwardTitlesAgreeWithThePredicate) {
  std::vector<TitleCase> cases = TitleCases();
  std::vector<Page> pages;
  for (const auto& c : cases) pages.push_back({"", c.title, "", "", "", "", ""});
  std::string path = Path("t.dbf");
  store::test::MakePageFile(path, pages);
  Table t;
  ASSERT_TRUE(t.Open(path, store::PageFileOptions()).ok());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    PageSelection sel = TitleSel(cases[i].needle);
    std::vector<int> visited = Visited(t, sel);
    EXPECT_EQ(visited, Expected(t, sel));
    bool has = std::find(visited.begin(), visited.end(), int(i + 1)) != visited.end();
    EXPECT_EQ(has, cases[i].match);
    // Outside a scan the filter reads the current record as edited.
    ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(i + 1)).ok());
    EXPECT_EQ(MakeSelectionFilter(sel, t)(t), cases[i].match);
  }
}

// Random CP932 text from pieces that stress the case folding and the character walk.
std::string RandomText(std::mt19937& rng, size_t pieces) {
  static const std::vector<std::string> kPieces = {
      "a",     "B",       "z",     "Z",     " ",     "1",     "\\",    "@",     "[",
      "`",     "{",       J("ア"), J("ヂ"), J("ソ"), J("表"), J("ａ"), J("Ａ"), J("ｚ"),
      J("Ｚ"), J("α"),    J("Ω"),  J("ω"),  J("Д"),  J("д"),  J("О"),  J("о"),  J("Я"),
      J("я"),  J("記録"), J("の"), J("ｱ"),  "\x83",  "\x80",  "\xFD"};
  std::string s;
  for (size_t i = 0; i < pieces; ++i) s += kPieces[rng() % kPieces.size()];
  return s;
}

TEST_F(SelectionFilter, RandomPagesAndSelectionsAgreeWithThePredicate) {
  std::mt19937 rng(20240105);
  static const std::vector<std::string> kCats = {"memo",    "Memo",    J("日記"),
                                                 J("ＭＹ"), J("ｍｙ"), ""};
  std::vector<Page> pages;
  for (int i = 0; i < 3000; ++i) {
    Page p;
    p.bunrui = kCats[rng() % kCats.size()];
    p.title = RandomText(rng, rng() % 25);
    p.subtitle = RandomText(rng, rng() % 6);
    if (rng() % 8 != 0) {
      char d[16];
      snprintf(d, sizeof d, "%04d%02d%02d", 2000 + int(rng() % 3), 1 + int(rng() % 12),
               1 + int(rng() % 28));
      p.date = d;
    }
    pages.push_back(p);
  }
  std::string path = Path("r.dbf");
  store::test::MakePageFile(path, pages);
  Table t;
  ASSERT_TRUE(t.Open(path, store::PageFileOptions()).ok());
  // A few deleted pages, which no selection shows.
  for (int r : {7, 1500, 2999}) {
    ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(r)).ok());
    ASSERT_TRUE(t.Delete().ok());
  }
  size_t hits = 0;
  for (int round = 0; round < 150; ++round) {
    PageSelection sel;
    // Needles: pieces of stored titles (so that many match), lower-cased or as stored, and
    // random text; some keep a trailing blank.
    auto needle = [&](bool subtitle) {
      std::string n;
      if (rng() % 2) {
        const Page& p = pages[rng() % pages.size()];
        const std::string& from = subtitle ? p.subtitle : p.title;
        size_t a = from.empty() ? 0 : rng() % from.size();
        n = from.substr(a, 1 + rng() % 4);
        if (rng() % 4) n = sjis::ToLowerKeepLength(n);
      } else {
        n = sjis::ToLowerKeepLength(RandomText(rng, 1 + rng() % 2));
      }
      if (rng() % 6 == 0) n += " ";
      return n;
    };
    sel.TitleSelectMode = rng() % 4 != 0;
    sel.SelTitle = needle(false);
    sel.ChoshaSelectMode = rng() % 5 == 0;
    sel.SelChosha = needle(true);
    sel.BunruiSelectMode = rng() % 4 == 0;
    sel.SelBunruiList = {kCats[rng() % kCats.size()], kCats[rng() % kCats.size()]};
    sel.DateSelectMode = rng() % 4 == 0;
    sel.SelStartDate = {2000 + int(rng() % 3), 1 + int(rng() % 12), 1 + int(rng() % 28)};
    sel.SelEndDate = {2000 + int(rng() % 3), 1 + int(rng() % 12), 1 + int(rng() % 28)};
    std::vector<int> expected = Expected(t, sel);
    ASSERT_EQ(Visited(t, sel), expected) << "round " << round << " title \"" << sel.SelTitle
                                         << "\" subtitle \"" << sel.SelChosha << "\"";
    hits += expected.size();
  }
  EXPECT_GT(hits, 3000u);  // the needles found pages, so both answers were tested
}

}  // namespace
}  // namespace sk::browse
