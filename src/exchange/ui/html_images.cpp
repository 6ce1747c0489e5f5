#include "exchange/ui/html_images.h"

#include <QImageReader>
#include <memory>

#include "convert/cp932.h"
#include "images/image_search_path.h"

namespace sk::exchange {

void SetHtmlImages(const images::ImageSearchPath& path, HtmlContext* c) {
  // Names in the page are CP932; the search path and the file system speak UTF-8.  A found path
  // that CP932 cannot hold is not written into the page.  Each folder is listed once for the
  // whole export: most pages of a large file name pictures that no folder holds.
  auto listings = std::make_shared<images::FolderListings>();
  c->find_image = [&path, listings](std::string_view bare) -> std::optional<std::string> {
    std::optional<std::string> found = path.Find(cp932::ToUtf8(bare), listings.get());
    std::string cp932_path;
    if (!found || !cp932::FromUtf8ToCp932(*found, &cp932_path)) return std::nullopt;
    return cp932_path;
  };
  c->image_size = [](const std::string& cp932_path, int* width, int* height) {
    const QSize size = QImageReader(cp932::Decode(cp932_path)).size();
    if (!size.isValid()) return false;
    *width = size.width();
    *height = size.height();
    return true;
  };
}

}  // namespace sk::exchange
