// The controllers that only the window's commands reach: the text area's editor, the searches and
// the replace, the exports and imports.  The window keeps them together behind one pointer and
// asks them first when it runs a command; each command map (mainform_edit.cpp,
// mainform_convert.cpp, mainform_search.cpp, mainform_exchange.cpp) gets its controller there.
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

  // Runs the command of `handler` when one of these controllers has it; false otherwise.
  bool Run(const std::string& handler);
  // True when one of them has a command for `handler`.
  static bool Built(const std::string& handler);

  editor::TextEditor& Editor() { return *editor_; }
  search::SearchController& Search() { return *search_; }
  exchange::ExchangeController& Exchange() { return *exchange_; }

 private:
  TSDIAppForm& f_;
  std::unique_ptr<editor::TextEditor> editor_;
  std::unique_ptr<search::SearchController> search_;
  std::unique_ptr<exchange::ExchangeController> exchange_;
};

}  // namespace sk::app
