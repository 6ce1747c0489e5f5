#include "images/ui/images_command_table.h"

#include "images/ui/image_side.h"
#include "shell/command_table.h"

namespace sk::images {

void AddImageCommands(shell::CommandTable& table, ImageSide& images) {
  ImageSide* i = &images;
  table.Add("NormalSize_ItemClick", [i] { i->ChangeImageMode(true, 1); });
  table.Add("KakudaiShukusho_ItemClick", [i] { i->ChangeImageMode(true, 0); });
  table.Add("ToSmallSizeItemClick", [i] { i->ChangeImageMode(true, 2); });
  table.Add("ChangeImageViewModeSpeedButtonClick",
            [i] { i->ChangeImageViewModeSpeedButtonClick(); });
  table.Add("ToNextImageItemClick", [i] { i->ToNextPriorImage(1); });
  table.Add("ToPriorImageItemClick", [i] { i->ToNextPriorImage(-1); });
  table.Add("ToFirstImageItemClick", [i] { i->ToNextPriorImage(0); });
  table.Add("AddImageFileItemClick", [i] { i->AddImageFile(); });
  table.Add("ImageFileDirectEditItemClick", [i] { i->ImageFileDirectEditItemClick(); });
  table.Add("ImageSaveAItemClick", [i] { i->ImageSave(0); });
  table.Add("ImageSaveBItemClick", [i] { i->ImageSave(1); });
  // The menu's items name the areas 1 and 2, the popups A and B.
  table.Add("DeleteImage1ItemClick", [i] { i->DeleteImageFile(1); });
  table.Add("DeleteImage2ItemClick", [i] { i->DeleteImageFile(2); });
  table.Add("DeleteImageAItemClick", [i] { i->DeleteImageFile(1); });
  table.Add("DeleteImageBItemClick", [i] { i->DeleteImageFile(2); });
  table.Add("ViewerAItemClick", [i] { i->OpenViewer(0); });
  table.Add("ViewerBItemClick", [i] { i->OpenViewer(1); });
  table.Add("Viewer1ItemClick", [i] { i->OpenViewer(0); });
  table.Add("Viewer2ItemClick", [i] { i->OpenViewer(1); });
  table.Add("PopUpImage1RefreshItemClick", [i] { i->DrawImage(1, false); });
  table.Add("PopUpImage2RefreshItemClick", [i] { i->DrawImage(2, false); });
}

}  // namespace sk::images
