#include "browse/ui/browse_command_table.h"

#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "shell/command_table.h"

namespace sk::browse {

void AddBrowseCommands(shell::CommandTable& table, Navigator& nav, PageSelector& selector) {
  Navigator* n = &nav;
  table.Add("FirstItemClick", [n] { n->FirstItemClick(); });
  table.Add("PriorItemClick", [n] { n->PriorItemClick(); });
  table.Add("NextItemClick", [n] { n->NextItemClick(); });
  table.Add("LastItemClick", [n] { n->LastItemClick(); });
  table.Add("TenPriorItemClick", [n] { n->TenPriorItemClick(); });
  table.Add("TenNextItemClick", [n] { n->TenNextItemClick(); });
  table.Add("JumpPageNumItemClick", [n] { n->JumpPageNumItemClick(); });
  table.Add("ToLastYearItemClick", [n] { n->ToLastNextYear(-1); });
  table.Add("ToNextYearItemClick", [n] { n->ToLastNextYear(1); });
  table.Add("ModoruButtonClick", [n] { n->ModoruButtonClick(); });
  table.Add("PageRirekiBackItemClick", [n] { n->ModoruButtonClick(); });
  table.Add("SusumuButtonClick", [n] { n->SusumuButtonClick(); });
  table.Add("PageRirekiForwardItemClick", [n] { n->SusumuButtonClick(); });
  table.Add("RecordAppendItemClick", [n] { n->RecordAppendItemClick(); });
  table.Add("RecordDeleteItemClick", [n] { n->RecordDeleteItemClick(); });
  table.Add("PageListItemClick", [n] { n->PageListItemClick(); });
  table.Add("PageListSpeedButtonClick", [n] { n->PageListItemClick(); });

  PageSelector* s = &selector;
  table.Add("SelectRecordItemClick", [s] { s->SelectRecordItemClick(); });
  // The display orders: page-number order, then the tags in the order of the Order menu.
  const char* const orders[] = {"BOrderItemClick",  "TOrderItemClick",  "SOrderItemClick",
                                "DOrderItemClick",  "BTOrderItemClick", "BSOrderItemClick",
                                "BDOrderItemClick", "TSOrderItemClick", "TDOrderItemClick",
                                "SDOrderItemClick"};
  table.Add("PageOrderItemClick", [s] { s->ReOrder(-1); });
  for (int code = 0; code < 10; ++code)
    table.Add(orders[code], [s, code] { s->ReOrder(code); });
}

}  // namespace sk::browse
