#include "editor/highlight_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sk::editor {
namespace {

// CP932 bytes used below.
#define KURO_MARU "\x81\x9c"                         // U+25CF black circle
#define SORAKUMO "\x82\xbb\x82\xe7\x82\xad\x82\xe0"  // U+305D U+3089 U+304F U+3082
#define HYO "\x95\x5c"                               // U+8868, trail byte is "\"
#define HYOJI "\x95\x5c\x8e\xa6"                     // U+8868 U+793A
#define A_KATA "\x83\x41"                            // U+30A2 katakana a, trail byte is "A"
#define ZO "\x83\x5d"                                // U+30BE katakana zo, trail byte is "]"

// The lists a fresh installation has, plus a word, a symbol keyword, a keyword holding a kanji
// whose trail byte is "\", and a second bracket pair whose closer is a possible trail byte.
HighLightLists TestLists() {
  return HighLightLists::FromEntries({"//", "%"}, {"<>", "[]"}, {"\\", "#"}, {"ab"}, {},
                                     {KURO_MARU, HYOJI}, {SORAKUMO}, {}, {"->"});
}

TEST(HighLightScanTest, ParagraphSegments) {
  const HighLightLists lists = TestLists();
  const std::string top = MakeHLTopChars(lists);
  struct Case {
    const char* name;
    std::string text;
    std::vector<HLSegment> want;
  };
  const Case cases[] = {
      {"comment to the paragraph end", "x // c", {{0, 0}, {2, 0}, {6, 1}}},
      {"percent comment at the start", "%x", {{0, 0}, {2, 1}}},
      {"nested brackets close at the first closer", "<a<b>c>", {{0, 0}, {5, 2}, {7, 0}}},
      {"comment leader inside a bracket", "<x//y>z", {{0, 0}, {6, 2}, {7, 0}}},
      {"opener without closer, scanning goes on", "x<y//z", {{0, 0}, {3, 0}, {6, 1}}},
      {"bracket closer is not the trail byte of a kanji", "[" ZO "]x", {{0, 0}, {4, 2}, {5, 0}}},
      {"command over the following letters", "\\sec{x}", {{0, 0}, {4, 3}, {7, 0}}},
      {"command without letters", "#1", {{0, 0}, {1, 3}, {2, 0}}},
      {"kanji with trail byte \\ before a command", HYO "\\x", {{0, 0}, {2, 0}, {4, 3}}},
      {"keyword holding a kanji with trail byte \\",
       "x" HYOJI "\\y",
       {{0, 0}, {1, 0}, {5, 4}, {7, 3}}},
      {"kan keywords back to back",
       KURO_MARU SORAKUMO KURO_MARU,
       {{0, 0}, {2, 4}, {10, 5}, {12, 4}}},
      {"keyword at the paragraph end", "x" SORAKUMO, {{0, 0}, {1, 0}, {9, 5}}},
      {"cut keyword at the paragraph end",
       "x"
       "\x82\xbb\x82\xe7\x82\xad",
       {{0, 0}, {7, 0}}},
      {"symbol keyword", "x->y", {{0, 0}, {1, 0}, {3, 5}, {4, 0}}},
      {"word standing alone", " ab ", {{0, 0}, {1, 0}, {3, 4}, {4, 0}}},
      {"word at both paragraph ends", "ab", {{0, 0}, {2, 4}}},
      {"word after a letter", "xab", {{0, 0}, {3, 0}}},
      {"word in other case", "AB", {{0, 0}, {2, 0}}},
      {"word followed by letters", "abc", {{0, 0}, {3, 0}}},
      {"word after a kanji whose trail byte is a letter", A_KATA "ab", {{0, 0}, {2, 0}, {4, 4}}},
      {"word right after a match", KURO_MARU "ab", {{0, 0}, {2, 4}, {4, 4}}},
      {"no candidate", "plain", {{0, 0}, {5, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ScanParagraph(lists, top, c.text, 0, int(c.text.size())), c.want);
  }
}

TEST(HighLightScanTest, ParagraphBoundsAndEmptySets) {
  const HighLightLists lists = TestLists();
  const std::string top = MakeHLTopChars(lists);
  // Positions are offsets into the whole text.
  const std::string page = "zz\r\nx//c\r\n";
  EXPECT_EQ(ScanParagraph(lists, top, page, 4, 8),
            (std::vector<HLSegment>{{4, 0}, {5, 0}, {8, 1}}));
  // An empty paragraph gives only its start pair.
  EXPECT_EQ(ScanParagraph(lists, top, page, 10, 10), (std::vector<HLSegment>{{10, 0}}));
  // A leader cut by the paragraph end does not read on into the following bytes.
  EXPECT_EQ(ScanParagraph(lists, top, "x//", 0, 2), (std::vector<HLSegment>{{0, 0}, {2, 0}}));
  // Without top characters (highlighting off) everything is normal.
  EXPECT_EQ(ScanParagraph(lists, "", "//x", 0, 3), (std::vector<HLSegment>{{0, 0}, {3, 0}}));
  // Top characters compare as whole characters: a kanji among them does not make its trail
  // byte a candidate.
  EXPECT_EQ(ScanParagraph(lists, HYO, "\\abc", 0, 4), (std::vector<HLSegment>{{0, 0}, {4, 0}}));
  // Bounds outside the text are clamped.
  EXPECT_EQ(ScanParagraph(lists, top, "%", -3, 99), (std::vector<HLSegment>{{0, 0}, {1, 1}}));
}

TEST(HighLightScanTest, EmptyAndMissingEntriesMatchNothing) {
  // No comment leaders (and an empty one, which would match anywhere) and a one-byte bracket
  // entry, which has no closer and runs to the paragraph end.
  const HighLightLists lists = HighLightLists::FromEntries({""}, {"("}, {}, {}, {}, {}, {}, {}, {});
  EXPECT_TRUE(lists.HLCommentList.empty());
  const std::string top = MakeHLTopChars(lists);
  EXPECT_EQ(top, "(");
  EXPECT_EQ(ScanParagraph(lists, top, "//x(y", 0, 5),
            (std::vector<HLSegment>{{0, 0}, {3, 0}, {5, 2}}));
}

TEST(HighLightScanTest, WordsDifferingOnlyInCase) {
  // Entered in any order, every spelling in the list is found and no other.
  const HighLightLists lists =
      HighLightLists::FromEntries({}, {}, {}, {"ab", "abc", "AB"}, {"Ab"}, {}, {}, {}, {});
  EXPECT_EQ(lists.HLKeyWordAList, (std::vector<std::string>{"AB", "ab", "abc"}));
  const std::string top = MakeHLTopChars(lists);
  const std::string text = "ab AB Ab aB abc";
  EXPECT_EQ(
      ScanParagraph(lists, top, text, 0, int(text.size())),
      (std::vector<HLSegment>{{0, 0}, {2, 4}, {3, 0}, {5, 4}, {6, 0}, {8, 5}, {12, 0}, {15, 4}}));
}

TEST(HighLightScanTest, TopChars) {
  EXPECT_EQ(MakeHLTopChars(TestLists()), "/%<[\\#a-" KURO_MARU HYO "\x82\xbb");
  // Entries that cannot start a match leave no byte behind: a leader starting with a lead byte,
  // a Kan entry that is not double-byte.
  const HighLightLists odd =
      HighLightLists::FromEntries({KURO_MARU "x"}, {}, {"#"}, {}, {}, {"x", "\x81"}, {}, {}, {});
  EXPECT_EQ(MakeHLTopChars(odd), "#");
}

TEST(HighLightScanTest, EnvironmentDialogFiling) {
  EXPECT_EQ(SplitCommaList(" //, %,,\t, <> "), (std::vector<std::string>{"//", "%", "<>"}));
  EXPECT_EQ(SplitCommaList(""), std::vector<std::string>{});
  EXPECT_EQ(SplitCommaList(" , "), std::vector<std::string>{});

  struct Case {
    std::string row;
    KeywordFiling want;
  };
  const Case cases[] = {
      {"", KeywordFiling::kDropped},
      {"abc", KeywordFiling::kWord},
      {"ab1", KeywordFiling::kDropped},
      {"ab cd", KeywordFiling::kDropped},
      {KURO_MARU SORAKUMO, KeywordFiling::kKan},
      {KURO_MARU "a", KeywordFiling::kDropped},
      {KURO_MARU "\x81", KeywordFiling::kDropped},  // ends in a lone lead byte
      {"1st", KeywordFiling::kKigo},
      {"->", KeywordFiling::kKigo},
      {"\xb1\xb2", KeywordFiling::kKigo},  // half-width katakana
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    EXPECT_EQ(FileKeywordRow(c.row), c.want);
  }
}

}  // namespace
}  // namespace sk::editor
