// The back-and-forward history of visited pages and the memory of where the caret stood on each.
// Neither is stored: both are emptied when a page file is closed.
#pragma once

#include <array>
#include <functional>
#include <vector>

namespace sk::browse {

class PageHistory {
 public:
  static constexpr int kSize = 100;

  void Reset() {
    pos_ = -1;
    count_ = 0;
  }
  // Records page `recno` as the page being left: appended unless it is the entry at the current
  // position; a new entry drops the forward part, and the oldest entry when the history is full.
  void Record(int recno, bool navigating);
  // One step back / forward: tries the entries in turn with `go` (true when the page could be
  // shown), dropping every entry that fails.  Returns false when there was nothing to step to.
  // When every entry failed the history is empty afterwards (pos() == -1).
  bool Back(const std::function<bool(int)>& go);
  bool Forward(const std::function<bool(int)>& go);
  // Removes the entry at the current position (its page was deleted).
  void RemoveCurrent();
  // The pages took new numbers (slimming): each entry takes map(its number); an entry mapped to
  // 0 or less is dropped, and the position stays on the same page (or the one before it).
  void Renumber(const std::function<int(int)>& map);

  int pos() const { return pos_; }
  int count() const { return count_; }
  int at(int i) const { return entries_[size_t(i)]; }
  bool CanBack() const { return pos_ > 0; }
  bool CanForward() const { return pos_ < count_ - 1; }

 private:
  void RemoveAt(int i);

  std::array<int, kSize> entries_{};
  int pos_ = -1;
  int count_ = 0;
};

// Where the caret and the picture stood on each visited page, up to 200 pages.
struct PagePosition {
  int recno = 0;
  int sel_start = 0;
  int sel_length = 0;
  int image_num = 0;
  bool operator==(const PagePosition&) const = default;
};

class PagePositionList {
 public:
  static constexpr size_t kSize = 200;

  void Reset() { entries_.clear(); }
  // Stores the position of a page, replacing its entry or adding one (dropping the oldest when
  // the list is full).
  void Remember(const PagePosition& p);
  // The remembered position of a page, nullptr when none.
  const PagePosition* Find(int recno) const;
  // As PageHistory::Renumber.
  void Renumber(const std::function<int(int)>& map);
  const std::vector<PagePosition>& entries() const { return entries_; }

 private:
  std::vector<PagePosition> entries_;
};

}  // namespace sk::browse
