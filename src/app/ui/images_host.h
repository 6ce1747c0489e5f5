// The window's side of the image side: its layout acts, and the widgets it hands over.
#pragma once

#include <memory>

#include "images/ui/image_side.h"

namespace sk::app {

class TSDIAppForm;

std::unique_ptr<images::ImagesHost> MakeImagesHost(TSDIAppForm& form);
// The window's image areas, the file-name box, the image caption and the text area.
images::ImageSide::Widgets ImageWidgetsOf(TSDIAppForm& form);

}  // namespace sk::app
