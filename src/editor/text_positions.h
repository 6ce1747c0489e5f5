// Byte positions of the page text and character positions of the text area's document.
//
// The page text is CP932 bytes with CR LF line ends; every position and length the program keeps
// (selection, search hits, highlight and undo records) is a byte offset into it.  The text area
// holds the same text as a QString, one paragraph per line, where a paragraph break is a single
// position.  This file is the one place that maps between the two:
//
//   - a paragraph break is 1 character and 2 bytes (CR LF);
//   - a double-byte character (kanji, kana, full-width forms, also the JIS forms U+301C, U+2212 ...
//     that input methods produce) is 1 character and 2 bytes;
//   - ASCII and half-width katakana are 1 character and 1 byte;
//   - a stand-in U+F740..U+F7FF for a byte that is not valid CP932 is 1 character and 1 byte;
//   - a character CP932 cannot hold (only reachable if one slipped into the document) is counted
//     as the "〓" it would be written as: 2 bytes, split 1 + 1 over a surrogate pair.
//
// The mapping is linear in the text length (page texts are around 30 KB); build a TextPositions
// once per text change and look positions up in it as often as needed.
//
// Colours are 0x00BBGGRR integers and a font style is an integer with bit 0 bold, bit 1 italic,
// bit 2 underline and bit 3 strike-out; the helpers at the end convert them.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sk::editor {

// The paragraph break of document text as this file produces it.
constexpr char16_t kBreak = u'\n';

// True for the characters that count as a paragraph break in document text: LF, CR, U+2028 and
// U+2029 (a QTextDocument keeps U+2029 between paragraphs in its raw text).
bool IsBreak(QChar c);

// Document text of a page text: decoded (invalid bytes become stand-ins) and every line end, CR LF
// as well as a lone CR or a lone LF, turned into one kBreak.  A lone CR or LF therefore comes back
// as CR LF from TextPositions::bytes(); every other byte comes back as it was, apart from CP932's
// duplicate codes, which come back as their canonical code.
QString DocumentText(std::string_view cp932);

class TextPositions {
 public:
  TextPositions() : byte_at_{0} {}
  // text: document text; every IsBreak character is one paragraph break.
  explicit TextPositions(const QString& text);

  // The page text: CP932 bytes, CR LF line ends.
  const std::string& bytes() const { return bytes_; }
  int ByteLength() const { return int(bytes_.size()); }
  int CharLength() const { return int(byte_at_.size()) - 1; }

  // Byte offset where character position char_pos starts; char_pos is clamped to 0..CharLength().
  int ByteFromChar(int char_pos) const;
  // Character position of byte offset byte_pos (clamped to 0..ByteLength()).  An offset inside a
  // double-byte character or between CR and LF gives the character's start, or with round_up the
  // position after it.
  int CharFromByte(int byte_pos, bool round_up = false) const;
  // The bytes of the characters char_from..char_to (clamped, in either order).
  std::string BytesBetween(int char_from, int char_to) const;

 private:
  std::string bytes_;
  std::vector<int> byte_at_;  // byte offset of every character, plus the end
};

// Typed text: the characters CP932 can hold, in order; each refused character (a whole
// surrogate pair for one outside the BMP) is appended to *refused.
QString RemoveUnencodable(const QString& text, QStringList* refused);

// Pasted or dropped text: every character CP932 cannot hold becomes "〓"; *replaced counts them.
// Every line end (CR LF, CR, LF, U+2028, U+2029) becomes one kBreak.
QString ReplaceUnencodable(const QString& text, int* replaced);

// Colours: 0x00BBGGRR.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};
constexpr Rgb RgbFromBgr(uint32_t bgr) {
  return Rgb{int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)};
}
constexpr uint32_t BgrFromRgb(int red, int green, int blue) {
  return uint32_t(red & 0xFF) | (uint32_t(green & 0xFF) << 8) | (uint32_t(blue & 0xFF) << 16);
}

// Font style bits.
constexpr int kStyleBold = 1;
constexpr int kStyleItalic = 2;
constexpr int kStyleUnderline = 4;
constexpr int kStyleStrikeOut = 8;

struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  bool operator==(const FontStyle&) const = default;
};
constexpr FontStyle FontStyleFromBits(int style) {
  return FontStyle{(style & kStyleBold) != 0, (style & kStyleItalic) != 0,
                   (style & kStyleUnderline) != 0, (style & kStyleStrikeOut) != 0};
}
constexpr int BitsFromFontStyle(const FontStyle& s) {
  return (s.bold ? kStyleBold : 0) | (s.italic ? kStyleItalic : 0) |
         (s.underline ? kStyleUnderline : 0) | (s.strike_out ? kStyleStrikeOut : 0);
}

}  // namespace sk::editor
