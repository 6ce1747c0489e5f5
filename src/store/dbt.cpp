#include "store/dbt.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sk::store {

Status DbtFile::Fail(const std::string& what) const {
  return Status::Error(BaseName(file_.path()) + ": " + what);
}

Status DbtFile::Create(const std::string& path, const std::string& table_name, bool dbase3) {
  Close();
  File f;
  if (!f.Open(path, 'c')) return Status::Error(BaseName(path) + ": ファイルを作成できません");
  std::string h(512, '\0');
  auto* p = reinterpret_cast<unsigned char*>(h.data());
  Put32(p, 1);
  if (!dbase3) {
    std::string base = table_name.substr(0, 8);
    base.resize(8, ' ');
    memcpy(p + 8, base.data(), 8);
    p[16] = 0x00;
    Put16(p + 20, 512);
  } else {
    p[16] = 0x03;
  }
  if (!f.WriteAt(0, h.data(), h.size()) || !f.Sync())
    return Status::Error(BaseName(path) + ": ファイルに書き込めません");
  f.Close();
  if (!SyncFolderOf(path)) return Status::Error(BaseName(path) + ": フォルダーに書き出せません");
  return Open(path, false, dbase3);
}

void DbtFile::Close() {
  Unmap();
  // The header's new end, when memos were written after the last sync.
  if (file_.is_open() && !read_only_ && Sync().ok() && unsynced_) file_.Sync();
  header_behind_ = unsynced_ = false;
  file_.Close();
}

Status DbtFile::Sync() {
  if (!header_behind_ && !unsynced_) return Status::Ok();
  if (!file_.Sync()) return Fail("メモをディスクに書き出せません");
  unsynced_ = false;
  if (!header_behind_) return Status::Ok();
  unsigned char h[4];
  Put32(h, next_free_);
  if (!file_.WriteAt(0, h, 4)) return Fail("メモファイルのヘッダーの書き込みに失敗しました");
  header_behind_ = false;
  unsynced_ = true;
  header_next_free_ = next_free_;
  return Status::Ok();
}

Status DbtFile::Open(const std::string& path, bool read_only, bool dbase3) {
  Close();
  read_only_ = read_only;
  dbase3_ = dbase3;
  ra_span_ = 0;
  run_ = 0;
  last_end_ = 0;
  mean_len_ = 0;
  if (!file_.Open(path, read_only ? 'r' : 'w'))
    return Status::Error(BaseName(path) + ": メモファイルを開けません (" + strerror(errno) + ")");
  unsigned char h[24];
  if (!file_.ReadExact(0, h, 24)) {
    Close();
    return Status::Error(BaseName(path) + ": メモファイルのヘッダーが途中で切れています");
  }
  next_free_ = Get32(h);
  block_size_ = 512;
  if (!dbase3) {
    uint32_t bs = Get16(h + 20);
    if (bs != 0) {
      if (bs % 512 != 0) {
        Close();
        return Status::Error(BaseName(path) + ": メモファイルのブロック長 " + std::to_string(bs) +
                             " が不正です");
      }
      block_size_ = bs;
    }
  }
  // Never hand out a block that lies inside the file: a damaged header must not make new memos
  // overwrite old ones.  New memos start at the end of the file.
  ra_.clear();
  ra_off_ = 0;
  size_ = uint64_t(std::max<int64_t>(file_.Size(), 0));
  // Nor one far past its end: a damaged header must not make the next memo a huge sparse file.
  header_next_free_ = next_free_;
  uint64_t in_file = blocks_in_file();
  next_free_ = uint32_t(std::min<uint64_t>(in_file, 0xFFFFFFFFull));
  if (next_free_ == 0) next_free_ = 1;
  return Status::Ok();
}

uint64_t DbtFile::blocks_in_file() const {
  int64_t size = file_.Size();
  if (size <= 0) return 1;
  return (uint64_t(size) + block_size_ - 1) / block_size_;
}

const unsigned char* DbtFile::Cached(uint64_t off, size_t n) const {
  if (off >= ra_off_ && off + n <= ra_off_ + ra_.size())
    return reinterpret_cast<const unsigned char*>(ra_.data()) + (off - ra_off_);
  return nullptr;
}

bool DbtFile::MapForReading() const {
  Unmap();
  int64_t size = file_.Size();
  if (!file_.is_open() || size <= 0 || uint64_t(size) > SIZE_MAX) return false;
  // The pages in the page cache are mapped at once: no fault for each memo later.
  void* p = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED | MAP_POPULATE, file_.fd(), 0);
  if (p == MAP_FAILED) return false;
  map_ = static_cast<const char*>(p);
  map_len_ = size_t(size);
  if (uint64_t(size) > size_) size_ = uint64_t(size);
  return true;
}

void DbtFile::Unmap() const {
  if (map_) ::munmap(const_cast<char*>(map_), map_len_);
  map_ = nullptr;
  map_len_ = 0;
}

const unsigned char* DbtFile::Header(uint64_t off) const {
  if (const unsigned char* h = Cached(off, 8)) return h;
  return Fill(off) ? Cached(off, 8) : nullptr;
}

bool DbtFile::Fill(uint64_t off) const {
  const bool back = off < last_end_;
  const bool on = back ? off + kRunBack >= last_end_ && !back_fill_ : off - last_end_ <= kRunGap;
  run_ = on ? run_ + 1 : 0;
  back_fill_ = back;
  size_t span;
  if (run_ >= 2) {
    ra_span_ = ra_span_ == 0 ? kMinReadAhead : std::min(ra_span_ * 2, kReadAhead);
    span = ra_span_;
  } else {
    ra_span_ = 0;
    uint64_t want = std::min<uint64_t>(2 * uint64_t(mean_len_), kMaxProbe);
    span = size_t(std::max<uint64_t>((want + block_size_ - 1) / block_size_, 1) * block_size_);
  }
  int64_t got = file_.ReadAt(off, ra_.Reset(span), span);
  if (got < 0) got = 0;
  ra_.Shrink(size_t(got));
  ra_off_ = off;
  if (off + uint64_t(got) > size_) size_ = off + uint64_t(got);
  return got > 0;
}

bool DbtFile::Dbase3View(uint64_t off, std::string_view* view) const {
  const char* p = nullptr;
  size_t n = 0;
  if (map_ && off < map_len_) {
    p = map_ + off;
    n = map_len_ - off;
  } else {
    if (!Cached(off, 1) && !Fill(off)) return false;
    // A memo that runs past the buffer: the buffer starts again at it (once).
    if (off != ra_off_ && !memchr(ra_.data() + (off - ra_off_), 0x1A, ra_.size() - (off - ra_off_)) &&
        !Fill(off))
      return false;
    p = ra_.data() + (off - ra_off_);
    n = ra_.size() - size_t(off - ra_off_);
  }
  // The first 1A 1A (a lone 1A is text); memchr finds a 1A far faster than memmem the pair.
  const char* const stop = p + n;
  const char* end = p;
  while ((end = static_cast<const char*>(memchr(end, 0x1A, size_t(stop - end)))) != nullptr &&
         !(end + 1 < stop && end[1] == 0x1A))
    ++end;
  if (!end) return false;
  const size_t len = size_t(end - p);
  *view = std::string_view(p, len);
  last_end_ = (off + len + 2 + block_size_ - 1) / block_size_ * block_size_;
  mean_len_ =
      mean_len_ == 0 ? uint32_t(len) : uint32_t(mean_len_ + (int64_t(len) - int64_t(mean_len_)) / 8);
  return true;
}

Status DbtFile::Read(uint32_t block, std::string* out, uint32_t recno,
                     const std::string& field) const {
  std::string_view view;
  Status st = ReadView(block, &view, out, recno, field);
  if (st.ok() && view.data() != out->data()) out->assign(view);
  return st;
}

Status DbtFile::ReadView(uint32_t block, std::string_view* view, std::string* out, uint32_t recno,
                         const std::string& field) const {
  *view = {};
  out->clear();
  auto context = [&] {
    return recno ? "レコード " + std::to_string(recno) + " の " + field + " " : std::string();
  };
  uint64_t off = uint64_t(block) * block_size_;
  if (block == 0 || off >= size_) {
    int64_t now = file_.Size();
    if (now > 0) size_ = uint64_t(now);
  }
  if (block == 0 || off >= size_)
    return Fail(context() + "のメモブロック " + std::to_string(block) +
                " がファイルの末尾を越えています");
  if (!dbase3_) {
    if (map_ && off + 8 <= map_len_) {
      // From the mapping, when the memo lies whole in it (else as below, for the message).
      const auto* h = reinterpret_cast<const unsigned char*>(map_ + off);
      const uint32_t len = Get32(h + 4);
      if (h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00 && len >= 8 &&
          off + len <= map_len_) {
        *view = std::string_view(map_ + off + 8, len - 8);
        return Status::Ok();
      }
    }
    const unsigned char* h = Header(off);
    if (!h || h[0] != 0xFF || h[1] != 0xFF || h[2] != 0x08 || h[3] != 0x00)
      return Fail(context() + "のメモ (ブロック " + std::to_string(block) +
                  ") に見出しがありません");
    uint32_t len = Get32(h + 4);
    if (len < 8)
      return Fail(context() + "のメモ (ブロック " + std::to_string(block) + ") の長さが不正です");
    if (off + len > size_) {
      int64_t now = file_.Size();
      if (now > 0) size_ = uint64_t(now);
    }
    if (off + len > size_)
      return Fail(context() + "のメモ (ブロック " + std::to_string(block) + ") の長さ " +
                  std::to_string(len) + " がファイルの末尾を越えています");
    last_end_ = (off + len + block_size_ - 1) / block_size_ * block_size_;
    mean_len_ =
        mean_len_ == 0 ? len : uint32_t(mean_len_ + (int64_t(len) - int64_t(mean_len_)) / 8);
    if (const unsigned char* p = Cached(off, len)) {
      *view = std::string_view(reinterpret_cast<const char*>(p) + 8, len - 8);
      return Status::Ok();
    }
    // The memo runs past the buffer: what the buffer holds, and one read for the rest.
    const size_t have = size_t(std::min<uint64_t>(ra_off_ + ra_.size() - (off + 8), len - 8));
    out->resize(len - 8);
    memcpy(out->data(), h + 8, have);
    const size_t rest = out->size() - have;
    if (file_.ReadAt(off + 8 + have, out->data() + have, rest) != int64_t(rest)) {
      out->clear();
      return Fail(context() + "のメモを読めません");
    }
    *view = *out;
    return Status::Ok();
  }
  // dBASE III: the text runs to 1A 1A (or to the end of the file): from the buffer when it holds
  // the end mark, else read on in steps.
  if (Dbase3View(off, view)) return Status::Ok();
  uint64_t size = size_;
  const size_t kStep = 4096;
  std::string buf;
  uint64_t pos = off;
  while (pos < uint64_t(size)) {
    size_t n = size_t(std::min<uint64_t>(kStep, uint64_t(size) - pos));
    size_t old = buf.size();
    buf.resize(old + n);
    if (!file_.ReadExact(pos, buf.data() + old, n)) return Fail(context() + "のメモを読めません");
    size_t from = old > 0 ? old - 1 : 0;
    size_t end = buf.find("\x1A\x1A", from);
    if (end != std::string::npos) {
      // Where it ends, so that the memo after it continues a run of reads.
      last_end_ = (off + end + 2 + block_size_ - 1) / block_size_ * block_size_;
      mean_len_ = mean_len_ == 0 ? uint32_t(end)
                                 : uint32_t(mean_len_ + (int64_t(end) - int64_t(mean_len_)) / 8);
      buf.resize(end);
      *out = std::move(buf);
      *view = *out;
      return Status::Ok();
    }
    pos += n;
  }
  // No end mark: take what there is, without trailing padding.
  while (!buf.empty() && (buf.back() == '\x1A' || buf.back() == '\0')) buf.pop_back();
  *out = std::move(buf);
  *view = *out;
  return Status::Ok();
}

Status DbtFile::Write(const std::string& data, uint32_t* block) {
  if (read_only_) return Fail("読み取り専用で開かれています");
  uint64_t first = std::max<uint64_t>(next_free_, blocks_in_file());
  std::string buf;
  if (!dbase3_) {
    buf.resize(8);
    auto* p = reinterpret_cast<unsigned char*>(buf.data());
    p[0] = 0xFF;
    p[1] = 0xFF;
    p[2] = 0x08;
    p[3] = 0x00;
    Put32(p + 4, uint32_t(data.size() + 8));
    buf += data;
  } else {
    buf = data;
    buf += "\x1A\x1A";
  }
  uint64_t blocks = (buf.size() + block_size_ - 1) / block_size_;
  if (first + blocks > 0xFFFFFFFFull) return Fail("メモファイルが大きすぎます");
  buf.resize(size_t(blocks * block_size_), '\0');
  if (!file_.WriteAt(first * block_size_, buf.data(), buf.size()))
    return Fail("メモの書き込みに失敗しました");
  uint32_t next = uint32_t(first + blocks);
  header_behind_ = true;
  next_free_ = next;
  size_ = std::max<uint64_t>(size_, uint64_t(next) * block_size_);
  // The read-ahead buffer may hold the old end of the file (or the header).
  ra_.clear();
  ra_off_ = 0;
  *block = uint32_t(first);
  return Status::Ok();
}

bool ParseMemoPointer(const char* p, int width, uint32_t* block) {
  uint64_t v = 0;
  bool digits = false, after = false;
  for (int i = 0; i < width; ++i) {
    char c = p[i];
    if (c == ' ' || c == '\0') {
      if (digits) after = true;
      continue;
    }
    if (c < '0' || c > '9' || after) return false;
    digits = true;
    v = v * 10 + uint64_t(c - '0');
    if (v > 0xFFFFFFFFull) return false;
  }
  *block = uint32_t(v);
  return true;
}

}  // namespace sk::store
