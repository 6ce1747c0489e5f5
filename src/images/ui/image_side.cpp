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

#include "convert/cp932.h"
#include "images/image_geometry.h"
#include "images/image_list.h"
#include "images/ui/picture_canvas.h"
#include "images/ui/picture_loader.h"
#include "settings/main_settings.h"
#include "shell/page_file_session.h"
#include "shell/shell_services.h"

namespace sk::images {

namespace {

QString Q(std::string_view cp932) { return cp932::Decode(cp932); }
std::string B(const QString& text) { return cp932::EncodeReplacing(text); }

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

ImageSide::ImageSide(shell::ShellServices& shell, shell::PageFileSession& session,
                     const Widgets& widgets, std::unique_ptr<ImagesHost> host)
    : shell_(shell), session_(session), w_(widgets), host_(std::move(host)) {
  for (int slot = 0; slot < 2; ++slot) {
    QScrollArea* a = Area(slot);
    a->setWidgetResizable(false);
    a->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* c = new PictureCanvas;
    c->setObjectName(slot == 0 ? QStringLiteral("Image") : QStringLiteral("Image2"));
    a->setWidget(c);
    canvas_[size_t(slot)] = c;
    auto* open = new EventHook(a, QEvent::MouseButtonDblClick, true, [this, slot] {
      if (session_.IsOpen()) OpenViewer(slot);
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
  w_.file_names->installEventFilter(
      new EventHook(w_.file_names, QEvent::MouseButtonDblClick, true, [this] {
        if (session_.IsOpen()) ImageFileDirectEditItemClick();
      }));
  // No refresh comes while the user types: every key starts the refresh period again.
  w_.text_area->installEventFilter(
      new EventHook(w_.text_area, QEvent::KeyPress, false, [this] { RestartTimer2(); }));
  // The timers belong to the image side: none fires once it is gone.
  redraw_ = std::make_unique<QTimer>();
  redraw_->setSingleShot(true);
  redraw_->setInterval(30);
  QObject::connect(redraw_.get(), &QTimer::timeout, redraw_.get(), [this] {
    if (session_.IsOpen()) DrawImage(0, false);
  });
  timer1_ = std::make_unique<QTimer>();
  timer1_->setSingleShot(true);
  QObject::connect(timer1_.get(), &QTimer::timeout, timer1_.get(), [this] { Timer1Timer(); });
  timer2_ = std::make_unique<QTimer>();
  QObject::connect(timer2_.get(), &QTimer::timeout, timer2_.get(), [this] { Timer2Timer(); });
  timer2_->start(2000);
  ChangeImageMode(false, image_action_);
}

void ImageSide::RedrawSoon() { redraw_->start(); }

ImageSide::~ImageSide() = default;

void ImageSide::ClearPictureCache() { cache_.clear(); }

QScrollArea* ImageSide::Area(int slot) const { return w_.areas[size_t(slot)]; }

// ---- the search path ----

void ImageSide::SetImageDirList() {
  search_path_.SetImageDirList(cp932::ToUtf8(shell_.conf().ImageDir));
}

std::string ImageSide::ImageDirValue() const {
  return B(QString::fromStdString(search_path_.ImageDirValue()));
}

void ImageSide::SetPageFileDir(const QString& folder) {
  search_path_.SetPageFileDir(folder.toStdString());
}

std::string ImageSide::GetPureImageFileNames() {
  if (!session_.IsOpen()) {
    text_alt_file_name_.clear();
    return {};
  }
  return images::GetPureImageFileNames(session_.table().FieldString("IMAGEFILE"),
                                       &text_alt_file_name_);
}

// ---- drawing ----

void ImageSide::DeleteImage(int area) {
  for (int slot = 0; slot < 2; ++slot)
    if (area == 0 || area == slot + 1) canvas_[size_t(slot)]->Clear();
  if (area == 0) w_.file_names->clear();
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
  image_list_.clear();
  area_path_ = {};
  text_alt_file_name_.clear();
  no_image_names_ = true;
  host_->MakeImageArea(true, false, false);
}

void ImageSide::ShowPageImages() {
  image_num_ = 0;
  DrawImage(0, true);
}

void ImageSide::ShowImagesFrom(int index) {
  image_num_ = std::max(0, index);
  image_step_ = kStepNone;
  DrawImage(0, true);
}

void ImageSide::DrawImage(int area, bool reset_scroll) {
  DeleteImage(area);
  shell_.SetImageCursor(area, Qt::ArrowCursor);
  for (int slot = 0; slot < 2; ++slot) {
    if (area != 0 && area != slot + 1) continue;
    if (reset_scroll) ResetScroll(slot);
    area_path_[size_t(slot)].clear();
  }
  std::vector<std::string> names_listed = SplitImageNames(GetPureImageFileNames());
  no_image_names_ = names_listed.empty();
  if (area == 0) image_list_ = std::move(names_listed);
  host_->MakeImageArea(true, true, true);
  // The areas take their sizes from the layout before anything is placed in them.
  if (QLayout* l = w_.side->layout()) l->activate();

  const int count = int(image_list_.size());
  const bool drawn = shell_.conf().TextImageLocation != 4 && !no_image_names_ && count > 0;
  const int areas = shell_.conf().ImageForm != 0 ? 2 : 1;
  QString names = w_.file_names->text();
  if (drawn) {
    image_num_ = ChooseImageNum(image_num_, image_step_, &restore_image_num_, count, areas == 2);
    int i = image_num_;
    for (int j = 0; j < areas; ++j) {
      if (area == 0 || area == j + 1) {
        area_image_no_[size_t(j)] = i;
        const std::string listed = image_list_[size_t(i)];
        const std::string bare = BareImageName(listed);
        std::optional<std::string> found = search_path_.Find(cp932::ToUtf8(bare));
        if (found) {
          image_list_[size_t(i)] = bare;
          area_path_[size_t(j)] = *found;
          if (area == 0) names = j == 0 ? Q(bare) : names + QStringLiteral(" || ") + Q(bare);
          if (KindOf(*found) == FileKind::Link) {
            ImageStrDisplay(j + 1, {Q(listed), QStringLiteral("(ダブルクリック→ファイルを開く)")});
            shell_.SetImageCursor(j + 1, Qt::PointingHandCursor);
          } else {
            ShowPicture(j, QString::fromStdString(*found), listed);
          }
        } else {
          area_path_[size_t(j)] = ";;" + cp932::ToUtf8(listed);
          ImageStrDisplay(j + 1, {Q(listed), QStringLiteral("このファイルは存在しません。")});
        }
      }
      if (count < 2) break;
      i = (i + 1) % count;
    }
  }
  if (area != 0) return;

  const QString caption =
      Q(shell_.field_captions().size() > 4 ? shell_.field_captions()[4] : std::string());
  if (shell_.conf().TextImageLocation == 4) {
    w_.caption->setText(caption);
  } else {
    QString t;
    if (image_list_.empty())
      t = QStringLiteral("(なし)");
    else if (drawn && areas == 2 && count >= 2)
      t = QStringLiteral("(%1,%2/%3)")
              .arg(area_image_no_[0] + 1)
              .arg(area_image_no_[1] + 1)
              .arg(count);
    else
      t = QStringLiteral("(%1/%2)").arg(area_image_no_[0] + 1).arg(count);
    if (!shell_.conf().SmallCaptionDisp) names = t + QStringLiteral("　") + names;
    w_.caption->setText(caption + t);
  }
  w_.file_names->setText(names);
  w_.file_names->setCursorPosition(0);
  image_step_ = 0;
  if (shell_.conf().DoGazoRefresh && drawn) {
    area1_refresh_pending_ = true;
    timer1_->start(500);
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
        c->mode == image_action_ && c->area == area)
      hit = c.get();
  if (!hit) {
    auto entry = std::make_unique<CachedPicture>();
    entry->path = path;
    entry->file_size = info.size();
    entry->modified = info.lastModified();
    entry->mode = image_action_;
    entry->area = area;
    const int mode = image_action_;
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
    area_image_width_[size_t(slot)] = area_image_height_[size_t(slot)] = 0;
    ImageStrDisplay(slot + 1, {Q(listed), pic.error});
    return false;
  }
  area_image_width_[size_t(slot)] = pic.full_size.width();
  area_image_height_[size_t(slot)] = pic.full_size.height();
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
  Placement p = PlacePicture(image_action_, a->width(), a->height(), full_w, full_h, screen.width(),
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
  if (!session_.IsOpen()) return;
  const bool two = shell_.conf().ImageForm != 0;
  const int count = int(image_list_.size());
  if (count <= (two ? 2 : 1)) return;
  image_step_ = direction == 0 ? kStepToFirst : (two ? direction * 2 : direction);
  ResetImageScrollPos();
  DrawImage(0, true);
}

void ImageSide::ChangeImageMode(bool redraw, int mode) {
  static const char* const kItems[3] = {"KakudaiShukusho_Item", "NormalSize_Item",
                                        "ToSmallSizeItem"};
  for (int m = 0; m < 3; ++m)
    if (QAction* act = shell_.Action(kItems[m])) {
      act->setCheckable(true);
      act->setChecked(m == mode);
    }
  if (mode == image_action_) return;
  image_action_ = mode;
  if (redraw) DrawImage(0, true);
}

void ImageSide::ChangeImageViewModeSpeedButtonClick() {
  if (!session_.IsOpen()) return;
  static const int kNext[3] = {2, 0, 1};  // 0 -> 2, 1 -> 0, 2 -> 1
  ChangeImageMode(true, kNext[std::clamp(image_action_, 0, 2)]);
}

// ---- refresh ----

void ImageSide::Timer1Timer() {
  if (!area1_refresh_pending_) return;
  area1_refresh_pending_ = false;
  timer1_->stop();
  if (session_.IsOpen()) DrawImage(1, false);
}

void ImageSide::RestartTimer2() {
  timer2_->start(std::clamp(shell_.conf().GazoRefreshInterval, 500, 10000));
}

void ImageSide::Timer2Timer() {
  RestartTimer2();
  if (!shell_.conf().DoGazoRefresh || !session_.IsOpen()) return;
  DrawImage(refresh_side_ ? 1 : 2, false);
  refresh_side_ = !refresh_side_;
}

// ---- enabling ----

bool ImageSide::AreaSaveAllowed(int slot) const {
  if (!session_.IsOpen() || shell_.conf().TextImageLocation >= 4 || image_list_.empty())
    return false;
  return slot == 0 || (shell_.conf().ImageForm != 0 && image_list_.size() >= 2);
}

void ImageSide::ImageMenuClick() {
  const char* const kItems[2][3] = {{"ImageSaveAItem", "DeleteImage1Item", "ViewerAItem"},
                                    {"ImageSaveBItem", "DeleteImage2Item", "ViewerBItem"}};
  for (int slot = 0; slot < 2; ++slot)
    for (const char* name : kItems[slot])
      if (QAction* a = shell_.Action(name)) a->setEnabled(AreaSaveAllowed(slot));
}

void ImageSide::AreaPopup(int slot) {
  const bool del = AreaSaveAllowed(slot);
  const bool save = del && area_path_[size_t(slot)].rfind(";;", 0) != 0;
  const char* const kItems[2][4] = {
      {"DeleteImageAItem", "ImageSaveAPopUpItem", "PopUpImage1RefreshItem", "Viewer1Item"},
      {"DeleteImageBItem", "ImageSaveBPopUpItem", "PopUpImage2RefreshItem", "Viewer2Item"}};
  if (QAction* a = shell_.Action(kItems[slot][0])) a->setEnabled(del);
  for (int k = 1; k < 4; ++k)
    if (QAction* a = shell_.Action(kItems[slot][k])) a->setEnabled(save);
}

}  // namespace sk::images
