// The window's commands by handler name, kept in the files of their subsystems.  A command takes
// the window and, where it works on one subsystem only, that subsystem's controller, which the
// window hands it when it runs the command.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

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

template <class... Args>
using CommandMap = std::unordered_map<std::string, std::function<void(Args...)>>;

// Page and image commands (mainform_browse.cpp).
using WindowCommandMap = CommandMap<TSDIAppForm&>;
// Commands of the text area, which reach its editor (mainform_edit.cpp, mainform_convert.cpp).
using EditCommandMap = CommandMap<TSDIAppForm&, editor::TextEditor&>;
// The searches and the replace (mainform_search.cpp).
using SearchCommandMap = CommandMap<search::SearchController&>;
// The exports and imports of the File menu (mainform_exchange.cpp).
using ExchangeCommandMap = CommandMap<exchange::ExchangeController&>;

// Runs the command of `handler` from `map`; false when the map has none.
template <class Map, class... Args>
bool RunCommand(const Map& map, const std::string& handler, Args&... args) {
  auto it = map.find(handler);
  if (it == map.end()) return false;
  it->second(args...);
  return true;
}

// mainform_convert.cpp: the Edit menu's conversions and counts of the text.
void AddConvertCommands(EditCommandMap& map);

// The command maps of the controllers the window keeps together (command_controllers.h).
const EditCommandMap& EditHandlers();          // mainform_edit.cpp
const SearchCommandMap& SearchHandlers();      // mainform_search.cpp
const ExchangeCommandMap& ExchangeHandlers();  // mainform_exchange.cpp

}  // namespace sk::app
