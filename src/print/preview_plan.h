// The arithmetic of the print preview and of sending sheets to a printer: the paper's size on
// screen and the scroll ranges, the sheet a typed number asks for, and the order in which sheets
// go to the printer for a range and a number of copies.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "print/print_settings.h"

namespace sk::print {

// The paper on screen: its size in pixels at a resolution and zoom (truncated), and the scroll
// ranges of the preview (the zoomed paper and 40 pixels more).
struct PaperOnScreen {
  int width = 0, height = 0;
  int scroll_width = 0, scroll_height = 0;
};
PaperOnScreen PaperPixels(const PrintSettings& settings, double dpi, double zoom);

// The sheet index (from 0) the text typed into "任意の用紙へ" asks for among sheet_count: below 1
// means the first, above the count the last; nullopt when the text is not an integer.
std::optional<int> SheetAsked(std::string_view text, int sheet_count);

// What goes to the printer for sheets first..last (from 1) and a number of copies.  Collated
// copies are made by the program, the range sent once per copy, the printer making one;
// otherwise the printer makes the copies of one pass.  A page break separates every two sheets
// sent, none follows the last.
struct PrintPass {
  int printer_copies = 1;
  std::vector<int> sheets;  // the sheet numbers (from 1) in the order sent
};
PrintPass SheetsToPrint(int first, int last, int copies, bool collate);

// The zoom steps of the preview, largest first.
inline constexpr double kZoomSteps[] = {1.0, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4};

}  // namespace sk::print
