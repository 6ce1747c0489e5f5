#include "browse/page_history.h"

#include <algorithm>

namespace sk::browse {

void PageHistory::Record(int recno, bool navigating) {
  if (pos_ < 0 || entries_[size_t(pos_)] != recno) {
    if (pos_ == kSize - 1) {
      std::move(entries_.begin() + 1, entries_.end(), entries_.begin());
    } else {
      ++pos_;
    }
    entries_[size_t(pos_)] = recno;
    count_ = pos_ + 1;
  } else if (!navigating) {
    count_ = pos_ + 1;
  }
}

void PageHistory::RemoveAt(int i) {
  std::move(entries_.begin() + i + 1, entries_.begin() + count_, entries_.begin() + i);
  --count_;
}

void PageHistory::RemoveCurrent() {
  if (pos_ < 0 || pos_ >= count_) return;
  RemoveAt(pos_);
  if (count_ == 0)
    pos_ = -1;
  else if (pos_ >= count_)
    pos_ = count_ - 1;
}

void PageHistory::Renumber(const std::function<int(int)>& map) {
  int kept = 0, pos = -1;
  for (int i = 0; i < count_; ++i) {
    int n = map(entries_[size_t(i)]);
    if (n <= 0) continue;
    // A dropped page can leave two visits of one page side by side: they become one entry.
    if (kept > 0 && entries_[size_t(kept - 1)] == n) {
      if (i <= pos_) pos = kept - 1;
      continue;
    }
    entries_[size_t(kept)] = n;
    if (i <= pos_) pos = kept;
    ++kept;
  }
  count_ = kept;
  pos_ = kept == 0 ? -1 : std::max(pos, 0);
}

bool PageHistory::Back(const std::function<bool(int)>& go) {
  if (pos_ <= 0) return false;
  --pos_;
  // From the entry before the current one down to the oldest.
  for (int i = pos_; i >= 0; --i) {
    if (go(entries_[size_t(i)])) {
      pos_ = i;
      return true;
    }
    RemoveAt(i);
  }
  // Nothing behind could be shown: try what is left from the oldest on.
  while (count_ > 0) {
    if (go(entries_[0])) {
      pos_ = 0;
      return true;
    }
    RemoveAt(0);
  }
  pos_ = -1;
  return true;
}

bool PageHistory::Forward(const std::function<bool(int)>& go) {
  if (pos_ >= count_ - 1) return false;
  int i = pos_ + 1;
  while (i < count_ && !go(entries_[size_t(i)])) RemoveAt(i);
  if (i < count_) {
    pos_ = i;
    return true;
  }
  // Nothing ahead could be shown: the last entries, from the newest down.
  while (count_ > 0) {
    if (go(entries_[size_t(count_ - 1)])) {
      pos_ = count_ - 1;
      return true;
    }
    --count_;
  }
  pos_ = -1;
  return true;
}

void PagePositionList::Remember(const PagePosition& p) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const PagePosition& e) { return e.recno == p.recno; });
  if (it != entries_.end()) {
    *it = p;
    return;
  }
  if (entries_.size() >= kSize) entries_.erase(entries_.begin());
  entries_.push_back(p);
}

void PagePositionList::Renumber(const std::function<int(int)>& map) {
  std::vector<PagePosition> kept;
  for (PagePosition p : entries_) {
    p.recno = map(p.recno);
    if (p.recno > 0) kept.push_back(p);
  }
  entries_ = std::move(kept);
}

const PagePosition* PagePositionList::Find(int recno) const {
  for (const PagePosition& e : entries_)
    if (e.recno == recno) return &e;
  return nullptr;
}

}  // namespace sk::browse
