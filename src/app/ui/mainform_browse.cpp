// The page and image commands of the menus and the toolbar: moving, the history, adding, deleting
// and listing pages, the selection and the display order; the image list, the display mode and
// the linked files.  Each calls a controller.
#include <functional>
#include <unordered_map>

#include "app/ui/mainform.h"
#include "app/ui/window_commands.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "images/ui/image_side.h"

namespace sk::app {

namespace {

WindowCommandMap MakeBrowseHandlers() {
  WindowCommandMap map = {
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
      {"NormalSize_ItemClick", [](TSDIAppForm& f) { f.Images->ChangeImageMode(true, 1); }},
      {"KakudaiShukusho_ItemClick", [](TSDIAppForm& f) { f.Images->ChangeImageMode(true, 0); }},
      {"ToSmallSizeItemClick", [](TSDIAppForm& f) { f.Images->ChangeImageMode(true, 2); }},
      {"ChangeImageViewModeSpeedButtonClick",
       [](TSDIAppForm& f) { f.Images->ChangeImageViewModeSpeedButtonClick(); }},
      {"ToNextImageItemClick", [](TSDIAppForm& f) { f.Images->ToNextPriorImage(1); }},
      {"ToPriorImageItemClick", [](TSDIAppForm& f) { f.Images->ToNextPriorImage(-1); }},
      {"ToFirstImageItemClick", [](TSDIAppForm& f) { f.Images->ToNextPriorImage(0); }},
      {"AddImageFileItemClick", [](TSDIAppForm& f) { f.Images->AddImageFile(); }},
      {"ImageFileDirectEditItemClick",
       [](TSDIAppForm& f) { f.Images->ImageFileDirectEditItemClick(); }},
      {"ImageSaveAItemClick", [](TSDIAppForm& f) { f.Images->ImageSave(0); }},
      {"ImageSaveBItemClick", [](TSDIAppForm& f) { f.Images->ImageSave(1); }},
      {"DeleteImage1ItemClick", [](TSDIAppForm& f) { f.Images->DeleteImageFile(1); }},
      {"DeleteImage2ItemClick", [](TSDIAppForm& f) { f.Images->DeleteImageFile(2); }},
      {"DeleteImageAItemClick", [](TSDIAppForm& f) { f.Images->DeleteImageFile(1); }},
      {"DeleteImageBItemClick", [](TSDIAppForm& f) { f.Images->DeleteImageFile(2); }},
      {"ViewerAItemClick", [](TSDIAppForm& f) { f.Images->OpenViewer(0); }},
      {"ViewerBItemClick", [](TSDIAppForm& f) { f.Images->OpenViewer(1); }},
      {"Viewer1ItemClick", [](TSDIAppForm& f) { f.Images->OpenViewer(0); }},
      {"Viewer2ItemClick", [](TSDIAppForm& f) { f.Images->OpenViewer(1); }},
      {"PopUpImage1RefreshItemClick", [](TSDIAppForm& f) { f.Images->DrawImage(1, false); }},
      {"PopUpImage2RefreshItemClick", [](TSDIAppForm& f) { f.Images->DrawImage(2, false); }},
  };
  return map;
}

const WindowCommandMap& BrowseHandlers() {
  static const WindowCommandMap map = MakeBrowseHandlers();
  return map;
}

}  // namespace

bool TSDIAppForm::RunBrowseHandler(const std::string& handler) {
  return RunCommand(BrowseHandlers(), handler, *this);
}

bool TSDIAppForm::BrowseCommandBuilt(const std::string& handler) {
  return BrowseHandlers().count(handler) > 0;
}

}  // namespace sk::app
