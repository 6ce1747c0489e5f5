// A set of new files built beside a page file and renamed onto its files as one change, with a
// journal that lets the next open finish or clear a change a crash cut short.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "convert/status.h"

namespace sk::store {

class File;

// The journal of a change to the page file `table_path`: "<N.dbf>.commit".
std::string CommitJournalPath(const std::string& table_path);

// Use: Begin with the moves (temporary file -> file of the page file, all in the page file's
// folder, the table last), build the temporary files, then Commit.  A FileCommit destroyed
// before its commit point removes the temporary files and the journal.  While it lives it holds
// a lock on its journal, so another program's open neither clears what it builds nor finishes
// what it switches.
class FileCommit {
 public:
  FileCommit();
  ~FileCommit();
  FileCommit(const FileCommit&) = delete;
  FileCommit& operator=(const FileCommit&) = delete;

  // Writes the journal in the state "building".  `moves` are paths in the folder of
  // `table_path`; the last one is the table's own.
  Status Begin(const std::string& table_path,
               const std::vector<std::pair<std::string, std::string>>& moves);
  // Syncs the temporary files and the folder, takes the locks of the old and the new table,
  // writes the state "switching" (the commit point) and renames each file onto its target.
  // A failure before the commit point clears the change (the old files stay as they were); one
  // after it leaves the journal, so the next writable open finishes the change.
  Status Commit();
  // Removes the temporary files and the journal (before the commit point only).
  void Abandon();

 private:
  struct Held;
  Status WriteState(const std::string& state);
  std::string table_path_, journal_;
  std::vector<std::pair<std::string, std::string>> moves_;  // names without folder
  std::vector<std::unique_ptr<Held>> held_;                 // locked journal versions
  bool begun_ = false, committed_ = false;
};

// Called by every open of a page file before it reads anything: a change left "building" is
// cleared by a writable open (the old files are whole) and left alone by a read-only one; one
// left "switching" is finished by a writable open and refused by a read-only one.  A change that
// another program is still making is left alone while it builds and refused while it switches.
// `notice` tells what was done, or stays empty.
Status SettleInterruptedCommit(const std::string& table_path, bool read_only, std::string* notice);

// Shared by the journals of changes: writes `text` whole as `path` (through "<path>.tmp": synced,
// renamed, the folder synced), the new file locked by `held` (left open) before it takes the name.
Status WriteLockedJournal(const std::string& path, const std::string& text, File* held);
// Reads a journal of at most 64 KiB; *live is set when a program making the change holds its lock.
bool ReadJournalFile(const std::string& path, std::string* text, bool* live);

}  // namespace sk::store
