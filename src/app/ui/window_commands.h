// The window's commands by handler name, kept in the files of their subsystems.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

namespace sk::app {

class TSDIAppForm;

using WindowCommand = std::function<void(TSDIAppForm&)>;
using WindowCommandMap = std::unordered_map<std::string, WindowCommand>;

// mainform_convert.cpp: the Edit menu's conversions and counts of the text.
void AddConvertCommands(WindowCommandMap& map);
// mainform_search.cpp: the searches and the replace.
void AddSearchCommands(WindowCommandMap& map);

}  // namespace sk::app
