// The Search menu's commands and the toolbar's search continuations: each calls the search
// controller.
#include "app/ui/mainform.h"
#include "app/ui/window_commands.h"
#include "search/ui/search_controller.h"

namespace sk::app {

const SearchCommandMap& SearchHandlers() {
  using Controller = search::SearchController;
  static const SearchCommandMap map = {
      {"MojiFindItemClick", &Controller::MojiFindItemClick},
      {"DateFindItemClick", &Controller::DateFindItemClick},
      {"TitleFindItemClick", &Controller::TitleFindItemClick},
      {"ChoshaFindItemClick", &Controller::ChoshaFindItemClick},
      {"ImageFileNameFindItemClick", &Controller::ImageFileNameFindItemClick},
      {"AllFindItemClick", &Controller::AllFindItemClick},
      {"NextFindItemClick", &Controller::NextFindItemClick},
      {"PriorFindItemClick", &Controller::PriorFindItemClick},
      {"UpFindItemClick", &Controller::UpFindItemClick},
      {"DownFindItemClick", &Controller::DownFindItemClick},
      {"ReplaceItemClick", &Controller::ReplaceItemClick},
  };
  return map;
}

}  // namespace sk::app
