#include "editor/undo_list.h"

#include <algorithm>

#include "convert/sjis.h"

namespace sk::editor {

namespace {

// Length of the character that ends at pos (a CR LF counts as one).
int CharLenBefore(std::string_view text, int pos) {
  if (pos >= 2 && text[size_t(pos) - 1] == '\n' && text[size_t(pos) - 2] == '\r') return 2;
  // Walk from the start of the line: a trail byte may look like a lead byte.
  size_t line = text.rfind('\n', size_t(pos) - 1);
  size_t i = line == std::string_view::npos ? 0 : line + 1;
  int last = 1;
  while (i < size_t(pos)) {
    size_t n = std::max<size_t>(1, sjis::CharLen(text, i));
    last = int(std::min(n, size_t(pos) - i));
    i += n;
  }
  return last;
}

// Length of the character at pos: 2 for a double-byte character, 0 at the end or at a CR.
int CharLenAt(std::string_view text, int pos) {
  if (pos >= int(text.size()) || text[size_t(pos)] == '\r') return 0;
  return int(std::max<size_t>(1, sjis::CharLen(text, size_t(pos))));
}

}  // namespace

std::optional<UndoRecord> BuildUndoRecord(std::string_view text, int sel_start, int sel_length,
                                          std::string_view insert, bool backspace,
                                          bool insert_mode) {
  const int size = int(text.size());
  const int c = std::clamp(sel_start, 0, size);
  const int len = std::clamp(sel_length, 0, size - c);
  UndoRecord r;
  if (backspace && len == 0) {
    if (c == 0) return std::nullopt;
    const int n = CharLenBefore(text, c);
    r.StartPos = c - n;
    r.OldText = std::string(text.substr(size_t(c - n), size_t(n)));
    r.SelStartBefore = c;
    r.SelStartAfter = r.StartPos;
  } else {
    r.StartPos = r.SelStartBefore = c;
    r.SelStartAfter = backspace ? c : c + int(insert.size());
    if (insert_mode || len > 0)
      r.OldText = std::string(text.substr(size_t(c), size_t(len)));
    else
      r.OldText = std::string(text.substr(size_t(c), size_t(CharLenAt(text, c))));
  }
  r.SelLengthBefore = sel_length;
  r.NewText = std::string(insert);
  return r;
}

UndoRecord DiffUndoRecord(std::string_view before, std::string_view after) {
  size_t prefix = 0;
  const size_t shorter = std::min(before.size(), after.size());
  // Compare whole characters so that a change never starts inside one.
  while (prefix < shorter) {
    size_t n = std::max<size_t>(1, sjis::CharLen(before, prefix));
    if (prefix + n > shorter || before.substr(prefix, n) != after.substr(prefix, n)) break;
    prefix += n;
  }
  if (prefix > 0 && before[prefix - 1] == '\r') --prefix;  // never between CR and LF
  size_t suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  // The common tail must start on a character boundary of both texts.
  while (suffix > 0 && !(sjis::IsCharBoundary(before, before.size() - suffix) &&
                         sjis::IsCharBoundary(after, after.size() - suffix) &&
                         before[before.size() - suffix] != '\n'))
    --suffix;
  UndoRecord r;
  r.StartPos = int(prefix);
  r.OldText = std::string(before.substr(prefix, before.size() - suffix - prefix));
  r.NewText = std::string(after.substr(prefix, after.size() - suffix - prefix));
  r.SelStartBefore = r.StartPos;
  r.SelLengthBefore = int(r.OldText.size());
  r.SelStartAfter = r.StartPos + int(r.NewText.size());
  return r;
}

void UndoList::AddUndoInfo(UndoRecord r) {
  ++index_;
  records_.resize(size_t(index_));
  records_.push_back(std::move(r));
}

void UndoList::ResetUndoBuf() {
  records_.clear();
  records_.shrink_to_fit();
  records_.reserve(500);
  index_ = -1;
}

const UndoRecord* UndoList::TakeUndo() {
  while (index_ > 0 && records_[size_t(index_)].Empty()) --index_;
  if (index_ < 0) return nullptr;
  return &records_[size_t(index_--)];
}

const UndoRecord* UndoList::TakeRedo() {
  while (index_ + 1 < Count() && records_[size_t(index_ + 1)].Empty()) ++index_;
  if (index_ + 1 >= Count()) return nullptr;
  return &records_[size_t(++index_)];
}

}  // namespace sk::editor
