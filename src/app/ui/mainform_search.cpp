// The Search menu's commands and the toolbar's search continuations: each calls the search
// controller.
#include "app/ui/mainform.h"
#include "app/ui/window_commands.h"
#include "search/ui/search_controller.h"

namespace sk::app {

namespace {

using Controller = search::SearchController;

WindowCommand Call(void (Controller::*command)()) {
  return [command](TSDIAppForm& f) { (f.Search.get()->*command)(); };
}

}  // namespace

void AddSearchCommands(WindowCommandMap& map) {
  map.insert({
      {"MojiFindItemClick", Call(&Controller::MojiFindItemClick)},
      {"DateFindItemClick", Call(&Controller::DateFindItemClick)},
      {"TitleFindItemClick", Call(&Controller::TitleFindItemClick)},
      {"ChoshaFindItemClick", Call(&Controller::ChoshaFindItemClick)},
      {"ImageFileNameFindItemClick", Call(&Controller::ImageFileNameFindItemClick)},
      {"AllFindItemClick", Call(&Controller::AllFindItemClick)},
      {"NextFindItemClick", Call(&Controller::NextFindItemClick)},
      {"PriorFindItemClick", Call(&Controller::PriorFindItemClick)},
      {"UpFindItemClick", Call(&Controller::UpFindItemClick)},
      {"DownFindItemClick", Call(&Controller::DownFindItemClick)},
      {"ReplaceItemClick", Call(&Controller::ReplaceItemClick)},
  });
}

}  // namespace sk::app
