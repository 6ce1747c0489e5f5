// Index tags and their keys.
//
// A tag is keyed on one field (a D field gives a date key, a C field its bytes) or on an
// expression joining terms with "+": FIELD, UPPER(FIELD), DTOS(FIELD).  C keys are the bytes of
// the expression padded with spaces to the key length and compare as unsigned bytes; UPPER()
// raises half-width a-z only, never a trail byte of a double-byte character; DTOS() gives
// YYYYMMDD, or 8 spaces for a blank date.  Date keys are IEEE doubles (little-endian) holding the
// Julian Day Number, 0.0 for a blank date.  Equal keys are kept in record-number order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/status.h"
#include "store/dbf.h"

namespace sk::store {

struct KeyTerm {
  enum Kind { kField, kUpper, kDtos } kind = kField;
  int field = 0;  // index into the table's fields
};

struct TagDef {
  std::string name;     // at most 10 characters, upper case
  std::string expr;     // the key expression as stored, or the field name
  bool is_expr = true;  // false: keyed on the field itself
  char type = 'C';      // 'C' or 'D'
  int key_len = 0;
  std::vector<KeyTerm> terms;

  int item_len() const { return (key_len + 4 + 3) / 4 * 4; }
  int max_keys() const { return (1024 - 12) / item_len(); }
};

// Resolves an expression (or a field name) against the table's fields.
Status ParseTag(const std::string& name, const std::string& expr, bool is_expr,
                const std::vector<FieldDef>& fields, TagDef* out);

// The key of a record (its bytes as in the file, deletion byte first) under a tag.
std::string MakeKey(const TagDef& tag, const std::vector<FieldDef>& fields, const std::string& rec);

// <0, 0, >0 comparing two keys of the tag.
int CompareKeys(const TagDef& tag, const unsigned char* a, const unsigned char* b);

// Julian Day Number of a Gregorian date; ParseDate8 reads YYYYMMDD (false when blank or invalid).
double JulianDay(int y, int m, int d);
bool ParseDate8(const char* p, int* y, int* m, int* d);

}  // namespace sk::store
