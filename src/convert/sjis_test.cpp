#include "convert/sjis.h"

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/cp932.h"

namespace sk::sjis {
namespace {

constexpr size_t npos = std::string_view::npos;

// "表" is 0x95 0x5C: its trail byte is a backslash.  0x82 0x41 is a lead byte followed by "A",
// which is a valid trail byte.  "亜" is 0x88 0x9F, whose trail byte is also a lead byte.
const std::string kHyo = "\x95\x5C";
const std::string kA = "\x88\x9F";

TEST(SjisCharTest, CharLenAndBoundaries) {
  struct Case {
    std::string s;
    std::vector<size_t> boundaries;  // every boundary in 0..size
  };
  const Case cases[] = {
      {"", {0}},
      {"ab", {0, 1, 2}},
      {kHyo + "\\", {0, 2, 3}},
      {"\x82\x41\x41", {0, 2, 3}},
      {kA + kA, {0, 2, 4}},
      {"\x82", {0, 1}},                // lead byte at the end stands alone
      {"\x82\x0A\x61", {0, 1, 2, 3}},  // lead byte before a non-trail byte stands alone
      {"\x82\x7F", {0, 1, 2}},         // 0x7F is never a trail byte
      {"\xB1\x82\xA0", {0, 1, 3}},     // half-width katakana is one byte
      {"\x80\xA0\xFD", {0, 1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    std::vector<size_t> walked{0};
    for (size_t i = 0; i < c.s.size(); i += CharLen(c.s, i)) walked.push_back(i + CharLen(c.s, i));
    EXPECT_EQ(walked, c.boundaries);
    EXPECT_EQ(CharLen(c.s, c.s.size()), 0u);
    for (size_t pos = 0; pos <= c.s.size() + 1; ++pos) {
      bool expected =
          std::find(c.boundaries.begin(), c.boundaries.end(), pos) != c.boundaries.end();
      EXPECT_EQ(IsCharBoundary(c.s, pos), expected) << pos;
    }
  }
}

TEST(SjisCharTest, CutLengthNeverSplitsACharacter) {
  const std::string s = "a" + kHyo + kA + "b";  // boundaries 0 1 3 5 6
  const size_t expected[] = {0, 1, 1, 3, 3, 5, 6, 6, 6};
  for (size_t max = 0; max < std::size(expected); ++max)
    EXPECT_EQ(CutLength(s, max), expected[max]) << max;
}

TEST(SjisFindTest, MatchesOnlyOnCharacterBoundaries) {
  struct Case {
    std::string hay, needle;
    size_t from;
    size_t find;
    size_t rfind;  // RFind with before = npos
  };
  const Case cases[] = {
      {kHyo, "\\", 0, npos, npos},
      {kHyo + "\\", "\\", 0, 2, 2},
      {kHyo + "\\", "\\", 1, 2, 2},  // from inside a character
      {"\x82\x41", "A", 0, npos, npos},
      {"\x82\x41\x41", "A", 0, 2, 2},
      {kA + kA, "\x9F\x88", 0, npos, npos},
      {kA + kA, kA, 1, 2, 2},
      {kA + kA, kA, 0, 0, 2},
      {"x" + kA + kA + "x", "x", 0, 0, 5},
      // A needle ending in a lone lead byte would end inside the character that byte starts.
      {"a\x82\xA0", "a\x82", 0, npos, npos},
      {"a\x82", "a\x82", 0, 0, 0},
      {"a\x82\x0A", "a\x82", 0, 0, 0},
      {"abc", "", 0, npos, npos},
      {"abc", "c", 4, npos, 2},
      {"abab", "ab", 0, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.hay) + " / " + testing::PrintToString(c.needle));
    EXPECT_EQ(Find(c.hay, c.needle, c.from), c.find);
    EXPECT_EQ(RFind(c.hay, c.needle), c.rfind);
  }
  EXPECT_EQ(RFind("abab", "ab", 1), 0u);
  EXPECT_EQ(RFind("abab", "ab", 2), 2u);
  EXPECT_EQ(RFind(kHyo + "\\\\", "\\", 2), 2u);
}

// Compares Find and RFind with a plain reference on strings dense in ambiguous bytes.
TEST(SjisFindTest, AgreesWithReferenceOnMixedBytes) {
  const unsigned char alphabet[] = {0x41, 0x5C, 0x82, 0x88, 0x95, 0x9F, 0xA0, 0x0A};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  auto random_string = [&](size_t len) {
    std::string s;
    for (size_t i = 0; i < len; ++i) s.push_back(char(alphabet[next() % std::size(alphabet)]));
    return s;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string hay = random_string(next() % 24);
    std::string needle = random_string(1 + next() % 3);
    std::vector<size_t> matches;
    for (size_t p = 0; p + needle.size() <= hay.size(); ++p) {
      if (hay.compare(p, needle.size(), needle) == 0 && IsCharBoundary(hay, p) &&
          IsCharBoundary(hay, p + needle.size()))
        matches.push_back(p);
    }
    size_t from = next() % (hay.size() + 2);
    size_t expected_find = npos;
    for (size_t m : matches)
      if (m >= from) {
        expected_find = m;
        break;
      }
    size_t expected_rfind = npos;
    for (size_t m : matches)
      if (m <= from) expected_rfind = m;
    SCOPED_TRACE(testing::PrintToString(hay) + " / " + testing::PrintToString(needle));
    EXPECT_EQ(Find(hay, needle, from), expected_find) << from;
    EXPECT_EQ(RFind(hay, needle, from), expected_rfind) << from;
  }
}

TEST(SjisCaseTest, HankakuCaseTouchesOnlySingleByteLetters) {
  // 0x83 0x61 ("ヂ") and 0x82 0x61 have a trail byte "a"; 0xB1 is half-width "ｱ".
  const std::string s =
      "aZ\x83\x61\x82\x41\xB1"
      "b\x82\x0A"
      "c";
  EXPECT_EQ(HankakuToUpperLowerCase(s, 1),
            "az\x83\x61\x82\x41\xB1"
            "b\x82\x0A"
            "c");
  EXPECT_EQ(HankakuToUpperLowerCase(s, 2),
            "AZ\x83\x61\x82\x41\xB1"
            "B\x82\x0A"
            "C");
  EXPECT_EQ(HankakuToUpperLowerCase(s, 0), s);
  // Full-width letters are not touched here.
  EXPECT_EQ(HankakuToUpperLowerCase("\x82\x60", 1), "\x82\x60");
}

TEST(SjisCaseTest, KeepLengthMapsEachAlphabet) {
  struct Case {
    std::string upper, lower;
  };
  const Case cases[] = {
      {"ABC-Z", "abc-z"},
      {"\x82\x60\x82\x79", "\x82\x81\x82\x9A"},                  // Ａ Ｚ / ａ ｚ
      {"\x83\x9F\x83\xB6", "\x83\xBF\x83\xD6"},                  // Α Ω / α ω
      {"\x84\x40\x84\x4E", "\x84\x70\x84\x7E"},                  // А Н / а н
      {"\x84\x4F\x84\x60", "\x84\x80\x84\x91"},                  // О Я / о я: 0x847F is skipped
      {"\x83\x61\x82\x41\xB1\x82", "\x83\x61\x82\x41\xB1\x82"},  // no case; trail bytes kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.upper));
    EXPECT_EQ(ToLowerKeepLength(c.upper), c.lower);
    EXPECT_EQ(ToUpperKeepLength(c.lower), c.upper);
  }
}

// Every double-byte character in the rows of Latin, kana, Greek and Cyrillic letters changes
// case exactly as its Unicode character does.
TEST(SjisCaseTest, KeepLengthAgreesWithUnicodeCase) {
  int changed = 0;
  for (unsigned lead = 0x82; lead <= 0x84; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsTrailByte(trail)) continue;
      const std::string code{char(lead), char(trail)};
      const QString ch = cp932::Decode(code);
      if (ch.size() != 1 || (ch[0].unicode() >= 0xF700 && ch[0].unicode() <= 0xF7FF)) continue;
      SCOPED_TRACE(testing::PrintToString(code));
      EXPECT_EQ(cp932::Decode(ToLowerKeepLength(code)), ch.toLower());
      EXPECT_EQ(cp932::Decode(ToUpperKeepLength(code)), ch.toUpper());
      if (ToLowerKeepLength(code) != code) ++changed;
    }
  }
  EXPECT_EQ(changed, 26 + 24 + 33);
}

}  // namespace
}  // namespace sk::sjis
