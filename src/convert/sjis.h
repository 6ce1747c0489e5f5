// Shift-JIS (code page 932) byte helpers.
//
// Every string the program keeps is CP932 bytes: one byte for ASCII and half-width katakana, a
// lead byte (0x81-0x9F, 0xE0-0xFC) followed by a trail byte (0x40-0x7E, 0x80-0xFC) for a
// double-byte character.  A lead byte not followed by a trail byte counts as one byte.
// No scan here ever starts or ends a match inside a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sk::sjis {

constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Length in bytes (1 or 2) of the character that starts at pos; 0 when pos is at or past the end.
size_t CharLen(std::string_view s, size_t pos);

// True when pos (0..size) falls on a character boundary, walking from the start of s.
bool IsCharBoundary(std::string_view s, size_t pos);

// The largest character boundary <= max_bytes: the length to cut s to so that no double-byte
// character is split.
size_t CutLength(std::string_view s, size_t max_bytes);

// First occurrence of needle in hay at or after byte from that starts on a character boundary
// (so never inside a double-byte character); npos when none.  An empty needle never matches.
size_t Find(std::string_view hay, std::string_view needle, size_t from = 0);

// Number of non-overlapping occurrences found as Find finds them, each search resuming right after
// the previous match.
size_t CountMatches(std::string_view hay, std::string_view needle);

// Last occurrence starting on a character boundary at or before byte `before`; npos when none.
size_t RFind(std::string_view hay, std::string_view needle, size_t before = std::string_view::npos);

// Without control characters and half-width blanks at both ends.  A trail byte is never below
// 0x40, so the bytes are cut as they are.
std::string_view TrimBlanks(std::string_view s);

// Case of the single-byte letters only: mode 1 lower-cases, mode 2 upper-cases the half-width
// ASCII letters; double-byte characters (their trail bytes too) and half-width katakana are kept.
std::string HankakuToUpperLowerCase(std::string_view s, int mode);

// Case mapping that keeps the byte length: ASCII letters, the full-width Latin letters, and the
// Greek and Cyrillic letters of JIS X 0208.  Used by searches that ignore case and by the full
// case conversion commands.
std::string ToLowerKeepLength(std::string_view s);
std::string ToUpperKeepLength(std::string_view s);

}  // namespace sk::sjis
