// The image side of the main window: the current page's image list, the two image areas and what
// they show, the display mode, moving through the list, the periodic refresh, and the commands on
// the linked files (adding, the direct edit, removing, saving under another name, opening).
// Owned by the main window; the window's handlers and the page display call it.  It sees the
// window only through the shell services, the open page file, its own widgets and `ImagesHost`.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "images/image_search_path.h"

class QLabel;
class QLineEdit;
class QScrollArea;
class QTimer;
class QWidget;

namespace sk::shell {
class PageFileSession;
class ShellServices;
}  // namespace sk::shell

namespace sk::images {

class PictureCanvas;

// What the image side needs from the window's layout.
class ImagesHost {
 public:
  virtual ~ImagesHost() = default;
  // Places the image side by the settings: hide_check: collapsed when it may be and the page
  // lists no image; layout: beside or below the text as set; split: one area or two.
  virtual void MakeImageArea(bool hide_check, bool layout, bool split) = 0;
};

class ImageSide {
 public:
  // The window's widgets the image side drives.
  struct Widgets {
    QWidget* side = nullptr;              // holds the two areas (its layout places them)
    std::array<QScrollArea*, 2> areas{};  // the first and the second image area
    QLineEdit* file_names = nullptr;      // the image file-name box of the header
    QLabel* caption = nullptr;            // the image field's caption (with the count)
    QWidget* text_area = nullptr;         // typing there puts the next refresh off
  };

  // Builds the areas' canvases, hooks the double-clicks, and starts the refresh timer.
  ImageSide(shell::ShellServices& shell, shell::PageFileSession& session, const Widgets& widgets,
            std::unique_ptr<ImagesHost> host);
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
  bool PopupAllowed(int slot) const { return !area_path_[size_t(slot)].empty(); }
  void AddImageFile();
  void ImageFileDirectEditItemClick();
  void DeleteImageFile(int area);
  void ImageSave(int slot);
  void OpenViewer(int slot);
  bool DoWinCommand(const std::string& path);
  // Timer1 (single-shot): area 1 drawn again shortly after a full draw; Timer2: the periodic
  // refresh, one area a tick.
  void Timer1Timer();
  void Timer2Timer();
  // The refresh period starts again (each tick, and each key typed in the text area).
  void RestartTimer2();
  QTimer* Timer1() const { return timer1_.get(); }
  QTimer* Timer2() const { return timer2_.get(); }

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

  // ---- State ----
  // CP932 names of the page on show, in list order.
  const std::vector<std::string>& ImageList() const { return image_list_; }
  // The index in the list of the name the first area shows.
  int ImageNum() const { return image_num_; }
  // The index to show first when the next page is drawn (-1: none; kept from a page's memory).
  int RestoreImageNum() const { return restore_image_num_; }
  void SetRestoreImageNum(int index) { restore_image_num_ = index; }
  // The display mode: 0 fitted, 1 natural size, 2 only shrunk.
  int ImageAction() const { return image_action_; }
  // The index in the list of the name an area (slot 0 or 1) shows.
  int AreaImageNo(int slot) const { return area_image_no_[size_t(slot)]; }
  // The full size of the picture an area shows (0 when it shows none).
  int AreaImageWidth(int slot) const { return area_image_width_[size_t(slot)]; }
  int AreaImageHeight(int slot) const { return area_image_height_[size_t(slot)]; }
  // UTF-8 path found for an area; ";;" + the listed name when not found; "" when none.
  const std::string& AreaPath(int slot) const { return area_path_[size_t(slot)]; }
  // The alternate file of the page's field (the name after '*'), CP932.
  const std::string& TextAltFileName() const { return text_alt_file_name_; }
  // The JPEG quality last chosen for saving under another name.
  int ImageSaveQuality() const { return image_save_quality_; }
  // The folders names are looked for in.
  ImageSearchPath& SearchPath() { return search_path_; }
  const ImageSearchPath& SearchPath() const { return search_path_; }
  // The refresh's state: area 1 is to be drawn again by Timer1; the area Timer2 draws next
  // (false: area 2, true: area 1).
  bool Area1RefreshPending() const { return area1_refresh_pending_; }
  void SetArea1RefreshPending(bool on) { area1_refresh_pending_ = on; }
  bool RefreshSide() const { return refresh_side_; }
  void SetRefreshSide(bool area1) { refresh_side_ = area1; }
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

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  Widgets w_;
  std::unique_ptr<ImagesHost> host_;
  std::vector<std::string> image_list_;
  int image_num_ = 0;
  int image_step_ = 0;
  int restore_image_num_ = -1;
  std::array<int, 2> area_image_no_{};
  std::array<int, 2> area_image_width_{}, area_image_height_{};
  std::array<std::string, 2> area_path_;
  int image_action_ = 1;
  std::string text_alt_file_name_;
  bool refresh_side_ = false;
  bool area1_refresh_pending_ = false;
  int image_save_quality_ = 75;
  ImageSearchPath search_path_;
  std::array<PictureCanvas*, 2> canvas_{};
  std::vector<std::unique_ptr<CachedPicture>> cache_;
  bool no_image_names_ = true;
  int decode_count_ = 0;
  bool decode_at_shown_size_ = true;
  std::unique_ptr<QTimer> redraw_, timer1_, timer2_;
};

}  // namespace sk::images
