#include "convert/text_convert.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "convert/cp932.h"

namespace sk::convert {
namespace {

// CP932 bytes of a UTF-8 literal, and back for readable failures.
std::string S(const char* utf8) { return cp932::EncodeReplacing(QString::fromUtf8(utf8)); }
std::string U(std::string_view cp932) { return cp932::ToUtf8(cp932); }

// The width table, in ASCII order from "!" to "~".
constexpr const char* kFullWidth =
    "！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰ"
    "ＱＲＳＴ"
    "ＵＶＷＸＹＺ［￥］＾＿｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～";

TEST(WidthTest, EveryMappedCharacterBothWaysWithAndWithoutSymbols) {
  const QString full = QString::fromUtf8(kFullWidth);
  ASSERT_EQ(full.size(), 0x7F - 0x21);
  std::string all_ascii, all_full;
  for (int c = 0x21; c <= 0x7E; ++c) {
    const std::string a(1, char(c));
    const std::string z = cp932::EncodeReplacing(full.mid(c - 0x21, 1));
    SCOPED_TRACE(a);
    ASSERT_EQ(z.size(), 2u);
    const bool alnum = std::isalnum(c);
    EXPECT_EQ(ToZenkaku(a, true), z);
    EXPECT_EQ(ToZenkaku(a, false), alnum ? z : a);
    EXPECT_EQ(ToHankaku(z, true), a);
    EXPECT_EQ(ToHankaku(z, false), alnum ? a : z);
    all_ascii += a;
    all_full += z;
  }
  EXPECT_EQ(ToZenkaku(all_ascii, true), all_full);
  EXPECT_EQ(ToHankaku(all_full, true), all_ascii);
}

TEST(WidthTest, WhatIsNeverConverted) {
  const std::string kept[] = {
      " \t\r\n\x01\x1F\x7F",
      S("“‘ー　・あア漢字Αа"),  // double-byte characters not in the table
      S("ｶﾞﾊﾟｱｰ｡｢｣"),           // half-width katakana, voiced or not
      "\x83\x41",               // ア: its trail byte is "A"
      "\x95\x5C",               // 表: its trail byte is "\"
      "\x80\xA0\xFD",           // bytes that are no character
      "\x82",                   // a lead byte at the end
      "\x82\x0A",               // a lead byte before a line feed
  };
  for (const std::string& s : kept) {
    SCOPED_TRACE(U(s));
    EXPECT_EQ(ToHankaku(s, true), s);
    EXPECT_EQ(ToZenkaku(s, true), s);
  }
  // Only the ASCII backslash after 表 is a character of its own.
  EXPECT_EQ(U(ToZenkaku("\x95\x5C\\", true)), "表￥");
  // A lead byte standing alone is copied and the digit after it converted.
  EXPECT_EQ(ToZenkaku("\x82\x31", false), "\x82" + S("１"));
}

TEST(WidthTest, MixedSelections) {
  struct Case {
    const char* in;
    bool to_full;
    bool symbols;
    const char* out;
  };
  const Case cases[] = {
      {"ABC-123", true, true, "ＡＢＣ－１２３"},
      {"ABC-123", true, false, "ＡＢＣ-１２３"},
      {"“Ａ”", false, true, "“A\""},
      {"“Ａ”", false, false, "“A”"},
      {"日記 2026/12/11 (金) ~ C:\\dir", true, true,
       "日記 ２０２６／１２／１１ （金） ～ Ｃ：￥ｄｉｒ"},
      {"ｶﾞｿﾘﾝ 100ﾘｯﾄﾙ", true, true, "ｶﾞｿﾘﾝ １００ﾘｯﾄﾙ"},
      {"ＴＥＬ：０３－１２３４", false, false, "TEL：03－1234"},
      {"", true, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    const std::string in = S(c.in);
    EXPECT_EQ(U(c.to_full ? ToZenkaku(in, c.symbols) : ToHankaku(in, c.symbols)), c.out);
  }
}

TEST(CaseTest, HalfWidthOnlyOrAllLetters) {
  const std::string in = S("Abc Ｘｙ Σσ Жж ｱ表");
  EXPECT_EQ(U(ChangeCase(in, 1)), "abc Ｘｙ Σσ Жж ｱ表");
  EXPECT_EQ(U(ChangeCase(in, 2)), "ABC Ｘｙ Σσ Жж ｱ表");
  EXPECT_EQ(U(ChangeCase(in, 3)), "abc ｘｙ σσ жж ｱ表");
  EXPECT_EQ(U(ChangeCase(in, 4)), "ABC ＸＹ ΣΣ ЖЖ ｱ表");
  // The trail byte of ア is "A", of 表 "\": neither is a letter of its own.
  EXPECT_EQ(ChangeCase("\x83\x41", 1), "\x83\x41");
}

TEST(NumeralTest, KanjiDigitsBothWays) {
  struct Case {
    const char* arabic;
    const char* kanji;
  };
  const Case cases[] = {
      {"０１２３４５６７８９", "〇一二三四五六七八九"},
      {"２００８年", "二〇〇八年"},
      {"第３章", "第三章"},
      {"十百千万", "十百千万"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arabic);
    EXPECT_EQ(U(ArabiaToKan(S(c.arabic))), c.kanji);
    EXPECT_EQ(U(KanToArabia(S(c.kanji))), c.arabic);
  }
  // Half-width digits are not full-width Arabic digits.
  EXPECT_EQ(U(ArabiaToKan(S("2008年"))), "2008年");
  EXPECT_EQ(U(KanToArabia(S("十二"))), "十２");
  EXPECT_EQ(ArabiaToKan("\x82"), "\x82");
}

TEST(NumeralTest, HalfWidthDigitsForVerticalWriting) {
  EXPECT_EQ(U(HankakuNumToKansuji(S("(12)"))), "（一二）");
  EXPECT_EQ(U(HankakuNumToKansuji(S("第0907号 [a] ３"))), "第〇九〇七号 [a] ３");
  EXPECT_EQ(HankakuNumToKansuji("\x95\x5C\x83\x41"), "\x95\x5C\x83\x41");
}

TEST(RadixTest, RunsOfDigits) {
  struct Case {
    const char* in;
    int from, to;
    const char* out;
  };
  const Case cases[] = {
      {"1021", 2, 10, "221"},  // the run 10, the 2 outside radix 2, the run 1
      {"255", 10, 16, "ff"},
      {"16", 10, 16, "10"},
      {"FF", 16, 10, "255"},
      {"ff と Ab と 0x1F", 16, 10, "255 と 171 と 0x31"},
      {"1010 11", 2, 16, "a 3"},
      {"5 と 8", 10, 2, "101 と 1000"},
      {"ab", 16, 2, "10101011"},
      {"0", 10, 2, "0"},
      {"000", 16, 10, "0"},
      {"0010", 2, 10, "2"},
      {"Xyz 漢字", 16, 10, "Xyz 漢字"},     // no digit: unchanged, case kept
      {"２５５ 255", 10, 16, "２５５ ff"},  // full-width digits are not numbers
      {"アA", 16, 10, "ア10"},              // ア's trail byte "A" is not a digit
      {"4294967296", 10, 16, "100000000"},  // past 32 bits
      {"18446744073709551615", 10, 16, "ffffffffffffffff"},
      {"18446744073709551616 と 7", 10, 16, "18446744073709551616 と 7"},  // past 64 bits: kept
      {"10000000000000000", 16, 10, "10000000000000000"},
      {"ffffffffffffffff", 16, 10, "18446744073709551615"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U(ConvertRadix(S(c.in), c.from, c.to)), c.out);
  }
  const std::string ones64(64, '1');
  EXPECT_EQ(ConvertRadix(ones64, 2, 16), "ffffffffffffffff");
  EXPECT_EQ(ConvertRadix(ones64 + "1", 2, 16), ones64 + "1");
  // A lead byte standing alone and a byte that is no character are copied around the number.
  EXPECT_EQ(ConvertRadix("\x82\x33\x80", 10, 2),
            "\x82"
            "11\x80");
}

TEST(PunctuationTest, ThreeKinds) {
  const std::string in = S("あ。い、う．え，");
  EXPECT_EQ(U(ChangePunctuation(in, 1)), "あ。い、う。え、");
  EXPECT_EQ(U(ChangePunctuation(in, 2)), "あ。い，う。え，");
  EXPECT_EQ(U(ChangePunctuation(in, 3)), "あ．い，う．え，");
  EXPECT_EQ(U(ChangePunctuation(S("．．．、"), 1)), "。。。、");
  // 0x88 0x81 followed by "B": the bytes 0x81 0x42 (。) straddle two characters.
  EXPECT_EQ(ChangePunctuation("\x88\x81\x42", 3), "\x88\x81\x42");
}

TEST(CountTest, CharactersByKind) {
  struct Case {
    std::string in;
    CharCounts want;
  };
  const Case cases[] = {
      {S("あいa\r\n"), {7, 2, 1, 2}},
      {"", {0, 0, 0, 0}},
      {S("ｱ ~\t"), {4, 0, 3, 1}},
      {"\x82", {1, 0, 1, 0}},  // a lead byte on its own is a byte of 32 and above
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U(c.in));
    const CharCounts got = CountChars(c.in);
    EXPECT_EQ(got.bytes, c.want.bytes);
    EXPECT_EQ(got.full_width, c.want.full_width);
    EXPECT_EQ(got.half_width, c.want.half_width);
    EXPECT_EQ(got.control, c.want.control);
  }
}

TEST(CountTest, OccurrencesOfAString) {
  struct Case {
    const char* text;
    const char* needle;
    bool ignore_case;
    size_t want;
  };
  const Case cases[] = {
      {"aaaa", "aa", false, 2}, {"aaaaa", "aa", false, 2},          {"ａＡ", "Ａ", false, 1},
      {"ａＡ", "Ａ", true, 2},  {"ABC abc Abc", "abc", false, 1},   {"ABC abc Abc", "abc", true, 3},
      {"Αα Σσ", "α", true, 2},  {"日記と日記帳", "日記", false, 2}, {"", "a", false, 0},
      {"abc", "", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.needle);
    EXPECT_EQ(CountString(S(c.text), S(c.needle), c.ignore_case), c.want);
  }
  // 表 ends in "\": only the backslash of its own counts.
  EXPECT_EQ(CountString("\x95\x5C\\", "\\", false), 1u);
}

}  // namespace
}  // namespace sk::convert
