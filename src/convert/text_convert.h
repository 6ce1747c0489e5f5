// Conversions of page text (CP932 bytes) for the Edit menu's commands and for export and printing:
// half-width and full-width forms, numerals, radix, punctuation, and the counts of characters and
// of a string.  Every function walks characters (a lead byte followed by a trail byte is one
// character), copies what it does not convert, and lets bytes that are not valid CP932 through
// unchanged.  Case mapping is in sjis.h (`HankakuToUpperLowerCase`, `ToLowerKeepLength`,
// `ToUpperKeepLength`).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sk::convert {

// Half-width digits and letters (and with `symbols` the 32 printable ASCII symbols) to their
// full-width forms; the space, control characters, half-width katakana and every double-byte
// character stay.
std::string ToZenkaku(std::string_view s, bool symbols);
// The exact inverse: only the 62 full-width digits and letters (and with `symbols` the 32
// full-width symbols of the same table) become ASCII.
std::string ToHankaku(std::string_view s, bool symbols);

// The case commands: mode 1 lower-cases and mode 2 upper-cases the half-width letters only, mode 3
// lower-cases and mode 4 upper-cases the full-width, Greek and Cyrillic letters too.
std::string ChangeCase(std::string_view s, int mode);

// Full-width digits ０-９ to the kanji digits 〇一二三四五六七八九, and back.  Digit by digit: 十,
// 百, 千 and 万 are neither made nor read.
std::string ArabiaToKan(std::string_view s);
std::string KanToArabia(std::string_view s);
// Half-width digits to kanji digits and half-width parentheses to full-width ones, for vertical
// writing.
std::string HankakuNumToKansuji(std::string_view s);

// Every maximal run of single-byte digits of radix `from` (2, 10 or 16; a-f in either case for
// 16) is read as one number and written in radix `to` (lower-case a-f, no leading zeros).  A run
// whose value does not fit in 64 bits is left as it is; everything else is copied.
std::string ConvertRadix(std::string_view s, int from, int to);

// The punctuation swaps: kind 1 makes "．"→"。" and "，"→"、", kind 2 "．"→"。" and "、"→"，",
// kind 3 "。"→"．" and "、"→"，".
std::string ChangePunctuation(std::string_view s, int kind);

struct CharCounts {
  size_t bytes = 0;
  size_t full_width = 0;  // double-byte characters
  size_t half_width = 0;  // other bytes of value 32 and above
  size_t control = 0;     // the rest (CR and LF of line breaks among them)
};
CharCounts CountChars(std::string_view s);

// Non-overlapping occurrences of needle in s, each starting on a character boundary; with
// ignore_case both are compared lower-cased (ASCII, full-width, Greek and Cyrillic letters).
size_t CountString(std::string_view s, std::string_view needle, bool ignore_case);

}  // namespace sk::convert
