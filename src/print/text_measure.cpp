#include "print/text_measure.h"

#include <cstdint>

namespace sk::print {

void MeasureCache::SetFont(const MeasureFont& font) {
  if (current_ && font == font_) return;
  font_ = font;
  current_ = &widths_[font];
}

int MeasureCache::Width(std::string_view text) {
  if (!enabled_) return measure_->Width(font_, text);
  if (!current_) current_ = &widths_[font_];
  if (text.size() == 1 || text.size() == 2) {
    // One byte b at b, two bytes a b at 256 + a * 256 + b.
    const size_t slot = text.size() == 1
                            ? uint8_t(text[0])
                            : 256 + size_t(uint8_t(text[0])) * 256 + uint8_t(text[1]);
    std::vector<int>& widths = current_->short_texts;
    if (widths.empty()) widths.assign(256 + 65536, -1);
    int& w = widths[slot];
    if (w < 0) w = measure_->Width(font_, text);
    return w;
  }
  auto it = current_->texts.find(text);
  if (it != current_->texts.end()) return it->second;
  int w = measure_->Width(font_, text);
  current_->texts.emplace(std::string(text), w);
  return w;
}

}  // namespace sk::print
