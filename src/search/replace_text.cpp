#include "search/replace_text.h"

#include "search/find_scan.h"

namespace sk::search {

namespace {
constexpr size_t npos = std::string::npos;
}  // namespace

ReplaceText::ReplaceText(std::string text, bool downward)
    : source_(std::move(text)), downward_(downward), cut_(source_.size()) {}

size_t ReplaceText::FindNext(std::string_view needle, size_t from_or_limit, bool match_case) const {
  if (!downward_)
    return RFindPlain(std::string_view(source_).substr(0, cut_), needle,
                      std::min(from_or_limit, cut_), match_case);
  // The finished part ends on a character boundary of the source; the search goes on there.
  if (from_or_limit < done_.size()) from_or_limit = done_.size();
  const size_t p = FindPlain(source_, needle, from_ + (from_or_limit - done_.size()), match_case);
  return p == npos ? npos : done_.size() + (p - from_);
}

std::string ReplaceText::Replace(size_t pos, size_t length, std::string_view with) {
  changed_ = true;
  if (downward_) {
    const size_t at = from_ + (pos - done_.size());
    done_.append(source_, from_, at - from_);
    done_.append(with);
    from_ = at + length;
    return source_.substr(at, length);
  }
  tail_.push_back(source_.substr(pos + length, cut_ - (pos + length)));
  tail_.emplace_back(with);
  cut_ = pos;
  return source_.substr(pos, length);
}

void ReplaceText::Skip(size_t pos, size_t length) {
  if (!downward_) return;
  const size_t at = from_ + (pos - done_.size());
  done_.append(source_, from_, at + length - from_);
  from_ = at + length;
}

std::string ReplaceText::Text() const {
  if (downward_) {
    std::string out = done_;
    out.append(source_, from_);
    return out;
  }
  std::string out = source_.substr(0, cut_);
  for (auto it = tail_.rbegin(); it != tail_.rend(); ++it) out += *it;
  return out;
}

}  // namespace sk::search
