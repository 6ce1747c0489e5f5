// The page list: a grid of the pages the main window visits (its selection, in its display order),
// one row per page, opened on the page on show.  The grid reads the pages through the table's
// cursor as they come into view, so it opens at once on a file of any size; moving the grid's
// cursor moves the table's current record.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPushButton;

namespace sk::store {
class Table;
}
namespace sk::settings {
class SettingsStore;
}

namespace sk::browse {

class PageGrid;  // the grid widget, defined in page_list_form.cpp

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

  PageGrid* DBGrid;
  QPushButton* JumpBitBtn;
  QPushButton* CancelBitBtn;
  QPushButton* HelpBitBtn;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  settings::SettingsStore& store_;
};

}  // namespace sk::browse
