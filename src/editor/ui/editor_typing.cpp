// Typing, the input method, and undo and redo: every edit is recorded before the text changes.
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTextCursor>
#include <QTimer>

#include "convert/sjis.h"
#include "editor/ui/text_editor.h"

namespace sk::editor {

namespace {

const QString kInsert = QStringLiteral("挿入");
const QString kOverwrite = QStringLiteral("上書き");
const QString kModified = QStringLiteral("変更あり");

bool HasBreak(std::string_view s) { return s.find('\n') != std::string_view::npos; }

// Bytes of the first n characters of s.
size_t CharsPrefix(std::string_view s, int n) {
  size_t i = 0;
  for (; n > 0 && i < s.size(); --n) i += std::max<size_t>(1, sjis::CharLen(s, i));
  return std::min(i, s.size());
}

}  // namespace

// ---- recording ------------------------------------------------------------------------------

bool TextEditor::SetUndoInfo(std::string_view insert, int sel_length, bool backspace,
                             int force_insert) {
  if (!host_->FileIsOpen()) return false;
  const bool insert_mode = force_insert < 0 ? InsertMode : force_insert != 0;
  std::optional<UndoRecord> r = BuildUndoRecord(area_.Positions().bytes(), area_.SelStart(),
                                                area_.SelLength(), insert, backspace, insert_mode);
  if (!r) return false;
  r->SelLengthBefore = sel_length;
  AddUndoInfo(std::move(*r));
  return true;
}

std::optional<UndoRecord> TextEditor::RecordAndEdit(std::string_view insert, int sel_length,
                                                    bool backspace, int force_insert) {
  if (!SetUndoInfo(insert, sel_length, backspace, force_insert)) return std::nullopt;
  UndoRecord r = *undo_.Newest();
  Replace(r.StartPos, int(r.OldText.size()), r.NewText);
  AfterEdit(r.StartPos, r.NewText, r.OldText);
  return r;
}

void TextEditor::AddUndoInfo(UndoRecord r) {
  undo_.AddUndoInfo(std::move(r));
  ShowUndoState();
}

void TextEditor::ResetUndoBuf() {
  undo_.ResetUndoBuf();
  host_->SetUndoEnabled(false, false);
  in_composition_ = false;
  composition_replaced_.clear();
  composition_removed_selection_ = false;
  overwrite_tail_.clear();
}

void TextEditor::ShowUndoState() {
  host_->SetStatusText(2, undo_.UndoIndex() < 0 ? QString() : kModified);
  host_->SetUndoEnabled(undo_.CanUndo(), undo_.CanRedo());
}

void TextEditor::Replace(int pos, int len, std::string_view text) {
  TextArea::TrackedEdit tracked(area_);
  area_.SetSelStart(pos);
  area_.SetSelLength(len);
  area_.SetSelText(text);
  area_.ensureCursorVisible();
}

void TextEditor::AfterEdit(int start, std::string_view inserted, std::string_view removed) {
  if (!InItemizeMode()) return;
  if (!HasBreak(inserted) && !HasBreak(removed)) {
    IndentCheckB(start);
    return;
  }
  // The paragraph where the change starts and every one the inserted text begins, as one edit
  // of the document, so that it is laid out once and not once per paragraph.
  QTextCursor batch(area_.document());
  batch.beginEditBlock();
  SetIndent(start);
  for (size_t i = inserted.find('\n'); i != std::string_view::npos; i = inserted.find('\n', i + 1))
    SetIndent(start + int(i) + 1);
  batch.endEditBlock();
}

void TextEditor::UntrackedEdit(const std::string& before) {
  UndoRecord r = DiffUndoRecord(before, area_.Text());
  if (r.Empty()) return;
  AddUndoInfo(r);
  // The document is still in the middle of its change: the indents follow right after.
  QTimer::singleShot(0, this, [this, r] { AfterEdit(r.StartPos, r.NewText, r.OldText); });
}

// ---- keys -----------------------------------------------------------------------------------

bool TextEditor::KeyDown(QKeyEvent* e) {
  if (!host_->FileIsOpen()) return false;
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  const int key = e->key();
  if (e->matches(QKeySequence::Undo) || (key == Qt::Key_Backspace && mods == Qt::AltModifier)) {
    Undo();
    return true;
  }
  if (e->matches(QKeySequence::Redo) ||
      (key == Qt::Key_Backspace && mods == (Qt::AltModifier | Qt::ShiftModifier))) {
    UndoUndo();
    return true;
  }
  if (e->matches(QKeySequence::Cut)) {
    Cut();
    return true;
  }
  if (e->matches(QKeySequence::Copy)) {
    Copy();
    return true;
  }
  if (e->matches(QKeySequence::Paste)) {
    Paste();
    return true;
  }
  const bool plain = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
  switch (key) {
    case Qt::Key_Backspace:
      if (!plain) return false;
      Backspace();
      return true;
    case Qt::Key_Delete:
      if (mods == Qt::ControlModifier) {
        DeleteSelection();
        return true;
      }
      if (mods != Qt::NoModifier) return false;
      DeleteKey();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!plain) return false;
      Enter();
      return true;
    case Qt::Key_Insert:
      if (mods != Qt::NoModifier) return false;
      InsertMode = !InsertMode;
      area_.setOverwriteMode(!InsertMode);  // the wide caret; typing is done here either way
      host_->SetStatusText(1, InsertMode ? kInsert : kOverwrite);
      return true;
    case Qt::Key_Escape:
      host_->SavePageFields();
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
      TypeText(QStringLiteral("\t"));
      return true;
    default:
      break;
  }
  const QString text = e->text();
  if (text.isEmpty() || !text.at(0).isPrint()) return false;
  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  TypeText(text);
  return true;
}

void TextEditor::TypeText(const QString& text) {
  QStringList refused;
  const QString accepted = RemoveUnencodable(text, &refused);
  if (!refused.isEmpty()) area_.Refuse(refused);
  if (accepted.isEmpty()) return;
  if (!conf_.DeleteSelectedStr && area_.SelLength() > 0) area_.SetSelStart(area_.SelStart());
  const std::string bytes = TextPositions(accepted).bytes();
  RecordAndEdit(bytes, area_.SelLength(), false);
}

void TextEditor::Backspace() {
  if (area_.TextLength() == 0) return;
  if (area_.SelLength() == 0 && area_.SelStart() == 0) return;
  RecordAndEdit({}, area_.SelLength(), true);
}

void TextEditor::DeleteKey() {
  const int length = area_.TextLength();
  if (length == 0) return;
  const int c = area_.SelStart(), len = area_.SelLength();
  if (len == 0) {
    if (c >= length) return;
    // The character at the caret; before a line break the whole CR LF.
    const std::string& t = area_.Positions().bytes();
    const int n = t[size_t(c)] == '\r' ? 2 : int(std::max<size_t>(1, sjis::CharLen(t, size_t(c))));
    area_.SetSelLength(n);
  }
  RecordAndEdit({}, len, false, 0);
}

void TextEditor::Enter() {
  if (!conf_.DeleteSelectedStr && area_.SelLength() > 0) area_.SetSelStart(area_.SelStart());
  RecordAndEdit("\r\n", area_.SelLength(), false, 1);
}

// ---- input method ---------------------------------------------------------------------------

bool TextEditor::InputMethod(QInputMethodEvent* e) {
  if (!host_->FileIsOpen()) return false;
  const QString commit = e->commitString();
  const QString preedit = e->preeditString();
  if (!in_composition_ && commit.isEmpty() && preedit.isEmpty()) return false;
  if (!in_composition_) StartComposition();
  if (!commit.isEmpty()) EndOfIME(commit);
  QInputMethodEvent rest(preedit, e->attributes());
  area_.BaseInputMethod(&rest);
  if (preedit.isEmpty()) {
    // The composition is over; a cancelled one puts back what it had replaced.
    if (composition_removed_selection_) CancelComposition();
    in_composition_ = false;
  }
  return true;
}

void TextEditor::StartComposition() {
  if (!conf_.DeleteSelectedStr && area_.SelLength() > 0) area_.SetSelStart(area_.SelStart());
  composition_start_ = area_.SelStart();
  composition_replaced_ = area_.SelText();
  composition_removed_selection_ = false;
  if (!composition_replaced_.empty()) {
    // The composition takes the selection's place; it comes back if nothing is committed.
    Replace(composition_start_, int(composition_replaced_.size()), {});
    composition_removed_selection_ = true;
  }
  overwrite_tail_.clear();
  if (!InsertMode) {
    const std::string& t = area_.Positions().bytes();
    const size_t from = size_t(composition_start_);
    const size_t cr = t.find('\r', from);
    overwrite_tail_ = t.substr(from, (cr == std::string::npos ? t.size() : cr) - from);
  }
  in_composition_ = true;
}

void TextEditor::CompositionFollowsCaret() {
  int caret = area_.SelStart();
  if (caret == composition_start_ && area_.SelLength() == 0) return;
  // The caret moved while composing (a click the input method did not end the composition for):
  // the result goes where the caret is now, and a selection it had replaced goes back first.
  if (composition_removed_selection_) {
    if (caret > composition_start_) caret += int(composition_replaced_.size());
    CancelComposition();
  }
  area_.SetSelStart(caret);
  composition_replaced_.clear();
  StartComposition();
}

void TextEditor::EndOfIME(const QString& result) {
  QStringList refused;
  const QString accepted = RemoveUnencodable(result, &refused);
  if (!refused.isEmpty()) area_.Refuse(refused);
  if (accepted.isEmpty()) return;
  CompositionFollowsCaret();
  const std::string bytes = TextPositions(accepted).bytes();
  int chars = 0;
  for (size_t i = 0; i < bytes.size(); ++chars) i += std::max<size_t>(1, sjis::CharLen(bytes, i));
  const size_t tail = InsertMode ? 0 : CharsPrefix(overwrite_tail_, chars);
  UndoRecord r;
  r.StartPos = r.SelStartBefore = composition_start_;
  r.SelLengthBefore = int(composition_replaced_.size());
  r.SelStartAfter = composition_start_ + int(bytes.size());
  r.OldText = composition_replaced_ + overwrite_tail_.substr(0, tail);
  r.NewText = bytes;
  AddUndoInfo(r);
  Replace(composition_start_, int(tail), bytes);
  composition_start_ += int(bytes.size());
  composition_replaced_.clear();
  composition_removed_selection_ = false;
  overwrite_tail_.erase(0, tail);
  AfterEdit(r.StartPos, r.NewText, r.OldText);
}

void TextEditor::CancelComposition() {
  Replace(composition_start_, 0, composition_replaced_);
  area_.SetSelStart(composition_start_);
  area_.SetSelLength(int(composition_replaced_.size()));
  composition_replaced_.clear();
  composition_removed_selection_ = false;
}

// ---- undo and redo --------------------------------------------------------------------------

void TextEditor::ApplyRecord(const UndoRecord& r, bool undo) {
  const std::string& removed = undo ? r.NewText : r.OldText;
  const std::string& put = undo ? r.OldText : r.NewText;
  const std::string& text = area_.Positions().bytes();
  if (size_t(r.StartPos) + removed.size() > text.size() ||
      text.compare(size_t(r.StartPos), removed.size(), removed) != 0) {
    // The text no longer matches the history: applying it would damage the page.
    QApplication::beep();
    ResetUndoBuf();
    ShowUndoState();
    return;
  }
  Replace(r.StartPos, int(removed.size()), put);
  AfterEdit(r.StartPos, put, removed);
  if (undo)
    GotoSelStart(r.SelStartBefore, r.SelLengthBefore);
  else
    GotoSelStart(r.SelStartAfter, 0);
  ShowUndoState();
}

void TextEditor::Undo() {
  if (!host_->FileIsOpen() || in_composition_) return;
  if (const UndoRecord* r = undo_.TakeUndo()) ApplyRecord(*r, true);
  ShowUndoState();
}

void TextEditor::UndoUndo() {
  if (!host_->FileIsOpen() || in_composition_) return;
  if (const UndoRecord* r = undo_.TakeRedo()) ApplyRecord(*r, false);
  ShowUndoState();
}

}  // namespace sk::editor
