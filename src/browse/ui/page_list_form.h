// The page list: a grid of the pages the main window visits (its selection, in its display order),
// one row per page, opened on the page on show.  The grid reads the pages through the table's
// cursor as they come into view, so it opens at once on a file of any size; moving the grid's
// cursor moves the table's current record.
#pragma once

#include <QAbstractScrollArea>
#include <QDialog>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "convert/status.h"
#include "store/table.h"

class QHeaderView;
class QPushButton;
class QStandardItemModel;

namespace sk::settings {
class SettingsStore;
}

namespace sk::browse {

// A read-only grid of the category, title, subtitle and date of the pages a table's cursor
// visits, in its order and under its filter.  It holds only the rows on screen: they are read by
// stepping from the current record with Next and Prior, and remembered by their bookmarks.  The
// selected row is always the table's current record.
//
// The vertical scroll bar: in page-number order its thumb stands at the current page number
// within the record count (deleted records included, so it is approximate) and dragging it goes
// to about that page; in a tag's order it has three places only (first, somewhere between, last),
// and dragging it to an end goes to the first or last page.  Its arrows and track move by a row
// and by a screen as the keys do.
class PageGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr int kColumns = 4;  // BUNRUI, TITLE, SUBTITLE, DATE

  explicit PageGrid(QWidget* parent = nullptr);

  // Binds the grid to an open table, filling the screen from its current record (shown in the
  // top row unless the order ends before the screen is full).  nullptr unbinds.
  void Bind(store::Table* table);
  store::Table* table() const { return table_; }

  void SetColumnTitle(int column, const QString& title);
  QString ColumnTitle(int column) const;
  void SetColumnWidth(int column, int width);
  int ColumnWidth(int column) const;
  QHeaderView* header() const { return header_; }

  // The rows on screen: their records, their cell texts, and which one is selected (-1: none).
  int RowCount() const { return int(rows_.size()); }
  store::Table::Bookmark RowBookmark(int row) const { return rows_[size_t(row)].bookmark; }
  QString CellText(int row, int column) const { return rows_[size_t(row)].cells[size_t(column)]; }
  int CurrentRow() const { return rows_.empty() ? -1 : current_; }
  // Rows that fit on screen (at least one).
  int VisibleRows() const { return visible_rows_; }
  // The last fault of the table met while moving or reading (Ok when there was none).
  const Status& status() const { return status_; }

  // Moves the cursor as the keys do: by n rows (negative: up), to the first or the last page.
  void MoveBy(int n);
  void MoveFirst();
  void MoveLast();
  // Makes the record of a row on screen current (a click on it).
  void SelectRow(int row);

 signals:
  // Enter or a double click on a row: the page under the cursor is chosen.
  void Chosen();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  struct Row {
    store::Table::Bookmark bookmark = 0;
    std::array<QString, kColumns> cells;
  };

  int RowHeight() const;
  int RowAt(int y) const;
  void LayoutHeader();
  void UpdateHorizontalBar();
  void UpdateVerticalBar();
  // Reads the screen again around the table's current record, wanting it in row `want` (the
  // rows before it as far as the order allows, then the rows after it).
  void Refill(int want);
  bool ReadRow(Row* row);
  bool Check(const Status& st);
  void OnScrollAction(int action);
  void OnSliderReleased();
  // Goes to about the record at a place of the proportional scroll bar (page-number order).
  void GotoPosition(int value);
  bool Proportional() const;

  store::Table* table_ = nullptr;
  QHeaderView* header_;
  QStandardItemModel* header_model_;
  std::vector<Row> rows_;
  int current_ = 0;
  bool at_start_ = false;  // the top row is the first record of the order
  bool at_end_ = false;    // the bottom row is the last record of the order
  int visible_rows_ = 1;
  int wheel_rest_ = 0;  // eighths of a degree not yet turned into rows
  bool syncing_bar_ = false;
  Status status_;
};

class TPageListForm : public QDialog {
  Q_OBJECT

 public:
  // Reads the window size and the four column widths from the root key of `store`.
  TPageListForm(settings::SettingsStore& store, QWidget* parent = nullptr);

  // Each opening: binds the grid to `table` (open, its filter and order in force) with the
  // current record selected, sets the column titles (UTF-8: category, title, subtitle, date) and
  // focuses the grid.
  void FormActivate(store::Table& table, const std::vector<std::string>& field_captions);
  // Each closing (OK or cancel): writes the size and the column widths; unbinds the grid.
  void FormClose();

  // Closing by a button, Escape or the window's close button ends here, and writes the settings.
  void done(int r) override;

  PageGrid* DBGrid;
  QPushButton* JumpBitBtn;
  QPushButton* CancelBitBtn;
  QPushButton* HelpBitBtn;

  static constexpr int kMinWidth = 401;
  static constexpr int kMinHeight = 200;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  // The size rule: the minimum size, the grid above the buttons.
  void FormResize();

  settings::SettingsStore& store_;
};

}  // namespace sk::browse
