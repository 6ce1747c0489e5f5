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
#include "app/ui/prompter.h"
#include "app/ui/window_commands.h"
#include "browse/ui/navigator.h"
#include "editor/text_positions.h"
#include "editor/ui/highlighter.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"

namespace sk::app {

namespace {

// The window's side of the editor.
class WindowEditorHost : public editor::EditorHost {
 public:
  explicit WindowEditorHost(TSDIAppForm& f) : f_(f) {}
  bool FileIsOpen() const override { return f_.FileIsOpen(); }
  void SetStatusText(int panel, const QString& text) override {
    if (panel >= 0 && panel < int(f_.StatusPanels.size()))
      f_.StatusPanels[size_t(panel)]->setText(text);
  }
  void SavePageFields() override { f_.Nav->MainTablePost(); }
  void Message(const QString& text) override { f_.Message(text); }
  bool OpenUrl(const QUrl& url) override { return f_.prompter().OpenUrl(url); }
  void SetModeItemsEnabled(bool enabled) override {
    for (const char* n :
         {"TextNormalModeItem", "TextItemizeModeItem", "DoHighLightItem", "DontHighLightItem",
          "TextNormalModePopUpItem", "TextItemizeModePopUpItem", "DoHighLightPopUpItem",
          "DontHighLightPopUpItem"})
      if (QAction* a = f_.Action(n)) a->setEnabled(enabled && f_.FileIsOpen());
  }
  void SetUndoEnabled(bool undo, bool redo) override {
    f_.Action("UndoItem")->setEnabled(undo && f_.FileIsOpen());
    f_.Action("UndoUndoItem")->setEnabled(redo && f_.FileIsOpen());
  }

 private:
  TSDIAppForm& f_;
};

// The title or subtitle box when it had the focus last.
QLineEdit* FocusedField(TSDIAppForm& f) {
  if (f.FocusedArea == 1) return f.TitleEdit;
  if (f.FocusedArea == 2) return f.ChoshaEdit;
  return nullptr;
}

// The text area's selection into the title or subtitle box, through the clipboard.
void PasteSelectionToField(TSDIAppForm& f, QLineEdit* field) {
  if (f.TextMemo->SelLength() == 0) return;
  f.Editor->Copy();
  field->setFocus();
  field->paste();
  f.TextMemo->setFocus();
}

void ChangeTextMode(TSDIAppForm& f, bool itemize) {
  if (!f.FileIsOpen()) return;
  f.Editor->ChangeTextMode(itemize);
  f.SetModeChecks();
}

void SetHighLight(TSDIAppForm& f, bool on) {
  if (!f.FileIsOpen() || (f.Conf.HighLight != 0) == on) return;
  f.Nav->MainTablePost();
  f.Editor->SetHighLight(on);
  f.SetModeChecks();
}

// Leaves the page and shows it again, without drawing the pictures again and keeping the history.
void TextRepaintItemClick(TSDIAppForm& f) {
  if (!f.FileIsOpen()) return;
  f.Nav->BeforeMove();
  const bool draw = f.DrawImagesOnMove;
  f.DrawImagesOnMove = false;
  f.Nav->AfterMove(true, false);
  f.DrawImagesOnMove = draw;
}

void TextFontChanged(TSDIAppForm& f) {
  f.ApplyTextFont();
  f.Editor->FontSet();
  f.Editor->SetParagraph();
  f.TextMemo->setFocus();
}

void FontItemClick(TSDIAppForm& f) {
  if (!f.FileIsOpen()) return;
  QFont font = f.TextMemo->font();
  QColor color = editor::ColorFromBgr(uint32_t(f.Conf.FontColor));
  if (!f.prompter().ChooseFont(&font, &color)) {
    f.TextMemo->setFocus();
    return;
  }
  f.Conf.FontName = B(font.family());
  f.Conf.FontColor = int(editor::BgrFromRgb(color.red(), color.green(), color.blue()));
  f.Conf.FontStyle =
      editor::BitsFromFontStyle({font.bold(), font.italic(), font.underline(), font.strikeOut()});
  TextFontChanged(f);
}

void FontSizePopUpItemClick(TSDIAppForm& f) {
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
  f.Conf.TextFontSizeB = size;
  TextFontChanged(f);
}

using Run = WindowCommand;

// A clipboard command of the Edit menu acts on the input area that had the focus last: the title
// and subtitle boxes with their own operation, the text area through the editor.
Run OnFocusedArea(std::function<void(QLineEdit&)> field,
                  std::function<void(editor::TextEditor&)> text) {
  return [field, text](TSDIAppForm& f) {
    if (QLineEdit* e = FocusedField(f))
      field(*e);
    else if (f.FocusedArea == 3)
      text(*f.Editor);
  };
}

WindowCommandMap MakeEditHandlers() {
  WindowCommandMap map = {
      {"UndoItemClick", [](TSDIAppForm& f) { f.Editor->Undo(); }},
      {"UndoUndoItemClick", [](TSDIAppForm& f) { f.Editor->UndoUndo(); }},
      {"TextCopyItemClick",
       OnFocusedArea([](QLineEdit& e) { e.copy(); }, [](editor::TextEditor& e) { e.Copy(); })},
      {"CopyPopUpItemClick", [](TSDIAppForm& f) { f.Editor->Copy(); }},
      {"TextCutItemClick",
       OnFocusedArea([](QLineEdit& e) { e.cut(); }, [](editor::TextEditor& e) { e.Cut(); })},
      {"CutPopUpItemClick", [](TSDIAppForm& f) { f.Editor->Cut(); }},
      {"TextPasteItemClick",
       OnFocusedArea([](QLineEdit& e) { e.paste(); }, [](editor::TextEditor& e) { e.Paste(); })},
      {"PopUpPasteItemClick", [](TSDIAppForm& f) { f.Editor->Paste(); }},
      {"TextDeleteItemClick", OnFocusedArea([](QLineEdit& e) { e.del(); },
                                            [](editor::TextEditor& e) { e.DeleteSelection(); })},
      {"PopUpDeleteItemClick", [](TSDIAppForm& f) { f.Editor->DeleteSelection(); }},
      {"TextSelectAllItemClick", [](TSDIAppForm& f) { f.Editor->SelectAll(); }},
      {"PopUpSelectAllItemClick", [](TSDIAppForm& f) { f.Editor->SelectAll(); }},
      {"TextAllCopyItemClick", [](TSDIAppForm& f) { f.Editor->CopyAllText(); }},
      {"PopUpTextAllCopyItemClick", [](TSDIAppForm& f) { f.Editor->CopyAllText(); }},
      {"PopUpPasteToTitleItemClick", [](TSDIAppForm& f) { PasteSelectionToField(f, f.TitleEdit); }},
      {"PopUpPasteToSubtitleItemClick",
       [](TSDIAppForm& f) { PasteSelectionToField(f, f.ChoshaEdit); }},
      {"TextNormalModeItemClick", [](TSDIAppForm& f) { ChangeTextMode(f, false); }},
      {"TextItemizeModeItemClick", [](TSDIAppForm& f) { ChangeTextMode(f, true); }},
      {"DoHighLightItemClick", [](TSDIAppForm& f) { SetHighLight(f, true); }},
      {"DontHighLightItemClick", [](TSDIAppForm& f) { SetHighLight(f, false); }},
      {"TextRepaintItemClick", TextRepaintItemClick},
      {"FontItemClick", FontItemClick},
      {"FontSizePopUpItemClick", FontSizePopUpItemClick},
      {"SetFontSizeItemClick", FontSizePopUpItemClick},
  };
  AddConvertCommands(map);
  return map;
}

const WindowCommandMap& EditHandlers() {
  static const WindowCommandMap map = MakeEditHandlers();
  return map;
}

}  // namespace

void TSDIAppForm::MakeEditor() {
  Editor = std::make_unique<editor::TextEditor>(*TextMemo, Conf,
                                                std::make_unique<WindowEditorHost>(*this), Timer3);
}

bool TSDIAppForm::RunEditHandler(const std::string& handler) {
  auto it = EditHandlers().find(handler);
  if (it == EditHandlers().end()) return false;
  it->second(*this);
  return true;
}

bool TSDIAppForm::EditCommandBuilt(const std::string& handler) {
  return EditHandlers().count(handler) > 0;
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
