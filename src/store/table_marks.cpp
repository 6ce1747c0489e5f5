// The filter's answers kept as one bit per record, and the few marked records of a tag's order
// in their keys' order: what lets the cursor step through a selection without reading records.
#include <algorithm>

#include "store/table.h"

namespace sk::store {

Status Table::MarkFiltered(const Progress& progress, bool* cancelled) {
  if (cancelled) *cancelled = false;
  Status st = CheckActive();
  if (!st.ok()) return st;
  st = Settle();
  if (!st.ok()) return st;
  if (!filter_) {
    DropMarks();
    return Status::Ok();
  }
  // The records are tested where they lie in the read cache, as PhysicalScan does; the hook
  // sees each one as the current record.
  constexpr uint32_t kProgressStep = 8192;
  const uint32_t n = dbf_.record_count();
  const ptrdiff_t len = dbf_.record_length();
  std::vector<uint64_t> marks(size_t(n) / 64 + 1, 0);
  uint32_t count = 0;
  const uint32_t saved = cur_;
  const bool was_filtered = filtered_;
  filtered_ = true;  // AcceptBytes asks the hook only while the filter is on
  bool stopped = false;
  for (uint32_t r = 1; r <= n && st.ok();) {
    if (progress && (r - 1) % kProgressStep == 0 && !progress(r - 1, n)) {
      stopped = true;
      break;
    }
    const char* rec = nullptr;
    uint32_t run = 0;
    st = dbf_.ViewRun(r, true, &rec, &run);
    if (!st.ok()) break;
    if (run == 0) {  // a record across two chunks
      std::string_view v;
      st = dbf_.ViewRecord(r, &v, &spill_);
      if (!st.ok()) break;
      rec = v.data();
      run = 1;
    }
    run = std::min(run, kProgressStep - (r - 1) % kProgressStep);
    for (uint32_t i = 0; i < run; ++i, ++r, rec += len) {
      cur_ = r;
      loaded_ = false;
      if (AcceptBytes(rec)) {
        marks[r >> 6] |= uint64_t(1) << (r & 63);
        ++count;
      }
    }
  }
  filtered_ = was_filtered;
  cur_ = saved;
  loaded_ = false;
  memos_.clear();
  if (!st.ok()) return st;
  if (stopped) {
    if (cancelled) *cancelled = true;
    return Status::Ok();
  }
  if (progress) progress(n, n);
  marks_ = std::move(marks);
  marked_ = count;
  marks_valid_ = true;
  return Status::Ok();
}

bool Table::UseMarks() const {
  // A record added past the marks (by no path of this class) falls back to asking the filter.
  return filtered_ && marks_valid_ && size_t(dbf_.record_count()) < marks_.size() * 64;
}

void Table::SetMark(uint32_t recno, bool on) {
  if (size_t(recno) >= marks_.size() * 64) marks_.resize(size_t(recno) / 64 + 1, 0);
  uint64_t& word = marks_[recno >> 6];
  const uint64_t bit = uint64_t(1) << (recno & 63);
  if (bool(word & bit) == on) return;
  word ^= bit;
  sparse_tag_ = -1;
  if (on)
    ++marked_;
  else
    --marked_;
}

void Table::MarkWritten(uint32_t recno, bool on, const std::string& rec) {
  const int sparse = sparse_tag_;
  SetMark(recno, on);
  if (sparse < 0) return;
  auto it = std::find_if(sparse_.begin(), sparse_.end(),
                         [&](const auto& e) { return e.second == recno; });
  if (it != sparse_.end()) sparse_.erase(it);
  if (on) {
    const TagDef& tag = Tags()[size_t(sparse)];
    std::string key = MakeKey(tag, dbf_.fields(), rec);
    const auto k = reinterpret_cast<const unsigned char*>(key.data());
    auto pos = std::partition_point(sparse_.begin(), sparse_.end(), [&](const auto& e) {
      int c = CompareKeys(tag, reinterpret_cast<const unsigned char*>(e.first.data()), k);
      return c < 0 || (c == 0 && e.second < recno);
    });
    sparse_.insert(pos, {std::move(key), recno});
  }
  sparse_tag_ = sparse;
}

void Table::RemarkCurrent() {
  if (!marks_valid_ || cur_ == 0) return;
  // buf_ holds the record as written: the hook reads it as the current record.
  in_filter_ = true;
  filter_view_ = buf_;
  bool ok = buf_[0] != '*' && filter_(*this);
  in_filter_ = false;
  filter_view_ = {};
  MarkWritten(cur_, ok, buf_);
}

void Table::DropMarks() {
  marks_.clear();
  marks_.shrink_to_fit();
  marks_valid_ = false;
  marked_ = 0;
  sparse_.clear();
  sparse_tag_ = -1;
}

uint32_t Table::NextMarked(uint32_t from, bool forward) const {
  const uint32_t n = dbf_.record_count();
  if (from < 1 || from > n || marked_ == 0) return 0;
  if (forward) {
    size_t w = from >> 6;
    uint64_t word = marks_[w] & (~uint64_t(0) << (from & 63));
    while (true) {
      if (word) {
        uint32_t r = uint32_t(w * 64 + size_t(__builtin_ctzll(word)));
        return r <= n ? r : 0;
      }
      if (++w >= marks_.size()) return 0;
      word = marks_[w];
    }
  }
  size_t w = from >> 6;
  uint64_t word = marks_[w] & (~uint64_t(0) >> (63 - (from & 63)));
  while (true) {
    if (word) {
      uint32_t r = uint32_t(w * 64 + size_t(63 - __builtin_clzll(word)));
      return r >= 1 ? r : 0;
    }
    if (w == 0) return 0;
    word = marks_[--w];
  }
}

bool Table::SparseReady() {
  // Worth it while the marked records are few: reading them costs less than walking the tag.
  constexpr uint32_t kMaxSparse = 100000;
  if (!UseMarks() || !index_usable_ || marked_ > kMaxSparse ||
      uint64_t(marked_) * 8 > dbf_.record_count())
    return false;
  if (sparse_tag_ == tag_) return true;
  const TagDef& tag = Tags()[size_t(tag_)];
  std::vector<std::pair<std::string, uint32_t>> v;
  v.reserve(marked_);
  std::string spill, rec;
  for (uint32_t r = NextMarked(1, true); r != 0; r = NextMarked(r + 1, true)) {
    std::string_view view;
    if (!dbf_.ViewRecord(r, &view, &spill).ok()) return false;  // the tag walk reports it
    rec.assign(view);
    v.emplace_back(MakeKey(tag, dbf_.fields(), rec), r);
  }
  std::sort(v.begin(), v.end(), [&](const auto& a, const auto& b) {
    int c = CompareKeys(tag, reinterpret_cast<const unsigned char*>(a.first.data()),
                        reinterpret_cast<const unsigned char*>(b.first.data()));
    return c < 0 || (c == 0 && a.second < b.second);
  });
  sparse_ = std::move(v);
  sparse_tag_ = tag_;
  return true;
}

Status Table::SparseStep(bool forward, bool* moved) {
  *moved = false;
  Status st = LoadCurrent();
  if (!st.ok()) return st;
  // The current record need not be marked (it may have left the selection or been deleted):
  // its place is found by its key as the file holds it.
  const TagDef& tag = Tags()[size_t(tag_)];
  const std::string key = MakeKey(tag, dbf_.fields(), orig_);
  const auto k = reinterpret_cast<const unsigned char*>(key.data());
  auto before = [&](const std::pair<std::string, uint32_t>& e) {  // e sorts before the current
    int c = CompareKeys(tag, reinterpret_cast<const unsigned char*>(e.first.data()), k);
    return c < 0 || (c == 0 && e.second < cur_);
  };
  auto it = std::partition_point(sparse_.begin(), sparse_.end(), before);
  if (forward) {
    if (it != sparse_.end() && it->second == cur_) ++it;
    if (it == sparse_.end()) return Status::Ok();
  } else {
    if (it == sparse_.begin()) return Status::Ok();
    --it;
  }
  cur_ = it->second;
  loaded_ = false;
  memos_.clear();
  cursor_valid_ = false;  // the tag's cursor is placed again when it is needed
  *moved = true;
  return Status::Ok();
}

void Table::SparseEdge(bool last, bool* found) {
  *found = !sparse_.empty();
  cursor_valid_ = false;
  if (!*found) return;
  cur_ = last ? sparse_.back().second : sparse_.front().second;
  loaded_ = false;
  memos_.clear();
}

}  // namespace sk::store
