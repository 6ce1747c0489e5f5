// The page file: a table of pages with the ten tags that give its display orders.
//
// Page record: BUNRUI C20 (category), TITLE C50, SUBTITLE C50, DATE D8, TEXT M10 (the page text,
// CR LF line ends), IMAGEFILE M10 (the image list), KEY C1 (the page's own view mode).
#pragma once

#include <string>
#include <vector>

#include "convert/status.h"
#include "store/table.h"

namespace sk::store {

std::vector<FieldDef> PageRecordFields();
// The ten tags in the order a new page file holds them (SD, TD, BD, S, T, B, D, BT, BS, TS).
std::vector<TagSpec> PageFileTags();
// The same tags in the order AddIndex adds them (T, S, D, BT, BS, BD, TS, TD, SD, B).
std::vector<TagSpec> AddIndexTags();
// Open options for a page file: its ten tags are rebuilt when the index is missing.
Table::OpenOptions PageFileOptions(bool read_only = false);

// Creates an empty page file (N.dbf, N.dbt, N.mdx), replacing one of that name.
Status CreatePageFile(const std::string& path);
// Adds the ten tags to a closed table that has none.
Status AddIndex(const std::string& path);

// Copies the source's records, in its current order and filter, to dest.  Copy mode creates
// dest with the source's fields and no tags; append mode adds the records to an existing table,
// matching fields by name.  The source's current record is kept.
// `progress` (when given) hears how many records of how many are done every few records and at
// the end; when it returns false the copy stops after a whole record and *cancelled is set (the
// records copied so far stay, and the status is Ok).
enum class BatchMode { kCopy, kAppend };
Status BatchCopy(Table& source, const std::string& dest, BatchMode mode, int* copied = nullptr,
                 const Table::Progress& progress = {}, bool* cancelled = nullptr);
// Append mode into a table that is already open (the open page file taking another's pages).
// The destination's index stays current; its cursor is left on the last record appended.
Status BatchAppend(Table& source, Table& dest, int* copied = nullptr,
                   const Table::Progress& progress = {}, bool* cancelled = nullptr);

// The view-mode byte of a page: set bit, itemize bit, indent field, highlight bit.
struct ViewMode {
  bool set = false;
  bool itemize = false;
  int indent = 0;  // -2..5
  bool highlight = false;
};
ViewMode DecodeKey(const std::string& key);
std::string EncodeKey(const ViewMode& mode);  // "" when not set

}  // namespace sk::store
