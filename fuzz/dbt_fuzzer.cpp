// The memo file's reader.  Input: one flag byte (bit 0: a dBASE III memo file), one byte n
// (taken mod 17), n block numbers of 4 bytes (little-endian), then the whole .dbt.  Every block
// named is read, and then blocks 1.. of the file in turn, as a table's memo pointers would.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_file.h"
#include "store/dbt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  bool dbase3 = data[0] & 1;
  size_t n = data[1] % 17;
  if (size < 2 + 4 * n) return 0;
  std::vector<uint32_t> blocks;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = data + 2 + 4 * i;
    blocks.push_back(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                     uint32_t(p[3]) << 24);
  }
  size_t head = 2 + 4 * n;
  std::string path = sk::fuzz::WriteScratch("f.dbt", data + head, size - head);
  sk::store::DbtFile dbt;
  if (!dbt.Open(path, true, dbase3).ok()) return 0;
  uint64_t in_file = dbt.blocks_in_file();
  if (dbt.next_free() < in_file) __builtin_trap();  // new memos must not land on old ones
  std::string out;
  for (uint32_t b : blocks) {
    if (dbt.Read(b, &out).ok() && out.size() > size) __builtin_trap();
  }
  for (uint64_t b = 1; b < in_file && b < 4096; ++b) {
    if (dbt.Read(uint32_t(b), &out).ok() && out.size() > size) __builtin_trap();
  }
  return 0;
}
