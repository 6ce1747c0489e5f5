// The preview's paper on screen, the sheet asked for by number, and the order of sheets sent to
// the printer.
#include "print/preview_plan.h"

#include <gtest/gtest.h>

namespace sk::print {
namespace {

TEST(PrintPreviewPlan, HalfZoomA4OnA96DpiScreen) {
  PrintSettings s;  // A4 portrait
  const PaperOnScreen p = PaperPixels(s, 96, 0.5);
  EXPECT_EQ(p.width, 396);
  EXPECT_EQ(p.height, 561);
  EXPECT_EQ(p.scroll_width, 436);
  EXPECT_EQ(p.scroll_height, 601);
  s.Yoshi = 5;  // B4 landscape at full size
  const PaperOnScreen b4 = PaperPixels(s, 96, 1.0);
  EXPECT_EQ(b4.width, 1375);
  EXPECT_EQ(b4.height, 971);
}

TEST(PrintPreviewPlan, SheetAskedByNumber) {
  struct Case {
    const char* text;
    std::optional<int> index;
  };
  const Case cases[] = {{"0", 0},   {"1", 0},       {"3", 2},           {" 4 ", 3},
                        {"99", 4},  {"-7", 0},      {"abc", std::nullopt}, {"", std::nullopt},
                        {"2x", std::nullopt},       {"1.5", std::nullopt},
                        {"99999999999999999999", 4}};
  for (const Case& c : cases) EXPECT_EQ(SheetAsked(c.text, 5), c.index) << c.text;
}

TEST(PrintPreviewPlan, SheetsSentForRangesAndCopies) {
  const PrintPass collated = SheetsToPrint(2, 3, 2, true);
  EXPECT_EQ(collated.printer_copies, 1);
  EXPECT_EQ(collated.sheets, (std::vector<int>{2, 3, 2, 3}));
  const PrintPass by_printer = SheetsToPrint(2, 3, 2, false);
  EXPECT_EQ(by_printer.printer_copies, 2);
  EXPECT_EQ(by_printer.sheets, (std::vector<int>{2, 3}));
  EXPECT_EQ(SheetsToPrint(1, 1, 0, true).sheets, (std::vector<int>{1}));
  EXPECT_EQ(SheetsToPrint(1, 2, 0, false).printer_copies, 1);
}

}  // namespace
}  // namespace sk::print
