#include "print/text_measure.h"

namespace sk::print {

void MeasureCache::SetFont(const MeasureFont& font) {
  if (current_ && font == font_) return;
  font_ = font;
  current_ = &widths_[font];
}

int MeasureCache::Width(std::string_view text) {
  if (!enabled_) return measure_->Width(font_, text);
  if (!current_) current_ = &widths_[font_];
  auto it = current_->find(text);
  if (it != current_->end()) return it->second;
  int w = measure_->Width(font_, text);
  current_->emplace(std::string(text), w);
  return w;
}

}  // namespace sk::print
