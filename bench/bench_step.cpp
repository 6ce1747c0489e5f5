// Opens a page file and steps through all of its pages in title order (tag T), then in
// page-number order, reading no memo.  run_store_bench.sh runs it under /usr/bin/time -v for
// the peak resident memory of a reader of a large page file.
#include <cstdio>
#include <string>

#include "store/page_file.h"
#include "store/table.h"

namespace {

int Fail(const sk::Status& st) {
  std::fprintf(stderr, "bench_step: %s\n", st.message().c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_step FILE.dbf\n");
    return 2;
  }
  sk::store::Table t;
  sk::Status st = t.Open(argv[1], sk::store::PageFileOptions());
  if (!st.ok()) return Fail(st);
  for (const char* tag : {"T", ""}) {
    st = t.SetIndexName(tag);
    if (!st.ok()) return Fail(st);
    long n = 0;
    for (st = t.First(); st.ok() && !t.Eof(); st = t.Next()) ++n;
    if (!st.ok()) return Fail(st);
    std::printf("%s: %ld pages\n", *tag ? tag : "(physical)", n);
  }
  st = t.Close();
  return st.ok() ? 0 : Fail(st);
}
