// The page commands of the menus and the toolbar: moving, the history, adding, deleting and
// listing pages, the selection and the display order.  Each calls the browsing controllers.
#include <functional>
#include <unordered_map>

#include "app/ui/mainform.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"

namespace sk::app {

namespace {

using Run = std::function<void(TSDIAppForm&)>;

const std::unordered_map<std::string, Run>& BrowseHandlers() {
  static const std::unordered_map<std::string, Run> map = {
      {"FirstItemClick", [](TSDIAppForm& f) { f.Nav->FirstItemClick(); }},
      {"PriorItemClick", [](TSDIAppForm& f) { f.Nav->PriorItemClick(); }},
      {"NextItemClick", [](TSDIAppForm& f) { f.Nav->NextItemClick(); }},
      {"LastItemClick", [](TSDIAppForm& f) { f.Nav->LastItemClick(); }},
      {"TenPriorItemClick", [](TSDIAppForm& f) { f.Nav->TenPriorItemClick(); }},
      {"TenNextItemClick", [](TSDIAppForm& f) { f.Nav->TenNextItemClick(); }},
      {"JumpPageNumItemClick", [](TSDIAppForm& f) { f.Nav->JumpPageNumItemClick(); }},
      {"ToLastYearItemClick", [](TSDIAppForm& f) { f.Nav->ToLastNextYear(-1); }},
      {"ToNextYearItemClick", [](TSDIAppForm& f) { f.Nav->ToLastNextYear(1); }},
      {"ModoruButtonClick", [](TSDIAppForm& f) { f.Nav->ModoruButtonClick(); }},
      {"PageRirekiBackItemClick", [](TSDIAppForm& f) { f.Nav->ModoruButtonClick(); }},
      {"SusumuButtonClick", [](TSDIAppForm& f) { f.Nav->SusumuButtonClick(); }},
      {"PageRirekiForwardItemClick", [](TSDIAppForm& f) { f.Nav->SusumuButtonClick(); }},
      {"RecordAppendItemClick", [](TSDIAppForm& f) { f.Nav->RecordAppendItemClick(); }},
      {"RecordDeleteItemClick", [](TSDIAppForm& f) { f.Nav->RecordDeleteItemClick(); }},
      {"PageListItemClick", [](TSDIAppForm& f) { f.Nav->PageListItemClick(); }},
      {"PageListSpeedButtonClick", [](TSDIAppForm& f) { f.Nav->PageListItemClick(); }},
      {"SelectRecordItemClick", [](TSDIAppForm& f) { f.Selector->SelectRecordItemClick(); }},
      {"PageOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(-1); }},
      {"BOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(0); }},
      {"TOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(1); }},
      {"SOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(2); }},
      {"DOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(3); }},
      {"BTOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(4); }},
      {"BSOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(5); }},
      {"BDOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(6); }},
      {"TSOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(7); }},
      {"TDOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(8); }},
      {"SDOrderItemClick", [](TSDIAppForm& f) { f.Selector->ReOrder(9); }},
  };
  return map;
}

}  // namespace

bool TSDIAppForm::RunBrowseHandler(const std::string& handler) {
  auto it = BrowseHandlers().find(handler);
  if (it == BrowseHandlers().end()) return false;
  it->second(*this);
  return true;
}

bool TSDIAppForm::BrowseCommandBuilt(const std::string& handler) {
  return BrowseHandlers().count(handler) > 0;
}

}  // namespace sk::app
