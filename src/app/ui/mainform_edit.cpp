// The text commands of the menus: undo and redo, the clipboard, the display modes, highlighting,
// the text font.  The text area's commands call the editor; the title and subtitle boxes use their
// own clipboard operations.  The conversions and counts of the text are in mainform_convert.cpp.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <functional>
#include <unordered_map>

#include "app/shell_logic.h"
#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "app/ui/window_commands.h"
#include "shell/command_table.h"
#include "browse/ui/navigator.h"
#include "editor/text_positions.h"
#include "editor/ui/highlighter.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"

namespace sk::app {

namespace {

// The title or subtitle box when it had the focus last.
QLineEdit* FocusedField(TSDIAppForm& f) {
  if (f.session().FocusedArea() == 1) return f.TitleEdit;
  if (f.session().FocusedArea() == 2) return f.ChoshaEdit;
  return nullptr;
}

// The text area's selection into the title or subtitle box, through the clipboard.
void PasteSelectionToField(TSDIAppForm& f, editor::TextEditor& e, QLineEdit* field) {
  if (f.TextMemo->SelLength() == 0) return;
  e.Copy();
  field->setFocus();
  field->paste();
  f.TextMemo->setFocus();
}

void ChangeTextMode(TSDIAppForm& f, editor::TextEditor& e, bool itemize) {
  if (!f.FileIsOpen()) return;
  e.ChangeTextMode(itemize);
  f.SetModeChecks();
}

void SetHighLight(TSDIAppForm& f, editor::TextEditor& e, browse::Navigator& nav, bool on) {
  if (!f.FileIsOpen() || (f.conf().HighLight != 0) == on) return;
  nav.MainTablePost();
  e.SetHighLight(on);
  f.SetModeChecks();
}

// Leaves the page and shows it again, without drawing the pictures again and keeping the history.
void TextRepaintItemClick(TSDIAppForm& f, browse::Navigator& nav) {
  if (!f.FileIsOpen()) return;
  nav.BeforeMove();
  const bool draw = f.session().DrawImagesOnMove();
  f.session().SetDrawImagesOnMove(false);
  nav.AfterMove(true, false);
  f.session().SetDrawImagesOnMove(draw);
}

void TextFontChanged(TSDIAppForm& f, editor::TextEditor& e) {
  f.ApplyTextFont();
  e.FontSet();
  e.SetParagraph();
  f.TextMemo->setFocus();
}

void FontItemClick(TSDIAppForm& f, editor::TextEditor& e) {
  if (!f.FileIsOpen()) return;
  QFont font = f.TextMemo->font();
  QColor color = editor::ColorFromBgr(uint32_t(f.conf().FontColor));
  if (!f.prompter().ChooseFont(&font, &color)) {
    f.TextMemo->setFocus();
    return;
  }
  f.conf().FontName = B(font.family());
  f.conf().FontColor = int(editor::BgrFromRgb(color.red(), color.green(), color.blue()));
  f.conf().FontStyle =
      editor::BitsFromFontStyle({font.bold(), font.italic(), font.underline(), font.strikeOut()});
  TextFontChanged(f, e);
}

void FontSizePopUpItemClick(TSDIAppForm& f, editor::TextEditor& e) {
  if (!f.FileIsOpen()) return;
  std::optional<QString> answer = f.prompter().Input(QStringLiteral("フォントサイズ"),
                                                     QStringLiteral("整数値で指定。"), QString());
  if (!answer) return;
  bool ok = false;
  const int size = answer->trimmed().toInt(&ok);
  // A size of nothing or of a wall would leave the text unreadable.
  if (!ok || size < 1 || size > 500) {
    f.Message(QStringLiteral("フォントサイズの指定が不適切です。"));
    return;
  }
  f.conf().TextFontSizeB = size;
  TextFontChanged(f, e);
}

using Run = std::function<void(TSDIAppForm&, editor::TextEditor&)>;

// One editor operation as a command.
Run On(void (editor::TextEditor::*op)()) {
  return [op](TSDIAppForm&, editor::TextEditor& e) { (e.*op)(); };
}

// A clipboard command of the Edit menu acts on the input area that had the focus last: the title
// and subtitle boxes with their own operation, the text area through the editor.
Run OnFocusedArea(std::function<void(QLineEdit&)> field, void (editor::TextEditor::*text)()) {
  return [field, text](TSDIAppForm& f, editor::TextEditor& e) {
    if (QLineEdit* box = FocusedField(f))
      field(*box);
    else if (f.session().FocusedArea() == 3)
      (e.*text)();
  };
}

}  // namespace

void AddEditCommands(shell::CommandTable& table, TSDIAppForm& f, editor::TextEditor& e,
                     browse::Navigator& nav) {
  using E = editor::TextEditor;
  void (E::*paste)() = &E::Paste;  // the clipboard's text, not a given one
  const std::pair<const char*, Run> commands[] = {
      {"UndoItemClick", On(&E::Undo)},
      {"UndoUndoItemClick", On(&E::UndoUndo)},
      {"TextCopyItemClick", OnFocusedArea([](QLineEdit& b) { b.copy(); }, &E::Copy)},
      {"CopyPopUpItemClick", On(&E::Copy)},
      {"TextCutItemClick", OnFocusedArea([](QLineEdit& b) { b.cut(); }, &E::Cut)},
      {"CutPopUpItemClick", On(&E::Cut)},
      {"TextPasteItemClick", OnFocusedArea([](QLineEdit& b) { b.paste(); }, paste)},
      {"PopUpPasteItemClick", On(paste)},
      {"TextDeleteItemClick", OnFocusedArea([](QLineEdit& b) { b.del(); }, &E::DeleteSelection)},
      {"PopUpDeleteItemClick", On(&E::DeleteSelection)},
      {"TextSelectAllItemClick", On(&E::SelectAll)},
      {"PopUpSelectAllItemClick", On(&E::SelectAll)},
      {"TextAllCopyItemClick", On(&E::CopyAllText)},
      {"PopUpTextAllCopyItemClick", On(&E::CopyAllText)},
      {"PopUpPasteToTitleItemClick",
       [](TSDIAppForm& f, E& e) { PasteSelectionToField(f, e, f.TitleEdit); }},
      {"PopUpPasteToSubtitleItemClick",
       [](TSDIAppForm& f, E& e) { PasteSelectionToField(f, e, f.ChoshaEdit); }},
      {"TextNormalModeItemClick", [](TSDIAppForm& f, E& e) { ChangeTextMode(f, e, false); }},
      {"TextItemizeModeItemClick", [](TSDIAppForm& f, E& e) { ChangeTextMode(f, e, true); }},
      {"DoHighLightItemClick", [&nav](TSDIAppForm& f, E& e) { SetHighLight(f, e, nav, true); }},
      {"DontHighLightItemClick",
       [&nav](TSDIAppForm& f, E& e) { SetHighLight(f, e, nav, false); }},
      {"TextRepaintItemClick", [&nav](TSDIAppForm& f, E&) { TextRepaintItemClick(f, nav); }},
      {"FontItemClick", FontItemClick},
      {"FontSizePopUpItemClick", FontSizePopUpItemClick},
      {"SetFontSizeItemClick", FontSizePopUpItemClick},
  };
  for (const auto& [handler, run] : commands)
    table.Add(handler, [&f, &e, run = run] { run(f, e); });
}

void TSDIAppForm::SetModeChecks() {
  const bool itemize = Conf.ItemizeMode, high = Conf.HighLight != 0;
  for (const char* n : {itemize ? "TextItemizeModeItem" : "TextNormalModeItem",
                        itemize ? "TextItemizeModePopUpItem" : "TextNormalModePopUpItem",
                        high ? "DoHighLightItem" : "DontHighLightItem",
                        high ? "DoHighLightPopUpItem" : "DontHighLightPopUpItem"})
    if (QAction* a = Action(n)) a->setChecked(true);
}

}  // namespace sk::app
