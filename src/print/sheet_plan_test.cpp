#include "print/sheet_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/fixed_measure_test_util.h"

namespace sk::print {
namespace {

using test::Sjis;

using test::FixedMeasure;

// A run of `sheets` empty sheets of the settings' geometry.
PrintRun EmptyRun(const PrintSettings& s, int sheets) {
  PrintRun run;
  run.geometry = CulcConstant(s);
  run.columns.resize(size_t(sheets * run.geometry.ColumnsPerSheet));
  run.SheetCount = sheets;
  return run;
}

// A4 portrait, 20 mm margins, 10 mm between columns, 40 mm binding blank: the paper is 82677
// units wide and the numbers stand 5 mm under the bottom margin (111023).
TEST(SheetPlan, PageNumbersUnderTheColumns) {
  struct Case {
    int vertical, bag, two;
    int sheet;
    std::vector<std::string> texts;
    std::vector<int> centres;
  };
  const Case cases[] = {
      {0, 0, 0, 0, {"-1-"}, {41338}},
      {0, 0, 1, 2, {"-3-"}, {41337}},
      {0, 1, 0, 0, {"-1-", "-2-"}, {20669, 62007}},
      {0, 1, 1, 1, {"-3-", "-4-"}, {20668, 62005}},
      {1, 0, 0, 1, {"-2-"}, {41338}},
      {1, 0, 1, 0, {"-1-"}, {41338}},
      // The right half comes first in vertical writing.
      {1, 1, 0, 0, {"-1-", "-2-"}, {62007, 20669}},
      {1, 1, 1, 1, {"-3-", "-4-"}, {62007, 20669}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.vertical << c.bag << c.two << " sheet " << c.sheet);
    PrintSettings s;
    s.MojiHoko = c.vertical, s.Fukuro = c.bag, s.Dangumi = c.two;
    const SheetPlan plan = PlanSheet(EmptyRun(s, 3), s, c.sheet);
    ASSERT_EQ(plan.page_numbers.size(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(plan.page_numbers[i].text, c.texts[i]);
      EXPECT_EQ(plan.page_numbers[i].centre_x, c.centres[i]);
      EXPECT_EQ(plan.page_numbers[i].top_y, 111023);
    }
  }
  PrintSettings s;
  s.PageNum = 1;
  EXPECT_TRUE(PlanSheet(EmptyRun(s, 1), s, 0).page_numbers.empty());
  EXPECT_TRUE(PlanSheet(EmptyRun(s, 1), s, 1).page_numbers.empty());
}

// A picture in the second column of the second sheet, 3000 across and 2000 along, 100 from the
// line start and 200 down the column.
TEST(SheetPlan, PictureRectangles) {
  for (int vertical : {0, 1}) {
    SCOPED_TRACE(vertical);
    PrintSettings s;
    s.MojiHoko = vertical, s.Fukuro = 1;
    PrintRun run = EmptyRun(s, 2);
    const PrintGeometry& g = run.geometry;
    run.pictures.push_back({3000, 2000, 100, 200, 3, true, "/p/a.jpg"});
    run.columns[3].first_picture = 0;
    run.columns[3].picture_count = 1;
    EXPECT_TRUE(PlanSheet(run, s, 0).pictures.empty());
    const SheetPlan plan = PlanSheet(run, s, 1);
    ASSERT_EQ(plan.pictures.size(), 1u);
    const PlannedPicture& p = plan.pictures[0];
    EXPECT_EQ(p.picture, 0);
    if (!vertical) {
      // Right half: the left margin, one line length and the binding blank to its left.
      EXPECT_EQ(g.ColumnLineStart[1], 7874 + g.LineLength + 15748);
      EXPECT_EQ(p.left, g.ColumnLineStart[1] + 100);
      EXPECT_EQ(p.top, 7874 + 200);
      EXPECT_EQ(p.width, 3000);
      EXPECT_EQ(p.height, 2000);
    } else {
      // Left half: its right edge is one column extent and the binding blank left of the
      // right margin.
      EXPECT_EQ(p.top, 7874 + 100);
      EXPECT_EQ(p.height, 3000);
      EXPECT_EQ(p.width, 2000);
      EXPECT_EQ(p.left + p.width, 82677 - (7874 + g.ColumnExtent + 15748) - 200);
    }
  }
}

// Two columns with the document title over both: the second column starts below the title; in
// vertical writing lines stand leftwards from the right margin.
TEST(SheetPlan, LinesOfTheColumnsBesideAWideTitle) {
  for (int vertical : {0, 1}) {
    SCOPED_TRACE(vertical);
    PrintSettings s;
    s.MojiHoko = vertical, s.Fukuro = 0, s.Dangumi = 1, s.DocTitleOneColumn = false;
    s.DocTitle = Sjis("題");
    std::string text;
    for (int i = 0; i < 150; ++i) text += Sjis("\tあい\r\n");
    FixedMeasure measure;
    PrintFlow flow(s, &measure, nullptr);
    PrintPage page;
    page.text = text;
    const PrintRun run = flow.SetLineColumnImage({page});
    const PrintGeometry& g = run.geometry;
    ASSERT_TRUE(g.DocTitleWide);
    ASSERT_GE(run.columns.size(), 3u);
    ASSERT_GT(run.doc_title_extent, 0);

    const SheetPlan plan = PlanSheet(run, s, 0);
    ASSERT_EQ(plan.lines.size(), size_t(run.columns[2].first_line));
    // The title, centred over both columns.
    const PlannedLine& title = plan.lines[0];
    ASSERT_EQ(title.chunks.size(), 1u);
    EXPECT_EQ(title.chunks[0].t,
              g.ColumnLineStart[0] + (2 * g.LineLength + int(g.ColumnGap) - 100) / 2);
    // The first line of the second column: its tab takes room and is not drawn.
    const PlannedLine& second = plan.lines[size_t(run.columns[1].first_line)];
    const int h = run.lines[size_t(second.line)].font_height;
    const int tab = run.chunk_width[size_t(run.lines[size_t(second.line)].first_chunk)];
    ASSERT_EQ(second.chunks.size(), 2u);
    EXPECT_EQ(second.chunks[0].t, g.ColumnLineStart[1] + tab);
    EXPECT_EQ(second.chunks[1].t, g.ColumnLineStart[1] + tab + 100);
    const int p = g.ColumnStackStart[1] + run.doc_title_extent;
    if (!vertical) {
      EXPECT_EQ(second.band_begin, p);
      EXPECT_EQ(second.band_end, p + h);
      EXPECT_EQ(plan.lines[1].band_begin, g.ColumnStackStart[0] + run.doc_title_extent);
    } else {
      EXPECT_EQ(title.band_end, g.PaperWidth - g.ColumnStackStart[0]);
      EXPECT_EQ(second.band_end, g.PaperWidth - p);
      EXPECT_EQ(second.band_begin, g.PaperWidth - p - h);
    }
    // The next sheet starts with the third column at the top.
    const SheetPlan next = PlanSheet(run, s, 1);
    ASSERT_FALSE(next.lines.empty());
    EXPECT_EQ(next.lines[0].line, run.columns[2].first_line);
  }
}

}  // namespace
}  // namespace sk::print
