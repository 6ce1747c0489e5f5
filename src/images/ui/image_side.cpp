// Drawing the image side: the list of the page on show, which names go into the two areas, the
// pictures placed by the display mode, the texts for link files and missing files, the count
// caption, moving through the list, the display mode, the refresh timers and the menus' enabling.
#include "images/ui/image_side.h"

#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/ui/mainform.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"
#include "images/image_geometry.h"
#include "images/image_list.h"
#include "images/ui/picture_canvas.h"
#include "images/ui/picture_loader.h"

namespace sk::images {

using app::B;
using app::Q;

namespace {

// Calls `fn` when the watched widget gets an event of `type`; `consume`: the event ends there.
class EventHook : public QObject {
 public:
  EventHook(QObject* parent, QEvent::Type type, bool consume, std::function<void()> fn)
      : QObject(parent), type_(type), consume_(consume), fn_(std::move(fn)) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != type_) return false;
    fn_();
    return consume_;
  }

 private:
  QEvent::Type type_;
  bool consume_;
  std::function<void()> fn_;
};

QSize ScreenSize() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().size() : QSize(1920, 1080);
}

constexpr size_t kCachedPictures = 4;

}  // namespace

// A decoded picture kept for redrawing the same file at the same size without decoding it again
// (the periodic refresh, a partial redraw).  The file's size and modification time tell a change.
struct ImageSide::CachedPicture {
  QString path;
  qint64 file_size = -1;
  QDateTime modified;
  int mode = 0;
  QSize area;
  LoadedPicture picture;
};

ImageSide::ImageSide(app::TSDIAppForm& form) : f_(form) {
  for (int slot = 0; slot < 2; ++slot) {
    QScrollArea* a = Area(slot);
    a->setWidgetResizable(false);
    a->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* c = new PictureCanvas;
    c->setObjectName(slot == 0 ? QStringLiteral("Image") : QStringLiteral("Image2"));
    a->setWidget(c);
    canvas_[size_t(slot)] = c;
    auto* open = new EventHook(a, QEvent::MouseButtonDblClick, true, [this, slot] {
      if (f_.FileIsOpen()) OpenViewer(slot);
    });
    a->viewport()->installEventFilter(open);
    c->installEventFilter(open);
    // A notice in place of a picture fills the area: when the area changes size (the layout
    // settling after a start, a splitter moved) it is centred again rather than left larger.
    a->installEventFilter(new EventHook(a, QEvent::Resize, false, [this, slot] {
      const QStringList lines = canvas_[size_t(slot)]->lines();
      if (!lines.isEmpty()) ImageStrDisplay(slot + 1, lines);
    }));
  }
  f_.ImageFileNameEdit->installEventFilter(
      new EventHook(f_.ImageFileNameEdit, QEvent::MouseButtonDblClick, true, [this] {
        if (f_.FileIsOpen()) ImageFileDirectEditItemClick();
      }));
  // No refresh comes while the user types: every key starts the refresh period again.
  f_.TextMemo->installEventFilter(
      new EventHook(f_.TextMemo, QEvent::KeyPress, false, [this] { RestartTimer2(); }));
  redraw_ = new QTimer(&f_);
  redraw_->setSingleShot(true);
  redraw_->setInterval(30);
  QObject::connect(redraw_, &QTimer::timeout, &f_, [this] {
    if (f_.FileIsOpen()) DrawImage(0, false);
  });
  ChangeImageMode(false, ImageAction);
}

void ImageSide::RedrawSoon() { redraw_->start(); }

ImageSide::~ImageSide() = default;

void ImageSide::ClearPictureCache() { cache_.clear(); }

QScrollArea* ImageSide::Area(int slot) const { return slot == 0 ? f_.Image1Panel : f_.Image2Panel; }

// ---- the search path ----

void ImageSide::SetImageDirList() { SearchPath.SetImageDirList(cp932::ToUtf8(f_.Conf.ImageDir)); }

std::string ImageSide::ImageDirValue() const {
  return B(QString::fromStdString(SearchPath.ImageDirValue()));
}

void ImageSide::SetPageFileDir(const QString& folder) {
  SearchPath.SetPageFileDir(folder.toStdString());
}

std::string ImageSide::GetPureImageFileNames() {
  if (!f_.FileIsOpen()) {
    TextAltFileName.clear();
    return {};
  }
  return images::GetPureImageFileNames(f_.MainTable.FieldString("IMAGEFILE"), &TextAltFileName);
}

// ---- drawing ----

void ImageSide::DeleteImage(int area) {
  for (int slot = 0; slot < 2; ++slot)
    if (area == 0 || area == slot + 1) canvas_[size_t(slot)]->Clear();
  if (area == 0) f_.ImageFileNameEdit->clear();
}

void ImageSide::ResetScroll(int slot) {
  Area(slot)->horizontalScrollBar()->setValue(0);
  Area(slot)->verticalScrollBar()->setValue(0);
}

void ImageSide::ResetImageScrollPos() {
  for (int slot = 0; slot < 2; ++slot) ResetScroll(slot);
}

void ImageSide::ClearPage() {
  DeleteImage(0);
  ImageList.clear();
  AreaPath = {};
  TextAltFileName.clear();
  no_image_names_ = true;
  f_.MakeImageArea(true, false, false);
}

void ImageSide::ShowPageImages() {
  ImageNum = 0;
  DrawImage(0, true);
}

void ImageSide::ShowImagesFrom(int index) {
  ImageNum = std::max(0, index);
  ImageStep = kStepNone;
  DrawImage(0, true);
}

void ImageSide::DrawImage(int area, bool reset_scroll) {
  DeleteImage(area);
  f_.SetImageCursor(area, Qt::ArrowCursor);
  for (int slot = 0; slot < 2; ++slot) {
    if (area != 0 && area != slot + 1) continue;
    if (reset_scroll) ResetScroll(slot);
    AreaPath[size_t(slot)].clear();
  }
  std::vector<std::string> names_listed = SplitImageNames(GetPureImageFileNames());
  no_image_names_ = names_listed.empty();
  if (area == 0) ImageList = std::move(names_listed);
  f_.MakeImageArea(true, true, true);
  // The areas take their sizes from the layout before anything is placed in them.
  if (QLayout* l = f_.Panel3->layout()) l->activate();

  const int count = int(ImageList.size());
  const bool drawn = f_.Conf.TextImageLocation != 4 && !no_image_names_ && count > 0;
  const int areas = f_.Conf.ImageForm != 0 ? 2 : 1;
  QString names = f_.ImageFileNameEdit->text();
  if (drawn) {
    ImageNum = ChooseImageNum(ImageNum, ImageStep, &RestoreImageNum, count, areas == 2);
    int i = ImageNum;
    for (int j = 0; j < areas; ++j) {
      if (area == 0 || area == j + 1) {
        AreaImageNo[size_t(j)] = i;
        const std::string listed = ImageList[size_t(i)];
        const std::string bare = BareImageName(listed);
        std::optional<std::string> found = SearchPath.Find(cp932::ToUtf8(bare));
        if (found) {
          ImageList[size_t(i)] = bare;
          AreaPath[size_t(j)] = *found;
          if (area == 0) names = j == 0 ? Q(bare) : names + QStringLiteral(" || ") + Q(bare);
          if (KindOf(*found) == FileKind::Link) {
            ImageStrDisplay(j + 1, {Q(listed), QStringLiteral("(ダブルクリック→ファイルを開く)")});
            f_.SetImageCursor(j + 1, Qt::PointingHandCursor);
          } else {
            ShowPicture(j, QString::fromStdString(*found), listed);
          }
        } else {
          AreaPath[size_t(j)] = ";;" + cp932::ToUtf8(listed);
          ImageStrDisplay(j + 1, {Q(listed), QStringLiteral("このファイルは存在しません。")});
        }
      }
      if (count < 2) break;
      i = (i + 1) % count;
    }
  }
  if (area != 0) return;

  const QString caption = Q(f_.FieldCaptions.size() > 4 ? f_.FieldCaptions[4] : std::string());
  if (f_.Conf.TextImageLocation == 4) {
    f_.Labels[4]->setText(caption);
  } else {
    QString t;
    if (ImageList.empty())
      t = QStringLiteral("(なし)");
    else if (drawn && areas == 2 && count >= 2)
      t = QStringLiteral("(%1,%2/%3)").arg(AreaImageNo[0] + 1).arg(AreaImageNo[1] + 1).arg(count);
    else
      t = QStringLiteral("(%1/%2)").arg(AreaImageNo[0] + 1).arg(count);
    if (!f_.Conf.SmallCaptionDisp) names = t + QStringLiteral("　") + names;
    f_.Labels[4]->setText(caption + t);
  }
  f_.ImageFileNameEdit->setText(names);
  f_.ImageFileNameEdit->setCursorPosition(0);
  ImageStep = 0;
  if (f_.Conf.DoGazoRefresh && drawn) {
    Area1RefreshPending = true;
    f_.Timer1->start(500);
  }
}

bool ImageSide::ShowPicture(int slot, const QString& path, const std::string& listed) {
  QScrollArea* a = Area(slot);
  const QSize area(a->width(), a->height());
  const QSize screen = ScreenSize();
  QFileInfo info(path);
  CachedPicture* hit = nullptr;
  for (auto& c : cache_)
    if (c->path == path && c->file_size == info.size() && c->modified == info.lastModified() &&
        c->mode == ImageAction && c->area == area)
      hit = c.get();
  if (!hit) {
    auto entry = std::make_unique<CachedPicture>();
    entry->path = path;
    entry->file_size = info.size();
    entry->modified = info.lastModified();
    entry->mode = ImageAction;
    entry->area = area;
    const int mode = ImageAction;
    entry->picture = LoadPicture(path, [&](QSize full) {
      Placement p = PlacePicture(mode, area.width(), area.height(), full.width(), full.height(),
                                 screen.width(), screen.height());
      return p.scaled && decode_at_shown_size_ ? QSize(p.width, p.height) : QSize();
    });
    ++decode_count_;
    if (cache_.size() >= kCachedPictures) cache_.erase(cache_.begin());
    cache_.push_back(std::move(entry));
    hit = cache_.back().get();
  }
  const LoadedPicture& pic = hit->picture;
  if (!pic.ok()) {
    AreaImageWidth[size_t(slot)] = AreaImageHeight[size_t(slot)] = 0;
    ImageStrDisplay(slot + 1, {Q(listed), pic.error});
    return false;
  }
  AreaImageWidth[size_t(slot)] = pic.full_size.width();
  AreaImageHeight[size_t(slot)] = pic.full_size.height();
  ImageDisplay(slot + 1, pic.image, pic.full_size.width(), pic.full_size.height());
  return true;
}

void ImageSide::ImageStrDisplay(int area, const QStringList& lines) {
  const int slot = area - 1;
  QScrollArea* a = Area(slot);
  QFont font(QStringLiteral("ＭＳ ゴシック"), 10);
  QFontMetrics fm(font);
  int w = 0;
  for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
  const int h = fm.height();
  const int total_h = h * int(lines.size());
  QSize size(std::max(a->width(), w), std::max(a->height(), total_h));
  // Scroll bars only for a notice larger than the area.
  a->setHorizontalScrollBarPolicy(w > a->width() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  a->setVerticalScrollBarPolicy(total_h > a->height() ? Qt::ScrollBarAsNeeded
                                                      : Qt::ScrollBarAlwaysOff);
  canvas_[size_t(slot)]->ShowLines(lines, font, size,
                                   QPoint((size.width() - w) / 2, (size.height() - total_h) / 2));
  ResetScroll(slot);
}

void ImageSide::ImageDisplay(int area, const QImage& image, int full_w, int full_h) {
  const int slot = area - 1;
  QScrollArea* a = Area(slot);
  const int h_pos = a->horizontalScrollBar()->value();
  const int v_pos = a->verticalScrollBar()->value();
  const QSize screen = ScreenSize();
  Placement p = PlacePicture(ImageAction, a->width(), a->height(), full_w, full_h, screen.width(),
                             screen.height());
  const Qt::ScrollBarPolicy bars = p.natural ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  a->setHorizontalScrollBarPolicy(bars);
  a->setVerticalScrollBarPolicy(bars);
  canvas_[size_t(slot)]->ShowPicture(image, QRect(p.x, p.y, p.width, p.height));
  a->horizontalScrollBar()->setValue(h_pos);
  a->verticalScrollBar()->setValue(v_pos);
}

// ---- moving through the list, the display mode ----

void ImageSide::ToNextPriorImage(int direction) {
  if (!f_.FileIsOpen()) return;
  const bool two = f_.Conf.ImageForm != 0;
  const int count = int(ImageList.size());
  if (count <= (two ? 2 : 1)) return;
  ImageStep = direction == 0 ? kStepToFirst : (two ? direction * 2 : direction);
  ResetImageScrollPos();
  DrawImage(0, true);
}

void ImageSide::ChangeImageMode(bool redraw, int mode) {
  static const char* const kItems[3] = {"KakudaiShukusho_Item", "NormalSize_Item",
                                        "ToSmallSizeItem"};
  for (int m = 0; m < 3; ++m)
    if (QAction* act = f_.Action(kItems[m])) {
      act->setCheckable(true);
      act->setChecked(m == mode);
    }
  if (mode == ImageAction) return;
  ImageAction = mode;
  if (redraw) DrawImage(0, true);
}

void ImageSide::ChangeImageViewModeSpeedButtonClick() {
  if (!f_.FileIsOpen()) return;
  static const int kNext[3] = {2, 0, 1};  // 0 -> 2, 1 -> 0, 2 -> 1
  ChangeImageMode(true, kNext[std::clamp(ImageAction, 0, 2)]);
}

// ---- refresh ----

void ImageSide::Timer1Timer() {
  if (!Area1RefreshPending) return;
  Area1RefreshPending = false;
  f_.Timer1->stop();
  if (f_.FileIsOpen()) DrawImage(1, false);
}

void ImageSide::RestartTimer2() {
  f_.Timer2->start(std::clamp(f_.Conf.GazoRefreshInterval, 500, 10000));
}

void ImageSide::Timer2Timer() {
  RestartTimer2();
  if (!f_.Conf.DoGazoRefresh || !f_.FileIsOpen()) return;
  DrawImage(RefreshSide ? 1 : 2, false);
  RefreshSide = !RefreshSide;
}

// ---- enabling ----

bool ImageSide::AreaSaveAllowed(int slot) const {
  if (!f_.FileIsOpen() || f_.Conf.TextImageLocation >= 4 || ImageList.empty()) return false;
  return slot == 0 || (f_.Conf.ImageForm != 0 && ImageList.size() >= 2);
}

void ImageSide::ImageMenuClick() {
  const char* const kItems[2][3] = {{"ImageSaveAItem", "DeleteImage1Item", "ViewerAItem"},
                                    {"ImageSaveBItem", "DeleteImage2Item", "ViewerBItem"}};
  for (int slot = 0; slot < 2; ++slot)
    for (const char* name : kItems[slot])
      if (QAction* a = f_.Action(name)) a->setEnabled(AreaSaveAllowed(slot));
}

void ImageSide::AreaPopup(int slot) {
  const bool del = AreaSaveAllowed(slot);
  const bool save = del && AreaPath[size_t(slot)].rfind(";;", 0) != 0;
  const char* const kItems[2][4] = {
      {"DeleteImageAItem", "ImageSaveAPopUpItem", "PopUpImage1RefreshItem", "Viewer1Item"},
      {"DeleteImageBItem", "ImageSaveBPopUpItem", "PopUpImage2RefreshItem", "Viewer2Item"}};
  if (QAction* a = f_.Action(kItems[slot][0])) a->setEnabled(del);
  for (int k = 1; k < 4; ++k)
    if (QAction* a = f_.Action(kItems[slot][k])) a->setEnabled(save);
}

}  // namespace sk::images
