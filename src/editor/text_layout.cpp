#include "editor/text_layout.h"

#include <algorithm>
#include <cmath>

#include "convert/sjis.h"

namespace sk::editor {

TextLayoutValues ComputeTextLayout(int ten_char_width, int tab_count, int item_indent,
                                   int right_margin, double max_wrap_cm, int font_ppi,
                                   int screen_ppi) {
  TextLayoutValues v;
  const int ppi = std::max(1, font_ppi);
  v.TenCharWidth = ten_char_width;
  // Tab stops use 72 points per 96 pixels whatever the screen.
  for (int i = 0; i < 5; ++i)
    v.TabStops[size_t(i)] = tab_count * ten_char_width * (i + 1) * 3 / 40 + 1;
  v.ItemIndentPoints = item_indent * ten_char_width * 72 / (ppi * 10) + 1;
  v.RightIndentPoints = double(right_margin) * 72.0 / ppi;
  v.MaxWrapPixels = MaxWrapPixelsOf(max_wrap_cm, screen_ppi);
  return v;
}

int MaxWrapPixelsOf(double cm, int pixels_per_inch) {
  return int(double(pixels_per_inch) * cm * 0.39370078740157479763);
}

double RightIndentFor(const TextLayoutValues& v, bool word_wrap, double max_wrap_cm, int area_width,
                      int font_ppi) {
  const double ppi = std::max(1, font_ppi);
  const double right_px = v.RightIndentPoints * ppi / 72.0;
  if (word_wrap && max_wrap_cm >= 3 && v.MaxWrapPixels < area_width - right_px)
    return double(area_width - v.MaxWrapPixels) * 72.0 / ppi;
  return v.RightIndentPoints;
}

int NormalIndentPoints(int n, int ten_char_width, int font_ppi) {
  if (n < 0) return -1;
  return n * ten_char_width * 72 / (std::max(1, font_ppi) * 10);
}

bool StartsWithItemChar(std::string_view paragraph, std::string_view item_chars) {
  const size_t n = sjis::CharLen(paragraph, 0);
  if (n == 0) return false;
  const std::string_view first = paragraph.substr(0, n);
  for (size_t i = 0; i < item_chars.size();) {
    const size_t m = std::max<size_t>(1, sjis::CharLen(item_chars, i));
    if (item_chars.substr(i, m) == first) return true;
    i += m;
  }
  return false;
}

}  // namespace sk::editor
