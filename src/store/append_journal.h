// Pages taken in as a whole (another page file's pages appended): all of them or none.  Before
// the first record is appended, the journal "<N.dbf>.append" keeps what the page file's ends were;
// a pass that fails or is cancelled, or that a crash cut short, is rolled back to them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "convert/status.h"

namespace sk::store {

std::string AppendJournalPath(const std::string& table_path);

// Use with the table closed: Begin, open the table (bulk) and append, close it, then Commit or
// RollBack.  Destroyed without either, the journal stays for the next writable open, which rolls
// back.  While it lives it holds a lock on its journal, so another program never rolls back a pass
// still running.
class AppendJournal {
 public:
  AppendJournal();
  ~AppendJournal();
  AppendJournal(const AppendJournal&) = delete;
  AppendJournal& operator=(const AppendJournal&) = delete;

  // Notes the ends of the closed page file `table_path`: the table's header, length and what
  // follows its last record; the memo file's header and length.  Synced before it returns.
  Status Begin(const std::string& table_path);
  // The pass is complete and on disk (the table closed): removes the journal.
  Status Commit();
  // Takes the closed page file back to the ends noted: the new records and their keys, the new
  // memo blocks and the memo file's header go.
  Status RollBack();

 private:
  struct Held;
  std::string table_path_;
  std::unique_ptr<Held> held_;
};

// Called by every open of a page file before it reads anything: the changes a crash can leave half
// done (a page file written over by an export, pages being appended) are finished or rolled back
// by a writable open; a read-only open refuses a file it cannot read as either whole state.  Each
// thing done is told to `notice`.
Status SettleInterruptedChanges(const std::string& table_path, bool read_only,
                                const std::function<void(const std::string&)>& notice);

}  // namespace sk::store
