// The numbers of the text area's paragraph layout, worked out from the text font and the settings.
//
// Indents and tab stops are in points, as paragraph formats take them; widths measured on the
// screen are in pixels.  `TenCharWidth` is the width of five full-width spaces (ten half-width
// character cells) drawn in the text font.
#pragma once

#include <array>
#include <string_view>

namespace sk::editor {

struct TextLayoutValues {
  int TenCharWidth = 0;           // pixels
  std::array<int, 5> TabStops{};  // points
  int ItemIndentPoints = 0;
  double RightIndentPoints = 0;
  int MaxWrapPixels = 0;
};

// ten_char_width: pixels; right_margin: pixels; font_ppi: the font's pixels per inch; screen_ppi:
// the screen's (for the wrap width in centimetres).
TextLayoutValues ComputeTextLayout(int ten_char_width, int tab_count, int item_indent,
                                   int right_margin, double max_wrap_cm, int font_ppi,
                                   int screen_ppi);

// The wrap width in pixels of a width in centimetres.
int MaxWrapPixelsOf(double cm, int pixels_per_inch);

// The right indent of every paragraph: the right margin, or, with wrapping on, a wrap width of at
// least 3 cm and an area wide enough, the indent that narrows the column to the wrap width.
double RightIndentFor(const TextLayoutValues& v, bool word_wrap, double max_wrap_cm, int area_width,
                      int font_ppi);

// First-line indent in points of normal mode for an indent of n half-width characters; negative
// when n is negative (no indent at all).
int NormalIndentPoints(int n, int ten_char_width, int font_ppi);

// True when the paragraph's first character is one of the item marks (both CP932).
bool StartsWithItemChar(std::string_view paragraph, std::string_view item_chars);

}  // namespace sk::editor
