#include "search/ui/search_command_table.h"

#include "search/ui/search_controller.h"
#include "shell/command_table.h"

namespace sk::search {

void AddSearchCommands(shell::CommandTable& table, SearchController& search) {
  using C = SearchController;
  const shell::CommandTable::Method<C> commands[] = {
      {"MojiFindItemClick", &C::MojiFindItemClick},
      {"DateFindItemClick", &C::DateFindItemClick},
      {"TitleFindItemClick", &C::TitleFindItemClick},
      {"ChoshaFindItemClick", &C::ChoshaFindItemClick},
      {"ImageFileNameFindItemClick", &C::ImageFileNameFindItemClick},
      {"AllFindItemClick", &C::AllFindItemClick},
      {"NextFindItemClick", &C::NextFindItemClick},
      {"PriorFindItemClick", &C::PriorFindItemClick},
      {"UpFindItemClick", &C::UpFindItemClick},
      {"DownFindItemClick", &C::DownFindItemClick},
      {"ReplaceItemClick", &C::ReplaceItemClick},
  };
  table.AddMethods(search, commands);
}

}  // namespace sk::search
