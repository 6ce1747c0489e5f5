// The clipboard commands of the text area, and opening the links in the text.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>

#include "convert/cp932.h"
#include "editor/links.h"
#include "editor/ui/text_editor.h"

namespace sk::editor {

namespace {

// Page text (CP932, CR LF) onto the clipboard as plain text with the platform's line ends.
void PutOnClipboard(std::string_view bytes) {
  auto* data = new QMimeData;
  data->setText(cp932::Decode(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  QApplication::clipboard()->setMimeData(data);
}

}  // namespace

void TextEditor::Copy() {
  if (area_.SelLength() == 0) return;
  PutOnClipboard(area_.SelText());
  if (conf_.UnselectAfterCopy) area_.SetSelStart(area_.SelStart());
}

void TextEditor::DeleteSelection() {
  const int len = area_.SelLength();
  if (len == 0 || !host_->FileIsOpen()) return;
  RecordAndEdit({}, len, false, 0);
}

void TextEditor::Cut() {
  if (area_.SelLength() == 0) return;
  PutOnClipboard(area_.SelText());
  DeleteSelection();
}

void TextEditor::Paste() { Paste(QApplication::clipboard()->text()); }

void TextEditor::Paste(const QString& text) {
  if (text.isEmpty() || !host_->FileIsOpen()) return;
  int replaced = 0;
  const std::string bytes = TextPositions(ReplaceUnencodable(text, &replaced)).bytes();
  if (PasteBytes(bytes) && replaced > 0) emit area_.CharsReplaced(replaced);
}

bool TextEditor::PasteBytes(std::string_view bytes) {
  area_.setFocus();
  pasting_ = true;
  const std::optional<UndoRecord> r = RecordAndEdit(bytes, area_.SelLength(), false, 1);
  pasting_ = false;
  if (!r) return false;
  CaretAfterPaste(r->StartPos, int(bytes.size()));
  return true;
}

void TextEditor::CaretAfterPaste(int start, int length) {
  GotoSelStart(conf_.CurSorPosAfterPaste != 0 ? start + length : start, 0);
}

void TextEditor::ConvertSelection(const Conversion& convert) {
  if (area_.SelLength() == 0 || !host_->FileIsOpen()) return;
  const std::string before = area_.SelText();
  const std::string after = convert(before);
  if (after != before)
    PasteBytes(after);
  else
    CaretAfterPaste(area_.SelStart(), int(after.size()));
}

void TextEditor::ConvertSelectionOrAll(const Conversion& convert) {
  if (!host_->FileIsOpen()) return;
  const int start = area_.SelStart();
  if (area_.SelLength() == 0) SelectAll();
  ConvertSelection(convert);
  GotoSelStart(start, 0);
}

void TextEditor::AppendAtEnd(std::string_view bytes) {
  if (bytes.empty() || !host_->FileIsOpen()) return;
  area_.SetSelStart(area_.TextLength());
  area_.setFocus();
  pasting_ = true;
  RecordAndEdit(bytes, 0, false, 1);
  pasting_ = false;
  GotoSelStart(area_.TextLength(), 0);
}

void TextEditor::Drop(const QString& text, int char_pos, bool move) {
  int at = area_.ByteFromChar(char_pos);
  const int s = area_.SelStart(), len = area_.SelLength();
  if (move && len > 0) {
    if (at >= s && at <= s + len) return;  // dropped onto itself
    // A move is two edits: the text taken out, then put in at the drop.
    DeleteSelection();
    if (at > s) at -= len;
  }
  area_.SetSelStart(at);
  Paste(text);
}

void TextEditor::SelectAll() {
  area_.SetSelStart(0);
  area_.SetSelLength(area_.TextLength());
}

void TextEditor::CopyAllText() { PutOnClipboard(area_.Text()); }

// ---- links ----------------------------------------------------------------------------------

void TextEditor::LeftClick() {
  timer3_->start(800);
  if (!conf_.URLMail || area_.SelLength() > 0) return;
  OpenLinkAtCaret();
}

void TextEditor::OpenLinkAtCaret() {
  const std::string& text = area_.Positions().bytes();
  const QTextBlock block = area_.textCursor().block();
  const int start = area_.ByteFromChar(block.position());
  const int end = area_.ByteFromChar(block.position() + int(block.text().size()));
  const int c = area_.SelStart();
  // The caret takes the look of the character before it.
  const LinkSpan* hit = nullptr;
  const std::vector<LinkSpan> links = FindLinks(text, start, end);
  for (const LinkSpan& l : links)
    if (c - 1 >= l.start && c - 1 < l.start + l.length) hit = &l;
  if (!hit) return;
  const bool url = hit->kind == LinkKind::kUrl;
  const LinkTarget t = url ? UrlAtCaret(text, start, end, c) : MailAtCaret(text, start, end, c);
  if (t.result == LinkTarget::kNotUrl) {
    host_->Message(
        QStringLiteral("URL名ではないので，インターネット・ブラウザを開くことができません。"));
    return;
  }
  if (t.result == LinkTarget::kNotMail) {
    if (t.caret_after >= 0) area_.SetSelStart(t.caret_after);
    host_->Message(QStringLiteral("メールアドレスではありません。"));
    return;
  }
  if (t.result != LinkTarget::kOpen) return;
  if (t.caret_after >= 0) area_.SetSelStart(t.caret_after);
  if (LinkClickGuard) return;
  LinkClickGuard = true;
  const QUrl target = QUrl::fromEncoded(QByteArray::fromStdString(t.target), QUrl::TolerantMode);
  if (!host_->OpenUrl(target) && !url)
    host_->Message(QStringLiteral("「通常使うメールソフト」が正しく設定されていません。"));
}

}  // namespace sk::editor
