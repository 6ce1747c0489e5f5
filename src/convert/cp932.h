// CP932 <-> Unicode at the boundary to Qt, the clipboard and platform file names.
//
// Decoding never loses a byte: a byte that is not valid CP932 (a stray 0x80, an undefined
// double-byte code, a lead byte at the end) becomes a private-use stand-in U+F700 + byte, which
// encodes back to that byte.  An undefined double-byte code becomes two stand-ins, so a trail
// byte 0x40-0x7E is held by U+F740..U+F77E.  Encoding accepts the JIS forms that Linux input
// methods produce (U+301C, U+2212, U+2016, U+2014, U+00A2, U+00A3, U+00AC, U+00A5, U+203E). CP932's
// duplicate codes (NEC/IBM extensions) decode to one character and encode to one canonical code.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sk::cp932 {

constexpr char16_t kStandInBase = 0xF700;  // U+F740..U+F7FF stand for bytes 0x40..0xFF
constexpr char16_t kGeta = 0x3013;         // "〓", the replacement for unencodable characters

QString Decode(std::string_view bytes);

// Strict encoding: false when some character cannot be held; *bad (when given) receives the
// first such character as a code point.  out is replaced by the bytes encoded up to that point.
bool Encode(const QString& text, std::string* out, char32_t* bad = nullptr);

// Encoding that replaces every unencodable character by "〓"; *replaced counts them.
std::string EncodeReplacing(const QString& text, int* replaced = nullptr);

// True when the code point can be encoded.
bool CanEncode(char32_t ch);

// Convenience for UTF-8 text (the command line and the tests).
inline QString FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
// The UTF-8 form of Decode(cp932_bytes), byte for byte, without a QString on the way.
std::string ToUtf8(std::string_view cp932_bytes);

// Decoding straight to UTF-8 for bulk output (the command line): ASCII runs are copied eight bytes
// at a time and each double-byte character costs one table lookup.
//
// Escapes: texts of at most 8 bytes written in place of ASCII characters.  A double-byte character
// whose second byte has an ASCII code is never escaped.
struct AsciiEscapes {
  std::array<std::array<char, 8>, 128> text{};
  std::array<uint8_t, 128> len{};  // 0: the character itself
  // The escaped characters from 0x20 up when there are at most four: eight bytes free of them,
  // of controls and of non-ASCII bytes are copied in one step.
  std::array<uint8_t, 4> printable{};
  uint8_t printable_count = 0;
  bool few_printable = true;
  void Set(char c, std::string_view t);
};
// The most bytes DecodeUtf8To writes for one byte of input: 3, or the longest escape.
size_t Utf8BytesPerByte(const AsciiEscapes* escapes = nullptr);
constexpr size_t kUtf8Slack = 8;
// Writes the UTF-8 form of bytes at dst, which has room for
// bytes.size() * Utf8BytesPerByte(escapes) + kUtf8Slack bytes, and returns the end of what it
// wrote.
char* DecodeUtf8To(std::string_view bytes, char* dst, const AsciiEscapes* escapes = nullptr);

bool FromUtf8ToCp932(std::string_view utf8, std::string* out, char32_t* bad = nullptr);

}  // namespace sk::cp932
