#include "convert/text_convert.h"

#include <array>
#include <cstdint>
#include <limits>

#include "convert/sjis.h"

namespace sk::convert {

namespace {

inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

inline uint16_t CodeAt(std::string_view s, size_t i) {
  return uint16_t((At(s, i) << 8) | At(s, i + 1));
}

inline void AppendCode(std::string& out, uint16_t code) {
  out += char(code >> 8);
  out += char(code & 0xFF);
}

// The full-width forms of the printable ASCII symbols "!" (0x21) to "~" (0x7E); 0 for the digits
// and letters, which are not symbols.
constexpr std::array<uint16_t, 0x7F - 0x21> kSymbolCodes = [] {
  std::array<uint16_t, 0x7F - 0x21> t{};
  const std::pair<char, uint16_t> pairs[] = {
      {'!', 0x8149},  {'"', 0x8168}, {'#', 0x8194}, {'$', 0x8190}, {'%', 0x8193}, {'&', 0x8195},
      {'\'', 0x8166}, {'(', 0x8169}, {')', 0x816A}, {'*', 0x8196}, {'+', 0x817B}, {',', 0x8143},
      {'-', 0x817C},  {'.', 0x8144}, {'/', 0x815E}, {':', 0x8146}, {';', 0x8147}, {'<', 0x8183},
      {'=', 0x8181},  {'>', 0x8184}, {'?', 0x8148}, {'@', 0x8197}, {'[', 0x816D}, {'\\', 0x818F},
      {']', 0x816E},  {'^', 0x814F}, {'_', 0x8151}, {'`', 0x814D}, {'{', 0x816F}, {'|', 0x8162},
      {'}', 0x8170},  {'~', 0x8160}};
  for (const auto& [c, code] : pairs) t[size_t(c - 0x21)] = code;
  return t;
}();

// The full-width form of an ASCII byte, or 0 when it has none (or is a symbol and symbols are
// not asked for).
uint16_t ZenkakuOf(unsigned char c, bool symbols) {
  if (c >= '0' && c <= '9') return uint16_t(0x824F + (c - '0'));
  if (c >= 'A' && c <= 'Z') return uint16_t(0x8260 + (c - 'A'));
  if (c >= 'a' && c <= 'z') return uint16_t(0x8281 + (c - 'a'));
  if (symbols && c >= 0x21 && c <= 0x7E) return kSymbolCodes[c - 0x21];
  return 0;
}

// The ASCII byte of a full-width character of the table, or 0.
char HankakuOf(uint16_t code, bool symbols) {
  if (code >= 0x824F && code <= 0x8258) return char('0' + (code - 0x824F));
  if (code >= 0x8260 && code <= 0x8279) return char('A' + (code - 0x8260));
  if (code >= 0x8281 && code <= 0x829A) return char('a' + (code - 0x8281));
  if (symbols && (code >> 8) == 0x81)
    for (size_t i = 0; i < kSymbolCodes.size(); ++i)
      if (kSymbolCodes[i] == code) return char(0x21 + i);
  return 0;
}

constexpr std::array<uint16_t, 10> kKanjiDigits = {0x815A, 0x88EA, 0x93F1, 0x8E4F, 0x8E6C,
                                                   0x8CDC, 0x985A, 0x8EB5, 0x94AA, 0x8BE3};
constexpr uint16_t kFullZero = 0x824F;

// Walks s character by character; for each double-byte character `dbl(code, out)` and for each
// single byte `single(byte, out)` append the result.
template <typename SingleFn, typename DoubleFn>
std::string MapChars(std::string_view s, SingleFn single, DoubleFn dbl) {
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (size_t i = 0; i < s.size();) {
    const size_t len = sjis::CharLen(s, i);
    if (len == 2)
      dbl(CodeAt(s, i), out);
    else
      single(At(s, i), out);
    i += len;
  }
  return out;
}

void CopyByte(unsigned char c, std::string& out) { out += char(c); }
void CopyCode(uint16_t code, std::string& out) { AppendCode(out, code); }

// The value of a digit in radix 2, 10 or 16, or -1.
int DigitValue(unsigned char c, int radix) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < radix ? v : -1;
}

std::string WriteRadix(uint64_t v, int radix) {
  if (v == 0) return "0";
  std::string digits;
  while (v > 0) {
    digits += "0123456789abcdef"[v % uint64_t(radix)];
    v /= uint64_t(radix);
  }
  return std::string(digits.rbegin(), digits.rend());
}

}  // namespace

std::string ToZenkaku(std::string_view s, bool symbols) {
  return MapChars(
      s,
      [symbols](unsigned char c, std::string& out) {
        if (const uint16_t z = ZenkakuOf(c, symbols))
          AppendCode(out, z);
        else
          out += char(c);
      },
      CopyCode);
}

std::string ToHankaku(std::string_view s, bool symbols) {
  return MapChars(s, CopyByte, [symbols](uint16_t code, std::string& out) {
    const uint8_t lead = uint8_t(code >> 8);
    const char h = (lead == 0x81 || lead == 0x82) ? HankakuOf(code, symbols) : 0;
    if (h)
      out += h;
    else
      AppendCode(out, code);
  });
}

std::string ChangeCase(std::string_view s, int mode) {
  if (mode == 3) return sjis::ToLowerKeepLength(s);
  if (mode == 4) return sjis::ToUpperKeepLength(s);
  return sjis::HankakuToUpperLowerCase(s, mode);
}

std::string ArabiaToKan(std::string_view s) {
  return MapChars(s, CopyByte, [](uint16_t code, std::string& out) {
    const bool digit = code >= kFullZero && code <= kFullZero + 9;
    AppendCode(out, digit ? kKanjiDigits[code - kFullZero] : code);
  });
}

std::string KanToArabia(std::string_view s) {
  return MapChars(s, CopyByte, [](uint16_t code, std::string& out) {
    for (size_t d = 0; d < kKanjiDigits.size(); ++d)
      if (kKanjiDigits[d] == code) return AppendCode(out, uint16_t(kFullZero + d));
    AppendCode(out, code);
  });
}

std::string HankakuNumToKansuji(std::string_view s) {
  return MapChars(
      s,
      [](unsigned char c, std::string& out) {
        if (c >= '0' && c <= '9')
          AppendCode(out, kKanjiDigits[c - '0']);
        else if (c == '(')
          AppendCode(out, 0x8169);
        else if (c == ')')
          AppendCode(out, 0x816A);
        else
          out += char(c);
      },
      CopyCode);
}

std::string ConvertRadix(std::string_view s, int from, int to) {
  std::string out;
  out.reserve(s.size() * (to == 2 ? 4 : 1));
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  size_t i = 0;
  while (i < s.size()) {
    const size_t len = sjis::CharLen(s, i);
    if (len != 1 || DigitValue(At(s, i), from) < 0) {
      out.append(s, i, len);
      i += len;
      continue;
    }
    const size_t start = i;
    uint64_t v = 0;
    bool fits = true;
    for (; i < s.size() && sjis::CharLen(s, i) == 1; ++i) {
      const int d = DigitValue(At(s, i), from);
      if (d < 0) break;
      if (v > (kMax - uint64_t(d)) / uint64_t(from)) fits = false;
      if (fits) v = v * uint64_t(from) + uint64_t(d);
    }
    if (fits)
      out += WriteRadix(v, to);
    else
      out.append(s, start, i - start);
  }
  return out;
}

std::string ChangePunctuation(std::string_view s, int kind) {
  constexpr uint16_t kMaru = 0x8142, kTen = 0x8141, kPeriod = 0x8144, kComma = 0x8143;
  struct Swap {
    uint16_t from1, to1, from2, to2;
  };
  const Swap swaps[] = {{kPeriod, kMaru, kComma, kTen},
                        {kPeriod, kMaru, kTen, kComma},
                        {kMaru, kPeriod, kTen, kComma}};
  if (kind < 1 || kind > 3) return std::string(s);
  const Swap w = swaps[kind - 1];
  return MapChars(s, CopyByte, [w](uint16_t code, std::string& out) {
    AppendCode(out, code == w.from1 ? w.to1 : code == w.from2 ? w.to2 : code);
  });
}

CharCounts CountChars(std::string_view s) {
  CharCounts c;
  c.bytes = s.size();
  for (size_t i = 0; i < s.size();) {
    const size_t len = sjis::CharLen(s, i);
    if (len == 2)
      ++c.full_width;
    else if (At(s, i) >= 0x20)
      ++c.half_width;
    i += len;
  }
  c.control = c.bytes - 2 * c.full_width - c.half_width;
  return c;
}

size_t CountString(std::string_view s, std::string_view needle, bool ignore_case) {
  if (!ignore_case) return sjis::CountMatches(s, needle);
  return sjis::CountMatches(sjis::ToLowerKeepLength(s), sjis::ToLowerKeepLength(needle));
}

}  // namespace sk::convert
