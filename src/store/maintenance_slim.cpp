// Slimming a closed page file, and finishing one that a crash cut short.
//
// The live pages are copied, in page-number order, into a temporary page file tempK.dbf/.dbt/.mdx
// in the same folder, with the memo and index files named after the page file inside; then the
// three files are renamed onto the page file's own.  The slimming journal beside the page file,
// "<N.dbf>.slim", tells a later open how far it got.  It is written whole under a temporary name
// and renamed into place, so it exists complete or not at all.  Layout (text lines, tab-separated):
//   SKSLIM1
//   state<TAB>building | switching
//   move<TAB><temporary file><TAB><page file's file>     one line each: .dbt, .mdx, .dbf
//   end
// File names are given without their folder: the journal's own.
//   building:  the temporary files may be incomplete; the page file is untouched.  Clearing
//              removes the temporary files and the journal.
//   switching: the temporary files are complete and durable (the commit point); finishing renames
//              each one still present onto its target, in the order given, then removes the
//              journal.  Renaming is idempotent, so a crash while finishing is finished again.
// While the temporary table is renamed into place the slimming holds its lock as well as the old
// table's, so another program never finishes a slimming that is still running.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

#include "store/dbf.h"
#include "store/dbt.h"
#include "store/file_io.h"
#include "store/index_keys.h"
#include "store/maintenance.h"
#include "store/mdx.h"
#include "store/page_file.h"

namespace sk::store {

namespace {

std::string Why(int err) { return std::string(" (") + strerror(err) + ")"; }

struct Journal {
  std::string state;                                       // "building" or "switching"
  std::vector<std::pair<std::string, std::string>> moves;  // file names without folder
};

Status WriteJournal(const std::string& path, const Journal& j) {
  std::string text = "SKSLIM1\nstate\t" + j.state + "\n";
  for (const auto& [from, to] : j.moves) text += "move\t" + from + "\t" + to + "\n";
  text += "end\n";
  const std::string tmp = path + ".tmp";
  File f;
  bool ok = f.Open(tmp, 'c') && f.WriteAt(0, text.data(), text.size()) && f.Sync();
  int err = errno;
  f.Close();
  if (ok && RenameFile(tmp, path) && SyncFolderOf(path)) return Status::Ok();
  if (ok) err = errno;
  RemoveFile(tmp);
  return Status::Error(BaseName(path) + ": スリム化の控えを書けません" + Why(err));
}

// False when the file is not a complete journal.
bool ReadJournal(const std::string& path, Journal* j) {
  File f;
  if (!f.Open(path, 'r')) return false;
  int64_t size = f.Size();
  if (size <= 0 || size > 1 << 16) return false;
  std::string text(size_t(size), '\0');
  if (!f.ReadExact(0, text.data(), text.size())) return false;
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != "SKSLIM1") return false;
  bool end = false;
  while (std::getline(in, line)) {
    std::vector<std::string> parts;
    size_t p = 0;
    while (true) {
      size_t tab = line.find('\t', p);
      parts.push_back(line.substr(p, tab == std::string::npos ? std::string::npos : tab - p));
      if (tab == std::string::npos) break;
      p = tab + 1;
    }
    for (const auto& part : parts)
      if (part.find('/') != std::string::npos || part == "..") return false;
    if (parts[0] == "state" && parts.size() == 2) {
      j->state = parts[1];
    } else if (parts[0] == "move" && parts.size() == 3 && !parts[1].empty() && !parts[2].empty()) {
      j->moves.push_back({parts[1], parts[2]});
    } else if (parts[0] == "end" && parts.size() == 1) {
      end = true;
      break;
    } else {
      return false;
    }
  }
  return end && (j->state == "building" || j->state == "switching");
}

// Holds an exclusive lock on a file (without waiting) until destroyed.
class Lock {
 public:
  ~Lock() { Release(); }
  // False when another program holds the file; true when it is free or missing.
  bool Take(const std::string& path) {
    Release();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return errno == ENOENT;
    return ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  }
  void Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Removes the temporary files of a journal (and the index's own temporary file).
void RemoveTemporaries(const std::string& folder, const Journal& j) {
  for (const auto& m : j.moves) {
    std::string p = folder + "/" + m.first;
    if (FileExists(p)) RemoveFile(p);
    if (FileExists(p + ".tmp")) RemoveFile(p + ".tmp");
  }
}

// Renames each temporary file still present onto its target, then clears the record journal of
// the old table and the slimming journal.
Status Switch(const std::string& dbf_path, const std::string& journal, const Journal& j) {
  const std::string folder = FolderOf(dbf_path);
  for (const auto& [from, to] : j.moves) {
    std::string a = folder + "/" + from, b = folder + "/" + to;
    if (FileExists(a) && !RenameFile(a, b))
      return Status::Error(from + ": 名前を " + to + " に変更できません" + Why(errno) +
                           "。スリム化は次に開くときに済ませます");
  }
  // A record write the old table left unfinished does not belong to the new one (the slimming
  // finished it before copying).
  if (FileExists(JournalPath(dbf_path))) RemoveFile(JournalPath(dbf_path));
  if (!SyncFolderOf(dbf_path))
    return Status::Error(BaseName(dbf_path) + ": フォルダーをディスクに書き込めません" +
                         Why(errno));
  if (!RemoveFile(journal))
    return Status::Error(BaseName(journal) + ": スリム化の控えを削除できません" + Why(errno));
  SyncFolderOf(journal);
  return Status::Ok();
}

std::string JoinFroms(const Journal& j) {
  std::string s;
  for (const auto& m : j.moves) s += (s.empty() ? "" : ", ") + m.first;
  return s;
}

}  // namespace

std::string SlimJournalPath(const std::string& dbf_path) { return dbf_path + ".slim"; }

Status FinishInterruptedSlim(const std::string& dbf_path, std::string* notice) {
  notice->clear();
  const std::string journal = SlimJournalPath(dbf_path);
  // A journal cut short while written: nothing had been built yet.
  if (FileExists(journal + ".tmp")) RemoveFile(journal + ".tmp");
  if (!FileExists(journal)) return Status::Ok();
  Journal j;
  if (!ReadJournal(journal, &j))
    return Status::Error(BaseName(journal) + ": スリム化の控えが壊れています。" +
                         BaseName(dbf_path) + " を確かめてから、この控えを削除してください");
  // The slimming may still be running in another program: it holds the table's lock (the old
  // table's, then the new one's).
  Lock lock;
  if (!lock.Take(dbf_path))
    return Status::Error(BaseName(dbf_path) + ": ほかのプログラムが開いているかスリム化しています");
  const std::string folder = FolderOf(dbf_path);
  if (j.state == "building") {
    RemoveTemporaries(folder, j);
    SyncFolderOf(dbf_path);
    if (!RemoveFile(journal))
      return Status::Error(BaseName(journal) + ": スリム化の控えを削除できません" + Why(errno));
    SyncFolderOf(journal);
    *notice = BaseName(dbf_path) + ": 途中で止まったスリム化の一時ファイル (" + JoinFroms(j) +
              ") を削除しました。ページファイルはスリム化の前のままです";
    return Status::Ok();
  }
  Status st = Switch(dbf_path, journal, j);
  if (!st.ok()) return st;
  *notice = BaseName(dbf_path) + ": 途中で止まったスリム化を最後まで済ませました";
  return Status::Ok();
}

Status SettleInterruptedSlim(const std::string& dbf_path, bool read_only, std::string* notice) {
  notice->clear();
  const std::string journal = SlimJournalPath(dbf_path);
  if (!FileExists(journal)) {
    if (!read_only && FileExists(journal + ".tmp")) RemoveFile(journal + ".tmp");
    return Status::Ok();
  }
  if (!read_only) return FinishInterruptedSlim(dbf_path, notice);
  Journal j;
  if (ReadJournal(journal, &j) && j.state == "building") return Status::Ok();
  return Status::Error(
      BaseName(dbf_path) +
      ": スリム化が途中で止まっています。書き込みできるように開くと (ウィンドウで開く、"
      "または sorakumo-tool reindex か slim)、スリム化を最後まで済ませます");
}

// ---- the copy ----

namespace {

constexpr size_t kFlushAt = 1 << 20;      // output buffers are written out at this size
constexpr uint64_t kSyncEvery = 8 << 20;  // written memos go on to the disk in pieces this size
constexpr size_t kRecordChunk = 1 << 20;  // records are read in pieces of about this size
constexpr size_t kMemoWindow = 4 << 20;   // memos are read through a window of this size
constexpr uint64_t kRunGap = 64 * 1024;   // a memo this close past the last one continues a run

// Appends to a file through one large buffer.
class Writer {
 public:
  Writer(File* f, uint64_t start) : f_(f), off_(start) { buf_.reserve(kFlushAt + (1 << 16)); }
  std::string& buf() { return buf_; }
  bool MaybeFlush() { return buf_.size() < kFlushAt || Flush(); }
  bool Flush() {
    if (buf_.empty()) return true;
    if (!f_->WriteAt(off_, buf_.data(), buf_.size())) return false;
    // Start writing this piece to the disk now, so that the sync at the end finds little left.
    ::sync_file_range(f_->fd(), off_t(off_), off_t(buf_.size()), SYNC_FILE_RANGE_WRITE);
    off_ += buf_.size();
    buf_.clear();
    return true;
  }
  uint64_t end() const { return off_ + buf_.size(); }

 private:
  File* f_;
  uint64_t off_;
  std::string buf_;
};

// Reads the memos of the old memo file: those lying one after the other come from one large
// window; one elsewhere (a page edited later) is read alone.
class MemoSource {
 public:
  MemoSource(const File* f, uint64_t size) : f_(f), size_(size) {}
  // The bytes [off, off + n), or nullptr when they are not all in the file or cannot be read.
  const char* Get(uint64_t off, size_t n) {
    if (off + n > size_) return nullptr;
    if (off >= win_off_ && off + n <= win_off_ + win_.size()) return win_.data() + (off - win_off_);
    bool run = off >= last_end_ && off - last_end_ <= kRunGap;
    if (run || n > kMemoWindow) {
      size_t span = size_t(std::min<uint64_t>(std::max<uint64_t>(kMemoWindow, n), size_ - off));
      win_off_ = off;
      if (!f_->ReadExact(off, win_.Reset(span), span)) {
        win_.clear();
        return nullptr;
      }
      return win_.data();
    }
    const size_t want = std::max<size_t>(n, size_t(std::min<uint64_t>(4096, size_ - off)));
    if (!f_->ReadExact(off, one_.Reset(want), want)) {
      one_.clear();
      return nullptr;
    }
    one_off_ = off;
    return one_.data();
  }
  // True when the window holds the bytes [off, off + n): they stay there until the next Get that
  // it does not hold.
  bool InWindow(uint64_t off, size_t n) const {
    return off >= win_off_ && off + n <= win_off_ + win_.size();
  }
  // After a memo at [off, end): a later memo from just past it continues the run.
  void Consumed(uint64_t end) { last_end_ = end; }
  // The bytes [off, off + n) when the last read alone holds them.
  const char* FromOne(uint64_t off, size_t n) const {
    if (off >= one_off_ && off + n <= one_off_ + one_.size()) return one_.data() + (off - one_off_);
    return nullptr;
  }

 private:
  const File* f_;
  uint64_t size_;
  ReadBuffer win_, one_;  // read into at once: not zeroed first
  uint64_t win_off_ = 0, one_off_ = UINT64_MAX, last_end_ = 0;
};

// Appends memos to the new memo file.  Bytes of the memo window that follow each other there
// are written in one piece straight from it; other bytes, and short pieces, go through a buffer.
class MemoWriter {
 public:
  MemoWriter(File* f, uint64_t start) : f_(f), off_(start), synced_(start) {
    buf_.reserve(kFlushAt + (1 << 16));
  }
  uint64_t end() const { return off_ + buf_.size() + run_len_; }
  // Bytes that stay where they are until EndRun or Flush.
  bool PutKept(const char* p, size_t n) {
    if (run_len_ != 0 && p == run_ + run_len_) {
      run_len_ += n;
      return run_len_ < kFlushAt || Flush();
    }
    if (!EndRun()) return false;
    run_ = p;
    run_len_ = n;
    return true;
  }
  bool Put(const char* p, size_t n) {
    if (!EndRun()) return false;
    buf_.append(p, n);
    return buf_.size() < kFlushAt || Flush();
  }
  bool PutZeros(size_t n) {
    if (!EndRun()) return false;
    buf_.append(n, '\0');
    return buf_.size() < kFlushAt || Flush();
  }
  bool Flush() {
    if (!Write(buf_.data(), buf_.size())) return false;
    buf_.clear();
    if (!Write(run_, run_len_)) return false;
    run_len_ = 0;
    return true;
  }
  // Done with the bytes given to PutKept.
  bool EndRun() {
    if (run_len_ == 0) return true;
    if (run_len_ >= kShortRun) return Flush();
    buf_.append(run_, run_len_);
    run_len_ = 0;
    return buf_.size() < kFlushAt || Flush();
  }

 private:
  static constexpr size_t kShortRun = 8 << 10;  // a run shorter than this is copied to the buffer
  bool Write(const char* p, size_t n) {
    if (n == 0) return true;
    if (!f_->WriteAt(off_, p, n)) return false;
    off_ += n;
    // Start writing what was written to the disk now, so that the sync at the end finds little
    // left.
    if (off_ - synced_ >= kSyncEvery) {
      ::sync_file_range(f_->fd(), off_t(synced_), off_t(off_ - synced_), SYNC_FILE_RANGE_WRITE);
      synced_ = off_;
    }
    return true;
  }

  File* f_;
  uint64_t off_, synced_;
  std::string buf_;
  const char* run_ = nullptr;
  size_t run_len_ = 0;
};

bool AllZero(const char* p, size_t n) {
  static const char zeros[512] = {};
  return n <= sizeof zeros && memcmp(p, zeros, n) == 0;
}

void PutPointer(char* field, int width, uint32_t block) {
  if (block == 0) {
    memset(field, ' ', size_t(width));
    return;
  }
  char b[16];
  int n = snprintf(b, sizeof b, "%10u", block);
  std::string s(b, size_t(n));
  s.resize(size_t(width), ' ');
  if (s.size() > size_t(width)) s = s.substr(s.size() - size_t(width));
  memcpy(field, s.data(), size_t(width));
}

// The new index, built from the old table's records in a thread of its own.
struct IndexJob {
  std::string dbf_path, mdx_path, stem;
  std::vector<TagDef> tags;
  std::vector<FieldDef> fields;
  uint32_t count = 0;  // records of the old table
  uint32_t live = 0;   // of them live (set before the job starts)
  int hdrlen = 0, reclen = 0;
  std::atomic<bool>* cancel = nullptr;
  std::atomic<uint64_t> done{0};  // records gathered, then records sorted and written per tag
  std::atomic<bool> finished{false};
  Status result;

  void Run() {
    File f;
    if (!f.Open(dbf_path, 'r')) {
      result = Status::Error(BaseName(dbf_path) + ": ファイルを開けません" + Why(errno));
      finished = true;
      return;
    }
    // One pass gathers the keys of every tag; each tag is then sorted and written in turn.
    TagKeySorter keys(tags, fields);
    keys.Reserve(live);
    std::string chunk;
    const uint32_t per = uint32_t(std::max<size_t>(1, kRecordChunk / size_t(reclen)));
    uint32_t n = 0;
    for (uint32_t r = 1; r <= count; r += per) {
      if (cancel->load()) {
        result = Status::Error("cancelled");
        finished = true;
        return;
      }
      uint32_t m = std::min(per, count - r + 1);
      chunk.resize(size_t(m) * size_t(reclen));
      if (!f.ReadExact(uint64_t(hdrlen) + uint64_t(r - 1) * uint64_t(reclen), chunk.data(),
                       chunk.size())) {
        result = Status::Error(BaseName(dbf_path) + ": レコードを読めません" + Why(errno));
        finished = true;
        return;
      }
      for (uint32_t i = 0; i < m; ++i) {
        const char* p = chunk.data() + size_t(i) * size_t(reclen);
        if (p[0] != '*') keys.Add(++n, p);
      }
      done.fetch_add(m);
    }
    chunk = {};
    if (n != live) {
      result = Status::Error(BaseName(dbf_path) + ": レコードが読んでいる間に変わりました");
      finished = true;
      return;
    }
    auto entries = [&](size_t t, std::string* flat, std::vector<uint32_t>* recnos) -> Status {
      if (cancel->load()) return Status::Error("cancelled");
      keys.Entries(t, flat, recnos);
      done.fetch_add(count / std::max<size_t>(tags.size(), 1));
      return Status::Ok();
    };
    result = MdxFile::BuildFlat(mdx_path, stem, 0x13, tags, entries, live);
    finished = true;
  }
};

}  // namespace

Status SlimPageFile(const std::string& dbf_path, const Table::Progress& progress,
                    SlimOutcome* out) {
  *out = SlimOutcome{};
  Status st = FinishInterruptedSlim(dbf_path, &out->notice);
  if (!st.ok()) return st;
  const std::string name = BaseName(dbf_path);
  const std::string folder = FolderOf(dbf_path);

  // The old table, held for the whole slimming; a record write left unfinished is finished first.
  DbfFile src;
  st = src.Open(dbf_path, false);
  if (!st.ok()) return st;
  if (::flock(src.file().fd(), LOCK_EX | LOCK_NB) != 0)
    return Status::Error(name + ": ほかのプログラムが開いているのでスリム化できません");
  bool replayed = false;
  st = src.ReplayJournal(&replayed);
  if (!st.ok()) return st;
  bool memo = false;
  for (const auto& f : src.fields()) memo |= f.type == 'M';
  DbtFile src_dbt;
  const std::string dbt_path = SiblingPath(dbf_path, "dbt");
  if (memo) {
    st = src_dbt.Open(dbt_path, true, src.dbase3_memos());
    if (!st.ok()) return st;
  }
  // The new table keeps the old one's fields; the tags are the ten, in the order AddIndex adds
  // them, keyed on the current expressions.
  std::vector<FieldDef> fields = src.fields();
  std::vector<TagDef> tags;
  st = ResolveTags(AddIndexTags(), fields, &tags);
  if (!st.ok()) return Status::Error(name + ": " + st.message());
  for (auto& f : fields) {
    f.mdx_flag = false;
    for (const auto& t : tags)
      if (!t.is_expr && t.terms[0].field == int(&f - fields.data())) f.mdx_flag = true;
  }

  // The temporary page file: the smallest n for which none of its three files exists.
  std::string temp;
  for (int n = 0;; ++n) {
    std::string t = folder + "/temp" + std::to_string(n) + ".dbf";
    if (!FileExists(t) && !FileExists(SiblingPath(t, "dbt")) &&
        !FileExists(SiblingPath(t, "mdx")) && !FileExists(SiblingPath(t, "mdx") + ".tmp")) {
      temp = t;
      break;
    }
  }
  out->temp_name = BaseName(temp);
  const std::string tdbt = SiblingPath(temp, "dbt"), tmdx = SiblingPath(temp, "mdx");
  const std::string mdx_path = SiblingPath(dbf_path, "mdx");
  Journal j;
  j.state = "building";
  if (memo) j.moves.push_back({BaseName(tdbt), BaseName(dbt_path)});
  j.moves.push_back({BaseName(tmdx), BaseName(mdx_path)});
  j.moves.push_back({BaseName(temp), name});
  const std::string journal = SlimJournalPath(dbf_path);
  st = WriteJournal(journal, j);
  if (!st.ok()) return st;
  // From here on, every way out before the switch clears what was built.
  std::atomic<bool> cancel{false};
  std::thread worker;
  auto abandon = [&](Status why) {
    cancel = true;
    if (worker.joinable()) worker.join();
    RemoveTemporaries(folder, j);
    SyncFolderOf(dbf_path);
    RemoveFile(journal);
    SyncFolderOf(journal);
    return why;
  };

  const uint32_t count = src.record_count();
  const int reclen = src.record_length(), hdrlen = src.header_length();
  const File& in = src.file();
  // Which records are live, and their new numbers.
  out->new_number.assign(size_t(count) + 1, 0);
  std::string chunk;
  const uint32_t per = uint32_t(std::max<size_t>(1, kRecordChunk / size_t(reclen)));
  uint32_t live = 0;
  for (uint32_t r = 1; r <= count; r += per) {
    uint32_t m = std::min(per, count - r + 1);
    chunk.resize(size_t(m) * size_t(reclen));
    if (!in.ReadExact(uint64_t(hdrlen) + uint64_t(r - 1) * uint64_t(reclen), chunk.data(),
                      chunk.size()))
      return abandon(Status::Error(name + ": レコードを読めません" + Why(errno)));
    for (uint32_t i = 0; i < m; ++i)
      if (chunk[size_t(i) * size_t(reclen)] != '*') out->new_number[r + i] = ++live;
  }

  IndexJob job;
  job.dbf_path = dbf_path;
  job.mdx_path = tmdx;
  job.stem = StemOf(dbf_path);
  job.tags = tags;
  job.fields = fields;
  job.count = count;
  job.live = live;
  job.hdrlen = hdrlen;
  job.reclen = reclen;
  job.cancel = &cancel;
  worker = std::thread([&job] { job.Run(); });

  // Progress: the copy of the records and memos, and the index (ten passes over the records),
  // as two halves.
  const uint64_t total = 2 * uint64_t(std::max<uint32_t>(count, 1));
  auto told = [&](uint64_t copied) {
    if (!progress) return true;
    uint64_t done = copied + job.done.load() / 2;
    return progress(uint32_t(std::min(done, total)), uint32_t(total));
  };

  File tf, tm;
  if (!tf.Open(temp, 'c'))
    return abandon(Status::Error(BaseName(temp) + ": ファイルを作成できません" + Why(errno)));
  if (memo && !tm.Open(tdbt, 'c'))
    return abandon(Status::Error(BaseName(tdbt) + ": ファイルを作成できません" + Why(errno)));
  // The new files may be read by whom the old ones could be, and no one else.
  auto mode_of = [](const std::string& p, mode_t fallback) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 ? mode_t(st.st_mode & 07777) : fallback;
  };
  const mode_t dbf_mode = mode_of(dbf_path, 0644);
  ::fchmod(tf.fd(), dbf_mode);
  if (memo) ::fchmod(tm.fd(), mode_of(dbt_path, dbf_mode));
  const std::string header = BuildDbfHeader(memo ? 0x8B : 0x03, fields, true, live);
  Writer recs(&tf, header.size());
  File dbt_reader;
  uint64_t dbt_size = 0;
  if (memo) {
    if (!dbt_reader.Open(dbt_path, 'r'))
      return abandon(Status::Error(BaseName(dbt_path) + ": メモファイルを開けません" + Why(errno)));
    dbt_size = uint64_t(std::max<int64_t>(dbt_reader.Size(), 0));
  }
  MemoWriter memos(&tm, 512);
  MemoSource memo_src(&dbt_reader, dbt_size);
  // dBASE IV memos are copied as they stand (header, length, data); others are read whole and
  // written in that form.
  const bool fast = memo && !src.dbase3_memos();
  const uint64_t bs = memo ? src_dbt.block_size() : 512;
  std::vector<int> memo_fields;
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].type == 'M') memo_fields.push_back(int(i));
  std::string value;
  // Copies the memo of field f of record r that starts at *block into the new memo file;
  // *block becomes its first block there (0 when the memo is empty).
  auto copy_memo = [&](uint32_t r, const FieldDef& f, uint32_t* block) -> Status {
    // A fault of the memo file names that file.
    auto context = [&] {
      return BaseName(dbt_path) + ": レコード " + std::to_string(r) + " の " + f.name + " ";
    };
    const uint64_t off = uint64_t(*block) * bs;
    const uint64_t at = memos.end();
    if (at / 512 > 0xFFFFFFF0u)
      return Status::Error(BaseName(tdbt) + ": メモファイルが大きすぎます");
    const auto write_failed = [&] {
      return Status::Error(BaseName(tdbt) + ": 書き込みに失敗しました" + Why(errno));
    };
    if (fast) {
      // The window is read again only when done with what it holds.
      if (!memo_src.InWindow(off, 8) && !memos.EndRun()) return write_failed();
      const char* h = memo_src.Get(off, 8);
      if (!h)
        return Status::Error(context() + "のメモブロック " + std::to_string(*block) +
                             " がファイルの末尾を越えています");
      if (memcmp(h, "\xFF\xFF\x08\x00", 4) != 0)
        return Status::Error(context() + "のメモ (ブロック " + std::to_string(*block) +
                             ") に見出しがありません");
      const uint32_t len = Get32(reinterpret_cast<const unsigned char*>(h) + 4);
      if (len < 8 || off + len > dbt_size)
        return Status::Error(context() + "のメモ (ブロック " + std::to_string(*block) +
                             ") の長さ " + std::to_string(len) + " がファイルの末尾を越えています");
      if (len == 8) {
        *block = 0;
        return Status::Ok();
      }
      memo_src.Consumed(off + len);
      // The memo fills its blocks up with zeros; so does the old file mostly, and then its
      // blocks are copied whole.
      const size_t pad = (512 - len % 512) % 512;
      if (memo_src.InWindow(off, len + pad)) {
        const char* p = memo_src.Get(off, len + pad);
        if (!(AllZero(p + len, pad) ? memos.PutKept(p, len + pad)
                                    : memos.PutKept(p, len) && memos.PutZeros(pad)))
          return write_failed();
      } else {
        const char* p = memo_src.FromOne(off, len);
        if (!p && !memos.EndRun()) return write_failed();
        if (!p) p = memo_src.Get(off, len);
        if (!p) return Status::Error(context() + "のメモを読めません");
        if (memo_src.InWindow(off, len + pad)) {
          if (!(AllZero(p + len, pad) ? memos.PutKept(p, len + pad)
                                      : memos.PutKept(p, len) && memos.PutZeros(pad)))
            return write_failed();
        } else if (!memos.Put(p, len) || !memos.PutZeros(pad)) {
          return write_failed();
        }
      }
    } else {
      Status rs = src_dbt.Read(*block, &value, r, f.name);
      if (!rs.ok()) return rs;
      if (value.empty()) {
        *block = 0;
        return Status::Ok();
      }
      unsigned char h[8] = {0xFF, 0xFF, 0x08, 0x00};
      Put32(h + 4, uint32_t(value.size() + 8));
      const size_t pad = (512 - (value.size() + 8) % 512) % 512;
      if (!memos.Put(reinterpret_cast<const char*>(h), 8) ||
          !memos.Put(value.data(), value.size()) || !memos.PutZeros(pad))
        return write_failed();
    }
    *block = uint32_t(at / 512);
    return Status::Ok();
  };

  // The live records, in page-number order, each with its memos.
  uint64_t looked = 0;
  bool cancelled = false;
  for (uint32_t r = 1; r <= count && !cancelled; r += per) {
    uint32_t m = std::min(per, count - r + 1);
    chunk.resize(size_t(m) * size_t(reclen));
    if (!in.ReadExact(uint64_t(hdrlen) + uint64_t(r - 1) * uint64_t(reclen), chunk.data(),
                      chunk.size()))
      return abandon(Status::Error(name + ": レコードを読めません" + Why(errno)));
    for (uint32_t i = 0; i < m; ++i) {
      const char* p = chunk.data() + size_t(i) * size_t(reclen);
      if (p[0] == '*') continue;
      std::string& rb = recs.buf();
      const size_t at = rb.size();
      rb.append(p, size_t(reclen));
      rb[at] = ' ';
      for (int fi : memo_fields) {
        const FieldDef& f = fields[size_t(fi)];
        char* field = rb.data() + at + 1 + f.offset;
        uint32_t block = 0;
        if (!ParseMemoPointer(field, f.width, &block))
          return abandon(Status::Error(name + ": レコード " + std::to_string(r + i) + " の " +
                                       f.name + " のメモ番号が壊れています"));
        if (block != 0) {
          Status ms = copy_memo(r + i, f, &block);
          if (!ms.ok()) return abandon(ms);
        }
        PutPointer(field, f.width, block);
      }
      if (!recs.MaybeFlush())
        return abandon(Status::Error(BaseName(temp) + ": 書き込みに失敗しました" + Why(errno)));
    }
    looked += m;
    if (!told(looked)) cancelled = true;
  }
  // The ends of the files, their headers, and all of it durable (while the index is still being
  // built).
  if (!cancelled) {
    recs.buf().push_back('\x1A');
    bool ok = recs.Flush() && tf.WriteAt(0, header.data(), header.size());
    if (ok && memo) {
      std::string h(512, '\0');
      auto* hp = reinterpret_cast<unsigned char*>(h.data());
      ok = memos.Flush();
      Put32(hp, uint32_t(memos.end() / 512));
      std::string base = StemOf(dbf_path).substr(0, 8);
      base.resize(8, ' ');
      memcpy(hp + 8, base.data(), 8);
      Put16(hp + 20, 512);
      ok = ok && tm.WriteAt(0, h.data(), h.size());
    }
    if (!ok)
      return abandon(Status::Error(BaseName(temp) + ": 書き込みに失敗しました" + Why(errno)));
    if (!tf.Sync() || (memo && !tm.Sync()))
      return abandon(Status::Error(BaseName(temp) + ": ディスクに書き込めません" + Why(errno)));
    tf.Close();
    tm.Close();
  }
  // The index is being built meanwhile.
  while (!cancelled && !job.finished.load()) {
    if (!told(looked)) cancelled = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (cancelled) {
    out->cancelled = true;
    out->new_number.clear();
    return abandon(Status::Ok());
  }
  worker.join();
  if (!job.result.ok()) return abandon(job.result);

  // The index must not look older than its table (which would have it rebuilt at the next open).
  ::utimensat(AT_FDCWD, tmdx.c_str(), nullptr, 0);
  ::chmod(tmdx.c_str(), mode_of(mdx_path, dbf_mode));
  if (!SyncFolderOf(temp))
    return abandon(Status::Error(folder + ": フォルダーをディスクに書き込めません" + Why(errno)));

  // The commit point: from here on the new page file replaces the old one, now or at the next
  // open.  The new table is locked before it takes the old one's name.
  Lock new_lock;
  if (!new_lock.Take(temp))
    return abandon(Status::Error(BaseName(temp) + ": ほかのプログラムが開いています"));
  j.state = "switching";
  st = WriteJournal(journal, j);
  if (!st.ok()) return abandon(st);
  st = Switch(dbf_path, journal, j);
  if (!st.ok()) return st;
  out->pages = live;
  return Status::Ok();
}

}  // namespace sk::store
