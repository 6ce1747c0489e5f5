#include "app/ui/images_host.h"

#include "app/ui/mainform.h"
#include "editor/ui/text_area.h"

namespace sk::app {

namespace {

class WindowImagesHost : public images::ImagesHost {
 public:
  explicit WindowImagesHost(TSDIAppForm& f) : f_(f) {}
  void MakeImageArea(bool hide_check, bool layout, bool split) override {
    f_.MakeImageArea(hide_check, layout, split);
  }

 private:
  TSDIAppForm& f_;
};

}  // namespace

std::unique_ptr<images::ImagesHost> MakeImagesHost(TSDIAppForm& form) {
  return std::make_unique<WindowImagesHost>(form);
}

images::ImageSide::Widgets ImageWidgetsOf(TSDIAppForm& form) {
  images::ImageSide::Widgets w;
  w.side = form.Panel3;
  w.areas = {form.Image1Panel, form.Image2Panel};
  w.file_names = form.ImageFileNameEdit;
  w.caption = form.Labels[4];
  w.text_area = form.TextMemo;
  return w;
}

}  // namespace sk::app
