// The search across pages: the text of a page that a search looks at, and the walk over the pages
// of the table's current order and selection until one has a hit.  The window's searches and
// `sorakumo-tool search` both go through it.
#pragma once

#include <string>

#include "convert/status.h"
#include "search/find_scan.h"
#include "store/table.h"

namespace sk::search {

// What a search looks at on each page.
enum class SearchFields {
  kText,      // TEXT
  kTitle,     // TITLE
  kSubtitle,  // SUBTITLE
  kImage,     // IMAGEFILE (searched lower-cased: build the strings without match case)
  kAll,       // TITLE, SUBTITLE, IMAGEFILE, TEXT joined by the byte 0x01
};

// The text of the current record for `fields` (fields as stored).
Status PageSearchText(const store::Table& t, SearchFields fields, std::string* out);

struct PageWalk {
  bool forward = true;
  // Move one page before scanning (a continued search); otherwise the current page is scanned
  // first.
  bool step_first = false;
  // Called now and then with the pages visited so far and the pages that may be visited at most
  // (the table's record count); returning false stops the walk.
  store::Table::Progress progress;
};

struct PageWalkResult {
  FindHit hit;             // on the page the cursor stands on when found
  bool cancelled = false;  // the progress callback stopped the walk (cursor on the last page seen)
  uint32_t pages = 0;      // pages scanned
};

// Scans the pages from the current one in the table's order and filter until a page's text has a
// hit (the cursor stays there) or the end (forward) or the beginning of the selection is passed
// (the cursor then stands past it: Eof or Bof).
Status ScanPages(store::Table& t, const SearchStrings& s, SearchFields fields,
                 const PageWalk& walk, PageWalkResult* result);

}  // namespace sk::search
