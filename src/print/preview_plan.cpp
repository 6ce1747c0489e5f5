#include "print/preview_plan.h"

#include <charconv>

#include "print/print_geometry.h"

namespace sk::print {

PaperOnScreen PaperPixels(const PrintSettings& settings, double dpi, double zoom) {
  const PaperMm mm = PaperSize(settings.Yoshi);
  PaperOnScreen p;
  p.width = int(mm.width * dpi / 25.4 * zoom);
  p.height = int(mm.height * dpi / 25.4 * zoom);
  p.scroll_width = p.width + 40;
  p.scroll_height = p.height + 40;
  return p;
}

std::optional<int> SheetAsked(std::string_view text, int sheet_count) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec == std::errc::invalid_argument || end != text.data() + text.size())
    return std::nullopt;
  if (ec == std::errc::result_out_of_range) n = text.front() == '-' ? 0 : sheet_count;
  if (n < 1) n = 1;
  if (n > sheet_count) n = sheet_count;
  return int(n) - 1 < 0 ? 0 : int(n) - 1;
}

PrintPass SheetsToPrint(int first, int last, int copies, bool collate) {
  PrintPass pass;
  int passes = 1;
  if (collate) {
    passes = copies < 1 ? 1 : copies;
  } else {
    pass.printer_copies = copies < 2 ? 1 : copies;
  }
  for (int c = 0; c < passes; ++c)
    for (int s = first; s <= last; ++s) pass.sheets.push_back(s);
  return pass;
}

}  // namespace sk::print
