// The page's text area: a QTextEdit in plain-text use that speaks CP932 byte positions.
//
// Callers see the text as the page file holds it: CP932 bytes with CR LF line ends, and every
// position and length is a byte offset into those bytes (a double-byte character and a line
// break count 2).  The mapping to document positions lives in editor/text_positions.h.
//
// Loading (SetText) never loses a byte: bytes that are not valid CP932 are shown as private-use
// stand-ins and come back unchanged from Text(); only CP932's duplicate codes come back as their
// canonical code.  A lone CR or a lone LF in loaded text is shown as a line break and comes back
// as CR LF.  The document is read paragraph by paragraph (never through toPlainText(), which
// turns U+00A0 into a space).
//
// Characters CP932 cannot hold never enter the document: typed (a key press or an input method
// commit) they are refused with a beep and CharRefused; pasted or dropped they become "〓" and
// CharsReplaced reports how many.
//
// QTextEdit's own undo is off (the editor keeps its own undo records), Tab is typed into the
// text, Shift+Enter makes an ordinary line break.  IsModified() follows committed edits of the
// text only: restyling, paragraph formats and the input method's uncommitted text leave it alone.
#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QTextBlockFormat>
#include <QTextEdit>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "editor/text_positions.h"

namespace sk::editor {

// What the editor does with the area's input before the control's own handling.  The area calls
// these only while it is writable.
class TextAreaHooks {
 public:
  virtual ~TextAreaHooks() = default;
  // A key press; true when the editor handled it and the control must not.
  virtual bool KeyDown(QKeyEvent* e) = 0;
  // An input method event; true when the editor handled it (it passes the rest on itself).
  virtual bool InputMethod(QInputMethodEvent* e) = 0;
  // Text to be inserted from the clipboard, the middle button's selection or a drop, at the caret.
  virtual void Paste(const QString& text) = 0;
  // Text dropped at document position char_pos; move: dragged out of this area's selection.
  virtual void Drop(const QString& text, int char_pos, bool move) = 0;
  // The control changed the text on its own (outside TrackedEdit): the page text before it.
  virtual void UntrackedEdit(const std::string& before) = 0;
  // A click of the left button, after the caret has moved.
  virtual void LeftClick() = 0;
};

class TextArea : public QTextEdit {
  Q_OBJECT

 public:
  explicit TextArea(QWidget* parent = nullptr);

  // Whole text, CP932 bytes with CR LF line ends.
  std::string Text() const;
  // Loads a page's text: not an edit, IsModified() is false afterwards, caret at the start.
  void SetText(std::string_view cp932);
  // The same, every paragraph taking the block format format_of gives for its text.  The document
  // is built in one edit, so a highlighter sees each paragraph once.
  using BlockFormatOf = std::function<QTextBlockFormat(const QString& paragraph)>;
  void SetText(std::string_view cp932, const BlockFormatOf& format_of);
  void Clear();
  int TextLength() const;

  // Selection in bytes.  Setting SelStart collapses the selection; SetSelLength keeps the start
  // and puts the caret at the end.  An offset inside a double-byte character or a CR LF is moved
  // to that character's start (for the end of a selection: past it).
  int SelStart() const;
  void SetSelStart(int pos);
  int SelLength() const;
  void SetSelLength(int len);
  std::string SelText() const;
  // Replaces the selection; the caret ends up after the inserted text.
  void SetSelText(std::string_view cp932);

  void SelectAllText();
  void CopySel();
  void CutSel();
  void PasteClip();
  void ClearSel();

  // x = selection end minus the start of its display line (bytes), y = that display line.
  QPoint CaretPos() const;
  // Display lines: a wrapped paragraph counts one line per row on the screen.
  int LineCount() const;
  // Text of display line i, CP932, without the line break; empty when i is out of range.
  std::string Line(int i) const;

  // Character attributes of the selection (without a selection: of the text typed next).
  // color_bgr is 0x00BBGGRR, style bit 0 bold, 1 italic, 2 underline, 3 strike-out.
  void SetSelFont(const QString& family, double size_pt, uint32_t color_bgr, int style);
  // Colour and style at the caret as shown, highlighting included.
  uint32_t CaretColor() const;
  int CaretStyle() const;

  // Paragraph attributes of every paragraph the selection touches, in points: the first line's
  // indent, the offset of the later lines relative to it, the right indent and up to 5 tab stops
  // (0 = unused).
  void SetParaFormat(double first_indent_pt, double offset_pt, double right_indent_pt,
                     const std::array<double, 5>& tabs_pt);
  // The block format of those values, and the first-line part of it alone applied to the block
  // at document position char_pos.
  QTextBlockFormat ParaFormat(double first_indent_pt, double offset_pt, double right_indent_pt,
                              const std::array<double, 5>& tabs_pt) const;
  void SetBlockIndent(int char_pos, double first_indent_pt, double offset_pt);

  void SetWordWrap(bool on);
  // mode 0 none, 1 vertical, 2 both; hide_when_unneeded shows a bar only when the text needs it.
  void SetScrollBarMode(int mode, bool hide_when_unneeded);
  void SetBackColor(uint32_t bgr);

  // Up, Down, Left or Right: moves the caret as if the key had been typed.
  void SendArrowKey(Qt::Key key);

  void SetHooks(TextAreaHooks* hooks) { hooks_ = hooks; }
  // The control's own handling, for the editor to pass events on.
  void BaseKeyPress(QKeyEvent* e) { QTextEdit::keyPressEvent(e); }
  void BaseInputMethod(QInputMethodEvent* e) { QTextEdit::inputMethodEvent(e); }
  // Beeps and reports characters a page cannot hold.
  void Refuse(const QStringList& refused);
  // While one lives, changes of the text are the editor's own and not reported as untracked.
  class TrackedEdit {
   public:
    explicit TrackedEdit(TextArea& a) : a_(a) { ++a_.tracking_; }
    ~TrackedEdit() { --a_.tracking_; }
    TrackedEdit(const TrackedEdit&) = delete;
    TrackedEdit& operator=(const TrackedEdit&) = delete;

   private:
    TextArea& a_;
  };

  bool IsModified() const { return modified_; }
  void SetModified(bool m) { modified_ = m; }

  // Asks the input method for kana input whenever the area takes the focus: Latin-only hints are
  // dropped and a running fcitx5 is asked to switch on (ime_switch.h).
  void SetHiraganaMode(bool on);
  bool HiraganaMode() const { return hiragana_; }
  // The input method's uncommitted text, CP932 (characters CP932 cannot hold as "〓").
  std::string CompositionString() const;

  // Byte offset <-> document position, for the other editor parts that work on the document.
  int ByteFromChar(int char_pos) const { return Positions().ByteFromChar(char_pos); }
  int CharFromByte(int byte_pos, bool round_up = false) const {
    return Positions().CharFromByte(byte_pos, round_up);
  }
  const TextPositions& Positions() const;
  // The document text as the byte mapping sees it (paragraphs joined by kBreak).
  const QString& DocumentString() const { return text_; }

 signals:
  void CharRefused(const QString& ch);
  void CharsReplaced(int count);
  void ResultString(const std::string& cp932);
  void SelectionMoved();

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  QMimeData* createMimeDataFromSelection() const override;

 private:
  void OnContentsChange(int pos, int removed, int added);
  QString ReadDocument() const;
  // The characters [from, from + length) of the document, paragraphs joined by kBreak.
  QString ReadDocument(int from, int length) const;
  void EnsureLayout() const;
  // Display line of a document position: (index over the whole text, document position where
  // that line starts).
  std::pair<int, int> DisplayLineOf(int char_pos) const;

  QString text_;  // the document's text as of the last change, paragraphs joined by kBreak
  mutable std::optional<TextPositions> positions_;
  QString composition_;
  bool loading_ = false;
  bool modified_ = false;
  bool hiragana_ = false;
  int tracking_ = 0;
  TextAreaHooks* hooks_ = nullptr;
};

// A stored 0x00BBGGRR colour as Qt's colour.
QColor ColorFromBgr(uint32_t bgr);

}  // namespace sk::editor
