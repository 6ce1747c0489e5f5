// The Search menu's commands and the toolbar's search continuations: each calls the search
// controller.
#include "app/ui/mainform.h"
#include "app/ui/window_commands.h"
#include "search/ui/search_controller.h"

namespace sk::app {

namespace {

using Controller = search::SearchController;

const SearchCommandMap& SearchHandlers() {
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

}  // namespace

bool TSDIAppForm::RunSearchHandler(const std::string& handler) {
  return search_ && RunCommand(SearchHandlers(), handler, *search_);
}

bool TSDIAppForm::SearchCommandBuilt(const std::string& handler) {
  return SearchHandlers().count(handler) > 0;
}

}  // namespace sk::app
