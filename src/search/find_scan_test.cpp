#include "search/find_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/sjis.h"

namespace sk::search {
namespace {

constexpr size_t npos = std::string_view::npos;

// Double-byte characters whose trail bytes look like ASCII: "ソ" and "表" end with a backslash,
// "ポ" with a bar, "ア" with "A".  "Ａ"/"ａ" and "Α"/"α" are full-width and Greek case pairs.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";
const std::string kPo = "\x83\x7C";
const std::string kA = "\x83\x41";
const std::string kWideA = "\x82\x60";
const std::string kWideLowA = "\x82\x81";
const std::string kAlpha = "\x83\x9F";
const std::string kLowAlpha = "\x83\xBF";

TEST(FindScanTest, SplitsTheInput) {
  struct Case {
    std::string input;
    bool match_case;
    std::vector<std::string> strings;
    bool any;
  };
  const Case cases[] = {
      {"abc|de", false, {"abc", "de"}, true},
      {"abc&de", false, {"abc", "de"}, false},
      {"a|b&c", false, {"a", "b&c"}, true},
      {"a&b|c", false, {"a", "b|c"}, false},
      {"a\\|b", false, {"a|b"}, true},
      {"a\\&b&c", false, {"a&b", "c"}, false},
      {"a\\xb", false, {"a\\xb"}, true},
      {"a\\", false, {"a\\"}, true},
      {"a||b", false, {"a", "b"}, true},
      {"&&a&", false, {"a"}, false},
      {"|", false, {}, true},
      {"", false, {}, true},
      {"ABC|Def", false, {"abc", "def"}, true},
      {"ABC|Def", true, {"ABC", "Def"}, true},
      {kWideA + kAlpha, false, {kWideLowA + kLowAlpha}, true},
      // Bytes of double-byte characters are never separators or escapes.
      {kSo + "|" + kHyo, false, {kSo, kHyo}, true},
      {kSo + "&x", false, {kSo, "x"}, false},
      {"a" + kPo + "b", false, {"a" + kPo + "b"}, true},
      {kSo + "|a|" + kPo, false, {kSo, "a", kPo}, true},
      // "ア" keeps its trail byte "A" without match case; a lone lead byte before "|" pairs with
      // it.
      {kA + "B", false, {kA + "b"}, true},
      {"x\x83|", false, {"x" + kPo}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    SearchStrings s = SetKensakuMojiList(c.input, c.match_case);
    EXPECT_EQ(s.strings, c.strings);
    EXPECT_EQ(s.any, c.any);
    EXPECT_EQ(s.match_case, c.match_case);
  }
  EXPECT_TRUE(SetKensakuMojiList("a&b", false, /*force_any=*/true).any);
}

TEST(FindScanTest, FirstBytes) {
  auto bytes = [](const SearchStrings& s) {
    std::string out;
    for (int b = 0; b < 256; ++b)
      if (s.first_byte[b]) out += char(b);
    return out;
  };
  EXPECT_EQ(bytes(SetKensakuMojiList("bc|1|Ab", false)), "1ABab");
  EXPECT_EQ(bytes(SetKensakuMojiList("bc|1|Ab", true)), "1Ab");
  EXPECT_EQ(bytes(SetKensakuMojiList(kWideA + "|" + kSo, false)), "\x82\x83");
}

struct ScanCase {
  const char* name;
  std::string input;
  bool match_case;
  std::string text;
  int index;  // -1: no hit
  size_t position;
};

void ExpectHit(const FindHit& hit, int index, size_t position) {
  EXPECT_EQ(hit.string_index, index);
  if (index >= 0) {
    EXPECT_EQ(hit.position, position);
  }
}

TEST(FindScanTest, ForwardScanKeepsCharactersWhole) {
  const ScanCase cases[] = {
      {"plain", "de", false, "abcde", 0, 3},
      {"first of the list at one position", "bcd|bc", false, "abcd", 0, 1},
      {"earliest position wins", "de|ab", false, "xxabde", 1, 2},
      {"no hit", "zz", false, "abc", -1, 0},
      {"empty text", "a", false, "", -1, 0},
      {"string longer than the text", "abcd", false, "abc", -1, 0},
      {"hit ends at the end", "bc", false, "abc", 0, 1},
      {"backslash inside 表 and ソ", "\\", false, kHyo + kSo + "\\", 0, 4},
      {"bar inside ポ", "\\|x", false, kPo + "x|x", 0, 3},
      {"A inside ア", "A", true, kA + "A", 0, 2},
      {"a inside ア without match case", "a", false, kA + "aA", 0, 2},
      {"ア is not ツ", kA, false, "\x83\x61" + kA, 0, 2},
      {"string straddling two characters", "\x5C\x83", true, kSo + kSo, -1, 0},
      {"string ending in a lead byte before a trail byte", "x\x83", true, "x" + kA, -1, 0},
      {"string ending in a lead byte at the end of the text", "x\x83", true, "ax\x83", 0, 1},
      {"string ending in a lead byte before a single byte", "x\x83", true, "x\x83!", 0, 0},
      {"trail byte that is also a lead byte", "\x9F", true, "\x88\x9F\x9F", 0, 2},
      {"full-width letters fold", kWideA + "b", false, "x" + kWideLowA + "B", 0, 1},
      {"full-width letters with match case", kWideA, true, kWideLowA + kWideA, 0, 2},
      {"Greek folds", kAlpha, false, "xx" + kAlpha, 0, 2},
      {"Greek lower in the input", kLowAlpha, false, "x" + kAlpha, 0, 1},
      {"upper case found without match case", "ABC", false, "xAbcx", 0, 1},
      {"upper case with match case", "ABC", true, "abc Abc ABC", 0, 8},
      {"half-width katakana", "\xB1", false, kA + "\xB1", 0, 2},
      {"run of lead-capable bytes", "\x9F\x88", true, "\x88\x9F\x88\x9F\x88", -1, 0},
      {"lone lead end in a run", "\x88\x9F\x88", true, "\x88\x9F\x88\x9F\x88", 0, 2},
      {"many strings", "q|w|e|r|t|y|x", false, "abcdefghijklmnopqrstuvwxyz", 2, 4},
      {"the fourth string may hold a semicolon", "a|b|c|d;e", false, "xxd;e", 3, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectHit(DoFind(SetKensakuMojiList(c.input, c.match_case), c.text), c.index, c.position);
  }
}

TEST(FindScanTest, LongTextsCrossTheVectorLoop) {
  // Hits near every offset of a sixteen-byte block, and candidates that fall on trail bytes.
  std::string base;
  for (int i = 0; i < 20; ++i) base += kSo + "." + kHyo;
  for (size_t at = 0; at < 40; ++at) {
    SCOPED_TRACE(at);
    std::string text = base;
    text.insert(std::min(at * 5, text.size()), "\\Z");
    const size_t want = text.find("\\Z");
    ExpectHit(DoFind(SetKensakuMojiList("\\z", false), text), 0, want);
    ExpectHit(DoFind(SetKensakuMojiList("\\Z", true), text), 0, want);
    ExpectHit(DoFind(SetKensakuMojiList("\\", true), text), 0, want);
    ExpectHit(DoFind(SetKensakuMojiList("1|2|3|4|5|\\z", false), text), 5, want);
  }
  ExpectHit(DoFind(SetKensakuMojiList("\\", true), base), -1, 0);
}

TEST(FindScanTest, AllStringsMode) {
  const ScanCase cases[] = {
      {"both present: earliest of either", "abc&de", false, "de abc de", 1, 0},
      {"only some present", "abc&de&zz", false, "abc de", -1, 0},
      {"one string", "abc&", false, "xabc", 0, 1},
      {"same position: first in the list", "ab&a", false, "ab", 0, 0},
      {"boundaries apply to each string", "x&\\", false, kHyo + "x", -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SearchStrings s = SetKensakuMojiList(c.input, c.match_case);
    ASSERT_FALSE(s.any);
    ExpectHit(DoFind(s, c.text), c.index, c.position);
  }
  // Forced any-string mode finds a page with only one of them.
  ExpectHit(DoFind(SetKensakuMojiList("abc&zz", false, true), "xabc"), 0, 1);
}

TEST(FindScanTest, BackwardScan) {
  const ScanCase cases[] = {
      {"last hit", "ab", false, "ab ab AB x", 0, 6},
      {"last of several strings", "x|ab", false, "ab x ab", 1, 5},
      {"at one position the first in the list", "a|ab", false, "ab", 0, 0},
      {"overlapping", "aa", false, "aaaa", 0, 2},
      {"never inside a character", "\\", false, "\\" + kSo + kHyo, 0, 0},
      {"no hit", "q", false, "abc", -1, 0},
      {"all-strings input behaves as any", "zz&ab", false, "ab", 1, 0},
      {"the fourth string with a semicolon", "a|b|c|d;e", false, "d;e xx", 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectHit(DoRevFind(SetKensakuMojiList(c.input, c.match_case), c.text), c.index, c.position);
  }
}

TEST(FindScanTest, EmptyListFindsNothing) {
  SearchStrings s = SetKensakuMojiList("|", false);
  EXPECT_FALSE(DoFind(s, "|||").found());
  EXPECT_FALSE(DoRevFind(s, "|||").found());
  s.any = false;
  EXPECT_FALSE(DoFind(s, "|||").found());
}

TEST(FindScanTest, PlainLookupsOfTheReplace) {
  // Downward from `from`, each search resuming after the previous hit.
  EXPECT_EQ(FindPlain("aaaa", "aa", 0, true), 0u);
  EXPECT_EQ(FindPlain("aaaa", "aa", 2, true), 2u);
  EXPECT_EQ(FindPlain("aaaa", "aa", 3, true), npos);
  EXPECT_EQ(FindPlain("aaaa", "aa", 9, true), npos);
  EXPECT_EQ(FindPlain("xabcx", "ABC", 0, false), 1u);
  EXPECT_EQ(FindPlain("xabcx", "ABC", 0, true), npos);
  EXPECT_EQ(FindPlain("xABCx", "abc", 0, false), 1u);
  EXPECT_EQ(FindPlain("abc", "", 0, false), npos);
  // The bytes 0x5C 0x83 across "ソソ", a start on a trail byte, an end inside a character.
  EXPECT_EQ(FindPlain(kSo + kSo, "\x5C\x83", 0, true), npos);
  EXPECT_EQ(FindPlain(kSo + "\\", "\\", 1, true), 2u);
  EXPECT_EQ(FindPlain("a" + kA, "a\x83", 0, true), npos);
  // `from` inside a character: the next character start.
  EXPECT_EQ(FindPlain(kHyo + kHyo, kHyo, 1, true), 2u);

  // Upward: the last hit lying within the first `limit` bytes; overlapping hits count.
  EXPECT_EQ(RFindPlain("aaaa", "aa", 4, true), 2u);
  EXPECT_EQ(RFindPlain("aaaa", "aa", 3, true), 1u);
  EXPECT_EQ(RFindPlain("aaaa", "aa", 1, true), npos);
  EXPECT_EQ(RFindPlain("aaaa", "aa", 99, true), 2u);
  EXPECT_EQ(RFindPlain("ab AB ab", "Ab", 5, false), 3u);
  EXPECT_EQ(RFindPlain(kSo + kSo + "\\", "\\", 4, true), npos);
  EXPECT_EQ(RFindPlain(kSo + kSo + "\\", "\\", 5, true), 4u);
  EXPECT_EQ(RFindPlain(kSo + kSo, "\x5C\x83", 4, true), npos);
  EXPECT_EQ(RFindPlain("abc", "", 3, true), npos);
}

// A reference built the plain way: every character start of the text, lower-cased copies, and a
// boundary test at the end.
FindHit NaiveFind(const SearchStrings& s, std::string_view text, bool backward) {
  const std::string low = s.match_case ? std::string(text) : sjis::ToLowerKeepLength(text);
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += sjis::CharLen(text, i)) starts.push_back(i);
  FindHit hit;
  std::vector<bool> seen(s.strings.size());
  for (size_t p : starts) {
    for (size_t k = 0; k < s.strings.size(); ++k) {
      const std::string& str = s.strings[k];
      if (low.compare(p, str.size(), str) != 0 || p + str.size() > low.size()) continue;
      if (!sjis::IsCharBoundary(text, p + str.size())) continue;
      if (!seen[k] && !backward) seen[k] = true;
      if (backward) {
        hit = FindHit{int(k), p};
        break;
      }
      if (!hit.found()) hit = FindHit{int(k), p};
      if (s.any) return hit;
    }
  }
  if (!backward && !s.any)
    for (bool b : seen)
      if (!b) return FindHit{};
  return hit;
}

TEST(FindScanTest, AgreesWithAPlainReference) {
  // Bytes chosen to make trouble: ASCII letters of both cases that are also trail bytes, the
  // bar and backslash, lead bytes whose trails are lead bytes too, full-width and Greek letters,
  // half-width katakana.
  const std::vector<std::string> pieces = {
      "a",    "A", "b",  "B", "\\", "|",    ";",       "\x83", "\x82",    "\x88",     "\x9F",
      "\xB1", kSo, kHyo, kPo, kA,   kWideA, kWideLowA, kAlpha, kLowAlpha, "\x88\x9F", "\x82\xA0"};
  std::mt19937 rng(12345);
  auto random_string = [&](int max_pieces) {
    std::string out;
    const int n = std::uniform_int_distribution<int>(0, max_pieces)(rng);
    for (int i = 0; i < n; ++i)
      out += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(rng)];
    return out;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random_string(round % 7 == 0 ? 60 : 12);
    SearchStrings s;
    s.match_case = round % 2 == 0;
    s.any = round % 3 != 0;
    const int count = std::uniform_int_distribution<int>(1, round % 5 == 0 ? 6 : 2)(rng);
    for (int k = 0; k < count; ++k) {
      std::string str = random_string(3);
      if (str.empty()) str = "a";
      s.strings.push_back(s.match_case ? str : sjis::ToLowerKeepLength(str));
    }
    SCOPED_TRACE(testing::Message() << "round " << round);
    const FindHit want = NaiveFind(s, text, false);
    const FindHit got = DoFind(s, text);
    ASSERT_EQ(got.string_index, want.string_index);
    if (want.found()) {
      ASSERT_EQ(got.position, want.position);
    }
    const FindHit want_back = NaiveFind(s, text, true);
    const FindHit got_back = DoRevFind(s, text);
    ASSERT_EQ(got_back.string_index, want_back.string_index);
    if (want_back.found()) {
      ASSERT_EQ(got_back.position, want_back.position);
    }
  }
}

}  // namespace
}  // namespace sk::search
