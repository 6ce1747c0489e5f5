#include "editor/text_positions.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "convert/cp932.h"

namespace sk::editor {
namespace {

std::u16string U16(const QString& s) { return s.toStdU16String(); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

std::vector<int> ByteOffsets(const TextPositions& p) {
  std::vector<int> out;
  for (int i = 0; i <= p.CharLength(); ++i) out.push_back(p.ByteFromChar(i));
  return out;
}

TEST(TextPositionsTest, ByteOffsetOfEveryCharacter) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;       // the document text of the bytes
    std::vector<int> offsets;  // byte offset of every character and of the end
  };
  const Case cases[] = {
      {"ascii, kana, line end, half-width katakana",
       "a\x82\xA0\r\n\xB1",
       u"a\u3042\n\uFF71",
       {0, 1, 3, 5, 6}},
      {"empty", "", u"", {0}},
      {"text ends with a line end", "a\r\n", u"a\n", {0, 1, 3}},
      {"empty paragraphs", "\r\n\r\n", u"\n\n", {0, 2, 4}},
      {"0x5C trail byte, then a backslash", "\x95\x5C\x5C", u"表\\", {0, 2, 3}},
      {"stand-ins for invalid single bytes", "\x80\x41\xFF", u"\uF780A\uF7FF", {0, 1, 2, 3}},
      {"lead byte at the end", "A\x81", u"A\uF781", {0, 1, 2}},
      {"undefined double-byte code", "\x85\x40z", u"\uF785\uF740z", {0, 1, 2, 3}},
      {"lead byte before a line end", "\x82\r\n", u"\uF782\n", {0, 1, 3}},
      {"tab and full-width space", "\t\x81\x40", u"\t\u3000", {0, 1, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString text = DocumentText(c.bytes);
    EXPECT_EQ(U16(text), c.text);
    const TextPositions p(text);
    EXPECT_EQ(p.bytes(), c.bytes);
    EXPECT_EQ(p.ByteLength(), int(c.bytes.size()));
    EXPECT_EQ(ByteOffsets(p), c.offsets);
    for (int i = 0; i < int(c.offsets.size()); ++i) EXPECT_EQ(p.CharFromByte(c.offsets[i]), i);
  }
}

TEST(TextPositionsTest, DocumentOnlyCharactersCountAsTheirCodes) {
  // Forms an input method types (encoded as JIS X 0208 codes), U+2029 as a paragraph break, and a
  // character outside CP932 counted as the "〓" it would be written as.
  struct Case {
    const char* name;
    std::u16string text;
    std::string bytes;
    std::vector<int> offsets;
  };
  const Case cases[] = {
      {"wave dash and minus", u"\u301C\u2212x", "\x81\x60\x81\x7Cx", {0, 2, 4, 5}},
      {"yen sign and overline", u"\u00A5\u203E", "\\~", {0, 1, 2}},
      {"paragraph separator", u"a\u2029b", "a\r\nb", {0, 1, 3, 4}},
      {"surrogate pair", u"a\U0001F600b", "a\x81\xAC\x62", {0, 1, 2, 3, 4}},
      {"lone surrogate", u"a\xD800", "a\x81\xAC", {0, 1, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TextPositions p(Q(c.text));
    EXPECT_EQ(p.bytes(), c.bytes);
    EXPECT_EQ(ByteOffsets(p), c.offsets);
  }
}

TEST(TextPositionsTest, OffsetsInsideACharacterRoundToItsEdges) {
  const TextPositions p(DocumentText("a\x82\xA0\r\nb"));  // a あ CR LF b
  EXPECT_EQ(p.CharFromByte(2), 1);
  EXPECT_EQ(p.CharFromByte(2, /*round_up=*/true), 2);
  EXPECT_EQ(p.CharFromByte(4), 2);  // between CR and LF
  EXPECT_EQ(p.CharFromByte(4, true), 3);
  EXPECT_EQ(p.CharFromByte(-5), 0);
  EXPECT_EQ(p.CharFromByte(99), 4);
  EXPECT_EQ(p.ByteFromChar(99), 6);
  EXPECT_EQ(p.BytesBetween(3, 1), "\x82\xA0\r\n");
}

TEST(TextPositionsTest, LoneLineEndsComeBackAsCrLf) {
  const QString text = DocumentText("a\rb\nc\r\rd");
  EXPECT_EQ(U16(text), u"a\nb\nc\n\nd");
  EXPECT_EQ(TextPositions(text).bytes(), "a\r\nb\r\nc\r\n\r\nd");
}

TEST(TextPositionsTest, EveryTwoByteStringSurvivesTheDocument) {
  // Every pair of bytes without a line end comes back byte for byte, except CP932's duplicate
  // codes, which come back as a code for the same character.
  int canonicalised = 0;
  for (int b1 = 0; b1 < 256; ++b1) {
    for (int b2 = 0; b2 < 256; ++b2) {
      if (b1 == '\r' || b1 == '\n' || b2 == '\r' || b2 == '\n') continue;
      const std::string in{char(b1), char(b2)};
      const std::string out = TextPositions(DocumentText(in)).bytes();
      if (out == in) continue;
      ASSERT_EQ(cp932::Decode(out), cp932::Decode(in)) << testing::PrintToString(in);
      ++canonicalised;
    }
  }
  EXPECT_GT(canonicalised, 0);  // the NEC/IBM duplicates
  EXPECT_LT(canonicalised, 1000);
}

TEST(TextPositionsTest, TypedTextDropsAndPastedTextReplacesUnencodable) {
  const QString text = Q(u"a\U0001F600\u00E9\u301C\u3042");  // a, emoji, é, wave dash, あ
  QStringList refused;
  EXPECT_EQ(U16(RemoveUnencodable(text, &refused)), u"a\u301C\u3042");
  EXPECT_EQ(refused, (QStringList{Q(u"\U0001F600"), Q(u"\u00E9")}));

  int replaced = -1;
  EXPECT_EQ(U16(ReplaceUnencodable(text, &replaced)), u"a\u3013\u3013\u301C\u3042");
  EXPECT_EQ(replaced, 2);
  EXPECT_EQ(U16(ReplaceUnencodable(Q(u"a\r\nb\rc\u2028d\u2029e\n"), &replaced)),
            u"a\nb\nc\nd\ne\n");
  EXPECT_EQ(replaced, 0);
}

TEST(TextPositionsTest, ColourAndStyleIntegers) {
  EXPECT_EQ(RgbFromBgr(0x00332211), (Rgb{0x11, 0x22, 0x33}));
  EXPECT_EQ(BgrFromRgb(0x11, 0x22, 0x33), 0x00332211u);
  EXPECT_EQ(FontStyleFromBits(kStyleBold | kStyleStrikeOut), (FontStyle{true, false, false, true}));
  for (int bits = 0; bits < 16; ++bits) EXPECT_EQ(BitsFromFontStyle(FontStyleFromBits(bits)), bits);
}

}  // namespace
}  // namespace sk::editor
