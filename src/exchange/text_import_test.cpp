#include "exchange/text_import.h"

#include <gtest/gtest.h>

#include "convert/cp932.h"

namespace sk::exchange {
namespace {

std::string Sj(std::string_view utf8) {
  std::string out;
  EXPECT_TRUE(cp932::FromUtf8ToCp932(utf8, &out)) << utf8;
  return out;
}

std::string Join(const std::vector<std::string>& chunks) {
  std::string all;
  for (const auto& c : chunks) all += c;
  return all;
}

// Lines of `width` bytes numbered so that a lost or repeated line shows.
std::vector<std::string> NumberedLines(size_t count, size_t width) {
  std::vector<std::string> v;
  for (size_t i = 0; i < count; ++i) {
    std::string s = std::to_string(i);
    s.resize(width, 'x');
    v.push_back(s);
  }
  return v;
}

std::vector<std::string_view> Views(const std::vector<std::string>& v) {
  return {v.begin(), v.end()};
}

std::string WithCrLf(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& l : v) s += l + "\r\n";
  return s;
}

// Real Japanese prose: as UTF-8 each must be recognised and converted, as CP932 each must be left
// exactly as it is.
const char* const kJapanese[] = {
    "日本語のテキストです。\n",
    "今日は晴れ。\r\n明日は雨らしい。\r\n",
    "ああ",  // these two are valid CP932 codes too (縺ゅ≠, 譚ｱ莠ｬ)
    "東京",
    "吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。",
    "ｶﾀｶﾅと漢字、そして「括弧」〜波ダッシュ−マイナス",
    "メモ: 2024年1月1日 (月) 10:00〜\n・買い物\n・掃除\n",
    // Half-width katakana only: as CP932 these are valid UTF-8 too ("ﾊｲ" reads as U+02B2).
    "ﾊｲ ﾃｽ",
    "ﾐｱ ﾃﾞｰﾀ",
    "ｱｲｳｴｵ ｶｷｸｹｺ ｻｼｽｾｿ",
    "ﾃﾞｰﾀﾍﾞｰｽ",
    // Short words and a katakana-only line.
    "はい",
    "愛",
    "カタカナだけの行",
    // Mixed with symbols.
    "①※→★♪■◆ 価格：\1,000円（税込）±0.5℃",
    "■今日の予定\n　◇会議　10:00〜11:00\n　◇報告書の提出※必着\n",
    // Long prose.
    "春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて、紫だちたる雲のほそくたなびきたる。"
    "夏は夜。月のころはさらなり、やみもなほ、蛍の多く飛びちがひたる。また、ただ一つ二つなど、"
    "ほのかにうち光りて行くもをかし。雨など降るもをかし。\n"
    "秋は夕暮れ。夕日のさして山の端いと近うなりたるに、烏の寝どころへ行くとて、三つ四つ、"
    "二つ三つなど、飛びいそぐさへあはれなり。\n",
};

TEST(DecodeImportBytesTest, Utf8IsConvertedAndCp932KeptByteForByte) {
  for (const char* text : kJapanese) {
    SCOPED_TRACE(text);
    const std::string sj = Sj(text);

    ImportedText from_utf8 = DecodeImportBytes(text);
    EXPECT_TRUE(from_utf8.utf8);
    EXPECT_EQ(from_utf8.cp932, sj);
    EXPECT_EQ(from_utf8.replaced, 0);

    ImportedText from_bom = DecodeImportBytes("\xEF\xBB\xBF" + std::string(text));
    EXPECT_TRUE(from_bom.utf8);
    EXPECT_EQ(from_bom.cp932, sj);

    ImportedText kept = DecodeImportBytes(sj);
    EXPECT_FALSE(kept.utf8);
    EXPECT_EQ(kept.cp932, sj);
  }
}

TEST(DecodeImportBytesTest, HalfWidthKatakanaInShiftJisIsNotTakenForUtf8) {
  ImportedText t = DecodeImportBytes("\xCA\xB2\x20\xC3\xBD");
  EXPECT_FALSE(t.utf8);
  EXPECT_EQ(t.cp932, "\xCA\xB2\x20\xC3\xBD");
  EXPECT_EQ(cp932::ToUtf8(t.cp932), "ﾊｲ ﾃｽ");
}

TEST(DecodeImportBytesTest, AByteOrderMarkDecides) {
  const std::string sj = Sj("日記です\r\n");
  // UTF-16 in both byte orders: NUL bytes, and yet text.
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (char16_t u : std::u16string(u"日記です\r\n")) {
    le += char(u & 0xFF);
    le += char(u >> 8);
    be += char(u >> 8);
    be += char(u & 0xFF);
  }
  for (const std::string& bytes : {le, be, "\xEF\xBB\xBF" + cp932::ToUtf8(sj)}) {
    ImportedText t = DecodeImportBytes(bytes);
    EXPECT_TRUE(t.utf8);
    EXPECT_FALSE(t.binary);
    EXPECT_EQ(t.cp932, sj);
  }
  EXPECT_STREQ(DecodeImportBytes(le).encoding, "UTF-16");
}

TEST(DecodeImportBytesTest, BytesWithNulAreNoText) {
  for (const std::string& bytes : {std::string("\x7F"
                                               "ELF\x02\x01\x01\0\0\0",
                                               10),
                                   std::string("text\0more", 9)}) {
    ImportedText t = DecodeImportBytes(bytes);
    EXPECT_TRUE(t.binary);
    EXPECT_EQ(t.cp932, "");
  }
}

TEST(DecodeImportBytesTest, UnencodableCharactersBecomeGetaAndAreCounted) {
  ImportedText t = DecodeImportBytes("絵文字😀と🍣、é\n");
  EXPECT_TRUE(t.utf8);
  EXPECT_EQ(t.replaced, 3);
  EXPECT_EQ(t.cp932, Sj("絵文字〓と〓、〓\n"));
}

TEST(DecodeImportBytesTest, PlainAndOddBytesStayAsTheyAre) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"ascii", "plain text\r\nline 2"},
      {"cp932 with a stray byte", Sj("テスト") + "\x80" + Sj("です")},
      {"broken utf-8", "\xE3\x81"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImportedText t = DecodeImportBytes(c.bytes);
    EXPECT_FALSE(t.utf8);
    EXPECT_EQ(t.cp932, c.bytes);
    EXPECT_EQ(t.replaced, 0);
  }
  ImportedText bom_only = DecodeImportBytes("\xEF\xBB\xBF");
  EXPECT_TRUE(bom_only.utf8);
  EXPECT_EQ(bom_only.cp932, "");
}

TEST(SplitImportLinesTest, AllLineEnds) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\r\nc\rd", {"a", "b", "c", "d"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    auto got = SplitImportLines(c.text);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), c.lines);
  }
}

TEST(PlanImportTest, SeventyThousandBytesGoOverThreePages) {
  // 70,000 bytes: 1000 lines of 68 bytes + CR LF.
  auto lines = NumberedLines(1000, 68);
  ImportPlan plan = PlanImport(Views(lines), 0, false);
  EXPECT_FALSE(plan.in_place);
  ASSERT_EQ(plan.chunks.size(), 3u);
  EXPECT_TRUE(plan.split());
  for (const auto& c : plan.chunks) EXPECT_LE(c.size(), kPageLimit);
  // 428 lines of 70 bytes = 29,960 fill a page; the 429th would pass 30,000.
  EXPECT_EQ(plan.chunks[0].size(), 428u * 70);
  EXPECT_EQ(Join(plan.chunks), WithCrLf(lines));
}

TEST(PlanImportTest, AppendModeInPlaceUpToTheAppendLimit) {
  auto lines = NumberedLines(10, 8);  // 100 bytes with line ends
  ImportPlan fits = PlanImport(Views(lines), kAppendLimit - 100, true);
  EXPECT_TRUE(fits.in_place);
  EXPECT_EQ(fits.whole, WithCrLf(lines));
  EXPECT_TRUE(fits.chunks.empty());

  // One byte more: the loop runs, the page already past 30,000 takes nothing, the rest goes on.
  ImportPlan over = PlanImport(Views(lines), kAppendLimit - 99, true);
  EXPECT_FALSE(over.in_place);
  ASSERT_EQ(over.chunks.size(), 2u);
  EXPECT_EQ(over.chunks[0], "");
  EXPECT_EQ(over.chunks[1], WithCrLf(lines));

  // An empty file appended to any page is an empty insertion.
  ImportPlan empty = PlanImport({}, 100, true);
  EXPECT_TRUE(empty.in_place);
  EXPECT_EQ(empty.whole, "");
}

TEST(PlanImportTest, AppendNearTheLimitFillsThePageThenContinues) {
  auto lines = NumberedLines(300, 10);  // 3,600 bytes
  ImportPlan plan = PlanImport(Views(lines), 29980, true);
  EXPECT_FALSE(plan.in_place);
  ASSERT_EQ(plan.chunks.size(), 2u);
  EXPECT_EQ(plan.chunks[0], lines[0] + "\r\n");  // 29,992; a second line would make 30,004
  EXPECT_EQ(Join(plan.chunks), WithCrLf(lines));
}

TEST(PlanImportTest, PageLimitEdge) {
  // Two lines that make exactly 30,000 share a page; one byte more and the second moves on.
  for (size_t extra : {0, 1}) {
    SCOPED_TRACE(extra);
    std::vector<std::string> lines = {std::string(14998, 'a'), std::string(14998 + extra, 'b'),
                                      "c"};
    ImportPlan plan = PlanImport(Views(lines), 0, false);
    ASSERT_EQ(plan.chunks.size(), 2u);
    EXPECT_EQ(plan.chunks[0].size(), extra ? 15000u : 30000u);
    EXPECT_EQ(Join(plan.chunks), WithCrLf(lines));
  }
}

TEST(PlanImportTest, HugeLineTakesAPageOfItsOwn) {
  const std::string huge(40000, 'h');
  {
    std::vector<std::string> lines = {huge, "after"};
    ImportPlan plan = PlanImport(Views(lines), 0, false);
    ASSERT_EQ(plan.chunks.size(), 2u);  // no empty page before it
    EXPECT_EQ(plan.chunks[0], huge + "\r\n");
    EXPECT_EQ(plan.chunks[1], "after\r\n");
  }
  {
    std::vector<std::string> lines = {"before", huge, "after"};
    ImportPlan plan = PlanImport(Views(lines), 0, false);
    ASSERT_EQ(plan.chunks.size(), 3u);
    EXPECT_EQ(plan.chunks[0], "before\r\n");
    EXPECT_EQ(plan.chunks[1], huge + "\r\n");
  }
  {
    // Appended to an empty page, the huge line stays on it.
    std::vector<std::string> lines = {huge};
    ImportPlan plan = PlanImport(Views(lines), 0, true);
    ASSERT_EQ(plan.chunks.size(), 1u);
    EXPECT_EQ(plan.chunks[0], huge + "\r\n");
  }
}

TEST(PlanImportTest, NewPageModeSmallAndEmptyFiles) {
  // A file without a final line break gets one; an empty file still makes its (empty) page.
  auto lines = SplitImportLines("one\ntwo");
  ImportPlan plan = PlanImport(lines, 0, false);
  EXPECT_FALSE(plan.in_place);
  ASSERT_EQ(plan.chunks.size(), 1u);
  EXPECT_EQ(plan.chunks[0], "one\r\ntwo\r\n");

  ImportPlan empty = PlanImport({}, 0, false);
  ASSERT_EQ(empty.chunks.size(), 1u);
  EXPECT_EQ(empty.chunks[0], "");
  EXPECT_FALSE(empty.split());
}

TEST(ContinuationTitleTest, NumberedInCp932WithinTheField) {
  EXPECT_EQ(ContinuationTitle(Sj("日記"), 1), Sj("日記(追加1)"));
  EXPECT_EQ(ContinuationTitle("", 12), Sj("(追加12)"));
  // A title near the field's 50 bytes keeps its number; the base is cut between characters.
  const std::string kanji = Sj("長い題名長い題名長い題名長い題名長い題名長い題名長");
  ASSERT_EQ(kanji.size(), 50u);
  EXPECT_EQ(ContinuationTitle(kanji, 1), kanji.substr(0, 42) + Sj("(追加1)"));
  EXPECT_EQ(ContinuationTitle(kanji, 10), kanji.substr(0, 42) + Sj("(追加10)"));
  const std::string odd = "ab" + kanji.substr(0, 44);  // 43 bytes would split a character
  EXPECT_EQ(ContinuationTitle(odd, 1), odd.substr(0, 42) + Sj("(追加1)"));
  EXPECT_EQ(ContinuationTitle(std::string(43, 'x'), 1), std::string(43, 'x') + Sj("(追加1)"));
}

}  // namespace
}  // namespace sk::exchange
