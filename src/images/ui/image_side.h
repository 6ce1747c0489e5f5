// The image side of the main window: the current page's image list, the two image areas and what
// they show, the display mode, moving through the list, the periodic refresh, and the commands on
// the linked files (adding, the direct edit, removing, saving under another name, opening).
// Owned by the main window; the window's handlers and the page display call it.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "images/image_search_path.h"

class QScrollArea;
class QTimer;
class QWidget;

namespace sk::app {
class TSDIAppForm;
}

namespace sk::images {

class PictureCanvas;

class ImageSide {
 public:
  explicit ImageSide(app::TSDIAppForm& form);
  ~ImageSide();

  // ---- Drawing ----
  // area 0: both areas and the list (a full draw); 1 or 2: that area only.  reset_scroll: the
  // scroll positions of the areas drawn start at the top left.
  void DrawImage(int area, bool reset_scroll);
  // Lines of text in an area instead of a picture (the first line green).
  void ImageStrDisplay(int area, const QStringList& lines);
  // A decoded picture in an area, placed by the display mode.  full_w x full_h: the picture's own
  // size (the image may have been decoded smaller).
  void ImageDisplay(int area, const QImage& image, int full_w, int full_h);
  // Empties the area (0: both, and the file-name box).
  void DeleteImage(int area);
  void ResetImageScrollPos();
  // A full redraw once the sizes have settled (the window or the splitter was resized): fitted
  // pictures follow their areas, and a drag redraws once.
  void RedrawSoon();
  // A page is shown: the first picture of its list (or the one RestoreImageNum names).
  void ShowPageImages();
  // The page's images again, from the name at `index` of the list on.
  void ShowImagesFrom(int index);
  // No page file: nothing listed, both areas empty, the image side collapsed when it may be.
  void ClearPage();

  // ---- Commands ----
  void ChangeImageMode(bool redraw, int mode);
  void ChangeImageViewModeSpeedButtonClick();
  // +1 next, -1 previous, 0 the first.
  void ToNextPriorImage(int direction);
  void ImageMenuClick();
  void ImageAPopUpMenuPopup() { AreaPopup(0); }
  void ImageBPopUpMenuPopup() { AreaPopup(1); }
  bool PopupAllowed(int slot) const { return !AreaPath[size_t(slot)].empty(); }
  void AddImageFile();
  void ImageFileDirectEditItemClick();
  void DeleteImageFile(int area);
  void ImageSave(int slot);
  void OpenViewer(int slot);
  bool DoWinCommand(const std::string& path);
  void Timer1Timer();
  void Timer2Timer();
  // The refresh period starts again (each tick, and each key typed in the text area).
  void RestartTimer2();

  // ---- Start-up and shutdown ----
  // Builds the search path from the "ImageDir" setting (at start and after the settings change).
  void SetImageDirList();
  // The folders to keep in "ImageDir" at shutdown (CP932; "" when none).
  std::string ImageDirValue() const;
  // The page file now open (its folder is searched right after the start folder), or none.
  void SetPageFileDir(const QString& folder);

  // True when the page on show lists no image names (the image side may collapse).
  bool NoImageNames() const { return no_image_names_; }
  // The image part of the current page's field; sets TextAltFileName.
  std::string GetPureImageFileNames();

  // ---- State (names as the rest of the program knows them) ----
  std::vector<std::string> ImageList;  // CP932 names of the page on show, in list order
  int ImageNum = 0;
  int ImageStep = 0;
  int RestoreImageNum = -1;
  std::array<int, 2> AreaImageNo{};
  std::array<int, 2> AreaImageWidth{}, AreaImageHeight{};
  std::array<std::string, 2> AreaPath;  // UTF-8 path found; ";;" + listed name when not found
  int ImageAction = 1;
  std::string TextAltFileName;  // CP932
  bool RefreshSide = false;
  bool Area1RefreshPending = false;
  int ImageSaveQuality = 75;
  ImageSearchPath SearchPath;
  // How many pictures were decoded (tests and benchmarks see the cache at work).
  int decode_count() const { return decode_count_; }
  // For benchmarks: forget the decoded pictures; decode whole pictures and scale them afterwards
  // (off) instead of asking the decoder for the size shown (on, always in the program).
  void ClearPictureCache();
  void SetDecodeAtShownSize(bool on) { decode_at_shown_size_ = on; }

 private:
  struct CachedPicture;
  QScrollArea* Area(int slot) const;
  void ResetScroll(int slot);
  void AreaPopup(int slot);
  bool AreaSaveAllowed(int slot) const;
  void SetImageField(const std::string& field);
  // The picture for an area, decoded at the size the mode shows it (or taken from the cache).
  bool ShowPicture(int slot, const QString& path, const std::string& listed);

  app::TSDIAppForm& f_;
  std::array<PictureCanvas*, 2> canvas_{};
  std::vector<std::unique_ptr<CachedPicture>> cache_;
  bool no_image_names_ = true;
  int decode_count_ = 0;
  bool decode_at_shown_size_ = true;
  QTimer* redraw_ = nullptr;
};

}  // namespace sk::images
