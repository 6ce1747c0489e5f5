#include "store/dbf.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

namespace sk::store {

namespace {
std::string Today3() {
  time_t t = time(nullptr);
  struct tm tm;
  localtime_r(&t, &tm);
  std::string d(3, '\0');
  d[0] = char(tm.tm_year);
  d[1] = char(tm.tm_mon + 1);
  d[2] = char(tm.tm_mday);
  return d;
}
}  // namespace

Status DbfFile::Fail(const std::string& what) const {
  return Status::Error(BaseName(file_.path()) + ": " + what);
}

std::string BuildDbfHeader(uint8_t version, const std::vector<FieldDef>& fields, bool has_mdx,
                           uint32_t count) {
  int reclen = 1;
  for (const auto& f : fields) reclen += f.width;
  std::string h(32 + 32 * fields.size() + 1, '\0');
  auto* p = reinterpret_cast<unsigned char*>(h.data());
  p[0] = version;
  std::string d = Today3();
  memcpy(p + 1, d.data(), 3);
  Put32(p + 4, count);
  Put16(p + 8, uint16_t(h.size()));
  Put16(p + 10, uint16_t(reclen));
  p[28] = has_mdx ? 1 : 0;
  p[29] = 0x13;
  for (size_t i = 0; i < fields.size(); ++i) {
    unsigned char* f = p + 32 + 32 * i;
    memcpy(f, fields[i].name.data(), std::min<size_t>(fields[i].name.size(), 10));
    f[11] = uint8_t(fields[i].type);
    f[16] = uint8_t(fields[i].width);
    f[17] = uint8_t(fields[i].decimals);
    f[31] = fields[i].mdx_flag ? 1 : 0;
  }
  p[h.size() - 1] = 0x0D;
  return h;
}

Status DbfFile::Create(const std::string& path, const std::vector<FieldDef>& fields, bool has_mdx) {
  Close();
  bool memo = false;
  for (const auto& f : fields) memo |= f.type == 'M';
  std::string h = BuildDbfHeader(memo ? 0x8B : 0x03, fields, has_mdx, 0);
  File f;
  if (!f.Open(path, 'c')) return Status::Error(BaseName(path) + ": ファイルを作成できません");
  h.push_back('\x1A');
  if (!f.WriteAt(0, h.data(), h.size()) || !f.Sync())
    return Status::Error(BaseName(path) + ": ファイルに書き込めません");
  f.Close();
  if (!SyncFolderOf(path)) return Status::Error(BaseName(path) + ": フォルダーに書き出せません");
  return Open(path, false);
}

Status DbfFile::Open(const std::string& path, bool read_only) {
  Close();
  read_only_ = read_only;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return Status::Error(BaseName(name) +
                         ": フォルダーです。ページファイル (.dbf) を指定してください");
  }
  if (!file_.Open(path, read_only ? 'r' : 'w'))
    return Status::Error(BaseName(path) + ": ファイルを開けません (" + strerror(errno) + ")");
  unsigned char h[32];
  int64_t size = file_.Size();
  if (size < 32 || !file_.ReadExact(0, h, 32)) {
    Close();
    return Status::Error(BaseName(path) + ": ヘッダーが途中で切れています");
  }
  version_ = h[0];
  if (version_ != 0x8B && version_ != 0x83 && version_ != 0x03 && version_ != 0x04) {
    Close();
    return Status::Error(BaseName(path) + ": dBASE のテーブルではありません (先頭バイト 0x" + [&] {
      char b[8];
      snprintf(b, sizeof b, "%02X", version_);
      return std::string(b);
    }() + ")");
  }
  count_ = Get32(h + 4);
  hdrlen_ = Get16(h + 8);
  reclen_ = Get16(h + 10);
  mdx_flag_ = h[28] == 1;
  language_ = h[29];
  if (hdrlen_ < 33 || hdrlen_ > size || reclen_ < 1) {
    Close();
    return Status::Error(BaseName(path) + ": ヘッダーの長さが不正です");
  }
  std::string desc(size_t(hdrlen_ - 32), '\0');
  if (!file_.ReadExact(32, desc.data(), desc.size())) {
    Close();
    return Status::Error(BaseName(path) + ": ヘッダーが途中で切れています");
  }
  fields_.clear();
  int off = 0;
  for (size_t i = 0; i + 32 <= desc.size() && desc[i] != '\x0D'; i += 32) {
    const auto* f = reinterpret_cast<const unsigned char*>(desc.data() + i);
    FieldDef fd;
    fd.name.assign(reinterpret_cast<const char*>(f), strnlen(reinterpret_cast<const char*>(f), 11));
    fd.type = char(f[11]);
    fd.width = f[16];
    fd.decimals = f[17];
    fd.mdx_flag = f[31] == 1;
    fd.offset = off;
    off += fd.width;
    fields_.push_back(fd);
  }
  if (fields_.empty() || 1 + off != reclen_) {
    Close();
    return Status::Error(BaseName(path) + ": フィールド定義がレコード長と合いません");
  }
  uint64_t need = uint64_t(hdrlen_) + uint64_t(count_) * uint64_t(reclen_);
  if (need > uint64_t(size)) {
    std::string fault = BaseName(path) + ": ヘッダーのレコード数 " + std::to_string(count_) +
                        " がファイルの大きさを越えています";
    // A count cut by a power failure is set right from the journal (ReplayJournal).
    if (!read_only && FileExists(JournalPath(path))) {
      count_fault_ = fault;
    } else {
      Close();
      return Status::Error(fault);
    }
  }
  InvalidateCache();
  count_on_disk_ = count_;
  return Status::Ok();
}

void DbfFile::Close() {
  bulk_ = false;
  // A write left unfinished stays in the journal for the next writable open.
  if (file_.is_open() && FinishUnfinished().ok())
    (void)CloseJournal();
  else
    journal_.Close();
  if (unsynced_ && file_.is_open()) file_.Sync();
  unsynced_ = false;
  unfinished_.clear();
  count_fault_.clear();
  file_.Close();
  fields_.clear();
  count_ = 0;
  InvalidateCache();
}

namespace {

uint64_t Fnv1a(const unsigned char* p, size_t n, uint64_t h = 1469598103934665603ull) {
  for (size_t i = 0; i < n; ++i) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return h;
}

void Put64(unsigned char* p, uint64_t v) {
  Put32(p, uint32_t(v));
  Put32(p + 4, uint32_t(v >> 32));
}

uint64_t Get64(const unsigned char* p) { return uint64_t(Get32(p)) | uint64_t(Get32(p + 4)) << 32; }

}  // namespace

std::string JournalPath(const std::string& table_path) { return table_path + ".jnl"; }

std::string EncodeJournal(uint64_t offset, std::string_view image) {
  std::string e(24 + image.size(), '\0');
  auto* p = reinterpret_cast<unsigned char*>(e.data());
  memcpy(p, "SKJ1", 4);
  Put64(p + 4, offset);
  Put32(p + 12, uint32_t(image.size()));
  memcpy(p + 24, image.data(), image.size());
  uint64_t h = Fnv1a(p + 4, 12);
  h = Fnv1a(p + 24, image.size(), h);
  Put64(p + 16, h);
  return e;
}

std::string EncodeJournal2(const std::vector<std::pair<uint64_t, std::string>>& pieces) {
  std::string e(24, '\0');
  for (const auto& [off, bytes] : pieces) {
    unsigned char h[12];
    Put64(h, off);
    Put32(h + 8, uint32_t(bytes.size()));
    e.append(reinterpret_cast<const char*>(h), 12);
    e += bytes;
  }
  auto* p = reinterpret_cast<unsigned char*>(e.data());
  memcpy(p, "SKJ2", 4);
  Put32(p + 4, uint32_t(pieces.size()));
  Put32(p + 8, uint32_t(e.size()));
  uint64_t h = Fnv1a(p + 4, 12);
  h = Fnv1a(p + 24, e.size() - 24, h);
  Put64(p + 16, h);
  return e;
}

Status DbfFile::CloseJournal() {
  if (!journal_.is_open()) return Status::Ok();
  std::string path = journal_.path();
  journal_.Close();
  // Every entry is done (the table was synced after it): the journal goes, for good, so that a
  // later slimming or copy never meets it.
  if (!RemoveFile(path) || !SyncFolderOf(path))
    return Fail("ジャーナル " + BaseName(path) + " を消せません");
  return Status::Ok();
}

Status DbfFile::ReplayJournal(bool* replayed) {
  *replayed = false;
  std::string path = JournalPath(file_.path());
  File j;
  if (!j.Open(path, 'r')) {
    if (!count_fault_.empty()) return Status::Error(count_fault_);
    return Status::Ok();
  }
  int64_t size = j.Size();
  std::string e(size_t(std::max<int64_t>(size, 0)), '\0');
  bool read = size >= 24 && j.ReadExact(0, e.data(), e.size());
  j.Close();
  // The pieces of a whole entry, each checked to lie on the header's count or on a record slot
  // within the count the entry leaves.
  std::vector<Piece> pieces;
  uint32_t new_count = count_;
  bool whole = false;
  const auto* p = reinterpret_cast<const unsigned char*>(e.data());
  const uint64_t hdr = uint64_t(hdrlen_), len = uint64_t(reclen_);
  if (read && memcmp(p, "SKJ1", 4) == 0) {
    uint64_t off = Get64(p + 4);
    uint32_t n = Get32(p + 12);
    whole = n == uint32_t(reclen_) && e.size() == 24 + size_t(n) &&
            Fnv1a(p + 24, n, Fnv1a(p + 4, 12)) == Get64(p + 16);
    if (whole) pieces.push_back({off, e.substr(24, n)});
  } else if (read && memcmp(p, "SKJ2", 4) == 0) {
    uint32_t count = Get32(p + 4), total = Get32(p + 8);
    whole = total >= 24 && total <= e.size() && count <= 4 &&
            Fnv1a(p + 24, total - 24, Fnv1a(p + 4, 12)) == Get64(p + 16);
    for (size_t at = 24, i = 0; whole && i < count; ++i) {
      if (at + 12 > total) {
        whole = false;
        break;
      }
      uint64_t off = Get64(p + at);
      uint32_t n = Get32(p + at + 8);
      at += 12;
      if (n > total - at) {
        whole = false;
        break;
      }
      pieces.push_back({off, e.substr(at, n)});
      at += n;
    }
  }
  for (const Piece& pc : pieces)
    if (pc.offset == 0 && pc.bytes.size() == 8 && uint8_t(pc.bytes[0]) == version_)
      new_count = Get32(reinterpret_cast<const unsigned char*>(pc.bytes.data()) + 4);
  // The file (with the pieces) holds every record of the new count.
  uint64_t end = uint64_t(std::max<int64_t>(file_.Size(), 0));
  for (const Piece& pc : pieces) end = std::max<uint64_t>(end, pc.offset + pc.bytes.size());
  bool fits = whole && !pieces.empty() && hdr + uint64_t(new_count) * len <= end;
  for (const Piece& pc : pieces) {
    if (pc.offset == 0 && pc.bytes.size() == 8 && uint8_t(pc.bytes[0]) == version_) continue;
    uint64_t slot = pc.offset >= hdr ? (pc.offset - hdr) / len : 0;
    bool on_slot = pc.offset >= hdr && (pc.offset - hdr) % len == 0 && slot < new_count;
    bool record = pc.bytes.size() == len;
    bool last_with_mark =
        pc.bytes.size() == len + 1 && slot + 1 == new_count && pc.bytes.back() == '\x1A';
    fits = fits && on_slot && (record || last_with_mark);
  }
  if (fits && !read_only_) {
    for (const Piece& pc : pieces)
      if (!file_.WriteAt(pc.offset, pc.bytes.data(), pc.bytes.size()))
        return Fail("ジャーナルのレコードを書き戻せません");
    if (!file_.Sync()) return Fail("ジャーナルのレコードを書き戻せません");
    count_ = count_on_disk_ = new_count;
    InvalidateCache();
    *replayed = true;
  }
  // A journal that is empty, done or cut short belongs to a write that never began or ended.
  if (!read_only_ && ((!RemoveFile(path) && errno != ENOENT) || !SyncFolderOf(path)))
    return Fail("ジャーナル " + BaseName(path) + " を消せません");
  if (!count_fault_.empty()) {
    int64_t now = file_.Size();
    if (now < 0 || hdr + uint64_t(count_) * len > uint64_t(now)) return Status::Error(count_fault_);
    count_fault_.clear();
  }
  return Status::Ok();
}

int FindField(const std::vector<FieldDef>& fields, const std::string& name) {
  // Called for every field read: names of another length are passed over without a compare.
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name.size() == name.size() &&
        strcasecmp(fields[i].name.c_str(), name.c_str()) == 0)
      return int(i);
  return -1;
}

int DbfFile::FieldIndex(const std::string& name) const { return FindField(fields_, name); }

std::string DbfFile::UpdateDate() const {
  unsigned char h[4];
  if (!file_.ReadExact(0, h, 4)) return {};
  char b[16];
  snprintf(b, sizeof b, "%04d-%02d-%02d", 1900 + h[1], h[2], h[3]);
  return b;
}

void DbfFile::InvalidateCache() const {
  cache_.clear();
  cache_.resize(kSlots);
}

const DbfFile::Slot* DbfFile::ChunkAt(uint64_t pos) const {
  uint64_t index = pos / kChunk;
  last_chunk_ = index;
  Slot& s = cache_[index % kSlots];
  if (s.index != index) {
    int64_t r = file_.ReadAt(index * kChunk, s.data.Reset(kChunk), kChunk);
    if (r < 0) {
      s.index = UINT64_MAX;
      return nullptr;
    }
    s.data.Shrink(size_t(r));
    s.index = index;
  }
  return &s;
}

bool DbfFile::ThroughCache(uint64_t off) const {
  const uint64_t index = off / kChunk, last = last_chunk_;
  if (uint64_t(hdrlen_) + uint64_t(count_) * uint64_t(reclen_) <= kSlots * kChunk) return true;
  return cache_[index % kSlots].index == index || index == last || index + 1 == last ||
         index == last + 1;
}

Status DbfFile::ReadRecord(uint32_t recno, std::string* out) const {
  if (recno < 1 || recno > count_)
    return Fail("レコード " + std::to_string(recno) + " は存在しません");
  uint64_t off = uint64_t(hdrlen_) + uint64_t(recno - 1) * uint64_t(reclen_);
  out->resize(size_t(reclen_));
  if (!ThroughCache(off)) {
    last_chunk_ = off / kChunk;
    int64_t got = file_.ReadAt(off, out->data(), out->size());
    if (got < 0) return Fail("レコード " + std::to_string(recno) + " を読めません");
    if (got != int64_t(out->size()))
      return Fail("レコード " + std::to_string(recno) + " がファイルの末尾を越えています");
    return Status::Ok();
  }
  size_t done = 0;
  while (done < size_t(reclen_)) {
    uint64_t pos = off + done;
    const Slot* s = ChunkAt(pos);
    if (!s) return Fail("レコード " + std::to_string(recno) + " を読めません");
    size_t in = size_t(pos - s->index * kChunk);
    if (in >= s->data.size())
      return Fail("レコード " + std::to_string(recno) + " がファイルの末尾を越えています");
    size_t n = std::min(size_t(reclen_) - done, s->data.size() - in);
    memcpy(out->data() + done, s->data.data() + in, n);
    done += n;
  }
  return Status::Ok();
}

Status DbfFile::ViewRecord(uint32_t recno, std::string_view* out, std::string* spill) const {
  if (recno >= 1 && recno <= count_) {
    uint64_t off = uint64_t(hdrlen_) + uint64_t(recno - 1) * uint64_t(reclen_);
    if (off / kChunk == (off + uint64_t(reclen_) - 1) / kChunk && ThroughCache(off)) {
      const Slot* s = ChunkAt(off);
      if (s) {
        size_t in = size_t(off - s->index * kChunk);
        if (in + size_t(reclen_) <= s->data.size()) {
          *out = std::string_view(s->data.data() + in, size_t(reclen_));
          return Status::Ok();
        }
      }
    }
  }
  // Across two chunks, or a fault: the copying read gives the bytes or the message.
  Status st = ReadRecord(recno, spill);
  *out = st.ok() ? std::string_view(*spill) : std::string_view();
  return st;
}

Status DbfFile::ViewRun(uint32_t recno, bool forward, const char** first, uint32_t* count) const {
  *first = nullptr;
  *count = 0;
  if (recno < 1 || recno > count_)
    return Fail("レコード " + std::to_string(recno) + " は存在しません");
  const uint64_t len = uint64_t(reclen_);
  const uint64_t off = uint64_t(hdrlen_) + uint64_t(recno - 1) * len;
  const Slot* s = ChunkAt(off);
  if (!s) return Fail("レコード " + std::to_string(recno) + " を読めません");
  const uint64_t start = s->index * kChunk, end = start + s->data.size();
  if (off + len > end) return Status::Ok();  // crosses into the next chunk, or cut short
  *first = s->data.data() + (off - start);
  if (forward) {
    uint64_t whole = (end - off) / len;  // records from recno that end inside the chunk
    *count = uint32_t(std::min<uint64_t>(whole, uint64_t(count_ - recno) + 1));
  } else {
    uint64_t back = (off - start) / len;  // whole records before recno in the chunk
    *count = uint32_t(std::min<uint64_t>(back, uint64_t(recno - 1)) + 1);
  }
  return Status::Ok();
}

void DbfFile::UpdateCache(uint64_t off, const std::string& bytes) {
  // Keep cached chunks in step with the file.
  if (bytes.empty()) return;
  for (uint64_t i = off / kChunk; i <= (off + bytes.size() - 1) / kChunk; ++i) {
    Slot& s = cache_[i % kSlots];
    if (s.index != i) continue;
    uint64_t cs = i * kChunk, ce = cs + s.data.size();
    uint64_t a = std::max(cs, off), b = std::min(ce, off + bytes.size());
    if (a < b) memcpy(s.data.data() + (a - cs), bytes.data() + (a - off), size_t(b - a));
    if (off + bytes.size() > ce) s.index = UINT64_MAX;  // the chunk grew: read it again
  }
}

Status DbfFile::FinishUnfinished() {
  if (unfinished_.empty()) return Status::Ok();
  bool ok = true;
  for (const Piece& pc : unfinished_)
    ok = ok && file_.WriteAt(pc.offset, pc.bytes.data(), pc.bytes.size());
  if (!ok || !file_.Sync())
    return Fail("レコードの書き込みに失敗しました (ディスクに書き出せません)");
  for (const Piece& pc : unfinished_)
    if (pc.offset == 0 && pc.bytes.size() == 8)
      count_ = count_on_disk_ =
          std::max(count_, Get32(reinterpret_cast<const unsigned char*>(pc.bytes.data()) + 4));
  unfinished_.clear();
  InvalidateCache();
  return Status::Ok();
}

Status DbfFile::WriteThroughJournal(const std::vector<Piece>& pieces) {
  const std::string jpath = JournalPath(file_.path());
  // A write that failed half-way is finished from its entry before the entry is replaced:
  // otherwise its record would stay torn with nothing left to mend it.
  if (Status st = FinishUnfinished(); !st.ok()) return st;
  if (!journal_.is_open()) {
    if (!journal_.Open(jpath, 'c')) return Fail("ジャーナル " + BaseName(jpath) + " を作れません");
    // The journal's name must survive a power cut as well as its entry.
    if (!SyncFolderOf(jpath)) {
      journal_.Close();
      return Fail("ジャーナル " + BaseName(jpath) + " を作れません");
    }
  }
  std::vector<std::pair<uint64_t, std::string>> entry_pieces;
  for (const Piece& pc : pieces) entry_pieces.push_back({pc.offset, pc.bytes});
  std::string entry = EncodeJournal2(entry_pieces);
  if (!journal_.WriteAt(0, entry.data(), entry.size()) || !journal_.Sync())
    return Fail("ジャーナルの書き込みに失敗しました");
  bool ok = true;
  for (const Piece& pc : pieces)
    ok = ok && file_.WriteAt(pc.offset, pc.bytes.data(), pc.bytes.size());
  ok = ok && file_.Sync();
  if (!ok) {
    // The journal holds the whole write: the next write or writable open finishes it.
    unfinished_ = pieces;
    InvalidateCache();
    return Fail("レコードの書き込みに失敗しました (ディスクに書き出せません)");
  }
  unsynced_ = false;
  for (const Piece& pc : pieces) UpdateCache(pc.offset, pc.bytes);
  // Done.  Not synced: should the old magic come back after a power cut, the entry only writes
  // what the table already holds, since every later write replaces it first.
  (void)journal_.WriteAt(0, "SKJ0", 4);
  return Status::Ok();
}

std::string DbfFile::HeaderCountBytes(uint32_t count) const {
  std::string h(8, '\0');
  auto* p = reinterpret_cast<unsigned char*>(h.data());
  p[0] = version_;
  std::string d = Today3();
  memcpy(p + 1, d.data(), 3);
  Put32(p + 4, count);
  return h;
}

Status DbfFile::FinishBulk() {
  if (!bulk_ || count_on_disk_ == count_) return Status::Ok();
  if (!file_.Sync()) return Fail("レコードをディスクに書き出せません");
  Status st = WriteThroughJournal({{0, HeaderCountBytes(count_)}});
  if (st.ok()) count_on_disk_ = count_;
  return st;
}

Status DbfFile::WriteRecord(uint32_t recno, const std::string& rec) {
  if (read_only_) return Fail("読み取り専用で開かれています");
  // A journal entry counts on the records the header holds.
  if (Status st = FinishBulk(); !st.ok()) return st;
  if (recno < 1 || recno > count_ || rec.size() != size_t(reclen_))
    return Fail("レコード " + std::to_string(recno) + " に書き込めません");
  uint64_t off = uint64_t(hdrlen_) + uint64_t(recno - 1) * uint64_t(reclen_);
  return WriteThroughJournal({{off, rec}});
}

Status DbfFile::AppendRecord(const std::string& rec, uint32_t* recno) {
  if (read_only_) return Fail("読み取り専用で開かれています");
  if (rec.size() != size_t(reclen_)) return Fail("レコード長が違います");
  uint64_t off = uint64_t(hdrlen_) + uint64_t(count_) * uint64_t(reclen_);
  std::string data = rec;
  data.push_back('\x1A');
  if (bulk_) {
    if (!file_.WriteAt(off, data.data(), data.size())) return Fail("レコードの追加に失敗しました");
    UpdateCache(off, data);
    *recno = ++count_;
    return Status::Ok();
  }
  // The record and its end mark before the header count that includes it.
  Status st = WriteThroughJournal({{off, data}, {0, HeaderCountBytes(count_ + 1)}});
  if (!st.ok()) return st;
  count_on_disk_ = ++count_;
  *recno = count_;
  return Status::Ok();
}

Status DbfFile::SetMdxFlag(bool on) {
  if (read_only_) return Fail("読み取り専用で開かれています");
  unsigned char b = on ? 1 : 0;
  if (!file_.WriteAt(28, &b, 1)) return Fail("ヘッダーの書き込みに失敗しました");
  unsynced_ = true;
  mdx_flag_ = on;
  cache_[0].index = UINT64_MAX;
  return Status::Ok();
}

Status DbfFile::SetFieldMdxFlag(int field) {
  if (read_only_) return Fail("読み取り専用で開かれています");
  unsigned char one = 1;
  if (!file_.WriteAt(32 + 32 * uint64_t(field) + 31, &one, 1))
    return Fail("ヘッダーの書き込みに失敗しました");
  unsynced_ = true;
  fields_[size_t(field)].mdx_flag = true;
  InvalidateCache();
  return Status::Ok();
}

}  // namespace sk::store
