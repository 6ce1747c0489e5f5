#include "store/maintenance.h"

#include "store/file_io.h"

namespace sk::store {

std::string BackupFolder(const std::string& dbf_path) { return GetDir(dbf_path) + "/BackUp"; }

Status DoBackUp(const std::string& dbf_path, int, int*) {
  return Status::Error(BaseName(dbf_path) + ": バックアップはまだ作れません");
}

Status SlimPageFile(const std::string& dbf_path, const Table::Progress&, SlimOutcome*) {
  return Status::Error(BaseName(dbf_path) + ": スリム化はまだできません");
}

Status FinishInterruptedSlim(const std::string&, std::string* notice) {
  notice->clear();
  return Status::Ok();
}

Status RenamePageFile(const std::string& from, const std::string& to) {
  return Table::Rename(from, to);
}

}  // namespace sk::store
