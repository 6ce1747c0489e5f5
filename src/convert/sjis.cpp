#include "convert/sjis.h"

#include <cstdint>

namespace sk::sjis {

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

namespace {

constexpr size_t npos = std::string_view::npos;

inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

// True when the needle, walked on its own, ends with a lead byte standing alone.  In a haystack
// that byte pairs with a following trail byte, so the match would end inside a character.
bool EndsWithLoneLead(std::string_view needle) {
  size_t i = 0;
  size_t last = 0;
  while (i < needle.size()) {
    last = i;
    i += CharLen(needle, i);
  }
  return !needle.empty() && last == needle.size() - 1 && IsLeadByte(At(needle, last));
}

// Walks the matches of needle in hay that start and end on character boundaries, in order,
// starting at byte `from`.  The boundary walker only ever moves forward, so the whole scan costs
// one pass over hay plus the byte search itself.
class MatchScanner {
 public:
  MatchScanner(std::string_view hay, std::string_view needle)
      : hay_(hay), needle_(needle), lone_lead_end_(EndsWithLoneLead(needle)) {}

  // The next boundary-respecting match at or after `from`; npos when none.  Successive calls
  // must pass non-decreasing `from`.
  size_t Next(size_t from) {
    if (needle_.empty() || from > hay_.size()) return npos;
    size_t p = hay_.find(needle_, from);
    while (p != npos) {
      while (walker_ < p) walker_ += CharLen(hay_, walker_);
      if (walker_ == p && EndsOnBoundary(p)) return p;
      p = hay_.find(needle_, p + 1);
    }
    return npos;
  }

 private:
  bool EndsOnBoundary(size_t p) const {
    size_t end = p + needle_.size();
    return !(lone_lead_end_ && end < hay_.size() && IsTrailByte(At(hay_, end)));
  }

  std::string_view hay_;
  std::string_view needle_;
  bool lone_lead_end_;
  size_t walker_ = 0;
};

inline char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }
inline char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c; }

// Double-byte letters with a case partner in JIS X 0208.
uint16_t LowerCode(uint16_t c) {
  if (c >= 0x8260 && c <= 0x8279) return uint16_t(c + 0x21);  // Ａ-Ｚ -> ａ-ｚ
  if (c >= 0x839F && c <= 0x83B6) return uint16_t(c + 0x20);  // Α-Ω -> α-ω
  if (c >= 0x8440 && c <= 0x844E) return uint16_t(c + 0x30);  // А-Н -> а-н
  if (c >= 0x844F && c <= 0x8460) return uint16_t(c + 0x31);  // О-Я -> о-я (0x847F is no code)
  return c;
}

uint16_t UpperCode(uint16_t c) {
  if (c >= 0x8281 && c <= 0x829A) return uint16_t(c - 0x21);
  if (c >= 0x83BF && c <= 0x83D6) return uint16_t(c - 0x20);
  if (c >= 0x8470 && c <= 0x847E) return uint16_t(c - 0x30);
  if (c >= 0x8480 && c <= 0x8491) return uint16_t(c - 0x31);
  return c;
}

template <typename SingleFn, typename DoubleFn>
std::string MapChars(std::string_view s, SingleFn single, DoubleFn dbl) {
  std::string out(s);
  size_t i = 0;
  while (i < out.size()) {
    size_t len = CharLen(out, i);
    if (len == 1) {
      out[i] = single(out[i]);
    } else {
      uint16_t code = uint16_t((At(out, i) << 8) | At(out, i + 1));
      uint16_t mapped = dbl(code);
      if (mapped != code) {
        out[i] = char(mapped >> 8);
        out[i + 1] = char(mapped & 0xFF);
      }
    }
    i += len;
  }
  return out;
}

}  // namespace

size_t CharLen(std::string_view s, size_t pos) {
  if (pos >= s.size()) return 0;
  if (IsLeadByte(At(s, pos)) && pos + 1 < s.size() && IsTrailByte(At(s, pos + 1))) return 2;
  return 1;
}

bool IsCharBoundary(std::string_view s, size_t pos) {
  if (pos > s.size()) return false;
  size_t i = 0;
  while (i < pos) i += CharLen(s, i);
  return i == pos;
}

size_t CutLength(std::string_view s, size_t max_bytes) {
  if (max_bytes >= s.size()) return s.size();
  size_t i = 0;
  while (true) {
    size_t len = CharLen(s, i);
    if (i + len > max_bytes) return i;
    i += len;
  }
}

size_t Find(std::string_view hay, std::string_view needle, size_t from) {
  MatchScanner scanner(hay, needle);
  return scanner.Next(from);
}

size_t CountMatches(std::string_view hay, std::string_view needle) {
  MatchScanner scanner(hay, needle);
  size_t n = 0;
  for (size_t p = scanner.Next(0); p != npos; p = scanner.Next(p + needle.size())) ++n;
  return n;
}

size_t RFind(std::string_view hay, std::string_view needle, size_t before) {
  MatchScanner scanner(hay, needle);
  size_t last = npos;
  for (size_t p = scanner.Next(0); p != npos && p <= before; p = scanner.Next(p + 1)) last = p;
  return last;
}

std::string HankakuToUpperLowerCase(std::string_view s, int mode) {
  auto keep = [](uint16_t c) { return c; };
  if (mode == 1) return MapChars(s, ToLowerAscii, keep);
  if (mode == 2) return MapChars(s, ToUpperAscii, keep);
  return std::string(s);
}

std::string ToLowerKeepLength(std::string_view s) { return MapChars(s, ToLowerAscii, LowerCode); }

std::string ToUpperKeepLength(std::string_view s) { return MapChars(s, ToUpperAscii, UpperCode); }

}  // namespace sk::sjis
