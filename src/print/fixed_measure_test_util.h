// The tests' stand-in for the font metrics: fixed widths, 100 units a double-byte character and
// 50 a single byte, so expected positions can be worked out by hand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/cp932.h"
#include "print/text_measure.h"

namespace sk::print::test {

inline std::string Sjis(const char* utf8) {
  return cp932::EncodeReplacing(cp932::FromUtf8(utf8));
}

inline int FixedWidth(std::string_view text) {
  int w = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool lead =
        (uint8_t(text[i]) >= 0x81 && uint8_t(text[i]) <= 0x9F) || uint8_t(text[i]) >= 0xE0;
    w += lead ? 100 : 50;
    if (lead) ++i;
  }
  return w;
}

class FixedMeasure : public TextMeasure {
 public:
  int Width(const MeasureFont&, std::string_view text) override { return FixedWidth(text); }
};

}  // namespace sk::print::test
