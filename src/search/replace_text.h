// The text of one page while a replace runs over it.  A run goes one way only: downward, every
// hit after the last one, or upward, every hit before it.  The replaced text is assembled as the
// run goes (downward: the finished part grows at its end; upward: the pieces after each hit are
// kept and joined once), so a run with many hits costs the text once, not once per hit.
// Positions are byte offsets in the text as replaced so far.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sk::search {

class ReplaceText {
 public:
  ReplaceText() = default;
  ReplaceText(std::string text, bool downward);

  // The next hit of needle (lower-cased on both sides unless match_case, whole characters):
  // downward the first at or after `from`, upward the last within the first `limit` bytes;
  // npos when there is none.  Downward positions never go back before the last hit.
  size_t FindNext(std::string_view needle, size_t from_or_limit, bool match_case) const;
  // Replaces the `length` bytes at `pos`, the hit just found, by `with`; returns what was there.
  std::string Replace(size_t pos, size_t length, std::string_view with);
  // Goes past the hit at `pos` without replacing it (downward; upward nothing changes).
  void Skip(size_t pos, size_t length);

  bool changed() const { return changed_; }
  // The whole text as replaced so far.
  std::string Text() const;

 private:
  // Downward: the new text is done_ + source_[from_...).  Upward: the new text is
  // source_[0, cut_) followed by tail_ read backwards.
  std::string source_;
  bool downward_ = true;
  std::string done_;
  size_t from_ = 0;
  size_t cut_ = 0;
  std::vector<std::string> tail_;
  bool changed_ = false;
};

}  // namespace sk::search
