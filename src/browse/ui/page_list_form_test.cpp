// The page list window: the grid follows the table's cursor in its order and filter, reading only
// the rows on screen; the window keeps its size and column widths in the settings.
#include "browse/ui/page_list_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGlyphRun>
#include <QHeaderView>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <algorithm>
#include <memory>
#include <set>

#include "settings/settings_store.h"
#include "store/test_util.h"

namespace sk::browse {
namespace {

using store::Table;
using store::test::J;

constexpr int kPages = 70;
const int kDeleted[] = {1, 5, 6, 17, 30, 31, 32, 69, 70};

// Titles repeat (ties in title order fall back to the page number); every fifth date is blank.
store::test::Page PageAt(int i) {
  store::test::Page p;
  p.bunrui = J("分類") + std::to_string(i % 4);
  p.title = J("題") + std::string(1, char('A' + (i * 7) % 13));
  p.subtitle = "sub" + std::to_string(i);
  p.date = i % 5 == 0
               ? ""
               : "2024" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(i % 12 + 1) + "15";
  return p;
}

class PageListFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath("pages.dbf").toStdString();
    std::vector<store::test::Page> pages;
    for (int i = 1; i <= kPages; ++i) pages.push_back(PageAt(i));
    store::test::MakePageFile(path_, pages);
    ASSERT_TRUE(table_.Open(path_, store::PageFileOptions()).ok());
    for (int r : kDeleted) {
      ASSERT_TRUE(table_.GotoBookmark(Table::Bookmark(r)).ok());
      ASSERT_TRUE(table_.Delete().ok());
    }
    store_ = std::make_unique<settings::SettingsStore>(SettingsPath());
  }

  std::string SettingsPath() const { return dir_.filePath("sorakumo.conf").toStdString(); }

  // A window about nine rows high, shown and bound to the table.
  std::unique_ptr<TPageListForm> Open() {
    auto form = std::make_unique<TPageListForm>(*store_);
    form->resize(548, 300);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // Nine rows whatever the font's height.
    while (form->DBGrid->VisibleRows() > 9 && form->height() > TPageListForm::kMinHeight) {
      form->resize(form->width(), form->height() - 4);
      QApplication::processEvents();
    }
    form->FormActivate(table_, {"分類X", "タイトルX", "サブX", "日付X"});
    return form;
  }

  // The rows on screen are consecutive records of the order, the selected one is the table's
  // current record, and the screen is full as far as the order allows.
  void ExpectConsistent(const PageGrid& grid, const std::vector<int>& order) {
    ASSERT_EQ(grid.RowCount(), std::min<int>(grid.VisibleRows(), int(order.size())));
    if (order.empty()) {
      EXPECT_EQ(grid.CurrentRow(), -1);
      return;
    }
    auto top = std::find(order.begin(), order.end(), int(grid.RowBookmark(0)));
    ASSERT_NE(top, order.end());
    ASSERT_LE(top - order.begin() + grid.RowCount(), int(order.size()));
    for (int r = 0; r < grid.RowCount(); ++r)
      EXPECT_EQ(int(grid.RowBookmark(r)), top[r]) << "row " << r;
    EXPECT_EQ(int(grid.RowBookmark(grid.CurrentRow())), table_.RecNo());
  }

  QTemporaryDir dir_;
  std::string path_;
  Table table_;
  std::unique_ptr<settings::SettingsStore> store_;
};

struct OrderCase {
  const char* name;
  const char* tag;
  bool every_third;
};

class PageListOrderTest : public PageListFormTest, public ::testing::WithParamInterface<OrderCase> {
 protected:
  void SetUp() override {
    PageListFormTest::SetUp();
    ASSERT_TRUE(table_.SetIndexName(GetParam().tag).ok());
    if (GetParam().every_third) {
      table_.SetFilter([](const Table& t) { return t.RecNo() % 3 == 0; });
      ASSERT_TRUE(table_.SetFiltered(true).ok());
    }
    order_ = store::test::WalkRecNos(table_);
    ASSERT_GT(order_.size(), 15u);
  }
  std::vector<int> order_;
};

TEST_P(PageListOrderTest, GridWalksTheTableOrder) {
  const int mid = order_[order_.size() / 2];
  ASSERT_TRUE(table_.GotoBookmark(Table::Bookmark(mid)).ok());
  auto form = Open();
  PageGrid& grid = *form->DBGrid;
  ASSERT_GT(grid.VisibleRows(), 3);
  ASSERT_LT(grid.VisibleRows(), int(order_.size()));
  EXPECT_EQ(table_.RecNo(), mid);
  EXPECT_EQ(grid.CurrentRow(), 0);
  ExpectConsistent(grid, order_);
  EXPECT_TRUE(grid.hasFocus());

  QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(table_.RecNo(), order_.front());
  EXPECT_EQ(grid.CurrentRow(), 0);
  ExpectConsistent(grid, order_);

  // Down through the whole grid and past its end, then Up back past its start.
  std::vector<int> down{table_.RecNo()};
  for (size_t i = 0; i < order_.size() + 2; ++i) {
    QTest::keyClick(&grid, Qt::Key_Down);
    if (table_.RecNo() != down.back()) down.push_back(table_.RecNo());
    ExpectConsistent(grid, order_);
  }
  EXPECT_EQ(down, order_);
  EXPECT_EQ(grid.CurrentRow(), grid.RowCount() - 1);
  std::vector<int> up{table_.RecNo()};
  for (size_t i = 0; i < order_.size() + 2; ++i) {
    QTest::keyClick(&grid, Qt::Key_Up);
    if (table_.RecNo() != up.back()) up.push_back(table_.RecNo());
  }
  std::reverse(up.begin(), up.end());
  EXPECT_EQ(up, order_);

  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(table_.RecNo(), order_.back());
  EXPECT_EQ(grid.CurrentRow(), grid.RowCount() - 1);
  ExpectConsistent(grid, order_);

  // A screen up from the last row, and a screen down again.
  const int n = int(order_.size());
  const int rows = grid.VisibleRows();
  QTest::keyClick(&grid, Qt::Key_PageUp);
  EXPECT_EQ(table_.RecNo(), order_[size_t(n - 1 - rows)]);
  ExpectConsistent(grid, order_);
  QTest::keyClick(&grid, Qt::Key_PageDown);
  EXPECT_EQ(table_.RecNo(), order_.back());
  ExpectConsistent(grid, order_);
  EXPECT_TRUE(grid.status().ok()) << grid.status().message();
}

TEST_P(PageListOrderTest, OpensOnTheCurrentRecordNearTheEnds) {
  // On the last record the screen is filled from above; on the first, from below.
  for (int current : {order_.back(), order_[order_.size() - 2], order_.front()}) {
    ASSERT_TRUE(table_.GotoBookmark(Table::Bookmark(current)).ok());
    auto form = Open();
    EXPECT_EQ(table_.RecNo(), current);
    ExpectConsistent(*form->DBGrid, order_);
    EXPECT_EQ(form->DBGrid->RowCount(), form->DBGrid->VisibleRows());
  }
}

TEST_P(PageListOrderTest, MouseWheelAndScrollBarMoveTheTable) {
  ASSERT_TRUE(table_.First().ok());
  auto form = Open();
  PageGrid& grid = *form->DBGrid;
  QScrollBar* bar = grid.verticalScrollBar();
  // Page-number order: the thumb at the page number; a tag's order: first, between, last.
  const bool coarse = *GetParam().tag != 0;
  auto thumb = [&] { return coarse ? bar->value() : bar->value() + 1; };
  EXPECT_EQ(thumb(), coarse ? 0 : order_.front());

  // A click on the fourth row, then one wheel notch down.
  const int row_h = grid.viewport()->height() / grid.VisibleRows();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, row_h * 3 + row_h / 2));
  EXPECT_EQ(table_.RecNo(), order_[3]);
  EXPECT_EQ(grid.CurrentRow(), 3);
  QPoint at(20, 5);
  QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid.viewport(), &wheel);
  EXPECT_EQ(table_.RecNo(), order_[size_t(3 + QApplication::wheelScrollLines())]);
  ExpectConsistent(grid, order_);
  EXPECT_EQ(thumb(), coarse ? 1 : table_.RecNo());

  // The bar's arrow, then its thumb dragged to the far end.
  const int before = table_.RecNo();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(table_.RecNo(), *(std::find(order_.begin(), order_.end(), before) + 1));
  bar->setSliderDown(true);
  bar->setSliderPosition(bar->maximum());
  bar->setSliderDown(false);
  EXPECT_EQ(table_.RecNo(), order_.back());
  EXPECT_EQ(thumb(), coarse ? 2 : order_.back());
  ExpectConsistent(grid, order_);
}

INSTANTIATE_TEST_SUITE_P(Orders, PageListOrderTest,
                         ::testing::Values(OrderCase{"PageNumber", "", false},
                                           OrderCase{"Title", "T", false},
                                           OrderCase{"PageNumberEveryThird", "", true},
                                           OrderCase{"TitleEveryThird", "T", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageListFormTest, ShowsTheFieldsAndCaptions) {
  ASSERT_TRUE(table_.GotoBookmark(10).ok());  // its date is blank
  auto form = Open();
  PageGrid& grid = *form->DBGrid;
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("ページ一覧リスト"));
  EXPECT_EQ(grid.ColumnTitle(1), QString::fromUtf8("タイトルX"));
  EXPECT_EQ(grid.CellText(0, 0), QString::fromUtf8("分類2"));
  EXPECT_EQ(grid.CellText(0, 1), QString::fromUtf8("題") + QChar('A' + 70 % 13));
  EXPECT_EQ(grid.CellText(0, 2), QString("sub10"));
  EXPECT_EQ(grid.CellText(0, 3), QString());
  EXPECT_EQ(grid.CellText(1, 3), QString("2024/12/15"));  // page 11
}

// Every character of every cell is drawn from one font: a digit after a kanji ("分類2") looks like
// the digits of a date.
TEST_F(PageListFormTest, OneFontForEveryCell) {
  auto form = Open();
  PageGrid& grid = *form->DBGrid;
  ASSERT_GT(grid.RowCount(), 1);
  std::set<QString> families;
  for (int r = 0; r < grid.RowCount(); ++r) {
    for (int c = 0; c < PageGrid::kColumns; ++c) {
      QTextLayout layout(grid.CellText(r, c), grid.font());
      layout.beginLayout();
      layout.createLine();
      layout.endLayout();
      for (const QGlyphRun& run : layout.glyphRuns()) families.insert(run.rawFont().familyName());
    }
  }
  EXPECT_EQ(families.size(), 1u)
      << QStringList(families.begin(), families.end()).join(", ").toStdString();
}

TEST_F(PageListFormTest, DeepDragInPageNumberOrderLandsNearThatPage) {
  ASSERT_TRUE(table_.First().ok());
  auto form = Open();
  QScrollBar* bar = form->DBGrid->verticalScrollBar();
  EXPECT_EQ(bar->maximum(), kPages - 1);
  EXPECT_EQ(bar->value(), 1);  // page 2: page 1 is deleted
  // Pages 30 to 32 are deleted: a drag to page 31 lands on the nearest live page, 33, and one to
  // page 30 on 29.
  for (auto [to, lands] : {std::pair{31, 33}, std::pair{30, 29}, std::pair{50, 50}}) {
    bar->setSliderDown(true);
    bar->setSliderPosition(to - 1);
    bar->setSliderDown(false);
    EXPECT_EQ(table_.RecNo(), lands);
    EXPECT_EQ(form->DBGrid->CurrentRow(), 0);
    EXPECT_EQ(bar->value(), lands - 1);
  }
}

TEST_F(PageListFormTest, SinglePageAndEmptySelection) {
  for (bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty" : "one page");
    table_.SetFilter([empty](const Table& t) { return !empty && t.RecNo() == 40; });
    ASSERT_TRUE(table_.SetFiltered(true).ok());
    ASSERT_EQ(table_.IsEmpty(), empty);
    auto form = Open();
    PageGrid& grid = *form->DBGrid;
    EXPECT_EQ(grid.RowCount(), empty ? 0 : 1);
    for (auto key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Up, Qt::Key_Home}) {
      QTest::keyClick(&grid, key, Qt::ControlModifier);
      QTest::keyClick(&grid, key);
      EXPECT_EQ(table_.RecNo(), empty ? 0 : 40);
      EXPECT_EQ(grid.CurrentRow(), empty ? -1 : 0);
    }
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, 100));
    QScrollBar* bar = grid.verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(table_.RecNo(), empty ? 0 : 40);
    EXPECT_TRUE(grid.status().ok()) << grid.status().message();
    form->reject();
    ASSERT_TRUE(table_.SetFiltered(false).ok());
  }
}

TEST_F(PageListFormTest, EnterAndDoubleClickChooseThePage) {
  ASSERT_TRUE(table_.GotoBookmark(20).ok());
  auto form = Open();
  QTest::keyClick(form->DBGrid, Qt::Key_Down);
  QTest::keyClick(form->DBGrid, Qt::Key_Return);
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(table_.RecNo(), 21);

  form = Open();
  PageGrid& grid = *form->DBGrid;
  const int row_h = grid.viewport()->height() / grid.VisibleRows();
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, row_h * 2 + row_h / 2));
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(table_.RecNo(), 23);
}

// Every way of closing writes the size and the column widths; a new window reads them back.
TEST_F(PageListFormTest, SettingsSurviveEveryWayOfClosing) {
  struct Case {
    const char* name;
    void (*close)(TPageListForm&);
  };
  const Case cases[] = {
      {"jump", [](TPageListForm& f) { f.JumpBitBtn->click(); }},
      {"cancel", [](TPageListForm& f) { f.CancelBitBtn->click(); }},
      {"escape", [](TPageListForm& f) { QTest::keyClick(f.DBGrid, Qt::Key_Escape); }},
      {"close button", [](TPageListForm& f) { f.close(); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ++n;
    {
      auto form = Open();
      form->resize(600 + n, 350 + n);
      form->DBGrid->header()->resizeSection(0, 50 + n);
      form->DBGrid->header()->resizeSection(3, 120 + n);
      c.close(*form);
      EXPECT_FALSE(form->isVisible());
      EXPECT_EQ(form->DBGrid->table(), nullptr);
    }
    store_.reset();  // written to the file
    store_ = std::make_unique<settings::SettingsStore>(SettingsPath());
    TPageListForm again(*store_);
    EXPECT_EQ(again.size(), QSize(600 + n, 350 + n));
    EXPECT_EQ(again.DBGrid->ColumnWidth(0), 50 + n);
    EXPECT_EQ(again.DBGrid->ColumnWidth(1), 176);
    EXPECT_EQ(again.DBGrid->ColumnWidth(3), 120 + n);
  }
}

TEST_F(PageListFormTest, SizeRule) {
  // Defaults, then stored values too small for the window.
  {
    TPageListForm form(*store_);
    EXPECT_EQ(form.size(), QSize(548, 480));
    EXPECT_EQ(form.DBGrid->ColumnWidth(0), 83);
    EXPECT_EQ(form.DBGrid->ColumnWidth(2), 176);
    EXPECT_EQ(form.DBGrid->ColumnWidth(3), 84);
  }
  store_->OpenKey(settings::kRootKey, true);
  store_->WriteInteger("PageListW", 100);
  store_->WriteInteger("PageListH", 50);
  store_->CloseKey();
  TPageListForm form(*store_);
  EXPECT_EQ(form.size(), QSize(401, 200));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  for (QSize asked : {QSize(300, 100), QSize(700, 150), QSize(380, 500), QSize(650, 420)}) {
    form.resize(asked);
    QApplication::processEvents();
    const QSize expect(std::max(asked.width(), 401), std::max(asked.height(), 200));
    EXPECT_EQ(form.size(), expect);
    EXPECT_EQ(form.DBGrid->geometry(), QRect(0, 0, expect.width(), expect.height() - 72));
    for (QPushButton* b : {form.JumpBitBtn, form.CancelBitBtn, form.HelpBitBtn})
      EXPECT_EQ(b->y(), expect.height() - 72 + 7);
  }
  form.reject();
}

}  // namespace
}  // namespace sk::browse
