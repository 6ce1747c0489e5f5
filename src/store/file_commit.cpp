// A set of files renamed onto a page file's files as one change, and its journal.
//
// The journal "<N.dbf>.commit" is written whole under "<journal>.tmp" and renamed into place, so
// it exists complete or not at all.  Layout (text lines, tab-separated):
//   SKCOMMIT1
//   state<TAB>building | switching
//   move<TAB><temporary file><TAB><page file's file>     one line each, the table last
//   end
// File names are given without their folder: the journal's own.
//   building:  the temporary files may be incomplete; the page file is untouched.  Clearing
//              removes the temporary files and the journal.
//   switching: the temporary files are complete and durable (the commit point); finishing renames
//              each one still present onto its target, in the order given, removes the record
//              journal of the old table, then the journal.  Renaming is idempotent, so a crash
//              while finishing is finished again.
// The program making the change holds an flock on each version of the journal it wrote until it
// is done; a journal that is locked belongs to a change still being made.
#include "store/file_commit.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "store/dbf.h"
#include "store/file_io.h"

namespace sk::store {

namespace {

using Moves = std::vector<std::pair<std::string, std::string>>;

std::string Why(int err) { return std::string(" (") + strerror(err) + ")"; }

// A file descriptor of our own (outside the file layer) for a lock or a read.
class Fd {
 public:
  explicit Fd(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool TryLock() const { return fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }

 private:
  int fd_;
};

// False when the text is not a complete journal.
bool ParseJournal(const std::string& text, std::string* state, Moves* moves) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != "SKCOMMIT1") return false;
  while (std::getline(in, line)) {
    std::vector<std::string> parts;
    for (size_t p = 0;;) {
      size_t tab = line.find('\t', p);
      parts.push_back(line.substr(p, tab == std::string::npos ? std::string::npos : tab - p));
      if (tab == std::string::npos) break;
      p = tab + 1;
    }
    for (const auto& part : parts)
      if (part.empty() || part.find('/') != std::string::npos || part == "..") return false;
    if (parts[0] == "state" && parts.size() == 2) {
      *state = parts[1];
    } else if (parts[0] == "move" && parts.size() == 3) {
      moves->push_back({parts[1], parts[2]});
    } else if (parts[0] == "end" && parts.size() == 1) {
      return (*state == "building" || *state == "switching") && !moves->empty();
    } else {
      return false;
    }
  }
  return false;
}

bool ReadAll(int fd, std::string* text) {
  text->clear();
  char buf[4096];
  for (off_t off = 0;;) {
    ssize_t n = ::pread(fd, buf, sizeof buf, off);
    if (n < 0) return false;
    if (n == 0) return true;
    text->append(buf, size_t(n));
    off += n;
    if (text->size() > (1 << 16)) return false;
  }
}

void RemoveTemporaries(const std::string& folder, const Moves& moves) {
  for (const auto& m : moves) {
    const std::string p = folder + "/" + m.first;
    if (FileExists(p)) RemoveFile(p);
    if (FileExists(p + ".tmp")) RemoveFile(p + ".tmp");
    if (FileExists(JournalPath(p))) RemoveFile(JournalPath(p));  // a table's record journal
  }
}

std::string Froms(const Moves& moves) {
  std::string s;
  for (const auto& m : moves) s += (s.empty() ? "" : ", ") + m.first;
  return s;
}

// Renames each temporary file still present onto its target, then removes the old table's
// record journal (a record write it left unfinished does not belong to the new table) and the
// change's journal.
Status Switch(const std::string& table_path, const std::string& journal, const Moves& moves) {
  const std::string folder = FolderOf(table_path);
  for (const auto& [from, to] : moves) {
    const std::string a = folder + "/" + from, b = folder + "/" + to;
    if (FileExists(a) && !RenameFile(a, b))
      return Status::Error(from + ": 名前を " + to + " に変更できません" + Why(errno) +
                           "。置き換えは次に開くときに済ませます");
  }
  if (FileExists(JournalPath(table_path))) RemoveFile(JournalPath(table_path));
  if (!SyncFolderOf(table_path))
    return Status::Error(BaseName(table_path) + ": フォルダーをディスクに書き込めません" +
                         Why(errno));
  if (!RemoveFile(journal))
    return Status::Error(BaseName(journal) + ": 置き換えの控えを削除できません" + Why(errno));
  SyncFolderOf(journal);
  return Status::Ok();
}

}  // namespace

std::string CommitJournalPath(const std::string& table_path) { return table_path + ".commit"; }

struct FileCommit::Held {
  File file;
};

FileCommit::FileCommit() = default;

FileCommit::~FileCommit() {
  if (begun_ && !committed_) Abandon();
}

Status WriteLockedJournal(const std::string& path, const std::string& text, File* held) {
  const std::string tmp = path + ".tmp";
  bool ok = held->Open(tmp, 'c') && ::flock(held->fd(), LOCK_EX | LOCK_NB) == 0 &&
            held->WriteAt(0, text.data(), text.size()) && held->Sync() && RenameFile(tmp, path) &&
            SyncFolderOf(path);
  int err = errno;
  if (ok) return Status::Ok();
  held->Close();
  if (FileExists(tmp)) RemoveFile(tmp);
  return Status::Error(BaseName(path) + ": 控えを書けません" + Why(err));
}

bool ReadJournalFile(const std::string& path, std::string* text, bool* live) {
  Fd fd(path);
  if (fd.get() < 0 || !ReadAll(fd.get(), text)) return false;
  *live = !fd.TryLock();
  return true;
}

Status FileCommit::WriteState(const std::string& state) {
  std::string text = "SKCOMMIT1\nstate\t" + state + "\n";
  for (const auto& [from, to] : moves_) text += "move\t" + from + "\t" + to + "\n";
  text += "end\n";
  auto held = std::make_unique<Held>();
  Status st = WriteLockedJournal(journal_, text, &held->file);
  if (st.ok()) held_.push_back(std::move(held));
  return st;
}

Status FileCommit::Begin(const std::string& table_path, const Moves& moves) {
  table_path_ = table_path;
  journal_ = CommitJournalPath(table_path);
  moves_.clear();
  for (const auto& [from, to] : moves) moves_.push_back({BaseName(from), BaseName(to)});
  Status st = WriteState("building");
  if (!st.ok()) return st;
  begun_ = true;
  return Status::Ok();
}

void FileCommit::Abandon() {
  if (!begun_ || committed_) return;
  RemoveTemporaries(FolderOf(table_path_), moves_);
  SyncFolderOf(table_path_);
  RemoveFile(journal_);
  SyncFolderOf(journal_);
  held_.clear();
  begun_ = false;
}

Status FileCommit::Commit() {
  const std::string folder = FolderOf(table_path_);
  const std::string name = BaseName(table_path_);
  for (const auto& m : moves_) {
    File f;
    if (!f.Open(folder + "/" + m.first, 'w') || !f.Sync())
      return Status::Error(m.first + ": ディスクに書き込めません" + Why(errno));
  }
  if (!SyncFolderOf(table_path_))
    return Status::Error(folder + ": フォルダーをディスクに書き込めません" + Why(errno));
  // Nobody opens the old table or the new one until the change is done.
  Fd old_table(table_path_), new_table(folder + "/" + moves_.back().first);
  if ((old_table.get() >= 0 && !old_table.TryLock()) || !new_table.TryLock())
    return Status::Error(name + ": ほかのプログラムが開いているので置き換えられません");
  Status st = WriteState("switching");
  if (!st.ok()) return st;
  committed_ = true;
  st = Switch(table_path_, journal_, moves_);
  held_.clear();
  return st;
}

Status SettleInterruptedCommit(const std::string& table_path, bool read_only, std::string* notice) {
  notice->clear();
  const std::string journal = CommitJournalPath(table_path);
  const std::string tmp = journal + ".tmp";
  if (!FileExists(journal)) {
    // A journal cut short while written: nothing had been built yet.
    if (!read_only && FileExists(tmp) && Fd(tmp).TryLock()) RemoveFile(tmp);
    return Status::Ok();
  }
  std::string text, state;
  Moves moves;
  bool live = false;
  if (!ReadJournalFile(journal, &text, &live) || !ParseJournal(text, &state, &moves))
    return Status::Error(BaseName(journal) + ": 置き換えの控えが壊れています。" +
                         BaseName(table_path) + " を確かめてから、この控えを削除してください");
  if (state == "building") {
    // The old files are whole; a change still being built is left to its program.
    if (read_only || live) return Status::Ok();
    const std::string folder = FolderOf(table_path);
    RemoveTemporaries(folder, moves);
    SyncFolderOf(table_path);
    if (FileExists(tmp)) RemoveFile(tmp);
    if (!RemoveFile(journal))
      return Status::Error(BaseName(journal) + ": 置き換えの控えを削除できません" + Why(errno));
    SyncFolderOf(journal);
    *notice = BaseName(table_path) + ": 途中で止まった書き出しの一時ファイル (" + Froms(moves) +
              ") を削除しました。ページファイルは前のままです";
    return Status::Ok();
  }
  if (live) return Status::Error(BaseName(table_path) + ": ほかのプログラムが置き換えています");
  if (read_only)
    return Status::Error(
        BaseName(table_path) +
        ": 書き出しによる置き換えが途中で止まっています。書き込みできるように開くと"
        " (ウィンドウで開く、または sorakumo-tool reindex)、最後まで済ませます");
  Status st = Switch(table_path, journal, moves);
  if (!st.ok()) return st;
  *notice = BaseName(table_path) + ": 途中で止まった書き出しによる置き換えを最後まで済ませました";
  return Status::Ok();
}

}  // namespace sk::store
