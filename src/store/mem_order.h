// A tag's order built in memory from the records, for a table whose index cannot be used and must
// not be written (a read-only open of a file whose index is missing, stale, foreign or damaged).
//
// The keys come from the same key code as the index's (MakeKey, CompareKeys); the entries are the
// live records, sorted by (key, record number) as the index keeps them.  One flat array holds
// key bytes and record number side by side, for one tag only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "convert/status.h"
#include "store/dbf.h"
#include "store/keys.h"
#include "store/order_cursor.h"

namespace sk::store {

class MemOrder {
 public:
  // Reads every record of the table once.
  static Status Build(const DbfFile& dbf, const TagDef& tag, std::unique_ptr<MemOrder>* out);

  const TagDef& tag() const { return tag_; }
  size_t size() const { return count_; }
  uint32_t recno(size_t i) const;
  const unsigned char* key(size_t i) const { return entries_.data() + i * stride_; }
  std::unique_ptr<OrderCursor> NewCursor() const;

 private:
  class Cursor;
  // Index of the first entry >= (key, recno).
  size_t LowerBound(const unsigned char* key, uint32_t recno) const;

  TagDef tag_;
  size_t stride_ = 0;  // key length + 4
  size_t count_ = 0;
  std::vector<unsigned char> entries_;  // [key][recno, little-endian], sorted
};

}  // namespace sk::store
