#include "editor/ui/text_area.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QColor>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

#include "convert/cp932.h"
#include "editor/ui/ime_switch.h"
#include "editor/ui/unencodable_input.h"

namespace sk::editor {

namespace {

// The input method's uncommitted text sits inside a block's layout text, not in the document.
// These convert between a position in the block's document text and one in its layout text.
int LayoutFromBlockPos(const QTextLayout* layout, int pos) {
  const int len = int(layout->preeditAreaText().size());
  const int at = layout->preeditAreaPosition();
  return (len > 0 && at >= 0 && pos > at) ? pos + len : pos;
}
int BlockFromLayoutPos(const QTextLayout* layout, int pos) {
  const int len = int(layout->preeditAreaText().size());
  const int at = layout->preeditAreaPosition();
  if (len > 0 && at >= 0 && pos > at) return std::max(at, pos - len);
  return pos;
}

int LinesOf(const QTextBlock& block) {
  const QTextLayout* layout = block.layout();
  return layout ? std::max(1, layout->lineCount()) : 1;
}

uint32_t BgrFromColor(const QColor& c) { return BgrFromRgb(c.red(), c.green(), c.blue()); }

}  // namespace

TextArea::TextArea(QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(false);
  setUndoRedoEnabled(false);
  setTabChangesFocus(false);
  setLineWrapMode(QTextEdit::WidgetWidth);
  // Japanese text has no spaces to break at: a long run breaks anywhere.
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QFont f = font();
  f.setFamily(QStringLiteral("ＭＳ 明朝"));
  setFont(f);
  connect(document(), &QTextDocument::contentsChange, this, &TextArea::OnContentsChange);
  connect(this, &QTextEdit::cursorPositionChanged, this, &TextArea::SelectionMoved);
  connect(this, &QTextEdit::selectionChanged, this, &TextArea::SelectionMoved);
}

QColor ColorFromBgr(uint32_t bgr) {
  const Rgb c = RgbFromBgr(bgr);
  return QColor(c.red, c.green, c.blue);
}

// ---- text and positions ----------------------------------------------------------------------

QString TextArea::ReadDocument() const {
  QString out;
  out.reserve(document()->characterCount());
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    if (b != document()->begin()) out.append(QChar(kBreak));
    out.append(b.text());
  }
  return out;
}

QString TextArea::ReadDocument(int from, int length) const {
  QString out;
  const int end = from + length;
  int at = from;
  for (QTextBlock b = document()->findBlock(from); b.isValid() && at < end;) {
    const QString t = b.text();
    const int in_block = at - b.position();
    const int take = std::min(int(t.size()) - in_block, end - at);
    if (take > 0) {
      out.append(QStringView(t).mid(in_block, take));
      at += take;
    }
    if (at >= end) break;
    b = b.next();
    if (!b.isValid()) break;
    out.append(QChar(kBreak));
    ++at;
  }
  return out;
}

void TextArea::OnContentsChange(int pos, int removed, int added) {
  // Restyling a range (an indent, a paragraph format) reports it as removed and added again.
  // Comparing that range alone keeps a pass over many paragraphs from reading the whole text
  // once per paragraph.
  if (removed == added && pos >= 0 && pos <= text_.size()) {
    const int n = std::min(removed, int(text_.size()) - pos);
    if (QStringView(text_).mid(pos, n) == ReadDocument(pos, n)) return;
  }
  // The input method's preedit reports a change too; only a change of the text itself is an
  // edit.
  QString now = ReadDocument();
  if (now == text_) return;
  std::string before;
  const bool untracked = !loading_ && tracking_ == 0 && hooks_ && !isReadOnly();
  if (untracked) before = Positions().bytes();
  text_ = std::move(now);
  positions_.reset();
  if (!loading_) modified_ = true;
  if (untracked) hooks_->UntrackedEdit(before);
}

const TextPositions& TextArea::Positions() const {
  if (!positions_) positions_.emplace(text_);
  return *positions_;
}

std::string TextArea::Text() const { return Positions().bytes(); }

void TextArea::SetText(std::string_view cp932) {
  loading_ = true;
  setPlainText(DocumentText(cp932));
  loading_ = false;
  text_ = ReadDocument();
  positions_.reset();
  composition_.clear();
  modified_ = false;
}

void TextArea::SetText(std::string_view cp932, const BlockFormatOf& format_of) {
  loading_ = true;
  const QStringList paragraphs = DocumentText(cp932).split(QChar(kBreak));
  QTextDocument* doc = document();
  doc->clear();
  QTextCursor c(doc);
  c.beginEditBlock();
  for (qsizetype i = 0; i < paragraphs.size(); ++i) {
    if (i == 0)
      c.setBlockFormat(format_of(paragraphs[i]));
    else
      c.insertBlock(format_of(paragraphs[i]));
    c.insertText(paragraphs[i]);
  }
  c.endEditBlock();
  loading_ = false;
  text_ = ReadDocument();
  positions_.reset();
  composition_.clear();
  modified_ = false;
  QTextCursor start(doc);
  setTextCursor(start);
}

void TextArea::Clear() { SetText({}); }

int TextArea::TextLength() const { return Positions().ByteLength(); }

// ---- selection ---------------------------------------------------------------------------------

int TextArea::SelStart() const { return ByteFromChar(textCursor().selectionStart()); }

void TextArea::SetSelStart(int pos) {
  QTextCursor c = textCursor();
  c.setPosition(CharFromByte(pos));
  setTextCursor(c);
}

int TextArea::SelLength() const {
  const QTextCursor c = textCursor();
  return ByteFromChar(c.selectionEnd()) - ByteFromChar(c.selectionStart());
}

void TextArea::SetSelLength(int len) {
  QTextCursor c = textCursor();
  const int start = c.selectionStart();
  const int end_byte = ByteFromChar(start) + len;
  c.setPosition(start);
  c.setPosition(CharFromByte(end_byte, len > 0), QTextCursor::KeepAnchor);
  setTextCursor(c);
}

std::string TextArea::SelText() const {
  const QTextCursor c = textCursor();
  return Positions().BytesBetween(c.selectionStart(), c.selectionEnd());
}

void TextArea::SetSelText(std::string_view cp932) {
  QTextCursor c = textCursor();
  c.insertText(DocumentText(cp932));
  setTextCursor(c);
}

void TextArea::SelectAllText() { selectAll(); }
void TextArea::CopySel() { copy(); }
void TextArea::CutSel() { cut(); }
void TextArea::PasteClip() { paste(); }

void TextArea::ClearSel() {
  QTextCursor c = textCursor();
  c.removeSelectedText();
  setTextCursor(c);
}

// ---- display lines -----------------------------------------------------------------------------

void TextArea::EnsureLayout() const {
  // Asking for the document's size finishes a layout that runs lazily.
  (void)document()->documentLayout()->documentSize();
}

std::pair<int, int> TextArea::DisplayLineOf(int char_pos) const {
  EnsureLayout();
  const QTextBlock block = document()->findBlock(char_pos);
  int index = 0;
  for (QTextBlock b = document()->begin(); b.isValid() && b != block; b = b.next())
    index += LinesOf(b);
  if (!block.isValid()) return {index, char_pos};
  const QTextLayout* layout = block.layout();
  if (!layout || layout->lineCount() == 0) return {index, block.position()};
  QTextLine line =
      layout->lineForTextPosition(LayoutFromBlockPos(layout, char_pos - block.position()));
  if (!line.isValid()) line = layout->lineAt(layout->lineCount() - 1);
  return {index + line.lineNumber(),
          block.position() + BlockFromLayoutPos(layout, line.textStart())};
}

QPoint TextArea::CaretPos() const {
  const int end = textCursor().selectionEnd();
  const auto [line, line_start] = DisplayLineOf(end);
  return QPoint(ByteFromChar(end) - ByteFromChar(line_start), line);
}

int TextArea::LineCount() const {
  EnsureLayout();
  int count = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) count += LinesOf(b);
  return count;
}

std::string TextArea::Line(int i) const {
  if (i < 0) return {};
  EnsureLayout();
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const int lines = LinesOf(b);
    if (i >= lines) {
      i -= lines;
      continue;
    }
    const QTextLayout* layout = b.layout();
    if (!layout || layout->lineCount() == 0)
      return Positions().BytesBetween(b.position(), b.position() + int(b.text().size()));
    const QTextLine line = layout->lineAt(i);
    const int from = BlockFromLayoutPos(layout, line.textStart());
    const int to = BlockFromLayoutPos(layout, line.textStart() + line.textLength());
    return Positions().BytesBetween(b.position() + from, b.position() + to);
  }
  return {};
}

// ---- character and paragraph attributes ----------------------------------------------------

void TextArea::SetSelFont(const QString& family, double size_pt, uint32_t color_bgr, int style) {
  const FontStyle s = FontStyleFromBits(style);
  QTextCharFormat f;
  f.setFontFamilies(QStringList{family});
  if (size_pt > 0) f.setFontPointSize(size_pt);
  f.setForeground(ColorFromBgr(color_bgr));
  f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(s.italic);
  f.setFontUnderline(s.underline);
  f.setFontStrikeOut(s.strike_out);
  mergeCurrentCharFormat(f);
}

namespace {

// The character format shown at the caret: the document's format with the highlighting's
// formats of the block's layout laid over it.
QTextCharFormat ShownFormatAtCaret(const QTextEdit& edit) {
  QTextCharFormat f = edit.currentCharFormat();
  const QTextCursor c = edit.textCursor();
  const QTextBlock block = c.block();
  const QTextLayout* layout = block.layout();
  if (!layout) return f;
  // The character before the caret, as the caret's format is that character's.
  const int at = c.position() - block.position() - 1;
  if (at < 0) return f;
  for (const QTextLayout::FormatRange& r : layout->formats()) {
    if (at >= r.start && at < r.start + r.length) f.merge(r.format);
  }
  return f;
}

}  // namespace

uint32_t TextArea::CaretColor() const {
  const QTextCharFormat f = ShownFormatAtCaret(*this);
  if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
    return BgrFromColor(f.foreground().color());
  return BgrFromColor(palette().color(QPalette::Text));
}

int TextArea::CaretStyle() const {
  const QTextCharFormat f = ShownFormatAtCaret(*this);
  FontStyle s;
  s.bold = f.fontWeight() >= QFont::Bold;
  s.italic = f.fontItalic();
  s.underline = f.fontUnderline();
  s.strike_out = f.fontStrikeOut();
  return BitsFromFontStyle(s);
}

void TextArea::SetParaFormat(double first_indent_pt, double offset_pt, double right_indent_pt,
                             const std::array<double, 5>& tabs_pt) {
  QTextCursor c = textCursor();
  c.mergeBlockFormat(ParaFormat(first_indent_pt, offset_pt, right_indent_pt, tabs_pt));
}

void TextArea::SetBlockIndent(int char_pos, double first_indent_pt, double offset_pt) {
  const double px = logicalDpiX() / 72.0;
  const QTextBlock block = document()->findBlock(char_pos);
  if (!block.isValid()) return;
  const qreal left = (first_indent_pt + offset_pt) * px, indent = -offset_pt * px;
  const QTextBlockFormat now = block.blockFormat();
  if (qFuzzyCompare(now.leftMargin() + 1, left + 1) &&
      qFuzzyCompare(now.textIndent() + 1, indent + 1))
    return;
  QTextBlockFormat f;
  f.setLeftMargin(left);
  f.setTextIndent(indent);
  QTextCursor c(block);
  c.mergeBlockFormat(f);
}

QTextBlockFormat TextArea::ParaFormat(double first_indent_pt, double offset_pt,
                                      double right_indent_pt,
                                      const std::array<double, 5>& tabs_pt) const {
  const double px = logicalDpiX() / 72.0;
  QTextBlockFormat f;
  // Later lines start at first + offset; the first line is drawn back by the offset.
  f.setLeftMargin((first_indent_pt + offset_pt) * px);
  f.setTextIndent(-offset_pt * px);
  f.setRightMargin(right_indent_pt * px);
  QList<QTextOption::Tab> tabs;
  for (double t : tabs_pt) {
    if (t > 0) tabs.append(QTextOption::Tab(t * px, QTextOption::LeftTab));
  }
  f.setTabPositions(tabs);
  return f;
}

// ---- view ------------------------------------------------------------------------------------

void TextArea::SetWordWrap(bool on) {
  setLineWrapMode(on ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TextArea::SetScrollBarMode(int mode, bool hide_when_unneeded) {
  const Qt::ScrollBarPolicy shown =
      hide_when_unneeded ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
  setVerticalScrollBarPolicy(mode >= 1 ? shown : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(mode >= 2 ? shown : Qt::ScrollBarAlwaysOff);
}

void TextArea::SetBackColor(uint32_t bgr) {
  QPalette p = palette();
  p.setColor(QPalette::Base, ColorFromBgr(bgr));
  setPalette(p);
}

void TextArea::SendArrowKey(Qt::Key key) {
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right)
    return;
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  keyPressEvent(&press);
}

// ---- input -------------------------------------------------------------------------------------

void TextArea::Refuse(const QStringList& refused) {
  QApplication::beep();
  for (const QString& ch : refused) emit CharRefused(ch);
}

void TextArea::dropEvent(QDropEvent* e) {
  if (!hooks_ || isReadOnly() || !e->mimeData() || !e->mimeData()->hasText()) {
    QTextEdit::dropEvent(e);
    return;
  }
  const bool move = e->source() == this && e->dropAction() == Qt::MoveAction;
  const int at = cursorForPosition(e->position().toPoint()).position();
  QDragLeaveEvent leave;  // the control takes its drop caret away
  QTextEdit::dragLeaveEvent(&leave);
  hooks_->Drop(e->mimeData()->text(), at, move);
  // Taken care of here: the dragging side must not remove the text a second time.
  e->setDropAction(Qt::CopyAction);
  e->accept();
}

void TextArea::mouseReleaseEvent(QMouseEvent* e) {
  QTextEdit::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && hooks_ && !isReadOnly()) hooks_->LeftClick();
}

bool TextArea::event(QEvent* e) {
  // QTextEdit's own undo is off: leave Undo and Redo to the window's commands.
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->matches(QKeySequence::Undo) || k->matches(QKeySequence::Redo)) {
      e->ignore();
      return false;
    }
  }
  return QTextEdit::event(e);
}

void TextArea::keyPressEvent(QKeyEvent* e) {
  if (hooks_ && !isReadOnly() && hooks_->KeyDown(e)) {
    e->accept();
    return;
  }
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
      (e->modifiers() & Qt::ShiftModifier)) {
    // Shift+Enter would put a line separator inside the paragraph; make it a plain line break.
    QKeyEvent plain(e->type(), e->key(), e->modifiers() & ~Qt::ShiftModifier, e->text(),
                    e->isAutoRepeat(), ushort(e->count()));
    QTextEdit::keyPressEvent(&plain);
    e->setAccepted(plain.isAccepted());
    return;
  }
  if (!isReadOnly() && FilterUnencodableKey(
                           e, [this](QKeyEvent* k) { QTextEdit::keyPressEvent(k); },
                           [this](const QStringList& r) { Refuse(r); }))
    return;
  QTextEdit::keyPressEvent(e);
}

void TextArea::inputMethodEvent(QInputMethodEvent* e) {
  if (hooks_ && !isReadOnly() && hooks_->InputMethod(e)) {
    composition_ = e->preeditString();
    e->accept();
    return;
  }
  composition_ = e->preeditString();
  const QString commit = e->commitString();
  if (commit.isEmpty() || isReadOnly()) {
    QTextEdit::inputMethodEvent(e);
    return;
  }
  const QString accepted = FilterUnencodableCommit(
      e, [this](QInputMethodEvent* m) { QTextEdit::inputMethodEvent(m); },
      [this](const QStringList& r) { Refuse(r); });
  if (!accepted.isEmpty()) emit ResultString(cp932::EncodeReplacing(accepted));
}

std::string TextArea::CompositionString() const { return cp932::EncodeReplacing(composition_); }

void TextArea::SetHiraganaMode(bool on) { hiragana_ = on; }

void TextArea::focusInEvent(QFocusEvent* e) {
  QTextEdit::focusInEvent(e);
  if (hiragana_) {
    setInputMethodHints(inputMethodHints() & ~(Qt::ImhPreferLatin | Qt::ImhLatinOnly));
    QGuiApplication::inputMethod()->update(Qt::ImHints | Qt::ImEnabled);
    ActivateInputMethod();
  }
}

bool TextArea::canInsertFromMimeData(const QMimeData* source) const {
  return source && source->hasText();
}

void TextArea::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText() || isReadOnly()) return;
  if (hooks_) {
    hooks_->Paste(source->text());
    return;
  }
  int replaced = 0;
  const QString clean = ReplaceUnencodable(source->text(), &replaced);
  QTextCursor c = textCursor();
  c.insertText(clean);
  setTextCursor(c);
  ensureCursorVisible();
  if (replaced > 0) emit CharsReplaced(replaced);
}

QMimeData* TextArea::createMimeDataFromSelection() const {
  // From the document's own text, so that U+00A0 and the stand-ins reach the clipboard as they are.
  const QTextCursor c = textCursor();
  auto* data = new QMimeData;
  data->setText(text_.mid(c.selectionStart(), c.selectionEnd() - c.selectionStart()));
  return data;
}

}  // namespace sk::editor
