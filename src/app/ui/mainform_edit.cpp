// The text commands of the menus: undo and redo, the clipboard, the display modes, highlighting,
// the text font.  The text area's commands call the editor; the title and subtitle boxes use their
// own clipboard operations.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <functional>
#include <unordered_map>

#include "app/shell_logic.h"
#include "app/ui/mainform.h"
#include "app/ui/prompter.h"
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

using Run = std::function<void(TSDIAppForm&)>;

// A clipboard command of the Edit menu acts on the input area that had the focus last: the title
// and subtitle boxes with their own operation, the text area through the editor.
Run OnFocusedArea(std::function<void(QLineEdit&)> field,
                  std::function<void(editor::TextEditor&)> text) {
  return [field, text](TSDIAppForm& f) {
    if (QLineEdit* e = f.FocusedField())
      field(*e);
    else if (f.FocusedArea == 3)
      text(*f.Editor);
  };
}

const std::unordered_map<std::string, Run>& EditHandlers() {
  static const std::unordered_map<std::string, Run> map = {
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
      {"PopUpPasteToTitleItemClick", [](TSDIAppForm& f) { f.PasteSelectionToField(f.TitleEdit); }},
      {"PopUpPasteToSubtitleItemClick",
       [](TSDIAppForm& f) { f.PasteSelectionToField(f.ChoshaEdit); }},
      {"TextNormalModeItemClick", [](TSDIAppForm& f) { f.ChangeTextMode(false); }},
      {"TextItemizeModeItemClick", [](TSDIAppForm& f) { f.ChangeTextMode(true); }},
      {"DoHighLightItemClick", [](TSDIAppForm& f) { f.SetHighLight(true); }},
      {"DontHighLightItemClick", [](TSDIAppForm& f) { f.SetHighLight(false); }},
      {"TextRepaintItemClick", [](TSDIAppForm& f) { f.TextRepaintItemClick(); }},
      {"FontItemClick", [](TSDIAppForm& f) { f.FontItemClick(); }},
      {"FontSizePopUpItemClick", [](TSDIAppForm& f) { f.FontSizePopUpItemClick(); }},
      {"SetFontSizeItemClick", [](TSDIAppForm& f) { f.FontSizePopUpItemClick(); }},
  };
  return map;
}

}  // namespace

void TSDIAppForm::MakeEditor() {
  editor_host_ = std::make_unique<WindowEditorHost>(*this);
  Editor = std::make_unique<editor::TextEditor>(*TextMemo, Conf, *editor_host_, Timer3);
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

QLineEdit* TSDIAppForm::FocusedField() const {
  if (FocusedArea == 1) return TitleEdit;
  if (FocusedArea == 2) return ChoshaEdit;
  return nullptr;
}

void TSDIAppForm::PasteSelectionToField(QLineEdit* field) {
  if (TextMemo->SelLength() == 0) return;
  Editor->Copy();
  field->setFocus();
  field->paste();
  TextMemo->setFocus();
}

void TSDIAppForm::ChangeTextMode(bool itemize) {
  if (!FileIsOpen()) return;
  Editor->ChangeTextMode(itemize);
  SetModeChecks();
}

void TSDIAppForm::SetHighLight(bool on) {
  if (!FileIsOpen() || (Conf.HighLight != 0) == on) return;
  Nav->MainTablePost();
  Editor->SetHighLight(on);
  SetModeChecks();
}

void TSDIAppForm::SetModeChecks() {
  const bool itemize = Conf.ItemizeMode, high = Conf.HighLight != 0;
  for (const char* n : {itemize ? "TextItemizeModeItem" : "TextNormalModeItem",
                        itemize ? "TextItemizeModePopUpItem" : "TextNormalModePopUpItem",
                        high ? "DoHighLightItem" : "DontHighLightItem",
                        high ? "DoHighLightPopUpItem" : "DontHighLightPopUpItem"})
    if (QAction* a = Action(n)) a->setChecked(true);
}

void TSDIAppForm::TextRepaintItemClick() {
  if (!FileIsOpen()) return;
  Nav->BeforeMove();
  const bool draw = DrawImagesOnMove;
  DrawImagesOnMove = false;
  Nav->AfterMove(true, false);
  DrawImagesOnMove = draw;
}

void TSDIAppForm::TextFontChanged() {
  ApplyTextFont();
  Editor->FontSet();
  Editor->SetHLTopChars(false);
  Editor->SetParagraph();
}

void TSDIAppForm::FontItemClick() {
  if (!FileIsOpen()) return;
  QFont font = TextMemo->font();
  QColor color = editor::ColorFromBgr(uint32_t(Conf.FontColor));
  if (prompter_.ChooseFont(&font, &color)) {
    Conf.FontName = B(font.family());
    Conf.FontColor = int(editor::BgrFromRgb(color.red(), color.green(), color.blue()));
    Conf.FontStyle =
        editor::BitsFromFontStyle({font.bold(), font.italic(), font.underline(), font.strikeOut()});
    TextFontChanged();
  }
  TextMemo->setFocus();
}

void TSDIAppForm::FontSizePopUpItemClick() {
  if (!FileIsOpen()) return;
  std::optional<QString> answer = prompter_.Input(QStringLiteral("フォントサイズ"),
                                                  QStringLiteral("整数値で指定。"), QString());
  if (!answer) return;
  bool ok = false;
  const int size = answer->trimmed().toInt(&ok);
  // A size of nothing or of a wall would leave the text unreadable.
  if (!ok || size < 1 || size > 500) {
    Message(QStringLiteral("フォントサイズの指定が不適切です。"));
    return;
  }
  Conf.TextFontSizeB = size;
  TextFontChanged();
  TextMemo->setFocus();
}

}  // namespace sk::app
