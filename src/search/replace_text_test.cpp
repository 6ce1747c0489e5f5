#include "search/replace_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/find_scan.h"

namespace sk::search {
namespace {

constexpr size_t npos = std::string::npos;

// Replaces every hit the way the window's replace loop does (downward: on after what was put in),
// on a plain string; the positions found, and the text.
std::pair<std::vector<size_t>, std::string> Naive(std::string text, const std::string& from,
                                                  const std::string& to, bool downward,
                                                  size_t start) {
  std::vector<size_t> hits;
  size_t pos = start;
  for (;;) {
    const size_t p =
        downward ? FindPlain(text, from, pos, false) : RFindPlain(text, from, pos, false);
    if (p == npos) break;
    hits.push_back(p);
    text.replace(p, from.size(), to);
    pos = downward ? p + to.size() : p;
  }
  return {hits, text};
}

std::pair<std::vector<size_t>, std::string> Assembled(const std::string& text,
                                                      const std::string& from,
                                                      const std::string& to, bool downward,
                                                      size_t start) {
  ReplaceText r(text, downward);
  std::vector<size_t> hits;
  size_t pos = start;
  for (;;) {
    const size_t p = r.FindNext(from, pos, false);
    if (p == npos) break;
    hits.push_back(p);
    EXPECT_EQ(r.Replace(p, from.size(), to).size(), from.size());
    pos = downward ? p + to.size() : p;
  }
  EXPECT_EQ(r.changed(), !hits.empty());
  return {hits, r.Text()};
}

TEST(ReplaceTextTest, ExamplesBothWays) {
  struct Case {
    const char* text;
    const char* from;
    const char* to;
    bool downward;
    size_t start;
    std::vector<size_t> hits;
    const char* result;
  };
  const Case cases[] = {
      {"aaaa", "aa", "a", true, 0, {0, 1}, "aa"},  // on after what was put in
      {"abXabYab", "ab", "", false, 8, {6, 3, 0}, "XY"},
      {"abXabYab", "AB", "ab!", false, 5, {3, 0}, "ab!Xab!Yab"},  // only before the limit
      {"xABCx abc", "abc", "Q", true, 2, {6}, "xABCx Q"},         // from the start given
      {"\x95\\\\ \\", "\\", "/", true, 0, {2, 4}, "\x95\\/ /"},   // 表's trail byte is no hit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto got = Assembled(c.text, c.from, c.to, c.downward, c.start);
    EXPECT_EQ(got.first, c.hits);
    EXPECT_EQ(got.second, c.result);
  }
}

TEST(ReplaceTextTest, SkippingGoesOnAfterTheHit) {
  ReplaceText r("abcabcabc", true);
  size_t p = r.FindNext("abc", 0, true);
  ASSERT_EQ(p, 0u);
  r.Skip(p, 3);
  p = r.FindNext("abc", 3, true);
  ASSERT_EQ(p, 3u);
  EXPECT_EQ(r.Replace(p, 3, "Z"), "abc");
  EXPECT_EQ(r.FindNext("abc", 4, true), 4u);
  EXPECT_EQ(r.Text(), "abcZabc");
}

// The assembled text agrees with replacing in place, on random text with double-byte characters
// whose bytes look like the needle's.
TEST(ReplaceTextTest, AgreesWithReplacingInPlace) {
  std::mt19937 rng(7);
  const std::vector<std::string> pieces = {"a",        "b",      "A",  "\x82\x60",
                                           "\x82\x81", "\x95\\", "\\", "\x88\x9f"};
  const std::vector<std::string> needles = {"a", "ab", "\\", "\x82\x81", "ba", "aa"};
  const std::vector<std::string> tos = {"", "x", "ab", "\x82\x60\x82\x60"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int n = int(rng() % 40);
    for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
    const std::string& from = needles[rng() % needles.size()];
    const std::string& to = tos[rng() % tos.size()];
    const bool downward = rng() % 2;
    const size_t start = downward ? 0 : text.size();
    SCOPED_TRACE(round);
    EXPECT_EQ(Assembled(text, from, to, downward, start), Naive(text, from, to, downward, start));
  }
}

}  // namespace
}  // namespace sk::search
