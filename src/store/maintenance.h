// Backups, slimming and renaming of a closed page file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/status.h"
#include "store/table.h"

namespace sk::store {

// The backup folder beside a page file: "<folder>/BackUp".
std::string BackupFolder(const std::string& dbf_path);
// Copies the three files of the closed page file at dbf_path into the backup folder (created
// when missing) as <name up to its last full stop> + "DBF"/"DBT"/"MDX" + slot, slot 1..depth:
// the first slot whose table copy is missing, else the one whose copy is oldest (the lowest
// among equals).  Each copy keeps its source's modification time, so when the newest slot holds
// the same three files (sizes and times) nothing is copied and *slot names that slot.  *slot
// tells which was used.  The kernel copies; `progress` counts kilobytes and may cancel: the slot
// then keeps what it held and *cancelled is set (the status stays ok).
Status DoBackUp(const std::string& dbf_path, int depth, int* slot = nullptr,
                const Table::Progress& progress = {}, bool* cancelled = nullptr);

struct SlimOutcome {
  uint32_t pages = 0;  // live pages copied
  // Index: a page's number before slimming (1..); value: its number now, 0 for a deleted page.
  std::vector<uint32_t> new_number;
  std::string temp_name;  // the temporary page file used ("temp0.dbf", ...)
  bool cancelled = false;
  // What a slimming left unfinished by an earlier crash needed first (see FinishInterruptedSlim);
  // empty when nothing was left.
  std::string notice;
};
// Slims the closed page file at dbf_path: its live pages, in page-number order, are copied into
// a temporary page file in the same folder ("temp" + the smallest free n + ".dbf"), which gets
// the ten tags and then takes the page file's place.  A crash at any moment leaves either the
// whole old page file or the whole new one; the next writable open finishes or clears what was
// left.  `progress` may cancel until the files are switched; the page file is then untouched
// and out->cancelled is set.
Status SlimPageFile(const std::string& dbf_path, const Table::Progress& progress, SlimOutcome* out);
// Finishes a slimming of the page file that a crash cut short after the new files were
// complete, or clears the temporary files of one cut short before.  *notice says what was done
// (empty when nothing was left).  Writable opens call it before reading the table.
Status FinishInterruptedSlim(const std::string& dbf_path, std::string* notice);
// The slimming journal beside a page file ("<N.dbf>.slim"): present only while a slimming is
// under way or was cut short.
std::string SlimJournalPath(const std::string& dbf_path);
// What Table::Open does about a slimming cut short, before it reads the table: a writable open
// finishes or clears it (FinishInterruptedSlim); a read-only open, which must not write, is
// refused when the files were being switched, and reads the untouched page file otherwise.
Status SettleInterruptedSlim(const std::string& dbf_path, bool read_only, std::string* notice);

// Renames or moves the closed page file with its memo and index files (to another folder, or
// another file system, too).  Refuses a target of which any of the three files exists, and a
// page file that another program holds.
Status RenamePageFile(const std::string& from, const std::string& to);

}  // namespace sk::store
