// The page list window and its grid.
//
// The grid keeps the rows on screen and nothing else: each row is a bookmark and the four cell
// texts.  Every move goes through the table (Next, Prior, First, Last, GotoBookmark), then the
// screen is read again around the new current record when it is not already on screen.  Reading
// the screen steps at most one screen's worth of records each way from the current record, plus
// one more to learn whether the order ends there, and puts the table back on the current record.
#include "browse/ui/page_list_form.h"

#include <QApplication>
#include <QFontInfo>
#include <QGlyphRun>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "convert/cp932.h"
#include "settings/settings_store.h"

namespace sk::browse {

namespace {

constexpr const char* kFieldNames[PageGrid::kColumns] = {"BUNRUI", "TITLE", "SUBTITLE", "DATE"};
constexpr int kDateColumn = 3;

// Records looked at on each side of a place of the scroll bar that holds a deleted record.
constexpr uint32_t kLiveSearch = 4096;

// "YYYYMMDD" as "yyyy/mm/dd"; a blank date stays empty.
QString DateText(const std::string& ymd) {
  if (ymd.size() != 8) return cp932::Decode(ymd);
  return QString::fromLatin1(ymd.substr(0, 4) + "/" + ymd.substr(4, 2) + "/" + ymd.substr(6, 2));
}

struct WindowValue {
  const char* name;
  int fallback;
};
// The window's width and height, then the widths of the four columns.
constexpr WindowValue kWindowValues[6] = {{"PageListW", 548},         {"PageListH", 480},
                                          {"PageListBunruiW", 83},    {"PageListTitleW", 176},
                                          {"PageListSubTitleW", 176}, {"PageListDateW", 84}};

// The font of the grid: the given one when it holds Japanese, otherwise the font the system draws
// Japanese with, in the same size and style.  So every character of every row comes from one font:
// a font without Japanese would draw the digits and Latin letters of a row itself and its kanji
// from a fallback, and a digit next to a kanji would change face from cell to cell.
QFont OneFontForJapanese(const QFont& base) {
  QTextLayout layout(QStringLiteral("日本語の頁"), base);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.isEmpty()) return base;
  const QString family = runs.front().rawFont().familyName();
  if (family.isEmpty() || family == QFontInfo(base).family()) return base;
  QFont f = base;
  f.setFamilies({family});
  return f;
}

}  // namespace

// ---- the grid ----

PageGrid::PageGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(OneFontForJapanese(font()));
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  header_model_ = new QStandardItemModel(0, kColumns, this);
  header_ = new QHeaderView(Qt::Horizontal, this);
  header_->setModel(header_model_);
  header_->setFocusPolicy(Qt::NoFocus);
  header_->setSectionsMovable(false);
  header_->setSectionsClickable(false);
  header_->setHighlightSections(false);
  header_->setStretchLastSection(false);
  header_->setSectionResizeMode(QHeaderView::Interactive);
  header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header_->setMinimumSectionSize(8);
  connect(header_, &QHeaderView::sectionResized, this, [this] {
    UpdateHorizontalBar();
    viewport()->update();
  });
  setViewportMargins(0, header_->sizeHint().height(), 0, 0);

  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &PageGrid::OnScrollAction);
  connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, &PageGrid::OnSliderReleased);
  UpdateVerticalBar();
}

void PageGrid::Bind(store::Table* table) {
  table_ = table;
  status_ = Status::Ok();
  wheel_rest_ = 0;
  Refill(0);
}

void PageGrid::SetColumnTitle(int column, const QString& title) {
  header_model_->setHeaderData(column, Qt::Horizontal, title);
}

QString PageGrid::ColumnTitle(int column) const {
  return header_model_->headerData(column, Qt::Horizontal).toString();
}

void PageGrid::SetColumnWidth(int column, int width) { header_->resizeSection(column, width); }

int PageGrid::ColumnWidth(int column) const { return header_->sectionSize(column); }

int PageGrid::RowHeight() const { return fontMetrics().height() + 6; }

int PageGrid::RowAt(int y) const {
  if (y < 0) return -1;
  int row = y / RowHeight();
  return row < RowCount() ? row : -1;
}

bool PageGrid::Check(const Status& st) {
  if (!st.ok()) status_ = st;
  return st.ok();
}

bool PageGrid::Proportional() const { return table_ != nullptr && table_->IndexName().empty(); }

bool PageGrid::ReadRow(Row* row) {
  row->bookmark = table_->GetBookmark();
  bool ok = true;
  for (int c = 0; c < kColumns; ++c) {
    std::string value;
    if (!Check(table_->ReadField(kFieldNames[c], &value))) {
      ok = false;
      value.clear();
    }
    row->cells[size_t(c)] = c == kDateColumn ? DateText(value) : cp932::Decode(value);
  }
  return ok;
}

// Steps up to n records forward or back from the table's current record, reading each; stops at
// the end of the order.  The table is left on the last record reached.
static Status Collect(store::Table& table, bool forward, int n, const std::function<void()>& read) {
  for (int i = 0; i < n; ++i) {
    store::Table::Bookmark was = table.GetBookmark();
    Status st = forward ? table.Next() : table.Prior();
    if (!st.ok()) return st;
    if (table.GetBookmark() == was) break;
    read();
  }
  return Status::Ok();
}

void PageGrid::Refill(int want) {
  rows_.clear();
  current_ = 0;
  at_start_ = at_end_ = true;
  if (table_ != nullptr && table_->is_open() && !table_->IsEmpty()) {
    const int cap = visible_rows_;
    want = std::clamp(want, 0, cap - 1);
    const store::Table::Bookmark home = table_->GetBookmark();
    Row here;
    ReadRow(&here);
    std::vector<Row> after, before;
    auto collect = [this](bool forward, int n, std::vector<Row>* out) {
      return Check(Collect(*table_, forward, n, [this, out] {
        out->emplace_back();
        ReadRow(&out->back());
      }));
    };
    auto go_home = [this, home] {
      return table_->GetBookmark() == home || Check(table_->GotoBookmark(home));
    };

    // The rows below the wanted place, and one more to learn whether the order goes on.
    const int after_want = cap - 1 - want;
    bool ok = collect(true, after_want + 1, &after);
    // The rows above: as many as the screen has room for (more when the order ended below).
    const int before_want = cap - 1 - std::min(int(after.size()), after_want);
    ok = ok && go_home() && collect(false, before_want + 1, &before);
    at_start_ = int(before.size()) <= before_want;
    if (int(before.size()) > before_want) before.resize(size_t(before_want));
    // Near the start the screen has room for more rows below.
    const int after_room = cap - 1 - int(before.size());
    if (ok && int(after.size()) > after_want && int(after.size()) < after_room + 1) {
      ok = Check(table_->GotoBookmark(after.back().bookmark)) &&
           collect(true, after_room + 1 - int(after.size()), &after);
    }
    at_end_ = int(after.size()) <= after_room;
    if (int(after.size()) > after_room) after.resize(size_t(after_room));
    go_home();

    rows_.reserve(before.size() + 1 + after.size());
    rows_.insert(rows_.end(), before.rbegin(), before.rend());
    rows_.push_back(std::move(here));
    rows_.insert(rows_.end(), after.begin(), after.end());
    current_ = int(before.size());
  }
  UpdateVerticalBar();
  viewport()->update();
}

void PageGrid::MoveBy(int n) {
  if (table_ == nullptr || rows_.empty() || n == 0) return;
  int moved = 0;
  for (int i = 0; i < std::abs(n); ++i) {
    store::Table::Bookmark was = table_->GetBookmark();
    if (!Check(n > 0 ? table_->Next() : table_->Prior())) break;
    if (table_->GetBookmark() == was) break;
    ++moved;
  }
  if (moved == 0) return;
  const int target = current_ + (n > 0 ? moved : -moved);
  if (target >= 0 && target < RowCount() &&
      rows_[size_t(target)].bookmark == table_->GetBookmark()) {
    current_ = target;
    UpdateVerticalBar();
    viewport()->update();
    return;
  }
  Refill(target);
}

void PageGrid::MoveFirst() {
  if (table_ == nullptr || rows_.empty()) return;
  Check(table_->First());
  Refill(0);
}

void PageGrid::MoveLast() {
  if (table_ == nullptr || rows_.empty()) return;
  Check(table_->Last());
  Refill(visible_rows_ - 1);
}

void PageGrid::SelectRow(int row) {
  if (table_ == nullptr || row < 0 || row >= RowCount()) return;
  if (row == current_ && table_->GetBookmark() == rows_[size_t(row)].bookmark) return;
  if (Check(table_->GotoBookmark(rows_[size_t(row)].bookmark))) {
    current_ = row;
    UpdateVerticalBar();
    viewport()->update();
  } else {
    Refill(current_);
  }
}

void PageGrid::GotoPosition(int value) {
  if (table_ == nullptr || rows_.empty()) return;
  const uint32_t count = table_->RecordCount();
  const uint32_t r = uint32_t(std::clamp<int64_t>(int64_t(value) + 1, 1, count));
  // A live record at or near that page number (deleted ones cannot be gone to).
  bool found = false;
  for (uint32_t d = 0; d <= kLiveSearch && !found; ++d) {
    if (r + d <= count && table_->GotoBookmark(r + d).ok()) found = true;
    if (!found && d > 0 && d < r && table_->GotoBookmark(r - d).ok()) found = true;
  }
  if (!found) {
    Check(r > count / 2 ? table_->Last() : table_->First());
  } else if (table_->Filtered()) {
    // The first page the filter lets through from there on: back to the one before it, then
    // forward again (or the first of all when none lies before).
    store::Table::Bookmark landed = table_->GetBookmark();
    if (Check(table_->Prior())) {
      if (table_->GetBookmark() == landed)
        Check(table_->First());
      else
        Check(table_->Next());
    }
  }
  Refill(0);
}

void PageGrid::OnScrollAction(int action) {
  if (syncing_bar_ || table_ == nullptr) return;
  QScrollBar* bar = verticalScrollBar();
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      MoveBy(1);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      MoveBy(-1);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      MoveBy(visible_rows_);
      break;
    case QAbstractSlider::SliderPageStepSub:
      MoveBy(-visible_rows_);
      break;
    case QAbstractSlider::SliderToMinimum:
      MoveFirst();
      break;
    case QAbstractSlider::SliderToMaximum:
      MoveLast();
      break;
    case QAbstractSlider::SliderMove:
      if (Proportional()) {
        GotoPosition(bar->sliderPosition());
      } else if (!bar->isSliderDown()) {
        // The wheel over the bar: the three places say only which way.
        MoveBy(bar->sliderPosition() > bar->value() ? QApplication::wheelScrollLines()
                                                    : -QApplication::wheelScrollLines());
      }
      return;  // a drag in progress keeps the thumb where the mouse has it
    default:
      return;
  }
  UpdateVerticalBar();
}

void PageGrid::OnSliderReleased() {
  if (table_ == nullptr) return;
  QScrollBar* bar = verticalScrollBar();
  if (!Proportional()) {
    if (bar->sliderPosition() <= bar->minimum())
      MoveFirst();
    else if (bar->sliderPosition() >= bar->maximum())
      MoveLast();
  }
  UpdateVerticalBar();
}

void PageGrid::UpdateVerticalBar() {
  QScrollBar* bar = verticalScrollBar();
  if (bar->isSliderDown()) return;
  syncing_bar_ = true;
  if (table_ == nullptr || rows_.empty()) {
    bar->setRange(0, 0);
  } else if (Proportional()) {
    int count = int(std::max<uint32_t>(1, table_->RecordCount()));
    bar->setRange(0, count - 1);
    bar->setSingleStep(1);
    bar->setPageStep(visible_rows_);
    bar->setValue(std::max(0, table_->RecNo() - 1));
  } else {
    bar->setRange(0, 2);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    if (current_ == 0 && at_start_)
      bar->setValue(0);
    else if (current_ == RowCount() - 1 && at_end_)
      bar->setValue(2);
    else
      bar->setValue(1);
  }
  syncing_bar_ = false;
}

void PageGrid::UpdateHorizontalBar() {
  QScrollBar* bar = horizontalScrollBar();
  int width = viewport()->width();
  bar->setRange(0, std::max(0, header_->length() - width));
  bar->setPageStep(width);
  bar->setSingleStep(20);
}

void PageGrid::LayoutHeader() {
  int h = header_->sizeHint().height();
  setViewportMargins(0, h, 0, 0);
  QRect vg = viewport()->geometry();
  header_->setGeometry(vg.left(), vg.top() - h, vg.width(), h);
}

void PageGrid::scrollContentsBy(int dx, int) {
  // Only the horizontal bar scrolls the contents; the vertical one moves the cursor.
  if (dx != 0) {
    header_->setOffset(horizontalScrollBar()->value());
    viewport()->update();
  }
}

void PageGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  LayoutHeader();
  UpdateHorizontalBar();
  int rows = std::max(1, viewport()->height() / RowHeight());
  if (rows != visible_rows_) {
    visible_rows_ = rows;
    if (table_ != nullptr) Refill(std::min(current_, rows - 1));
  }
}

void PageGrid::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QPalette& pal = palette();
  const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
  const int rh = RowHeight();
  const int width = viewport()->width();
  p.fillRect(viewport()->rect(), pal.brush(group, QPalette::Base));
  const QFontMetrics fm = fontMetrics();
  for (int r = 0; r < RowCount(); ++r) {
    const int y = r * rh;
    const bool selected = r == current_;
    if (selected) p.fillRect(QRect(0, y, width, rh), pal.brush(group, QPalette::Highlight));
    p.setPen(pal.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    for (int c = 0; c < kColumns; ++c) {
      int x = header_->sectionViewportPosition(c);
      int w = header_->sectionSize(c);
      if (x + w < 0 || x > width) continue;
      QRect cell(x + 3, y, w - 6, rh);
      p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                 fm.elidedText(rows_[size_t(r)].cells[size_t(c)], Qt::ElideRight, cell.width()));
    }
  }
  // Grid lines under each row and right of each column, as far as there are rows.
  p.setPen(pal.color(group, QPalette::Midlight));
  const int bottom = RowCount() * rh;
  for (int r = 1; r <= RowCount(); ++r) p.drawLine(0, r * rh - 1, width, r * rh - 1);
  for (int c = 0; c < kColumns; ++c) {
    int x = header_->sectionViewportPosition(c) + header_->sectionSize(c) - 1;
    p.drawLine(x, 0, x, bottom - 1);
  }
}

void PageGrid::keyPressEvent(QKeyEvent* e) {
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  switch (e->key()) {
    case Qt::Key_Up:
      MoveBy(-1);
      break;
    case Qt::Key_Down:
      MoveBy(1);
      break;
    case Qt::Key_PageUp:
      MoveBy(-visible_rows_);
      break;
    case Qt::Key_PageDown:
      MoveBy(visible_rows_);
      break;
    case Qt::Key_Home:
      MoveFirst();
      break;
    case Qt::Key_End:
      MoveLast();
      break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      QScrollBar* bar = horizontalScrollBar();
      int step = ctrl ? bar->pageStep() : bar->singleStep();
      bar->setValue(bar->value() + (e->key() == Qt::Key_Left ? -step : step));
      break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit Chosen();
      break;
    default:
      QAbstractScrollArea::keyPressEvent(e);
      return;
  }
  e->accept();
}

void PageGrid::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  if (e->button() == Qt::LeftButton) SelectRow(RowAt(e->position().toPoint().y()));
  e->accept();
}

void PageGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  int row = RowAt(e->position().toPoint().y());
  if (row < 0) return;
  SelectRow(row);
  emit Chosen();
}

void PageGrid::wheelEvent(QWheelEvent* e) {
  wheel_rest_ += e->angleDelta().y();
  const int notches = wheel_rest_ / 120;
  wheel_rest_ -= notches * 120;
  if (notches != 0) MoveBy(-notches * QApplication::wheelScrollLines());
  e->accept();
}

void PageGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  viewport()->update();
}

void PageGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  viewport()->update();
}

// ---- the window ----

TPageListForm::TPageListForm(settings::SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
  setWindowTitle(QStringLiteral("ページ一覧リスト"));
  setModal(true);
  DBGrid = new PageGrid(this);
  JumpBitBtn = new QPushButton(QStringLiteral("選択されたページにジャンプ"), this);
  CancelBitBtn = new QPushButton(QStringLiteral("キャンセル"), this);
  HelpBitBtn = new QPushButton(QStringLiteral("ヘルプ"), this);
  JumpBitBtn->setDefault(true);
  connect(JumpBitBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(DBGrid, &PageGrid::Chosen, this, &QDialog::accept);

  const char* titles[PageGrid::kColumns] = {"分類", "タイトル", "サブタイトル", "日付"};
  for (int c = 0; c < PageGrid::kColumns; ++c)
    DBGrid->SetColumnTitle(c, QString::fromUtf8(titles[c]));

  // FormCreate: the stored size and column widths, each only when it is there.
  int values[6];
  store_.OpenKey(settings::kRootKey, true);
  for (int i = 0; i < 6; ++i) {
    const WindowValue& v = kWindowValues[i];
    values[i] = store_.ValueExists(v.name) ? store_.ReadInteger(v.name, v.fallback) : v.fallback;
  }
  store_.CloseKey();
  for (int c = 0; c < PageGrid::kColumns; ++c) DBGrid->SetColumnWidth(c, values[2 + c]);
  setMinimumSize(kMinWidth, kMinHeight);
  resize(std::max(values[0], kMinWidth), std::max(values[1], kMinHeight));
  FormResize();
}

void TPageListForm::FormActivate(store::Table& table,
                                 const std::vector<std::string>& field_captions) {
  DBGrid->Bind(&table);
  for (int c = 0; c < PageGrid::kColumns && c < int(field_captions.size()); ++c)
    DBGrid->SetColumnTitle(c, cp932::FromUtf8(field_captions[size_t(c)]));
  DBGrid->setFocus(Qt::OtherFocusReason);
}

void TPageListForm::FormClose() {
  const int values[6] = {width(),
                         height(),
                         DBGrid->ColumnWidth(0),
                         DBGrid->ColumnWidth(1),
                         DBGrid->ColumnWidth(2),
                         DBGrid->ColumnWidth(3)};
  store_.OpenKey(settings::kRootKey, true);
  for (int i = 0; i < 6; ++i) store_.WriteInteger(kWindowValues[i].name, values[i]);
  store_.CloseKey();
  DBGrid->Bind(nullptr);
}

void TPageListForm::done(int r) {
  FormClose();
  QDialog::done(r);
}

void TPageListForm::FormResize() {
  const int w = std::max(width(), kMinWidth);
  const int h = std::max(height(), kMinHeight);
  if (w != width() || h != height()) resize(w, h);
  const int grid_height = h - 72;
  DBGrid->setGeometry(0, 0, w, grid_height);
  const int top = grid_height + 7;
  const int button_height = std::max(28, JumpBitBtn->sizeHint().height());
  int x = 8;
  for (QPushButton* b : {JumpBitBtn, CancelBitBtn, HelpBitBtn}) {
    int bw = std::max(b == JumpBitBtn ? 200 : 88, b->sizeHint().width());
    b->setGeometry(x, top, bw, button_height);
    x += bw + 8;
  }
}

void TPageListForm::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  FormResize();
}

void TPageListForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (e->spontaneous()) return;
  // Centred on the screen the window opens on.
  if (QScreen* s = screen()) {
    QRect area = s->availableGeometry();
    QSize outer = frameGeometry().size();
    move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
  }
}

}  // namespace sk::browse
