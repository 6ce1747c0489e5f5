#include "print/print_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "convert/sjis.h"

namespace sk::print {

int FontHeightOfPoints(double pt) { return -static_cast<int>(PointsToUnits(pt)); }

std::optional<double> ReadNumber(std::string_view text) {
  text = sjis::TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

PaperMm PaperSize(int yoshi) {
  static constexpr PaperMm kPapers[8] = {{210, 297}, {297, 210}, {148, 210}, {210, 148},
                                         {257, 364}, {364, 257}, {182, 257}, {257, 182}};
  return kPapers[yoshi >= 0 && yoshi < 8 ? yoshi : 0];
}

namespace {

double MmOr(std::string_view text, double default_mm) {
  return MmToUnits(ReadNumber(text).value_or(default_mm));
}

int Trunc(double v) { return static_cast<int>(v); }

}  // namespace

PrintGeometry CulcConstant(const PrintSettings& s) {
  PrintGeometry g;
  PaperMm paper = PaperSize(s.Yoshi);
  g.PaperWidth = Trunc(MmToUnits(paper.width));
  g.PaperHeight = Trunc(MmToUnits(paper.height));
  g.MarginLeft = MmOr(s.LeftMargin, 20);
  g.MarginRight = MmOr(s.RightMargin, 20);
  g.MarginTop = Trunc(MmOr(s.TopMargin, 20));
  g.MarginBottom = MmOr(s.BottomMargin, 20);
  g.ColumnGap = MmOr(s.Dankan, 10);
  g.BindingBlank = MmOr(s.FukuroWidth, 40);
  g.Horizontal = s.MojiHoko != 1;

  const double W = g.PaperWidth, H = g.PaperHeight, L = g.MarginLeft, R = g.MarginRight;
  const double T = g.MarginTop, B = g.MarginBottom, G = g.ColumnGap, F = g.BindingBlank;
  const bool bag = s.Fukuro == 1, two = s.Dangumi == 1;
  if (g.Horizontal) {
    g.ColumnExtent = Trunc(H - T - B);
    for (int& start : g.ColumnStackStart) start = g.MarginTop;
    int* line = g.ColumnLineStart;
    line[0] = Trunc(L);
    if (!two && !bag) {
      g.LineLength = Trunc(W - L - R);
      g.ColumnsPerSheet = 1;
    } else if (!two) {
      g.LineLength = Trunc((W - L - F - R) / 2);
      g.ColumnsPerSheet = 2;
      line[1] = Trunc(line[0] + g.LineLength + F);
    } else if (!bag) {
      g.LineLength = Trunc((W - L - G - R) / 2);
      g.ColumnsPerSheet = 2;
      line[1] = Trunc(line[0] + g.LineLength + G);
    } else {
      g.LineLength = Trunc((W - L - 2 * G - F - R) / 4);
      g.ColumnsPerSheet = 4;
      line[1] = Trunc(line[0] + g.LineLength + G);
      line[2] = Trunc(line[1] + g.LineLength + F);
      line[3] = Trunc(line[2] + g.LineLength + G);
    }
  } else {
    // Vertical: the right half of a bag-bound sheet comes first, the upper band of two columns
    // before the lower one.
    g.ColumnExtent = Trunc(bag ? (W - L - F - R) / 2 : W - L - R);
    g.LineLength = Trunc(two ? (H - T - G - B) / 2 : H - T - B);
    g.ColumnsPerSheet = (bag ? 2 : 1) * (two ? 2 : 1);
    const int right = Trunc(R);
    const int second_half = Trunc(g.ColumnExtent + R + F);
    const int lower_band = Trunc(T + g.LineLength + G);
    for (int c = 0; c < g.ColumnsPerSheet; ++c) {
      const int band = two ? c % 2 : 0;
      const int half = two ? c / 2 : c;
      g.ColumnLineStart[c] = band == 0 ? g.MarginTop : lower_band;
      g.ColumnStackStart[c] = half == 0 ? right : second_half;
    }
  }

  g.LineGap = Trunc(MmOr(s.Gyokan, 2));
  g.PageGap = Trunc(MmOr(s.Pagekan, 20));
  std::optional<double> image = ReadNumber(s.ImageWidth);
  g.ImageSize = image ? std::min(Trunc(MmToUnits(*image)), g.LineLength) : g.LineLength / 2;
  g.ImagePos = s.ImagePos;
  g.ImageGap = Trunc(MmToUnits(2));
  g.DocTitleWide = two && !s.DocTitleOneColumn;
  g.ParIndent = ReadNumber(s.ParIndent).value_or(0);
  return g;
}

}  // namespace sk::print
