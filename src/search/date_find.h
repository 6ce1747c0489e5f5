// Finding a page by its date: in the table's current order (the caller switches to date order),
// the first page dated on or after a target, or the last page dated before it.
#pragma once

#include "convert/status.h"
#include "store/table.h"

namespace sk::search {

// Moves the cursor of `table` (in the order of a tag on DATE, its filter in force) to the first
// page whose DATE is on or after `target`; when that page is dated later and is not the first page,
// to the page before it (the last page dated before the target).  When no page is dated on or after
// the target, the last page.  A blank date counts as before every date.
Status MoveToDate(store::Table& table, const store::Date& target);

// Whole-day comparison; a blank date is the earliest.
int CompareDates(const std::optional<store::Date>& a, const store::Date& b);

}  // namespace sk::search
