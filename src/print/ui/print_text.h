// The fonts of printing and the one rule by which vertical writing advances, shared by measuring
// (at layout size) and drawing (at device size), so that both agree.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <string_view>
#include <vector>

namespace sk::print {

// The font of a CP932 font name (a leading "@", the vertical variant, is dropped) with the style
// bits (bold, italic, underline, strike-out) at a pixel size.
QFont PrintFont(std::string_view cp932_name, int style, int pixel_size);

// A piece of text in a vertical line: a double-byte character stands upright and advances by the
// em; a run of single-byte characters is turned a quarter clockwise and advances by its width.
struct VerticalPiece {
  QString text;
  bool upright = false;
  double advance = 0;
};
std::vector<VerticalPiece> VerticalPieces(std::string_view cp932, const QFontMetricsF& metrics,
                                          double em);

}  // namespace sk::print
