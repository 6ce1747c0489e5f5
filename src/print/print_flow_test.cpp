#include "print/print_flow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "print/fixed_measure_test_util.h"

namespace sk::print {
namespace {

using test::Sjis;

using test::FixedMeasure;

// Pictures by name with their pixel sizes.
class FakePictures : public PictureSource {
 public:
  std::optional<PictureFile> Find(const std::string& name) override {
    asked.push_back(name);
    auto it = sizes.find(name);
    if (it == sizes.end()) return std::nullopt;
    return PictureFile{"/pics/" + name, it->second.first, it->second.second};
  }
  std::map<std::string, std::pair<int, int>> sizes;
  std::vector<std::string> asked;
};

struct Flow {
  explicit Flow(PrintSettings s) : settings(std::move(s)), flow(settings, &measure, &pictures) {}
  PrintRun Run(const std::vector<PrintPage>& pages) {
    PrintRun run = flow.SetLineColumnImage(pages);
    CheckRun(run);
    return run;
  }
  // Every line and picture lies inside its column, lines in stacking order.
  static void CheckRun(const PrintRun& run) {
    const PrintGeometry& g = run.geometry;
    for (size_t c = 0; c < run.columns.size(); ++c) {
      const int extent = g.ColumnExtent - (c == 1 && g.DocTitleWide ? run.doc_title_extent : 0);
      const int first = run.columns[c].first_line;
      if (first < 0) continue;
      int end = c + 1 < run.columns.size() && run.columns[c + 1].first_line >= 0
                    ? run.columns[c + 1].first_line
                    : int(run.lines.size());
      for (size_t k = c + 1; end == int(run.lines.size()) && k < run.columns.size(); ++k)
        if (run.columns[k].first_line >= 0) end = run.columns[k].first_line;
      int previous = -1;
      for (int i = first; i < end; ++i) {
        const PrintLine& line = run.lines[size_t(i)];
        EXPECT_GT(line.stack_pos, previous) << "column " << c << " line " << i;
        EXPECT_LE(line.stack_pos + line.font_height, extent) << "column " << c << " line " << i;
        previous = line.stack_pos;
      }
    }
    for (const PrintPicture& p : run.pictures) {
      EXPECT_LE(p.stack_pos + p.along, g.ColumnExtent);
      EXPECT_LE(p.offset + p.across, g.LineLength);
    }
  }
  PrintSettings settings;
  FixedMeasure measure;
  FakePictures pictures;
  PrintFlow flow;
};

PrintPage Page(std::string text, std::string title = {}, std::string images = {},
               std::string date = {}, std::string subtitle = {}) {
  PrintPage page;
  page.text = std::move(text), page.title = std::move(title), page.image_files = std::move(images);
  page.date = std::move(date), page.subtitle = std::move(subtitle);
  return page;
}

// n lines of one full-width character each.
std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += Sjis("あ\r\n");
  return text;
}

// Lines that fit in one column of the body font.
int LinesPerColumn(const PrintSettings& s) {
  const PrintGeometry g = CulcConstant(s);
  const int h = std::abs(FontHeightOfPoints(s.TextFont.size));
  return (g.ColumnExtent - h) / (h + g.LineGap) + 1;
}

// The absolute column of each line.
std::vector<int> ColumnOfLines(const PrintRun& run) {
  std::vector<int> column(run.lines.size(), -1);
  for (size_t c = 0; c < run.columns.size(); ++c)
    if (run.columns[c].first_line >= 0)
      for (size_t i = size_t(run.columns[c].first_line); i < run.lines.size(); ++i)
        column[i] = int(c);
  return column;
}

TEST(PrintFlowTitle, DocTitlePiecesAndSizeOffsets) {
  struct Case {
    const char* title;
    std::vector<const char*> lines;
    std::vector<int> offsets;
  };
  const Case cases[] = {
      {"日記\\{4}旅の記録", {"日記", "旅の記録"}, {0, 4}},
      {"\\\\一\\\\二\\", {"一", "二"}, {0, 0}},
      {"一\\{x}二\\三", {"一", "二", "三"}, {0, 0, 0}},
      {"一\\{-2}二\\三\\{3}四", {"一", "二", "三", "四"}, {0, -2, -2, 3}},
      {"{4}一\\{5", {"{4}一", "{5"}, {0, 0}},
      {"表示\\ソフト", {"表示", "ソフト"}, {0, 0}},  // "表" and "ソ" end in the byte of "\"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    DocTitleLines got = SplitDocTitle(Sjis(c.title));
    std::vector<std::string> want;
    for (const char* line : c.lines) want.push_back(Sjis(line));
    EXPECT_EQ(got.lines, want);
    EXPECT_EQ(got.offsets, c.offsets);
  }
}

TEST(PrintFlowTitle, DocTitleHeadsTheRunFourPointsLarger) {
  PrintSettings s;
  s.DocTitle = Sjis("日記\\{4}旅の記録");
  Flow f(s);
  PrintRun run = f.Run({Page(Sjis("本文"))});
  ASSERT_EQ(run.lines.size(), 3u);
  EXPECT_EQ(run.lines[0].kind, kDocTitle);
  EXPECT_EQ(run.lines[1].kind, kDocTitle);
  EXPECT_EQ(run.lines[0].font_height, std::abs(FontHeightOfPoints(12)));
  EXPECT_EQ(run.lines[1].font_height, std::abs(FontHeightOfPoints(16)));
  EXPECT_EQ(run.chunk_text[size_t(run.lines[1].first_chunk)], Sjis("旅"));
  EXPECT_EQ(run.lines[1].stack_pos, run.lines[0].font_height + run.geometry.LineGap);
  EXPECT_EQ(run.lines[2].kind, kBodyText);
  EXPECT_EQ(run.doc_title_extent, run.lines[2].stack_pos);
  EXPECT_GT(run.doc_title_extent, run.lines[1].stack_pos + run.lines[1].font_height);
}

TEST(PrintFlowTitle, PageTitleItems) {
  struct Case {
    bool title, subtitle, date, user;
    int vertical;
    const char* page_title;
    std::vector<const char*> want;
  };
  const Case cases[] = {
      {true, false, true, false, 0, "", {"2008年3月5日(水)"}},
      {true, false, true, false, 1, "", {"二〇〇八年三月五日（水）"}},
      {true, true, false, true, 0, "  見出し ", {"見出し 副題 名前"}},
      {true, false, false, false, 0, "一行目\r\n二行目", {"一行目", "二行目"}},
      {false, false, false, false, 0, "見出し", {}},
      {true, false, true, false, 0, "  ", {"2008年3月5日(水)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page_title);
    PrintSettings s;
    s.TitleTitle = c.title, s.TitleSubTitle = c.subtitle, s.TitleDate = c.date;
    s.TitleUserName = c.user, s.MojiHoko = c.vertical;
    s.MyName = Sjis("名前");
    PrintPage page = Page({}, Sjis(c.page_title), {}, "20080305", Sjis("副題"));
    std::vector<std::string> want;
    for (const char* line : c.want) want.push_back(Sjis(line));
    EXPECT_EQ(PageTitleLines(s, page), want);
  }
  PrintSettings s;
  s.TitleDate = true;
  EXPECT_TRUE(PageTitleLines(s, Page({}, {}, {}, "20080230")).empty());
  EXPECT_TRUE(PageTitleLines(s, Page({}, {}, {}, "        ")).empty());
}

// Whatever the fill of the column before it, a page title is never the last line of a column:
// it moves to the next column with the first line of its text.
TEST(PrintFlowTitle, PageTitleCarriedWithItsText) {
  for (const char* title : {"見出し", "一行目\r\n二行目"}) {
    PrintSettings s;
    s.Fukuro = 0;
    s.TitleTitle = true;
    const int per_column = LinesPerColumn(s) + 2;
    int carried = 0;
    for (int fill = per_column - 8; fill <= per_column; ++fill) {
      SCOPED_TRACE(testing::Message() << title << " fill " << fill);
      Flow f(s);
      PrintRun run = f.Run({Page(Lines(fill)), Page(Lines(3), Sjis(title))});
      const std::vector<int> column = ColumnOfLines(run);
      for (size_t i = 0; i < run.lines.size(); ++i) {
        if (run.lines[i].kind != kPageTitle) continue;
        ASSERT_LT(i + 1, run.lines.size());
        EXPECT_EQ(column[i], column[i + 1]) << "title line " << i << " left behind";
      }
      const int first_title = fill;  // the first page has no title
      ASSERT_EQ(run.lines[size_t(first_title)].kind, kPageTitle);
      if (column[size_t(first_title)] == 1 && column[size_t(first_title) - 1] == 0) {
        ++carried;
        EXPECT_EQ(run.columns[1].first_line, first_title);
        EXPECT_EQ(run.lines[size_t(first_title)].stack_pos, 0);
      }
    }
    EXPECT_GT(carried, 0) << title;
  }
}

PrintSettings PictureSettings(int image_pos) {
  PrintSettings s;
  s.Fukuro = 0;
  s.ImagePos = image_pos;
  return s;
}

TEST(PrintFlowPicture, TallerThanTheColumnIsScaledToIt) {
  for (int vertical : {0, 1}) {
    PrintSettings s = PictureSettings(1);
    s.MojiHoko = vertical;
    Flow f(s);
    // 100 across and 10000 along the stacking direction in either writing direction.
    f.pictures.sizes["tall.jpg"] = vertical ? std::pair{10000, 100} : std::pair{100, 10000};
    PrintRun run = f.Run({Page(Sjis("本文"), {}, "dir\\tall.jpg")});
    ASSERT_EQ(run.pictures.size(), 1u) << vertical;
    const PrintPicture& p = run.pictures[0];
    EXPECT_EQ(p.along, run.geometry.ColumnExtent);
    EXPECT_EQ(p.across, run.geometry.ColumnExtent / 100);
    EXPECT_EQ(p.stack_pos, 0);
    EXPECT_EQ(p.column, 0);
    EXPECT_TRUE(p.jpeg);
    EXPECT_EQ(p.path, "/pics/tall.jpg");
    EXPECT_EQ(run.columns[0].first_picture, 0);
    EXPECT_EQ(run.columns[0].picture_count, 1);
  }
}

// The picture goes to the top of the next column; the page's text goes on in the current column
// at full length, and beside the picture in the next one.
TEST(PrintFlowPicture, NotFittingInTheRestGoesToTheNextColumn) {
  for (int image_pos : {1, 2}) {
    SCOPED_TRACE(image_pos);
    PrintSettings s = PictureSettings(image_pos);
    const int per_column = LinesPerColumn(s);
    Flow f(s);
    f.pictures.sizes["sq.bmp"] = {50, 50};
    PrintRun run = f.Run({Page(Lines(per_column - 8)), Page(Lines(20), {}, " sq ; x.gif;;")});
    const PrintGeometry& g = run.geometry;
    EXPECT_EQ(f.pictures.asked, std::vector<std::string>{"sq.bmp"});
    ASSERT_EQ(run.pictures.size(), 1u);
    const PrintPicture& p = run.pictures[0];
    EXPECT_EQ(p.column, 1);
    EXPECT_EQ(p.stack_pos, 0);
    EXPECT_EQ(p.across, g.ImageSize);
    EXPECT_EQ(p.along, g.ImageSize);
    EXPECT_FALSE(p.jpeg);
    EXPECT_EQ(p.offset, image_pos == 1 ? 0 : g.LineLength - g.ImageSize);
    ASSERT_EQ(run.columns.size(), 2u);
    EXPECT_EQ(run.columns[0].picture_count, 0);
    EXPECT_EQ(run.columns[1].first_picture, 0);
    const std::vector<int> column = ColumnOfLines(run);
    int beside = 0, after = 0, in_first = 0;
    for (size_t i = size_t(per_column - 8); i < run.lines.size(); ++i) {
      const PrintLine& line = run.lines[i];
      if (column[i] == 0) {
        ++in_first;
        EXPECT_EQ(line.available, g.LineLength) << i;
        EXPECT_EQ(line.start_offset, 0) << i;
      } else if (line.stack_pos < p.along + g.ImageGap) {
        ++beside;
        EXPECT_EQ(line.available, g.LineLength - g.ImageSize - g.ImageGap) << i;
        EXPECT_EQ(line.start_offset, image_pos == 1 ? g.ImageSize + g.ImageGap : 0) << i;
      } else {
        ++after;
        EXPECT_EQ(line.available, g.LineLength) << i;
        EXPECT_EQ(line.start_offset, 0) << i;
      }
    }
    EXPECT_GT(in_first, 0);
    EXPECT_GT(beside, 0);
    EXPECT_GT(after, 0);
  }
}

// A page of pictures and no text reserves the pictures' extent before the next page; a picture
// that does not fit below them goes on in the next column.
TEST(PrintFlowPicture, PicturesPastTheEndOfTheText) {
  Flow f(PictureSettings(1));
  f.pictures.sizes["a.jpg"] = {100, 100};
  f.pictures.sizes["b.jpeg"] = {100, 300};
  f.pictures.sizes["c.bmp"] = {100, 200};
  PrintRun run = f.Run({Page({}, {}, "a.jpg;B.JPEG"), Page(Sjis("次"), {}, "c.bmp;a.jpg;a.jpg")});
  const PrintGeometry& g = run.geometry;
  const int s = g.ImageSize;
  ASSERT_EQ(f.pictures.asked.size(), 5u);
  EXPECT_EQ(f.pictures.asked[1], "B.JPEG");  // not found: the fake is case-sensitive
  ASSERT_EQ(run.pictures.size(), 4u);
  EXPECT_EQ(run.pictures[0].stack_pos, 0);
  // The second page starts one page gap after the picture.
  const int next = s + g.PageGap;
  EXPECT_EQ(run.lines[0].stack_pos, next);
  EXPECT_EQ(run.pictures[1].stack_pos, next);
  EXPECT_EQ(run.pictures[1].along, 2 * s);
  EXPECT_EQ(run.pictures[2].stack_pos, next + 2 * s + g.ImageGap);
  // Three more 50 mm pictures do not fit below: the last goes to the next column.
  const bool third_fits = next + 4 * s + 2 * g.ImageGap <= g.ColumnExtent;
  ASSERT_FALSE(third_fits);
  EXPECT_EQ(run.pictures[3].column, 1);
  ASSERT_EQ(run.columns.size(), 2u);
  EXPECT_EQ(run.columns[1].first_line, -1);
  EXPECT_EQ(run.columns[0].picture_count, 3);
  EXPECT_EQ(run.columns[1].picture_count, 1);
  EXPECT_EQ(run.SheetCount, 2);
}

TEST(PrintFlowSheet, SheetCountWithBagBindingAndColumns) {
  struct Case {
    int bag, two_columns, columns, sheets;
  };
  const Case cases[] = {
      {1, 0, 20, 10}, {1, 0, 21, 11}, {0, 0, 21, 21}, {1, 1, 21, 6}, {0, 1, 20, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "bag " << c.bag << " two " << c.two_columns << " columns " << c.columns);
    PrintSettings s;
    s.Fukuro = c.bag;
    s.Dangumi = c.two_columns;
    const int per_column = LinesPerColumn(s);
    Flow f(s);
    // The columns full, and one line in the last one.
    PrintRun run = f.Run({Page(Lines((c.columns - 1) * per_column + 1))});
    EXPECT_EQ(int(run.columns.size()), c.columns);
    EXPECT_EQ(run.SheetCount, c.sheets);
  }
}

TEST(PrintFlowSheet, ProgressAndCancel) {
  Flow f(PrintSettings{});
  const std::vector<PrintPage> pages(5, Page(Lines(2)));
  std::vector<size_t> seen;
  PrintRun run = f.flow.SetLineColumnImage(pages, [&](size_t done, size_t total) {
    EXPECT_EQ(total, 5u);
    seen.push_back(done);
    return done < 2;
  });
  EXPECT_TRUE(run.cancelled);
  EXPECT_EQ(seen, (std::vector<size_t>{0, 1, 2}));
  EXPECT_EQ(run.lines.size(), 4u);
  // The same flow lays out again from the start.
  run = f.flow.SetLineColumnImage(pages, [](size_t, size_t) { return true; });
  EXPECT_FALSE(run.cancelled);
  EXPECT_EQ(run.lines.size(), 10u);
  EXPECT_EQ(run.lines[0].first_chunk, 0);
}

}  // namespace
}  // namespace sk::print
