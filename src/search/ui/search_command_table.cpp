#include "search/ui/search_command_table.h"

#include "search/ui/search_controller.h"
#include "shell/command_table.h"

namespace sk::search {

void AddSearchCommands(shell::CommandTable& table, SearchController& search) {
  using C = SearchController;
  const std::pair<const char*, void (C::*)()> commands[] = {
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
  for (const auto& [handler, run] : commands)
    table.Add(handler, [s = &search, run] { (s->*run)(); });
}

}  // namespace sk::search
