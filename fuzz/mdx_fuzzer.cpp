// The production index's page reader: the input is a whole .mdx, opened against the page
// record's fields.  Every tag is walked with the structural checks, then stepped through with a
// cursor from First by Next and from Last by Prior.
//
// A cursor must come to an end: a tree of P pages cannot hold more than P/2 * (keys per block)
// entries, so a cursor that yields more is going round pages that are referred to more than
// once (stepping in that order would never finish), and the target stops with a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_file.h"
#include "store/mdx.h"
#include "store/page_file.h"

namespace {

using sk::store::MdxFile;

void StepAll(const MdxFile& mdx, int tag, bool forward, uint64_t limit) {
  MdxFile::Cursor c(&mdx, tag);
  bool found = false;
  sk::Status st = forward ? c.First(&found) : c.Last(&found);
  uint64_t n = 0;
  while (st.ok() && found) {
    c.recno();
    if (c.key().size() != size_t(mdx.tags()[size_t(tag)].key_len)) __builtin_trap();
    if (++n > limit) {
      fprintf(stderr, "tag %d: cursor (%s) gives more than %llu entries\n", tag,
              forward ? "Next" : "Prior", (unsigned long long)limit);
      __builtin_trap();
    }
    st = forward ? c.Next(&found) : c.Prior(&found);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<sk::store::FieldDef> fields = sk::store::PageRecordFields();
  std::string path = sk::fuzz::WriteScratch("f.mdx", data, size);
  MdxFile mdx;
  if (!mdx.Open(path, true, fields).ok()) return 0;
  std::vector<sk::store::IndexEntry> entries;
  std::vector<std::string> faults;
  for (int t = 0; t < int(mdx.tags().size()); ++t) {
    mdx.Walk(t, &entries, &faults);
    if (mdx.TagIndex(mdx.tags()[size_t(t)].name) < 0) __builtin_trap();
    uint64_t limit = uint64_t(mdx.pages_in_file() / 2) * uint64_t(mdx.tags()[size_t(t)].max_keys());
    StepAll(mdx, t, true, limit);
    StepAll(mdx, t, false, limit);
  }
  return 0;
}
