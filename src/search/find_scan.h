// The text scans of the searches: the search input split into search strings, the forward and
// backward scans of a text for them, and the plain-string lookups of the replace.  Text is CP932
// bytes; a hit never starts or ends inside a double-byte character (lead and trail bytes are
// decided by walking from the start of the text).  Without match case the scans compare
// lower-cased characters (ASCII letters, and the full-width Latin, Greek and Cyrillic letters,
// as sjis::ToLowerKeepLength does) while they walk: the text is never copied.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sk::search {

// The search strings of one input (`SetKensakuMojiList`).
struct SearchStrings {
  std::vector<std::string> strings;  // in input order; lower-cased unless match_case
  bool any = true;                   // any-string mode ("|"); false: all strings on one page ("&")
  bool match_case = false;
  // For each byte value, whether a search string can start with it in the text (both cases of
  // an ASCII letter without match case).  Filled by SetKensakuMojiList.
  std::array<bool, 256> first_byte{};

  bool empty() const { return strings.empty(); }
};

// Splits a search input (CP932): "|" or "&" separate strings, the first of the two kinds met
// decides the mode and the other is then an ordinary character; "\|" and "\&" stand for the
// character itself; empty pieces are dropped; bytes of double-byte characters are never special.
// "&" gives all-strings mode unless force_any.
SearchStrings SetKensakuMojiList(std::string_view input, bool match_case, bool force_any = false);

struct FindHit {
  int string_index = -1;  // -1: no hit
  size_t position = 0;    // byte offset of the hit in the scanned text
  bool found() const { return string_index >= 0; }
};

// `DoFind`: the forward scan.  Any-string mode: the earliest hit (at one position the first
// string in list order).  All-strings mode: the earliest hit, but only when every string occurs
// somewhere in the text.
FindHit DoFind(const SearchStrings& s, std::string_view text);

// `DoRevFind`: the backward scan, always in any-string mode: the hit that starts last (at one
// position the first string in list order).
FindHit DoRevFind(const SearchStrings& s, std::string_view text);

// The replace's lookups of one plain string (no separators), lower-cased on both sides unless
// match_case.  An occurrence starts and ends on character boundaries, so that a replacement
// never splits a character.  Downward: the first occurrence starting at or after `from`.
// Upward: the last occurrence that lies within the first `limit` bytes.  npos when there is
// none; an empty needle is never found.
size_t FindPlain(std::string_view text, std::string_view needle, size_t from, bool match_case);
size_t RFindPlain(std::string_view text, std::string_view needle, size_t limit, bool match_case);

}  // namespace sk::search
