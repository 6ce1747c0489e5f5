#include "convert/cp932.h"

#include <gtest/gtest.h>

#include <QString>
#include <random>
#include <string>

namespace sk::cp932 {
namespace {

std::u16string U16(const QString& s) { return s.toStdU16String(); }

TEST(Cp932DecodeTest, CharactersAndStandIns) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"abc\r\n", u"abc\r\n"},
      {"\x95\x5C\x5C~", u"表\\~"},  // 0x5C and 0x7E stay backslash and tilde
      {"\xB1\xDF", u"ｱﾟ"},          // half-width katakana
      {"\x82\xA0\x88\x9F", u"あ亜"},
      {"\x87\x40\xFA\x40", u"①ⅰ"},  // NEC and IBM extensions
      {"\xF0\x40", u"\uE000"},      // user-defined area
      {"\x80\xA0\xFD\xFE\xFF", u"\uF780\uF7A0\uF7FD\uF7FE\uF7FF"},
      {"a\x82", u"a\uF782"},          // lead byte at the end
      {"\x82\x0A", u"\uF782\n"},      // lead byte before a non-trail byte
      {"\x85\x40", u"\uF785\uF740"},  // undefined double-byte code: two stand-ins
      {"\xEB\xFC\x61", u"\uF7EB\uF7FCa"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(U16(Decode(c.bytes)), c.text);
    std::string back;
    EXPECT_TRUE(Encode(Decode(c.bytes), &back));
    EXPECT_EQ(back, c.bytes);
  }
  EXPECT_EQ(ToUtf8("\x95\x5C"), "表");
}

TEST(Cp932EncodeTest, AcceptsJisFormsOfInputMethods) {
  struct Case {
    char16_t ch;
    std::string code;
  };
  const Case cases[] = {
      {0x301C, "\x81\x60"}, {0xFF5E, "\x81\x60"}, {0x2212, "\x81\x7C"}, {0xFF0D, "\x81\x7C"},
      {0x2016, "\x81\x61"}, {0x2225, "\x81\x61"}, {0x2014, "\x81\x5C"}, {0x2015, "\x81\x5C"},
      {0x00A2, "\x81\x91"}, {0xFFE0, "\x81\x91"}, {0x00A3, "\x81\x92"}, {0xFFE1, "\x81\x92"},
      {0x00AC, "\x81\xCA"}, {0xFFE2, "\x81\xCA"}, {0x00A5, "\x5C"},     {0x203E, "\x7E"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.ch));
    std::string out;
    EXPECT_TRUE(Encode(QString(QChar(c.ch)), &out));
    EXPECT_EQ(out, c.code);
    EXPECT_TRUE(CanEncode(c.ch));
  }
}

TEST(Cp932EncodeTest, DuplicateCodesComeBackAsOneCanonicalCode) {
  // 纊: NEC-selected IBM 0xED40 and IBM 0xFA5C.  ≒: JIS 0x81E0 and NEC row 13 0x8790.
  // ￢: 0x81CA, 0xEEF9, 0xFA54.  ⅰ: 0xEEEF and 0xFA40.
  struct Case {
    std::string codes[3];
    std::string canonical;
  };
  const Case cases[] = {
      {{"\xED\x40", "\xFA\x5C"}, "\xFA\x5C"},
      {{"\x87\x90", "\x81\xE0"}, "\x81\xE0"},
      {{"\x81\xCA", "\xEE\xF9", "\xFA\x54"}, "\x81\xCA"},
      {{"\xEE\xEF", "\xFA\x40"}, "\xFA\x40"},
  };
  for (const auto& c : cases) {
    for (const auto& code : c.codes) {
      if (code.empty()) continue;
      SCOPED_TRACE(testing::PrintToString(code));
      std::string out;
      EXPECT_TRUE(Encode(Decode(code), &out));
      EXPECT_EQ(out, c.canonical);
    }
  }
}

bool InDuplicateRange(unsigned code) {
  return (code >= 0x8740 && code <= 0x879C) || (code >= 0xED40 && code <= 0xEEFC) ||
         (code >= 0xFA40 && code <= 0xFC4B);
}

// Decoding and encoding again gives back every byte sequence, except that a duplicate code
// comes back as the one canonical code of its character.
TEST(Cp932RoundTripTest, EveryByteAndEveryPair) {
  for (unsigned b = 0; b < 256; ++b) {
    const std::string bytes(1, char(b));
    std::string out;
    ASSERT_TRUE(Encode(Decode(bytes), &out)) << b;
    EXPECT_EQ(out, bytes) << b;
  }
  int canonicalised = 0;
  for (unsigned code = 0; code < 0x10000; ++code) {
    const std::string bytes{char(code >> 8), char(code & 0xFF)};
    const QString text = Decode(bytes);
    std::string out;
    ASSERT_TRUE(Encode(text, &out)) << std::hex << code;
    if (out == bytes) continue;
    ++canonicalised;
    ASSERT_TRUE(InDuplicateRange(code)) << std::hex << code;
    ASSERT_EQ(out.size(), 2u) << std::hex << code;
    EXPECT_EQ(text.size(), 1) << std::hex << code;
    EXPECT_EQ(Decode(out), text) << std::hex << code;
    const unsigned canonical = (unsigned(uint8_t(out[0])) << 8) | uint8_t(out[1]);
    EXPECT_FALSE(canonical >= 0xED40 && canonical <= 0xEEFC) << std::hex << code;
  }
  // NEC row 13: 9 duplicates of JIS row 2; NEC-selected IBM: all 374 codes; IBM: 10 Roman
  // numerals and ￢ ∵ ㈱ № ℡, which JIS row 2 or NEC row 13 also hold.
  EXPECT_EQ(canonicalised, 9 + 374 + 10 + 5);
}

TEST(Cp932EncodeTest, RefusesCharactersCp932CannotHold) {
  struct Case {
    std::string utf8;
    char32_t bad;
    std::string prefix;  // what Encode produced before the refusal
    std::string replaced;
    int count;
  };
  const Case cases[] = {
      {"a😀b", 0x1F600, "a", "a\x81\xAC\x62", 1},
      {"\xF0\xA0\xAE\x9F", 0x20B9F, "", "\x81\xAC", 1},  // 𠮟 (JIS X 0213 only, outside the BMP)
      {"表俱", 0x4FF1, "\x95\x5C", "\x95\x5C\x81\xAC", 1},  // 俱 (JIS X 0213 only)
      {"caf\xC3\xA9s", 0xE9, "caf", "caf\x81\xAC\x73", 1},  // é
      {"é😀é", 0xE9, "", "\x81\xAC\x81\xAC\x81\xAC", 3},
      {"\xEF\xA3\xB0", 0xF8F0, "", "\x81\xAC", 1},  // private use outside the stand-ins
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::string out = "stale";
    char32_t bad = 0;
    EXPECT_FALSE(FromUtf8ToCp932(c.utf8, &out, &bad));
    EXPECT_EQ(bad, c.bad);
    EXPECT_EQ(out, c.prefix);
    EXPECT_FALSE(CanEncode(c.bad));
    int count = -1;
    EXPECT_EQ(EncodeReplacing(FromUtf8(c.utf8), &count), c.replaced);
    EXPECT_EQ(count, c.count);
  }
  // A lone surrogate is refused as itself.
  char32_t bad = 0;
  std::string out;
  EXPECT_FALSE(Encode(QString(QChar(char16_t(0xD83D))) + "x", &out, &bad));
  EXPECT_EQ(bad, 0xD83Du);
  EXPECT_FALSE(CanEncode(0xD83D));

  int count = -1;
  EXPECT_EQ(EncodeReplacing(FromUtf8("表\\"), &count), "\x95\x5C\x5C");
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(FromUtf8ToCp932("〓ｱ", &out));
  EXPECT_EQ(out, "\x81\xAC\xB1");
}

// The reference: decoding to a QString, then its UTF-8, then the escapes applied character by
// character (only ASCII characters of the decoded text are escaped).
std::string SlowUtf8(const std::string& bytes, const AsciiEscapes* escapes) {
  std::string utf8 = Decode(bytes).toStdString();
  if (!escapes) return utf8;
  std::string out;
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80 && escapes->len[b] != 0)
      out.append(escapes->text[b].data(), escapes->len[b]);
    else
      out += c;
  }
  return out;
}

std::string FastUtf8(const std::string& bytes, const AsciiEscapes* escapes) {
  const size_t room = bytes.size() * Utf8BytesPerByte(escapes) + kUtf8Slack;
  std::string out(room, '\x55');
  out.resize(size_t(DecodeUtf8To(bytes, out.data(), escapes) - out.data()));
  return out;
}

// Text like the pages hold: ASCII runs, double-byte characters (defined or not), half-width
// katakana, controls, stray bytes, and a lead byte at the end.
std::string RandomBytes(std::mt19937& rng) {
  std::string s;
  const int parts = int(rng() % 12);
  for (int i = 0; i < parts; ++i) {
    switch (rng() % 6) {
      case 0:  // an ASCII run, long enough for the eight-byte steps
        for (int n = int(rng() % 24); n > 0; --n) s += char(0x20 + rng() % 0x5F);
        break;
      case 1:  // a double-byte character, any lead and trail
        s += char(0x81 + rng() % 0x7C);
        s += char(0x40 + rng() % 0xBD);
        break;
      case 2:  // a common kanji or kana with an ASCII-coded trail byte
        s += "\x95\x5C\x83\x5C\x82\xA0";
        break;
      case 3:  // controls, quote, backslash, CR LF
        s += "\r\n\t\"\\";
        s += char(rng() % 0x20);
        break;
      default:  // any byte at all
        s += char(rng() % 256);
    }
  }
  if (rng() % 4 == 0) s += char(0x81 + rng() % 0x1F);  // a lead byte at the end
  return s;
}

TEST(Cp932Utf8Test, FastPathEqualsDecodeOnRandomBytes) {
  AsciiEscapes json;
  for (char c = 0; c < 0x20; ++c)
    json.Set(c, "\\u00" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15]);
  json.Set('\\', "\\\\");
  json.Set('"', "\\\"");
  AsciiEscapes many;  // more than four printable escapes: no eight-byte steps
  for (char c : std::string("abcdeXYZ~")) many.Set(c, "<" + std::string(1, c) + ">");
  EXPECT_FALSE(many.few_printable);
  const AsciiEscapes* escapes[] = {nullptr, &json, &many};

  const std::string fixed[] = {"",
                               "a",
                               "\x82",
                               "abc\x82",
                               "\x82\xA0",
                               "\x85\x40",
                               "\xFF\x80\xA0",
                               "0123456789abcdef\x95\x5C",
                               std::string(1, '\0')};
  for (const auto& bytes : fixed)
    for (const AsciiEscapes* e : escapes)
      EXPECT_EQ(FastUtf8(bytes, e), SlowUtf8(bytes, e)) << testing::PrintToString(bytes);
  // Every double-byte code once.
  std::string all;
  for (unsigned code = 0x8100; code < 0x10000; ++code) {
    all += char(code >> 8);
    all += char(code & 0xFF);
  }
  EXPECT_TRUE(FastUtf8(all, nullptr) == SlowUtf8(all, nullptr));
  EXPECT_TRUE(ToUtf8(all) == SlowUtf8(all, nullptr));

  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string bytes = RandomBytes(rng);
    const AsciiEscapes* e = escapes[i % 3];
    ASSERT_EQ(FastUtf8(bytes, e), SlowUtf8(bytes, e)) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace sk::cp932
