// The table file's header and record reader: the input is a whole .dbf.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "store/dbf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = sk::fuzz::WriteScratch("f.dbf", data, size);
  sk::store::DbfFile dbf;
  if (!dbf.Open(path, true).ok()) return 0;
  int width = 0;
  for (const auto& f : dbf.fields()) {
    if (f.offset < 0 || f.offset + f.width > dbf.record_length() - 1) __builtin_trap();
    width += f.width;
    if (dbf.FieldIndex(f.name) < 0) __builtin_trap();
  }
  if (1 + width != dbf.record_length()) __builtin_trap();
  dbf.UpdateDate();
  std::string rec;
  for (uint32_t r = 1; r <= dbf.record_count(); ++r) {
    if (!dbf.ReadRecord(r, &rec).ok()) break;
    if (rec.size() != size_t(dbf.record_length())) __builtin_trap();
  }
  dbf.ReadRecord(0, &rec);
  dbf.ReadRecord(dbf.record_count() + 1, &rec);
  return 0;
}
