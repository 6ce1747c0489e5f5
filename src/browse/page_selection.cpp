#include "browse/page_selection.h"

namespace sk::browse {

const PageOrder& OrderOfCode(int code) {
  for (const PageOrder& o : kPageOrders)
    if (o.code == code) return o;
  return kPageOrders[0];
}

const PageOrder& OrderOfTag(std::string_view tag) {
  for (const PageOrder& o : kPageOrders)
    if (o.tag == tag) return o;
  return kPageOrders[0];
}

}  // namespace sk::browse
