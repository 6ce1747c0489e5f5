#include "print/print_pages.h"

#include <cmath>

#include "exchange/export_format.h"
#include "print/print_geometry.h"

namespace sk::print {

exchange::ExportRange PrintRangeOf(const PrintSettings& s) {
  exchange::ExportRange r;
  r.all = s.AllPage;
  const std::optional<double> v = ReadNumber(s.PageCount);
  if (!v || !std::isfinite(*v))
    r.count = 1;
  else if (*v >= 2147483647.0)
    r.count = 2147483647;
  else if (*v <= -2147483648.0)
    r.count = -2147483647 - 1;
  else
    r.count = static_cast<int>(*v);
  return r;
}

Status CollectPrintPages(store::Table& t, const exchange::ExportRange& range,
                         const store::Table::Progress& progress, std::vector<PrintPage>* pages,
                         bool* cancelled) {
  pages->clear();
  *cancelled = false;
  const store::Table::Bookmark start = t.GetBookmark();
  const bool had_page = !t.IsEmpty() && start != 0;
  const exchange::ExportFields fields = exchange::ExportFieldsOf(t);
  exchange::ExportPage page;
  exchange::ExportOutcome outcome;
  Status st = exchange::WalkRange(
      t, range,
      [&] {
        Status s = exchange::ReadExportPage(t, fields, &page);
        if (!s.ok()) return s;
        pages->push_back({std::move(page.bunrui), std::move(page.title), std::move(page.subtitle),
                          std::move(page.date), std::move(page.text), std::move(page.imagefile)});
        return s;
      },
      progress, &outcome);
  *cancelled = outcome.cancelled;
  if (had_page) {
    Status back = t.GotoBookmark(start);
    if (st.ok()) st = back;
  }
  return st;
}

}  // namespace sk::print
