#include "print/ui/print_text.h"

#include <algorithm>

#include "convert/cp932.h"
#include "convert/sjis.h"

namespace sk::print {

QFont PrintFont(std::string_view cp932_name, int style, int pixel_size) {
  if (!cp932_name.empty() && cp932_name.front() == '@') cp932_name.remove_prefix(1);
  QFont font(cp932::Decode(cp932_name));
  font.setPixelSize(std::max(pixel_size, 1));
  font.setBold(style & 1);
  font.setItalic(style & 2);
  font.setUnderline(style & 4);
  font.setStrikeOut(style & 8);
  // Outlines scaled as they are: the layout measures at 1/10000 inch, a screen draws at a few
  // pixels, and hinting would make the two disagree.
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

std::vector<VerticalPiece> VerticalPieces(std::string_view cp932, const QFontMetricsF& metrics,
                                          double em) {
  std::vector<VerticalPiece> pieces;
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = sjis::CharLen(cp932, i);
    if (len == 2) {
      pieces.push_back({cp932::Decode(cp932.substr(i, 2)), true, em});
      i += 2;
      continue;
    }
    size_t end = i;
    while (end < cp932.size() && sjis::CharLen(cp932, end) == 1) ++end;
    const QString text = cp932::Decode(cp932.substr(i, end - i));
    pieces.push_back({text, false, metrics.horizontalAdvance(text)});
    i = end;
  }
  return pieces;
}

}  // namespace sk::print
