#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "print/fixed_measure_test_util.h"
#include "print/line_layout.h"
#include "print/print_geometry.h"
#include "print/text_measure.h"

namespace sk::print {
namespace {

using test::Sjis;

// Fixed widths: 100 units a double-byte character, 50 a single byte.  Counts its calls.
class FixedMeasure : public TextMeasure {
 public:
  int Width(const MeasureFont& font, std::string_view text) override {
    ++calls[std::string(text)];
    fonts.push_back(font);
    return test::FixedWidth(text);
  }
  std::map<std::string, int> calls;
  std::vector<MeasureFont> fonts;
};

// Records the lines SetLine hands on, as "chunk|chunk|..." in UTF-8 ("<tab>" for a tab chunk).
class RecordingFlow : public LineFlow {
 public:
  struct Rec {
    std::string text;
    int used, available, kind, gap;
    bool paragraph_end;
  };
  int BodyLineLength(const PrintLayout&) override { return body_length; }
  void SetLineInfo(const PrintLayout& layout, int used, int available, bool paragraph_end, int kind,
                   int count) override {
    std::string text;
    int sum = 0;
    for (int i = 0; i < count; ++i) {
      const std::string_view chunk = layout.ChunkText[size_t(chunk_total + i)];
      if (i) text += "|";
      text += chunk == "\t" ? "<tab>" : cp932::ToUtf8(chunk);
      sum += layout.ChunkWidth[size_t(chunk_total + i)];
    }
    EXPECT_EQ(sum, used) << text;
    chunk_total += count;
    lines.push_back({text, used, available, kind, layout.LineGap(), paragraph_end});
  }
  std::string Joined() const {
    std::string all;
    for (const Rec& r : lines) all += (all.empty() ? "" : " / ") + r.text;
    return all;
  }
  int body_length = 66928;
  int chunk_total = 0;
  std::vector<Rec> lines;
};

struct Fixture {
  explicit Fixture(PrintSettings s = {}) : settings(std::move(s)), layout(settings, &measure) {
    layout.SetPaper();
    layout.SetFontHeight();
  }
  PrintSettings settings;
  FixedMeasure measure;
  PrintLayout layout;
  RecordingFlow flow;
};

TEST(PrintGeometry, A4PortraitHorizontalOneColumn) {
  PrintSettings s;
  s.Fukuro = 0;
  PrintGeometry g = CulcConstant(s);
  EXPECT_EQ(g.PaperWidth, 82677);
  EXPECT_EQ(g.PaperHeight, 116929);
  EXPECT_EQ(g.LineLength, 66928);     // 170 mm
  EXPECT_EQ(g.ColumnExtent, 101180);  // 257 mm
  EXPECT_EQ(g.ColumnsPerSheet, 1);
  EXPECT_EQ(g.ColumnLineStart[0], 7874);
  EXPECT_EQ(g.ColumnStackStart[0], 7874);
  EXPECT_EQ(g.MarginTop, 7874);
  EXPECT_EQ(g.LineGap, 787);
  EXPECT_EQ(g.PageGap, 7874);
  EXPECT_EQ(g.ImageGap, 787);
  EXPECT_EQ(g.ImageSize, 19685);  // 50 mm
  EXPECT_FALSE(g.DocTitleWide);
}

// A4 portrait, margins 20 mm, column gap 10 mm, binding blank 40 mm, in every layout.
TEST(PrintGeometry, LayoutsOfColumnsAndBagBinding) {
  struct Case {
    int vertical, two_columns, bag;
    int line_length, extent, columns;
    std::vector<int> line_start, stack_start;
  };
  const Case cases[] = {
      {0, 0, 0, 66928, 101180, 1, {7874}, {7874}},
      {0, 0, 1, 25590, 101180, 2, {7874, 49212}, {7874, 7874}},
      {0, 1, 0, 31495, 101180, 2, {7874, 43306}, {7874, 7874}},
      {0, 1, 1, 10826, 101180, 4, {7874, 22637, 49211, 63974}, {7874, 7874, 7874, 7874}},
      // Vertical: stacking from the right edge; the right half and the upper band come first.
      {1, 0, 0, 101180, 66928, 1, {7874}, {7874}},
      {1, 0, 1, 101180, 25590, 2, {7874, 7874}, {7874, 49212}},
      {1, 1, 0, 48621, 66928, 2, {7874, 60432}, {7874, 7874}},
      {1, 1, 1, 48621, 25590, 4, {7874, 60432, 7874, 60432}, {7874, 7874, 49212, 49212}},
  };
  for (const Case& c : cases) {
    PrintSettings s;
    s.MojiHoko = c.vertical;
    s.Dangumi = c.two_columns;
    s.Fukuro = c.bag;
    PrintGeometry g = CulcConstant(s);
    SCOPED_TRACE(testing::Message() << "vertical " << c.vertical << " two columns " << c.two_columns
                                    << " bag " << c.bag);
    EXPECT_EQ(g.Horizontal, c.vertical == 0);
    EXPECT_EQ(g.LineLength, c.line_length);
    EXPECT_EQ(g.ColumnExtent, c.extent);
    ASSERT_EQ(g.ColumnsPerSheet, c.columns);
    for (int k = 0; k < c.columns; ++k) {
      EXPECT_EQ(g.ColumnLineStart[k], c.line_start[size_t(k)]) << "column " << k;
      EXPECT_EQ(g.ColumnStackStart[k], c.stack_start[size_t(k)]) << "column " << k;
    }
  }
}

TEST(PrintGeometry, PapersTextsThatAreNoNumbersAndTheImageSize) {
  PrintSettings s;
  s.Fukuro = 0;
  s.Yoshi = 5;  // B4 landscape
  s.LeftMargin = "abc";
  s.RightMargin = " 10 ";
  s.Gyokan = "";
  s.Pagekan = "inf";
  s.ImageWidth = "x";
  PrintGeometry g = CulcConstant(s);
  EXPECT_EQ(g.PaperWidth, 143307);  // 364 mm
  EXPECT_EQ(g.PaperHeight, 101181);
  EXPECT_EQ(g.LineLength, int(143307 - MmToUnits(20) - MmToUnits(10)));
  EXPECT_EQ(g.LineGap, 787);
  EXPECT_EQ(g.PageGap, 7874);
  EXPECT_EQ(g.ImageSize, g.LineLength / 2);

  s.Yoshi = 99;  // unknown: A4 portrait
  s.ImageWidth = "500";
  g = CulcConstant(s);
  EXPECT_EQ(g.PaperWidth, 82677);
  EXPECT_EQ(g.ImageSize, g.LineLength);  // never wider than a line

  s.Dangumi = 1;
  s.DocTitleOneColumn = false;
  EXPECT_TRUE(CulcConstant(s).DocTitleWide);
  EXPECT_EQ(FontHeightOfPoints(10.6), -1472);
}

TEST(PrintMojiHenkan, DigitsAndCommasForVerticalWriting) {
  struct Case {
    bool num, comma;
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {true, true, "２００８年，です", "二〇〇八年、です"},
      {true, true, "2008年", "2008年"},  // half-width digits stay
      {false, true, "２００８年，です", "２００８年、です"},
      {true, false, "１，９", "一，九"},
      {false, false, "１，", "１，"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines{Sjis(c.in)};
    MojiHenkan(lines, c.num, c.comma);
    EXPECT_EQ(cp932::ToUtf8(lines[0]), c.out) << c.in;
  }
}

// Widths: 100 a double-byte character ("国" too), 50 a single byte; a tab is "11", 100.
TEST(PrintLineBreaking, ChunksKinsokuSpacesAndTabs) {
  struct Case {
    const char* name;
    const char* text;
    int available;
    const char* indent;
    const char* lines;
  };
  const Case cases[] = {
      {"exactly the available length", "あいうえお", 500, "0", "あ|い|う|え|お"},
      {"one character more", "あいうえおか", 500, "0", "あ|い|う|え|お / か"},
      {"。 never begins a line", "あいうえお。かき", 500, "0", "あ|い|う|え / お|。|か|き"},
      {"a run of closing marks", "あいうっ」え", 400, "0", "あ|い / う|っ|」|え"},
      {"「 never ends a line", "あいう「えおか", 400, "0", "あ|い|う / 「|え|お|か"},
      {"no kinsoku on a line of two characters", "あ。", 100, "0", "あ / 。"},
      {"a word with its comma is one chunk", "あいabc123,う", 500, "0", "あ|い / abc123,|う"},
      {"a decimal number is one chunk", "あい3.14です", 300, "0", "あ|い / 3.14|で / す"},
      {"a symbol ends a word", "x(y)", 500, "0", "x(|y)"},
      {"a word longer than the line runs past it", "abcdefghijkl", 300, "0", "abcdefghijkl"},
      {"a long word in a paragraph", "あabcdefghijklい", 300, "0", "あ / abcdefghijkl / い"},
      {"spaces at a break are dropped", "ab cd ef gh", 300, "0", "ab| |cd / ef| |gh"},
      {"a space overflowing is dropped", "abcd efgh", 200, "0", "abcd / efgh"},
      {"leading spaces stay", "  あ", 500, "0", " | |あ"},
      {"leading tabs indent, other tabs vanish", "\t\tあ\tい", 500, "0", "<tab>|<tab>|あ|い"},
      {"the paragraph indent", "あいうえお", 500, "1", "<tab>|あ|い|う|え / お"},
      {"no indent before a leading tab", "\tあ", 500, "1", "<tab>|あ"},
      {"the indent stays with its line", "あい。", 300, "1", "<tab>|あ / い|。"},
      {"an empty paragraph", "", 500, "0", ""},
  };
  for (const Case& c : cases) {
    PrintSettings s;
    s.ParIndent = c.indent;
    Fixture f(s);
    f.flow.body_length = c.available;
    f.layout.SetLine(kBodyText, {Sjis(c.text)}, f.flow);
    EXPECT_EQ(f.flow.Joined(), c.lines) << c.name;
    for (size_t i = 0; i < f.flow.lines.size(); ++i)
      EXPECT_EQ(f.flow.lines[i].paragraph_end, i + 1 == f.flow.lines.size()) << c.name;
    EXPECT_EQ(f.layout.ChunkText.size(), size_t(f.flow.chunk_total)) << c.name;
  }
}

TEST(PrintLineBreaking, KindsLengthsAndTheGapAfterTheLastLine) {
  PrintSettings s;
  s.Dangumi = 1;
  s.DocTitleOneColumn = false;
  Fixture f(s);
  const PrintGeometry& g = f.layout.geometry();
  f.flow.body_length = 1234;
  const std::vector<std::string> two{Sjis("あ"), Sjis("い")};
  f.layout.SetLine(kBodyText, two, f.flow);
  f.layout.SetLine(kPageTitle, two, f.flow);
  f.layout.SetLine(kDocTitle, two, f.flow, {0, 4});
  f.layout.SetLine(kBodyText, {}, f.flow);
  const int text_height = 1472;  // 10.6 points
  const struct {
    int kind, available, gap;
  } want[] = {
      {kBodyText, 1234, g.LineGap},
      {kBodyText, 1234, g.PageGap},
      {kPageTitle, g.LineLength, g.LineGap},
      {kPageTitle, g.LineLength, g.LineGap},
      {kDocTitle, int(2 * g.LineLength + g.ColumnGap), g.LineGap},
      {kDocTitle, int(2 * g.LineLength + g.ColumnGap), text_height + 2 * g.LineGap},
  };
  ASSERT_EQ(f.flow.lines.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(f.flow.lines[i].kind, want[i].kind) << i;
    EXPECT_EQ(f.flow.lines[i].available, want[i].available) << i;
    EXPECT_EQ(f.flow.lines[i].gap, want[i].gap) << i;
  }
  EXPECT_EQ(f.layout.LineGap(), g.LineGap);
  // The second document title line is measured 4 points larger.
  EXPECT_EQ(f.measure.fonts.back().height, FontHeightOfPoints(16));
}

TEST(PrintLineBreaking, VerticalWritingConvertsAndMeasuresWithTheVerticalFont) {
  PrintSettings s;
  s.MojiHoko = 1;
  Fixture f(s);
  f.layout.SetLine(kBodyText, {Sjis("１，2")}, f.flow);
  EXPECT_EQ(f.flow.Joined(), "一|、|2");
  EXPECT_EQ(f.measure.fonts.back().name, "@" + s.TextFont.name);
}

TEST(PrintMeasureCache, EachDistinctChunkIsMeasuredOnce) {
  for (bool cached : {true, false}) {
    Fixture f;
    f.layout.measure().set_enabled(cached);
    f.layout.SetLine(kBodyText, {Sjis("ああい"), Sjis("あい")}, f.flow);
    f.layout.SetLine(kPageTitle, {Sjis("あ")}, f.flow);  // another font: measured again
    EXPECT_EQ(f.measure.calls[Sjis("あ")], cached ? 2 : 4);
    EXPECT_EQ(f.measure.calls[Sjis("い")], cached ? 1 : 2);
  }
}

TEST(PrintJustification, SpareLengthSpreadBetweenChunks) {
  ChunkTexts text;
  for (const char* t : {"\t", "a", "b", "c"}) text.push_back(t);
  const std::vector<int> width{80, 100, 100, 100};
  struct Case {
    int first, count, available, kind;
    bool paragraph_end;
    std::vector<int> positions;
  };
  const Case cases[] = {
      {1, 3, 310, kBodyText, false, {0, 105, 210}},       // 10 spare: 5 and 5
      {1, 3, 311, kBodyText, false, {0, 106, 211}},       // 11 spare: 6 and 5
      {1, 3, 310, kBodyText, true, {0, 100, 200}},        // a paragraph's last line
      {0, 4, 390, kPageTitle, false, {0, 80, 185, 290}},  // the leading tab takes no share
      {1, 3, 500, kDocTitle, false, {100, 200, 300}},     // centred
      {1, 3, 250, kBodyText, false, {0, 100, 200}},       // a line past its end: not squeezed
      {1, 1, 300, kBodyText, false, {0}},
  };
  for (const Case& c : cases) {
    PrintLine line;
    line.first_chunk = c.first;
    line.chunk_count = c.count;
    line.available = c.available;
    line.kind = c.kind;
    line.paragraph_end = c.paragraph_end;
    for (int i = 0; i < c.count; ++i) line.used_width += width[size_t(c.first + i)];
    EXPECT_EQ(ChunkPositions(line, text, width), c.positions) << c.available << " " << c.kind;
  }
}

TEST(PrintLineRoom, BodyLinesBesidePictures) {
  PrintSettings s;
  s.Fukuro = 0;
  const PrintGeometry g = CulcConstant(s);  // line 66928, column 101180, picture gap 787
  const int h = 1472, wide = 1472;
  const ImageZone none;
  const ImageZone zone{1000, 5000, 20000};
  const ImageZone wide_zone{1000, 5000, 66000};
  struct Case {
    const char* name;
    int stack_pos;
    const ImageZone& current;
    const ImageZone& next;
    int available, jump_to;
  };
  const Case cases[] = {
      {"no pictures", 0, none, none, 66928, -1},
      {"beside the zone", 0, zone, none, 66928 - 20000 - 787, -1},
      {"within the gap below it", 5000 + 787 - 1, zone, none, 46141, -1},
      {"past the gap below it", 5000 + 787, zone, none, 66928, -1},
      {"within the gap above it", 1000 - 787 - h + 1, zone, none, 46141, -1},
      {"above it", 1000 - 787 - h, zone, none, 66928, -1},
      {"next column with a zone", 100000, zone, zone, 46141, -1},
      {"next column without", 100000, zone, none, 66928, -1},
      {"too narrow: past the zone", 0, wide_zone, none, 66928, 5000 + 787},
      {"too narrow in the next column", 100000, none, wide_zone, 66928, -1},
  };
  for (const Case& c : cases) {
    LineRoom room = BodyLineRoom(g, c.stack_pos, g.ColumnExtent, h, wide, c.current, c.next);
    EXPECT_EQ(room.available, c.available) << c.name;
    EXPECT_EQ(room.jump_to, c.jump_to) << c.name;
  }
}

TEST(PrintCharClasses, KinsokuMembersAreWholeCharacters) {
  EXPECT_TRUE(IsKinsokuStart(Sjis("。")));
  EXPECT_TRUE(IsKinsokuStart(Sjis("ｧ")));
  EXPECT_TRUE(IsKinsokuStart(")"));
  EXPECT_FALSE(IsKinsokuStart(Sjis("あ")));
  EXPECT_FALSE(IsKinsokuStart("@"));
  EXPECT_FALSE(IsKinsokuStart(Sjis("〓")));  // every member was a CP932 character
  EXPECT_TRUE(IsKinsokuEnd(Sjis("「")));
  EXPECT_TRUE(IsKinsokuEnd("$"));
  EXPECT_FALSE(IsKinsokuEnd(Sjis("」")));
}

}  // namespace
}  // namespace sk::print

namespace sk::print {
namespace {

TEST(PrintChunkTexts, KeptInOneStringWithEraseInTheMiddle) {
  ChunkTexts t;
  for (const char* s : {"ab", "", "\t", "xyz", " "}) t.push_back(s);
  t.erase(2);
  t.erase(3);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], "ab");
  EXPECT_EQ(t[1], "");
  EXPECT_EQ(t[2], "xyz");
  t.push_back("q");
  EXPECT_EQ(t.back(), "q");
  t.erase(0);
  EXPECT_EQ(t[0], "");
  EXPECT_EQ(t[1], "xyz");
}

}  // namespace
}  // namespace sk::print
