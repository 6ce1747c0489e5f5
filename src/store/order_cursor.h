// A position in a tag's order: the index's B-tree (MdxFile::Cursor) or an order built in memory
// from the records (MemOrder::Cursor).  Entries are (key, record number), in key order, equal keys
// in record-number order.
#pragma once

#include <cstdint>
#include <string>

#include "convert/status.h"

namespace sk::store {

class OrderCursor {
 public:
  virtual ~OrderCursor() = default;
  virtual Status First(bool* found) = 0;
  virtual Status Last(bool* found) = 0;
  // Positions on the first entry >= (key, recno).
  virtual Status Seek(const std::string& key, uint32_t recno, bool* found) = 0;
  virtual Status Next(bool* found) = 0;
  virtual Status Prior(bool* found) = 0;
  // The record of the entry the cursor is on (only after a call that found one).
  virtual uint32_t recno() const = 0;
};

}  // namespace sk::store
