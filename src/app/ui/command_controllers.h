// The controllers that only the window's commands reach: the text area's editor, the searches and
// the replace, the exports and imports, the print settings.  The window keeps them together
// behind one pointer; their commands are in the window's command table.
#pragma once

#include <memory>
#include <string>

namespace sk::editor {
class TextEditor;
}
namespace sk::search {
class SearchController;
}
namespace sk::exchange {
class ExchangeController;
}
namespace sk::print {
class PrintController;
}

namespace sk::app {

class TSDIAppForm;

class CommandControllers {
 public:
  // The editor first (its layout values come from the text font set before), handed to the
  // navigator, then the controllers that reach it.
  explicit CommandControllers(TSDIAppForm& form);
  ~CommandControllers();
  CommandControllers(const CommandControllers&) = delete;
  CommandControllers& operator=(const CommandControllers&) = delete;

  editor::TextEditor& Editor() { return *editor_; }
  search::SearchController& Search() { return *search_; }
  exchange::ExchangeController& Exchange() { return *exchange_; }
  print::PrintController& Print() { return *print_; }

 private:
  TSDIAppForm& f_;
  std::unique_ptr<editor::TextEditor> editor_;
  std::unique_ptr<search::SearchController> search_;
  std::unique_ptr<exchange::ExchangeController> exchange_;
  std::unique_ptr<print::PrintController> print_;
};

}  // namespace sk::app
