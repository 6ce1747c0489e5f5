// Highlighting of the page text: the entry lists, the set of characters that can start a
// highlighted piece, and the scan of one paragraph into segments of one kind each.
//
// Everything works on CP932 bytes.  A scan never starts or ends a piece inside a double-byte
// character, so a kanji whose trail byte happens to be "\" or a letter is never taken for that
// ASCII character.  Each paragraph is scanned fresh; the text area compares the segment lists it
// gets before and after an edit and restyles only what changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sk::editor {

// Highlight kinds as kept in segment lists.
constexpr int kHLNormal = 0, kHLComment = 1, kHLKakko = 2, kHLCommand = 3, kHLKeyWordA = 4,
              kHLKeyWordB = 5;

struct HighLightLists {
  // Comment leaders, bracket pairs (opening byte, closing byte) and command leaders, in the
  // order the user entered them.
  std::vector<std::string> HLCommentList, HLKakkoList, HLCommandList;
  // Keyword lists: word (ASCII letters), Kan (double-byte characters) and Kigo (anything else)
  // entries of keyword A and keyword B.  Sorted with ASCII letters folded, a string before its
  // own extensions, entries equal but for letter case in plain byte order; duplicates are kept.
  std::vector<std::string> HLKeyWordAList, HLKeyWordBList, HLKeyWordKanAList, HLKeyWordKanBList,
      HLKeyWordKigoAList, HLKeyWordKigoBList;

  // Takes the nine lists as the settings hold them and sorts the six keyword lists.  Empty
  // entries are dropped: an empty leader would otherwise match at every candidate character.
  static HighLightLists FromEntries(std::vector<std::string> comment,
                                    std::vector<std::string> kakko,
                                    std::vector<std::string> command,
                                    std::vector<std::string> word_a,
                                    std::vector<std::string> word_b, std::vector<std::string> kan_a,
                                    std::vector<std::string> kan_b, std::vector<std::string> kigo_a,
                                    std::vector<std::string> kigo_b);
};

// The characters that can start a highlighted piece, each once: the first byte of every comment,
// bracket and command entry and of every word and Kigo entry, the first double-byte character of
// every Kan entry.  Entries that could never match at a candidate are left out (a comment,
// bracket, command, word or Kigo entry that starts with a lead byte, a Kan entry that does not
// start with a double-byte character), so the string always reads as whole characters.
// With highlighting off for the page the caller uses an empty string instead.
std::string MakeHLTopChars(const HighLightLists& lists);

struct HLSegment {
  int pos;
  int kind;
  bool operator==(const HLSegment&) const = default;
};

// Scans the paragraph text[start, end) (end = position of its CR, or the text end).  The result
// starts with (start, kHLNormal); every further pair holds the END position of a segment and its
// kind, so consecutive pairs bound one segment.  Positions are offsets into text.  An empty
// paragraph gives only the start pair; an empty top_chars gives one normal segment.
std::vector<HLSegment> ScanParagraph(const HighLightLists& lists, std::string_view top_chars,
                                     std::string_view text, int start, int end);

// A comma-separated field of the environment dialog: the pieces trimmed, empty pieces dropped.
std::vector<std::string> SplitCommaList(std::string_view field);

enum class KeywordFiling { kDropped, kWord, kKan, kKigo };
// Where a row of a keyword grid is filed (the row already trimmed): empty → kDropped; a
// double-byte first character → kKan if every character is double-byte, else kDropped; an ASCII
// letter first → kWord if every byte is an ASCII letter, else kDropped; anything else → kKigo.
KeywordFiling FileKeywordRow(std::string_view row);

}  // namespace sk::editor
