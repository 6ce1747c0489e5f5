// The sheet geometry of a print layout, in layout units of 1/10000 inch.
//
// Horizontal writing runs lines left to right and stacks them top to bottom; vertical writing runs
// lines top to bottom and stacks them right to left, stacking positions measured from the right
// edge of the paper.  A column is a band with its own line length along the line direction and
// its own extent along the stacking direction; a sheet holds 1, 2 or 4 columns (two columns per
// page, and two pages side by side with bag binding).
#pragma once

#include <optional>
#include <string_view>

#include "print/print_settings.h"

namespace sk::print {

constexpr int kUnitsPerInch = 10000;

// Millimetres and points in layout units, unrounded; callers truncate where a whole unit is kept.
constexpr double MmToUnits(double mm) { return mm * kUnitsPerInch / 25.4; }
constexpr double PointsToUnits(double pt) { return pt * kUnitsPerInch / 72; }

// The font height of a size in points, negative as fonts report it, truncated toward zero.
int FontHeightOfPoints(double pt);

// A number box's text as a float: blanks at both ends allowed, nothing else; nullopt otherwise.
std::optional<double> ReadNumber(std::string_view text);

struct PaperMm {
  double width, height;
};
// The paper of a "Yoshi" index (any other index as A4 portrait).
PaperMm PaperSize(int yoshi);

struct PrintGeometry {
  int PaperWidth = 0, PaperHeight = 0;
  double MarginLeft = 0, MarginRight = 0, MarginBottom = 0, ColumnGap = 0, BindingBlank = 0;
  int MarginTop = 0;
  bool Horizontal = true;
  int LineLength = 0;
  int ColumnExtent = 0;
  int ColumnsPerSheet = 1;
  int ColumnLineStart[4] = {0, 0, 0, 0};
  int ColumnStackStart[4] = {0, 0, 0, 0};
  int LineGap = 0, PageGap = 0;
  int ImageSize = 0;
  int ImagePos = 0;
  int ImageGap = 0;
  bool DocTitleWide = false;
  int FontHeight[3] = {0, 0, 0};  // body text, page title, document title (negative)
  double ParIndent = 0;           // paragraph indent in full-width characters
};

// The geometry of the settings' paper, orientation, margins and columns.  Number texts that do
// not convert take the dialog's defaults (20 mm margins, 10 mm column gap, 40 mm binding blank,
// 2 mm line gap, 20 mm page gap, no indent, half a line for the picture size).  FontHeight is
// left to SetFontHeight.
PrintGeometry CulcConstant(const PrintSettings& settings);

}  // namespace sk::print
