// Writing an export: the pages of the table's current order and selection, through a
// PageExporter, into a file that appears under its name only when it is complete.
//
// The bytes go to a temporary file beside the target (same folder, so the rename cannot cross
// file systems); Commit renames it over the target.  A cancelled or failed export removes the
// temporary file and leaves the target as it was (absent, or the old file).
#pragma once

#include <functional>
#include <string>

#include "convert/status.h"
#include "exchange/export_format.h"
#include "store/table.h"

namespace sk::exchange {

// A file written aside and renamed into place.
class AsideFile {
 public:
  AsideFile() = default;
  ~AsideFile();  // removes the temporary file unless committed
  AsideFile(const AsideFile&) = delete;
  AsideFile& operator=(const AsideFile&) = delete;

  // Creates the temporary file beside `path` (UTF-8 platform path).  Fails, naming the file, when
  // the folder cannot take a new file or `path` exists and cannot be written.
  Status Open(const std::string& path);
  Status Write(std::string_view bytes);
  // Writes to standard output instead (the command line's "-"): nothing goes aside, Commit only
  // ends the writing, and a failure leaves what was written so far.
  Status OpenStandardOutput();
  // Flushes and renames into place.
  Status Commit();
  // Removes the temporary file (also done by the destructor).
  void Discard();
  const std::string& path() const { return path_; }
  const std::string& temp_path() const { return temp_; }

 private:
  std::string path_, temp_;
  int fd_ = -1;
  bool standard_output_ = false;
};

// Which pages: all pages of the selection from the first, or `count` pages from the current
// one in the display order (fewer when the end comes first; none when count < 1).
struct ExportRange {
  bool all = true;
  int count = 1;
  // The current page has just left the selection: the pages start at its neighbour (the page
  // that stepping from it lands on).
  bool current_left = false;
};

struct ExportOutcome {
  int pages = 0;           // pages written
  bool cancelled = false;  // the progress callback stopped the export (nothing under the name)
};

// Walks the pages of `range` in `t`'s order and filter, calling visit() with the cursor on each;
// an error from visit() ends the walk with it.  progress(done, total) is called after the first
// page and every 256 pages (total: the pages to walk at most); false cancels.  outcome->pages
// counts the pages visited.  The cursor is left wherever the walk ended.
Status WalkRange(store::Table& t, const ExportRange& range, const std::function<Status()>& visit,
                 const store::Table::Progress& progress, ExportOutcome* outcome);

// Writes the pages of `t` (its order and filter) through `ex` into `out`, which is open; the
// caller commits.  The cursor is left wherever the walk ended: the caller puts it back.
// progress(done, total) is called after the first page and every 256 pages (total: the pages
// to write at most); false cancels.
Status ExportPages(store::Table& t, const ExportRange& range, PageExporter& ex, AsideFile& out,
                   const store::Table::Progress& progress, ExportOutcome* outcome);

}  // namespace sk::exchange
