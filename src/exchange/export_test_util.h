// What the export tests share: CP932 from UTF-8, and a whole export of some pages in memory.
#pragma once

#include <string>
#include <vector>

#include "exchange/export_format.h"
#include "store/test_util.h"

namespace sk::exchange::test {

using store::test::J;

// The head, the pages and the tail a writer gives.
inline std::string Export(PageExporter& w, const std::vector<ExportPage>& pages) {
  std::string out;
  w.Head(&out);
  for (const ExportPage& p : pages) w.Page(p, &out);
  w.Tail(&out);
  return out;
}

}  // namespace sk::exchange::test
