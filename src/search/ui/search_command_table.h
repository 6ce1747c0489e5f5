// The Search menu's commands and the toolbar's search continuations.
#pragma once

namespace sk::shell {
class CommandTable;
}

namespace sk::search {

class SearchController;

void AddSearchCommands(shell::CommandTable& table, SearchController& search);

}  // namespace sk::search
