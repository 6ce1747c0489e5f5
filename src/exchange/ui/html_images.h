// The pictures of the HTML export: a listed name looked up along the image folders, and its pixel
// size read by Qt's image readers.  Built into the window and into sorakumo-tool (both have
// QtGui; the core library does not).
#pragma once

#include "exchange/export_format.h"

namespace sk::images {
class ImageSearchPath;
}

namespace sk::exchange {

// Sets c->find_image and c->image_size.  `path` must outlive the export; the folders are read
// once, when first asked, so set these anew for each export.
void SetHtmlImages(const images::ImageSearchPath& path, HtmlContext* c);

}  // namespace sk::exchange
