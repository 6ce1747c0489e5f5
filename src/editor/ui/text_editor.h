// The editor: everything the program does around the text area's own editing.
//
// It lays a page's text out (paragraph formats of normal and itemize mode, highlighting), keeps
// the page's undo list and records every edit in it before the text changes (typed keys, Enter,
// Backspace, Delete, pastes, input method results, and any other change the control makes on its
// own), applies undo and redo, runs the clipboard commands of the text area, keeps the itemize
// indents after edits, and opens links that are clicked.
//
// Files: text_editor.cpp (layout, modes, fonts), editor_typing.cpp (keys, input method, undo and
// redo), editor_clipboard.cpp (clipboard commands and links).
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "editor/text_layout.h"
#include "editor/ui/text_area.h"
#include "editor/undo_list.h"
#include "settings/main_settings.h"
#include "store/page_file.h"

class QTimer;
class QUrl;

namespace sk::editor {

class TextHighlighter;

// What the editor needs from the window.
class EditorHost {
 public:
  virtual ~EditorHost() = default;
  virtual bool FileIsOpen() const = 0;
  // Status bar panels: 0 caret line, 1 insert/overwrite, 2 "変更あり".
  virtual void SetStatusText(int panel, const QString& text) = 0;
  // Writes the page's fields (Escape).
  virtual void SavePageFields() = 0;
  virtual void Message(const QString& text) = 0;
  // Opens a web or mailto: address with the desktop's program; false when nothing could start.
  virtual bool OpenUrl(const QUrl& url) = 0;
  // The display-mode items are off while a page has its own mode.
  virtual void SetModeItemsEnabled(bool enabled) = 0;
  // Whether there is something to undo and to redo, for the commands' enabling.
  virtual void SetUndoEnabled(bool undo, bool redo) = 0;
};

class TextEditor : public QObject, public TextAreaHooks {
 public:
  // host: the window's side, kept by the editor.  The layout values and the scroll bars are
  // taken from the area's font and the settings as they are now.
  TextEditor(TextArea& area, settings::MainWindowSettings& conf, std::unique_ptr<EditorHost> host);
  ~TextEditor() override;

  // ---- layout and modes ----
  // Shows a page's text: its own view mode from key_field (the page's KEY), the layout, the
  // history emptied when reset_undo.  The caret goes to the start.
  void ShowPageText(std::string_view text, std::string_view key_field, bool reset_undo);
  bool InHighLightMode() const;
  bool InItemizeMode() const;
  bool PageHasOwnMode() const { return page_mode_.set; }
  // `SetHLTopChars`: whether keywords and links are highlighted on the page on show (its own
  // mode or the global one); the page is shown so at once when rehighlight is set.
  void SetHLTopChars(bool rehighlight = true);
  // `SetHighLightFont`: the lists, their first characters and the formats from the settings, at
  // start and after the settings change (the text is laid out again afterwards).
  void SetHighLightFont();
  // `FontSet`: the layout values again from the area's font (after a font or size change).
  void FontSet();
  // `SetParagraph`: lays the area's text out again, keeping the selection.
  void SetParagraph();
  // `ChangeTextMode`, `SetHighLight`: the global modes (the window sets the check marks).
  void ChangeTextMode(bool itemize);
  void SetHighLight(bool on);
  // Itemize indents after edits.
  void SetIndent(int pos);
  void IndentCheckB(int pos);
  void IndentCheckA();
  // `SetVScrollBar`: word wrap and the scroll bars from the settings.
  void SetVScrollBar();
  // `GotoSelStart`: focus, caret into view, selection pos..pos+len.
  void GotoSelStart(int pos, int len);
  const TextLayoutValues& Layout() const { return layout_; }
  TextHighlighter& Highlighter() { return *highlighter_; }

  // ---- undo ----
  // Records the edit about to happen at the selection (insert mode as InsertMode unless forced);
  // false when there is nothing to record.
  bool SetUndoInfo(std::string_view insert, int sel_length, bool backspace, int force_insert = -1);
  void AddUndoInfo(UndoRecord r);
  void ResetUndoBuf();
  void Undo();
  void UndoUndo();
  const UndoList& Undos() const { return undo_; }
  // Status panel 2 ("変更あり" while there is something to undo) and the undo commands.
  void ShowUndoState();
  bool CanUndo() const { return undo_.CanUndo(); }
  bool CanRedo() const { return undo_.CanRedo(); }

  // ---- clipboard (the text area) ----
  void Copy();
  void Cut();
  void Paste();
  void DeleteSelection();
  void SelectAll();
  void CopyAllText();
  bool Pasting() const { return pasting_; }

  // ---- conversions ----
  // A conversion of page text (CP932 in, CP932 out).
  using Conversion = std::function<std::string(std::string_view)>;
  // The selection converted and put back as a paste: one undo step, the caret where a paste puts
  // it, the clipboard untouched.  Nothing happens without a selection; when the conversion
  // changes nothing the caret moves as after the paste but nothing is recorded.
  void ConvertSelection(const Conversion& convert);
  // The same on the whole text when nothing is selected; afterwards the caret stands where the
  // selection started, with nothing selected.
  void ConvertSelectionOrAll(const Conversion& convert);
  // Text read from a file, put at the end of the text as one edit (undone in one step), with the
  // item indents in itemize mode; the caret ends at the end of the text.
  void AppendAtEnd(std::string_view bytes);

  // ---- keys ----
  bool InsertMode = true;
  bool InComposition() const { return in_composition_; }

  // ---- links ----
  bool LinkClickGuard = false;
  // The timer that ends LinkClickGuard after a link was opened.
  QTimer& Timer3() { return *timer3_; }

  // TextAreaHooks
  bool KeyDown(QKeyEvent* e) override;
  bool InputMethod(QInputMethodEvent* e) override;
  void Paste(const QString& text) override;
  void UntrackedEdit(const std::string& before) override;
  void Drop(const QString& text, int char_pos, bool move) override;
  void LeftClick() override;

 private:
  // Replaces the bytes [pos, pos + len) by text (CP932) as the editor's own edit.
  void Replace(int pos, int len, std::string_view text);
  // Pastes page text over the selection (one undo record, insert mode forced) and places the
  // caret by "CurSorPosAfterPaste"; false when nothing was recorded.
  bool PasteBytes(std::string_view bytes);
  // The caret where a paste of `length` bytes at `start` leaves it.
  void CaretAfterPaste(int start, int length);
  void AfterEdit(int start, std::string_view inserted, std::string_view removed);
  // Records the edit of the selection (`SetUndoInfo`), makes it and puts the indents right; the
  // record, or nullopt when there was nothing to do.
  std::optional<UndoRecord> RecordAndEdit(std::string_view insert, int sel_length, bool backspace,
                                          int force_insert = -1);
  void ApplyRecord(const UndoRecord& r, bool undo);
  void TypeText(const QString& text);
  void Backspace();
  void DeleteKey();
  void Enter();
  void StartComposition();
  void EndOfIME(const QString& result);
  void CancelComposition();
  void CompositionFollowsCaret();
  void OpenLinkAtCaret();
  bool eventFilter(QObject* watched, QEvent* e) override;
  // Lays text out in the area under the page's mode (paragraph formats, highlighting).
  void LayOut(std::string_view text);
  // The area's own text again, its modified state kept.
  void Relayout();
  // Whether the right indent depends on the area's width (a wrap width is set).
  bool WrapWidthApplies() const;
  // A paragraph's format: the tab stops, the right indent, the first-line indent and the offset
  // of the later lines (points).
  QTextBlockFormat ParagraphFormat(double first, double offset) const;
  // The first-line indent and offset of an item paragraph or another one in itemize mode.
  std::pair<double, double> ItemizeIndent(bool item) const;
  bool IsItemParagraph(const QString& paragraph) const;

  TextArea& area_;
  settings::MainWindowSettings& conf_;
  std::unique_ptr<EditorHost> host_;
  QTimer* timer3_;  // ends the guard against a second link click (Timer3)
  QTimer* wrap_relayout_ = nullptr;
  std::unique_ptr<TextHighlighter> highlighter_;
  UndoList undo_;
  TextLayoutValues layout_;
  store::ViewMode page_mode_;
  bool pasting_ = false;
  // Input method composition.
  bool in_composition_ = false;
  int composition_start_ = 0;
  std::string composition_replaced_;
  std::string overwrite_tail_;
  bool composition_removed_selection_ = false;
};

}  // namespace sk::editor
