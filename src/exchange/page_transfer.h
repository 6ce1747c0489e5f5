// Pages between page files: all pages of another page file appended to the open one, and the
// selected pages of the open one written into a new page file.
#pragma once

#include <string>

#include "convert/status.h"
#include "store/table.h"

namespace sk::exchange {

struct TransferOutcome {
  int pages = 0;           // pages appended or written
  bool cancelled = false;  // stopped by the progress callback
};

// Appends every page of the page file `source_path` (UTF-8 path, extension .dbf; opened
// read-only with a shared lock, in page-number order, no selection; any dBASE table with the page
// fields, with or without an index) at the end of `dest`, with all seven fields.  All or nothing:
// `dest` is closed, its ends noted in a journal (append_journal.h), the pages appended in one bulk
// pass; a failure or a cancel takes the file back to its old pages (a crash, at the next open).
// `dest` is open again afterwards, in page-number order without a filter, on its last page.
Status AppendPageFile(store::Table& dest, const std::string& source_path,
                      const store::Table::Progress& progress, TransferOutcome* outcome);

// Writes the pages of `source` that its filter admits, in its current order, into a new page
// file `target` (UTF-8 path; N.dbf with N.dbt and N.mdx holding the ten tags in the order
// AddIndex adds them), numbered 1..N.  The files are built under hidden names beside the target
// and renamed onto it as one change (file_commit.h): a cancel or a failure leaves whatever was
// under the target's name untouched, and a crash leaves the whole old or the whole new page file.
// The source's current record is kept.
Status ExportToPageFile(store::Table& source, const std::string& target,
                        const store::Table::Progress& progress, TransferOutcome* outcome);

}  // namespace sk::exchange
