// The journal of pages taken in as a whole, and the rollback to the ends it keeps.
//
// "<N.dbf>.append" is written whole under a temporary name and renamed into place (see
// file_commit.h), so it exists complete or not at all.  Layout (text lines, tab-separated, bytes
// as hexadecimal):
//   SKAPPEND1
//   dbf<TAB><length><TAB><header bytes 0-31><TAB><the bytes after the last record>
//   dbt<TAB><length><TAB><header bytes 0-31>          absent for a table without a memo file
//   end
// Rolling back, in an order that a crash in the middle can start again:
//   1. the table's record journal goes (a write it holds belongs to the appended records);
//   2. the index: a clean one loses the keys of the records past the old count and is sealed
//      with the old count; one marked "being written" (the pass or the rollback stopped in the
//      middle of a change) is left for the open to rebuild;
//   3. the memo file gets its old header (next free block) and length: the memos of the pass
//      lay past every block in use;
//   4. the table gets its old header (count, date), length and end byte;
//   5. the index's time is set after the table's (an index older than its table is rebuilt);
//   6. the journal goes.
#include "store/append_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

#include "store/dbf.h"
#include "store/file_commit.h"
#include "store/file_io.h"
#include "store/keys.h"
#include "store/mdx.h"

namespace sk::store {

namespace {

std::string Why(int err) { return std::string(" (") + strerror(err) + ")"; }

// The page files this program is appending to: its own opens of them (the bulk pass) go on.
std::mutex g_own_mu;
std::set<std::string> g_own;

void Own(const std::string& path, bool on) {
  std::lock_guard<std::mutex> hold(g_own_mu);
  if (on)
    g_own.insert(path);
  else
    g_own.erase(path);
}

bool Owned(const std::string& path) {
  std::lock_guard<std::mutex> hold(g_own_mu);
  return g_own.count(path) > 0;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

bool Unhex(const std::string& s, std::string* out) {
  if (s.size() % 2) return false;
  out->clear();
  for (size_t i = 0; i < s.size(); i += 2) {
    int v = 0;
    for (char c : {s[i], s[i + 1]}) {
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + d;
    }
    out->push_back(char(v));
  }
  return true;
}

struct Ends {
  uint64_t dbf_size = 0;
  std::string dbf_head, dbf_tail;
  bool has_dbt = false;
  uint64_t dbt_size = 0;
  std::string dbt_head;
};

// The offset just past the last record the header counts.
uint64_t DataEnd(const std::string& head) {
  const auto* h = reinterpret_cast<const unsigned char*>(head.data());
  return Get16(h + 8) + uint64_t(Get32(h + 4)) * Get16(h + 10);
}

bool ParseEnds(const std::string& text, Ends* e) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != "SKAPPEND1") return false;
  bool dbf = false;
  while (std::getline(in, line)) {
    std::vector<std::string> parts;
    for (size_t p = 0;;) {
      size_t tab = line.find('\t', p);
      parts.push_back(line.substr(p, tab == std::string::npos ? std::string::npos : tab - p));
      if (tab == std::string::npos) break;
      p = tab + 1;
    }
    char* end = nullptr;
    if (parts[0] == "dbf" && parts.size() == 4) {
      e->dbf_size = strtoull(parts[1].c_str(), &end, 10);
      if (*end || !Unhex(parts[2], &e->dbf_head) || e->dbf_head.size() != 32 ||
          !Unhex(parts[3], &e->dbf_tail))
        return false;
      dbf = true;
    } else if (parts[0] == "dbt" && parts.size() == 3) {
      e->dbt_size = strtoull(parts[1].c_str(), &end, 10);
      if (*end || !Unhex(parts[2], &e->dbt_head) || e->dbt_head.empty()) return false;
      e->has_dbt = true;
    } else if (parts[0] == "end" && parts.size() == 1) {
      return dbf;
    } else {
      return false;
    }
  }
  return false;
}

// Reads up to n bytes from the start of a file, and its length.
bool ReadHead(const std::string& path, size_t n, std::string* head, uint64_t* size) {
  File f;
  if (!f.Open(path, 'r')) return false;
  int64_t s = f.Size();
  if (s < 0) return false;
  *size = uint64_t(s);
  head->assign(size_t(std::min<uint64_t>(n, *size)), '\0');
  return f.ReadExact(0, head->data(), head->size());
}

// Step 2: the keys of the records past the old count leave a clean index.
void RollBackIndex(const std::string& table_path, uint32_t old_count) {
  const std::string mdx_path = SiblingPath(table_path, "mdx");
  if (!FileExists(mdx_path)) return;
  DbfFile dbf;
  if (!dbf.Open(table_path, true).ok()) return;
  MdxFile mdx;
  if (!mdx.Open(mdx_path, false, dbf.fields()).ok() || !mdx.has_marker() || mdx.dirty()) return;
  const uint32_t count = dbf.record_count();
  if (count <= old_count && mdx.synced_count() == old_count) return;
  if (!mdx.BeginWrite().ok()) return;
  std::string rec;
  const auto& tags = mdx.tags();
  for (uint32_t r = old_count + 1; r <= count; ++r) {
    if (!dbf.ReadRecord(r, &rec).ok()) {
      mdx.AbandonWrite();
      return;
    }
    for (size_t t = 0; t < tags.size(); ++t)
      if (!mdx.Remove(int(t), MakeKey(tags[t], dbf.fields(), rec), r).ok()) {
        mdx.AbandonWrite();  // stays marked: the open rebuilds it
        return;
      }
  }
  mdx.EndWrite(old_count);
  mdx.Seal(old_count);
}

Status RollBackTo(const std::string& table_path, const Ends& e) {
  const std::string name = BaseName(table_path);
  auto fail = [&](const std::string& file) {
    return Status::Error(file + ": 追加したページを取り消せません" + Why(errno) +
                         "。次に書き込みできるように開くときに取り消します");
  };
  if (FileExists(JournalPath(table_path)) && !RemoveFile(JournalPath(table_path)))
    return fail(BaseName(JournalPath(table_path)));
  const uint32_t old_count = Get32(reinterpret_cast<const unsigned char*>(e.dbf_head.data()) + 4);
  RollBackIndex(table_path, old_count);
  if (e.has_dbt) {
    const std::string dbt_path = SiblingPath(table_path, "dbt");
    File f;
    if (!f.Open(dbt_path, 'w') || !f.Truncate(e.dbt_size) ||
        !f.WriteAt(0, e.dbt_head.data(), e.dbt_head.size()) || !f.Sync())
      return fail(BaseName(dbt_path));
  }
  {
    File f;
    if (!f.Open(table_path, 'w') || !f.Truncate(e.dbf_size) ||
        !f.WriteAt(0, e.dbf_head.data(), e.dbf_head.size()) ||
        (!e.dbf_tail.empty() &&
         !f.WriteAt(DataEnd(e.dbf_head), e.dbf_tail.data(), e.dbf_tail.size())) ||
        !f.Sync())
      return fail(name);
  }
  const std::string mdx_path = SiblingPath(table_path, "mdx");
  if (FileExists(mdx_path)) ::utimensat(AT_FDCWD, mdx_path.c_str(), nullptr, 0);
  if (!RemoveFile(AppendJournalPath(table_path)))
    return fail(BaseName(AppendJournalPath(table_path)));
  SyncFolderOf(table_path);
  return Status::Ok();
}

}  // namespace

std::string AppendJournalPath(const std::string& table_path) { return table_path + ".append"; }

struct AppendJournal::Held {
  File file;
};

AppendJournal::AppendJournal() = default;
AppendJournal::~AppendJournal() {
  if (held_) Own(table_path_, false);
}

Status AppendJournal::Begin(const std::string& table_path) {
  table_path_ = table_path;
  Ends e;
  if (!ReadHead(table_path, 32, &e.dbf_head, &e.dbf_size) || e.dbf_head.size() != 32)
    return Status::Error(BaseName(table_path) + ": 読めません" + Why(errno));
  const uint64_t data_end = DataEnd(e.dbf_head);
  if (e.dbf_size > data_end) {
    File f;
    e.dbf_tail.assign(size_t(std::min<uint64_t>(e.dbf_size - data_end, 4096)), '\0');
    if (!f.Open(table_path, 'r') || !f.ReadExact(data_end, e.dbf_tail.data(), e.dbf_tail.size()))
      return Status::Error(BaseName(table_path) + ": 読めません" + Why(errno));
  }
  const std::string dbt_path = SiblingPath(table_path, "dbt");
  e.has_dbt = FileExists(dbt_path);
  if (e.has_dbt && (!ReadHead(dbt_path, 32, &e.dbt_head, &e.dbt_size) || e.dbt_head.empty()))
    return Status::Error(BaseName(dbt_path) + ": 読めません" + Why(errno));
  std::string text = "SKAPPEND1\ndbf\t" + std::to_string(e.dbf_size) + "\t" + Hex(e.dbf_head) +
                     "\t" + Hex(e.dbf_tail) + "\n";
  if (e.has_dbt) text += "dbt\t" + std::to_string(e.dbt_size) + "\t" + Hex(e.dbt_head) + "\n";
  text += "end\n";
  held_ = std::make_unique<Held>();
  Status st = WriteLockedJournal(AppendJournalPath(table_path), text, &held_->file);
  if (!st.ok()) {
    held_.reset();
    return st;
  }
  Own(table_path, true);
  return st;
}

Status AppendJournal::Commit() {
  const std::string journal = AppendJournalPath(table_path_);
  if (!RemoveFile(journal))
    return Status::Error(BaseName(journal) + ": 追加の控えを削除できません" + Why(errno));
  SyncFolderOf(journal);
  Own(table_path_, false);
  held_.reset();
  return Status::Ok();
}

Status AppendJournal::RollBack() {
  const std::string journal = AppendJournalPath(table_path_);
  std::string text;
  bool live = false;
  Ends e;
  if (!ReadJournalFile(journal, &text, &live) || !ParseEnds(text, &e))
    return Status::Error(BaseName(journal) + ": 追加の控えを読めません");
  Status st = RollBackTo(table_path_, e);
  Own(table_path_, false);
  held_.reset();
  return st;
}

Status SettleInterruptedChanges(const std::string& table_path, bool read_only,
                                const std::function<void(const std::string&)>& notice) {
  std::string said;
  Status st = SettleInterruptedCommit(table_path, read_only, &said);
  if (!said.empty()) notice(said);
  if (!st.ok()) return st;
  const std::string journal = AppendJournalPath(table_path);
  if (!FileExists(journal)) {
    // A journal cut short while written (unless its program is still writing it).
    std::string text;
    bool live = false;
    if (!read_only && ReadJournalFile(journal + ".tmp", &text, &live) && !live)
      RemoveFile(journal + ".tmp");
    return Status::Ok();
  }
  if (Owned(table_path)) return Status::Ok();  // this program's own pass opens its table
  const std::string name = BaseName(table_path);
  std::string text;
  bool live = false;
  Ends e;
  if (!ReadJournalFile(journal, &text, &live) || !ParseEnds(text, &e))
    return Status::Error(BaseName(journal) + ": 追加の控えが壊れています。" + name +
                         " を確かめてから、この控えを削除してください");
  if (live) return Status::Error(name + ": ほかのプログラムがページを追加しています");
  if (read_only)
    return Status::Error(name +
                         ": ページの追加が途中で止まっています。書き込みできるように開くと"
                         " (ウィンドウで開く、または sorakumo-tool reindex)、追加の前に戻します");
  // The table's lock, so that no program has it open while it is put back.
  int fd = ::open(table_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return Status::Error(name + ": ほかのプログラムがすでに開いています");
  }
  st = RollBackTo(table_path, e);
  if (fd >= 0) ::close(fd);
  if (!st.ok()) return st;
  notice(name + ": 途中で止まったページの追加を取り消し、追加の前に戻しました");
  return Status::Ok();
}

}  // namespace sk::store
