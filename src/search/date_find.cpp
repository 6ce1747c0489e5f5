#include "search/date_find.h"

#include <cstdio>
#include <tuple>

namespace sk::search {

int CompareDates(const std::optional<store::Date>& a, const store::Date& b) {
  if (!a) return -1;
  auto ta = std::tie(a->year, a->month, a->day);
  auto tb = std::tie(b.year, b.month, b.day);
  return ta < tb ? -1 : (tb < ta ? 1 : 0);
}

Status MoveToDate(store::Table& t, const store::Date& target) {
  char key[9];
  std::snprintf(key, sizeof key, "%04d%02d%02d", target.year, target.month, target.day);
  Status st = t.FindNearest("DATE", key);
  if (!st.ok() || t.IsEmpty()) return st;
  // Past the last page the cursor stays on it: no page is dated on or after the target.
  if (t.Eof()) return Status::Ok();
  // A later page: the one before it is the last page dated before the target (the first page
  // stays where it is).
  if (CompareDates(t.FieldDate("DATE"), target) > 0) st = t.Prior();
  return st;
}

}  // namespace sk::search
