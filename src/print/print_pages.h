// The pages a print run lays out, read from the page file: all pages of the selection from the
// first, or a number of pages from the current one, in the display order.  The walk is the
// exports' (the same ranges, the same rules at the end of the selection); the cursor goes back to
// the page it was on, so the window shows its page again afterwards.
#pragma once

#include <vector>

#include "convert/status.h"
#include "exchange/export_run.h"
#include "print/print_flow.h"
#include "print/print_settings.h"
#include "store/table.h"

namespace sk::print {

// The range of the settings: "AllPage", else "PageCount" pages from the current one (1 when the
// box holds no number).
exchange::ExportRange PrintRangeOf(const PrintSettings& s);

// Reads the pages of `range` from `t` (its order and filter) into *pages, fields as the page file
// keeps them (CP932; the text with its CR LF).  progress(done, total) after the first page and
// every 256 pages; false cancels (*cancelled set, *pages incomplete, Status ok).  The cursor is
// put back on the page it was on, also after a failure or a cancel.
Status CollectPrintPages(store::Table& t, const exchange::ExportRange& range,
                         const store::Table::Progress& progress, std::vector<PrintPage>* pages,
                         bool* cancelled);

}  // namespace sk::print
