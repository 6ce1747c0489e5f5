#include "convert/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "convert/sjis.h"

namespace sk::cp932 {

namespace {

constexpr char16_t kNoChar = 0xFFFF;  // a noncharacter: never the decoding of a CP932 code
constexpr uint16_t kNoCode = 0xFFFF;  // 0xFF is never a lead byte
constexpr uint16_t kGetaCode = 0x81AC;
constexpr char16_t kStandInFirst = kStandInBase + 0x40;  // lowest byte a stand-in can hold
constexpr char16_t kStandInLast = kStandInBase + 0xFF;

// The converter is asked once per code when the tables are built, never while converting text.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in` completely; returns the number of output bytes, or -1 when the converter
  // refuses any part of it.
  int Convert(const char* in, size_t in_len, char* out, size_t out_cap) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t src_left = in_len;
    size_t dst_left = out_cap;
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) return -1;
    if (src_left != 0) return -1;
    char* flush_dst = dst;
    if (iconv(cd_, nullptr, nullptr, &flush_dst, &dst_left) == static_cast<size_t>(-1)) return -1;
    return static_cast<int>(flush_dst - out);
  }

 private:
  iconv_t cd_;
};

struct Tables {
  std::array<char16_t, 256> single;      // byte -> character, kNoChar when not a character
  std::array<char16_t, 128 * 256> pair;  // ((lead - 0x80) << 8 | trail) -> character
  std::array<uint16_t, 0x10000> encode;  // BMP character -> code (< 0x100: one byte)

  char16_t Pair(unsigned lead, unsigned trail) const { return pair[((lead - 0x80) << 8) | trail]; }
  bool IsCharCode(uint16_t code) const {
    if (code < 0x100) return single[code] != kNoChar;
    unsigned lead = code >> 8, trail = code & 0xFF;
    return sjis::IsLeadByte(lead) && sjis::IsTrailByte(trail) && Pair(lead, trail) != kNoChar;
  }
};

// One character from UCS-4LE output, or kNoChar when the output is not a single BMP character
// usable here.
char16_t OneBmpChar(const char* out, int len) {
  if (len != 4) return kNoChar;
  const auto* u = reinterpret_cast<const unsigned char*>(out);
  uint32_t cp = u[0] | (u[1] << 8) | (u[2] << 16) | (uint32_t(u[3]) << 24);
  if (cp >= 0x10000 || (cp >= 0xD800 && cp <= 0xDFFF) || cp == kNoChar) return kNoChar;
  if (cp >= kStandInFirst && cp <= kStandInLast) return kNoChar;
  return char16_t(cp);
}

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  t->single.fill(kNoChar);
  t->pair.fill(kNoChar);
  t->encode.fill(kNoCode);

  Iconv dec("UCS-4LE", "CP932");
  Iconv enc("CP932", "UCS-4LE");
  char out[16];
  if (dec.ok()) {
    // Single bytes: ASCII and the half-width katakana.  0x80, 0xA0 and 0xFD-0xFF stay stand-ins
    // even if a converter gives them a meaning.
    for (unsigned b = 0; b < 256; ++b) {
      if (b >= 0x80 && (b < 0xA1 || b > 0xDF)) continue;
      char in = char(b);
      t->single[b] = OneBmpChar(out, dec.Convert(&in, 1, out, sizeof out));
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!sjis::IsLeadByte(lead)) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!sjis::IsTrailByte(trail)) continue;
        char in[2] = {char(lead), char(trail)};
        t->pair[((lead - 0x80) << 8) | trail] =
            OneBmpChar(out, dec.Convert(in, 2, out, sizeof out));
      }
    }
  }
  if (enc.ok()) {
    for (uint32_t cp = 0; cp < 0x10000; ++cp) {
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;
      char in[4] = {char(cp & 0xFF), char((cp >> 8) & 0xFF), 0, 0};
      int len = enc.Convert(in, 4, out, sizeof out);
      uint16_t code = kNoCode;
      if (len == 1) code = static_cast<unsigned char>(out[0]);
      if (len == 2)
        code = uint16_t((static_cast<unsigned char>(out[0]) << 8) |
                        static_cast<unsigned char>(out[1]));
      // Only codes that decode as characters here; anything else would not come back.
      if (code != kNoCode && t->IsCharCode(code)) t->encode[cp] = code;
    }
  }
  // Every character that some code decodes to must encode; the lowest such code is the canonical
  // one.
  for (unsigned b = 0; b < 256; ++b) {
    char16_t ch = t->single[b];
    if (ch != kNoChar && t->encode[ch] == kNoCode) t->encode[ch] = uint16_t(b);
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      char16_t ch = t->Pair(lead, trail);
      if (ch != kNoChar && t->encode[ch] == kNoCode) t->encode[ch] = uint16_t((lead << 8) | trail);
    }
  }
  // The forms Linux input methods and UTF-8 files use for some JIS X 0208 characters.
  static constexpr std::pair<char16_t, uint16_t> kJisForms[] = {
      {0x301C, 0x8160}, {0x2212, 0x817C}, {0x2016, 0x8161}, {0x2014, 0x815C}, {0x00A2, 0x8191},
      {0x00A3, 0x8192}, {0x00AC, 0x81CA}, {0x00A5, 0x005C}, {0x203E, 0x007E}};
  for (auto [ch, code] : kJisForms) {
    if (t->encode[ch] == kNoCode) t->encode[ch] = code;
  }
  for (char16_t ch = kStandInFirst;; ++ch) {
    t->encode[ch] = uint16_t(ch - kStandInBase);
    if (ch == kStandInLast) break;
  }
  return t;
}

const Tables& GetTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();  // thread-safe static init
  return *tables;
}

void AppendCode(std::string* out, uint16_t code) {
  if (code >= 0x100) out->push_back(char(code >> 8));
  out->push_back(char(code & 0xFF));
}

// Walks text by code point; calls fn(code point, CP932 code or kNoCode).  Returns early when fn
// returns false.
template <typename Fn>
void ForEachChar(const QString& text, Fn fn) {
  const Tables& t = GetTables();
  const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    char16_t u = p[i];
    char32_t cp = u;
    uint16_t code = kNoCode;
    if (u >= 0xD800 && u <= 0xDFFF) {
      if (u <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(p[i + 1]) - 0xDC00);
        ++i;
      }
    } else {
      code = t.encode[u];
    }
    if (!fn(cp, code)) return;
  }
}

}  // namespace

QString Decode(std::string_view bytes) {
  const Tables& t = GetTables();
  QString out;
  out.reserve(qsizetype(bytes.size()));
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned b = static_cast<unsigned char>(bytes[i]);
    size_t len = sjis::CharLen(bytes, i);
    if (len == 1) {
      char16_t ch = t.single[b];
      out.append(QChar(ch != kNoChar ? ch : char16_t(kStandInBase + b)));
    } else {
      unsigned trail = static_cast<unsigned char>(bytes[i + 1]);
      char16_t ch = t.Pair(b, trail);
      if (ch != kNoChar) {
        out.append(QChar(ch));
      } else {
        out.append(QChar(char16_t(kStandInBase + b)));
        out.append(QChar(char16_t(kStandInBase + trail)));
      }
    }
    i += len;
  }
  return out;
}

namespace {

static_assert(std::endian::native == std::endian::little, "packed UTF-8 is stored little-endian");

// UTF-8 of each decoding, packed for one 4-byte store: the bytes in memory order in the low three
// bytes, the count in the top byte (0: no character).
struct Utf8Tables {
  std::array<uint32_t, 256> single;      // byte -> its character or its stand-in
  std::array<uint32_t, 256> stand_in;    // byte -> its stand-in
  std::array<uint32_t, 256 * 256> pair;  // (trail << 8 | lead) -> character, or 0
};

uint32_t PackUtf8(char16_t ch) {
  unsigned char b[3];
  unsigned n;
  if (ch < 0x80) {
    b[0] = uint8_t(ch);
    n = 1;
  } else if (ch < 0x800) {
    b[0] = uint8_t(0xC0 | (ch >> 6));
    b[1] = uint8_t(0x80 | (ch & 0x3F));
    n = 2;
  } else {
    b[0] = uint8_t(0xE0 | (ch >> 12));
    b[1] = uint8_t(0x80 | ((ch >> 6) & 0x3F));
    b[2] = uint8_t(0x80 | (ch & 0x3F));
    n = 3;
  }
  uint32_t v = n << 24;
  for (unsigned i = 0; i < n; ++i) v |= uint32_t(b[i]) << (8 * i);
  return v;
}

std::unique_ptr<Utf8Tables> BuildUtf8Tables() {
  const Tables& t = GetTables();
  auto u = std::make_unique<Utf8Tables>();
  for (unsigned b = 0; b < 256; ++b) {
    char16_t ch = t.single[b];
    u->single[b] = PackUtf8(ch != kNoChar ? ch : char16_t(kStandInBase + b));
    u->stand_in[b] = PackUtf8(char16_t(kStandInBase + b));
  }
  u->pair.fill(0);
  for (unsigned lead = 0x80; lead < 0x100; ++lead) {
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      char16_t ch = t.Pair(lead, trail);
      if (ch != kNoChar) u->pair[(trail << 8) | lead] = PackUtf8(ch);
    }
  }
  return u;
}

const Utf8Tables& GetUtf8Tables() {
  static const std::unique_ptr<Utf8Tables> tables = BuildUtf8Tables();
  return *tables;
}

// Stores the packed character at o (4 bytes: the slack allows the one past it) and returns the
// end of its bytes.
inline char* Put(char* o, uint32_t packed) {
  memcpy(o, &packed, 4);
  return o + (packed >> 24);
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// The bytes of x that need more than a copy, each marked by its top bit: non-ASCII bytes and,
// with escapes, controls and the escaped printable characters.  The lowest marked byte is exact
// (the marks above it may not be).
template <bool kEscape>
inline uint64_t SpecialBytes(uint64_t x, const AsciiEscapes* escapes) {
  uint64_t m = x & kHighs;
  if constexpr (kEscape) {
    auto zero_bytes = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    m |= (x - 0x20 * kOnes) & ~x & kHighs;  // bytes below 0x20
    for (size_t i = 0; i < escapes->printable_count; ++i)
      m |= zero_bytes(x ^ (escapes->printable[i] * kOnes));
  }
  return m;
}

template <bool kEscape>
char* DecodeUtf8Impl(std::string_view bytes, char* o, const AsciiEscapes* escapes) {
  const Utf8Tables& u = GetUtf8Tables();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  const bool wide_steps = !kEscape || escapes->few_printable;
  auto put_ascii = [&](unsigned c) {  // one ASCII byte, or its escape
    if (kEscape && escapes->len[c] != 0) {
      memcpy(o, escapes->text[c].data(), 8);
      o += escapes->len[c];
    } else {
      *o++ = char(c);
    }
  };
  while (p < end) {
    unsigned b = *p;
    if (b < 0x80) {
      // ASCII: eight bytes copied at a time, up to the first byte that needs more; an escape
      // on the way is written and the copying goes on.
      if (wide_steps) {
        while (end - p >= 8) {
          uint64_t x;
          memcpy(&x, p, 8);
          memcpy(o, &x, 8);
          const uint64_t special = SpecialBytes<kEscape>(x, escapes);
          const size_t plain = special ? size_t(std::countr_zero(special) >> 3) : 8;
          p += plain;
          o += plain;
          if (plain == 8) continue;
          b = *p;
          if (b >= 0x80) break;
          put_ascii(b);
          ++p;
        }
        if (p == end) break;
        b = *p;
        if (b >= 0x80) continue;
      }
      put_ascii(b);
      ++p;
      continue;
    }
    // A run of double-byte characters.  A table entry is non-zero only for a lead byte, a trail
    // byte and a defined character.
    do {
      if (end - p < 2) {
        o = Put(o, u.single[b]);
        ++p;
        break;
      }
      uint16_t two;
      memcpy(&two, p, 2);  // lead in the low byte
      if (uint32_t packed = u.pair[two]) {
        o = Put(o, packed);
        p += 2;
      } else if (sjis::IsLeadByte(b) && sjis::IsTrailByte(p[1])) {  // undefined: two stand-ins
        o = Put(o, u.stand_in[b]);
        o = Put(o, u.stand_in[p[1]]);
        p += 2;
      } else {
        o = Put(o, u.single[b]);
        ++p;
      }
    } while (p < end && (b = *p) >= 0x80);
  }
  return o;
}

}  // namespace

void AsciiEscapes::Set(char c, std::string_view t) {
  const auto i = static_cast<unsigned char>(c);
  if (i >= 0x80 || t.size() > 8) return;
  text[i] = {};
  std::copy(t.begin(), t.end(), text[i].begin());
  len[i] = uint8_t(t.size());
  if (i < 0x20) return;
  for (size_t k = 0; k < printable_count; ++k)
    if (printable[k] == i) return;
  if (printable_count < printable.size())
    printable[printable_count++] = uint8_t(i);
  else
    few_printable = false;
}

size_t Utf8BytesPerByte(const AsciiEscapes* escapes) {
  size_t per_byte = 3;
  if (escapes)
    for (uint8_t n : escapes->len) per_byte = std::max<size_t>(per_byte, n);
  return per_byte;
}

char* DecodeUtf8To(std::string_view bytes, char* dst, const AsciiEscapes* escapes) {
  return escapes ? DecodeUtf8Impl<true>(bytes, dst, escapes)
                 : DecodeUtf8Impl<false>(bytes, dst, nullptr);
}

std::string ToUtf8(std::string_view cp932_bytes) {
  std::string out(cp932_bytes.size() * 3 + kUtf8Slack, '\0');
  out.resize(size_t(DecodeUtf8To(cp932_bytes, out.data()) - out.data()));
  return out;
}

bool Encode(const QString& text, std::string* out, char32_t* bad) {
  out->clear();
  out->reserve(size_t(text.size()) * 2);
  bool ok = true;
  ForEachChar(text, [&](char32_t cp, uint16_t code) {
    if (code == kNoCode) {
      ok = false;
      if (bad) *bad = cp;
      return false;
    }
    AppendCode(out, code);
    return true;
  });
  return ok;
}

std::string EncodeReplacing(const QString& text, int* replaced) {
  std::string out;
  out.reserve(size_t(text.size()) * 2);
  int count = 0;
  ForEachChar(text, [&](char32_t, uint16_t code) {
    if (code == kNoCode) {
      ++count;
      code = kGetaCode;
    }
    AppendCode(&out, code);
    return true;
  });
  if (replaced) *replaced = count;
  return out;
}

bool CanEncode(char32_t ch) {
  if (ch >= 0x10000 || (ch >= 0xD800 && ch <= 0xDFFF)) return false;
  return GetTables().encode[ch] != kNoCode;
}

bool FromUtf8ToCp932(std::string_view utf8, std::string* out, char32_t* bad) {
  return Encode(FromUtf8(utf8), out, bad);
}

}  // namespace sk::cp932
