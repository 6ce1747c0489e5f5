// Measuring text for the print layout.  The layout never asks a device: it measures through
// TextMeasure, which the window side implements with the font metrics of a font at layout size
// (1/10000 inch), so that preview, printer and PDF lay out with the same numbers.  Tests use a
// fixed-width stand-in.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace sk::print {

// A measuring font.  The name is CP932 bytes, prefixed with "@" for the vertical variant of the
// font (vertical writing); height is in layout units, negative as fonts report it.
struct MeasureFont {
  std::string name;
  int style = 0;  // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out
  int height = 0;
  bool operator<(const MeasureFont& o) const {
    return std::tie(name, style, height) < std::tie(o.name, o.style, o.height);
  }
  bool operator==(const MeasureFont& o) const = default;
};

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // The advance of CP932 text along the line direction, in layout units.
  virtual int Width(const MeasureFont& font, std::string_view text) = 0;
};

// Measures with a current font, keeping the width of each distinct text per font, so a run of
// many pages measures each chunk text once.  With the cache off every text is measured anew
// (the benchmark's comparison).
class MeasureCache {
 public:
  explicit MeasureCache(TextMeasure* measure) : measure_(measure) {}

  void SetFont(const MeasureFont& font);
  const MeasureFont& font() const { return font_; }
  int Width(std::string_view text);

  void set_enabled(bool on) { enabled_ = on; }
  bool enabled() const { return enabled_; }
  void Clear() { widths_.clear(), current_ = nullptr; }

 private:
  TextMeasure* measure_;
  bool enabled_ = true;
  MeasureFont font_;
  // Looked up by the chunk's bytes where they lie, without a copy.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  using Widths = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;
  // The widths of a font: a text of one or two bytes (most chunks of Japanese text: one
  // character) found directly by its bytes, -1 while unmeasured; longer texts in a hash map.
  struct FontWidths {
    std::vector<int> short_texts;
    Widths texts;
  };
  std::map<MeasureFont, FontWidths> widths_;
  FontWidths* current_ = nullptr;
};

}  // namespace sk::print
