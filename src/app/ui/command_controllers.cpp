#include "app/ui/command_controllers.h"

#include <QAction>
#include <QLabel>

#include "app/ui/mainform.h"
#include "browse/ui/navigator.h"
#include "editor/ui/text_editor.h"
#include "exchange/ui/exchange_controller.h"
#include "images/ui/image_side.h"
#include "print/ui/print_controller.h"
#include "search/ui/search_controller.h"
#include "shell/prompter.h"

namespace sk::app {

namespace {

// The window's side of the editor.
class WindowEditorHost : public editor::EditorHost {
 public:
  WindowEditorHost(TSDIAppForm& f, browse::Navigator& nav) : f_(f), nav_(nav) {}
  bool FileIsOpen() const override { return f_.FileIsOpen(); }
  void SetStatusText(int panel, const QString& text) override { f_.SetStatusText(panel, text); }
  void SavePageFields() override { nav_.MainTablePost(); }
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
  browse::Navigator& nav_;
};

}  // namespace

CommandControllers::CommandControllers(TSDIAppForm& form)
    : f_(form),
      editor_(std::make_unique<editor::TextEditor>(
          *form.TextMemo, form.Conf, std::make_unique<WindowEditorHost>(form, *form.Nav))),
      search_(std::make_unique<search::SearchController>(
          form, form.session(), *editor_, *form.Nav, *form.Selector, *form.Images,
          search::SearchController::Widgets{form.TextMemo, form.TitleEdit, form.ChoshaEdit,
                                            form.SpeedPanel})),
      exchange_(std::make_unique<exchange::ExchangeController>(
          form, form.session(), *form.TextMemo, *editor_, *form.Nav, *form.Selector, *form.Images)),
      print_(std::make_unique<print::PrintController>(form, form.session(), *form.Nav, *form.Selector,
                                                     form.Images->SearchPath())) {
  form.Nav->SetTextEditor(*editor_);
}

CommandControllers::~CommandControllers() = default;

}  // namespace sk::app
