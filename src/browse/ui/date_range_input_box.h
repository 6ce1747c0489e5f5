// The page selection dialog: categories to show, a date range, and substrings of the title and the
// subtitle, with the input histories of the two text boxes.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "browse/page_selection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace sk::shell {
class Prompter;
}
namespace sk::settings {
class SettingsStore;
}

namespace sk::browse {

class TDateRangeInputBox : public QDialog {
  Q_OBJECT

 public:
  // Reads the two histories ("DateRangeTitleList", "DateRangeChoshaList") from the root key of
  // `store`; `prompter` shows the error box of a bad date.
  TDateRangeInputBox(settings::SettingsStore& store, shell::Prompter& prompter,
                     QWidget* parent = nullptr);

  // The selection that the OK button updates (through OkBtnClick); nullptr unbinds it.
  void BindSelection(PageSelection* selection) { bound_ = selection; }
  // Before each opening: the category list (CP932) and the list marks from the selection.
  void Prepare(const std::vector<std::string>& category_list, const PageSelection& selection);
  // Each opening: captions from the field captions (UTF-8: category, title, subtitle, date, ...),
  // the histories, and the boxes from the selection when the filter is on (else emptied).
  void FormActivate(const std::vector<std::string>& field_captions, const PageSelection& selection,
                    bool filtered);
  // OK: updates `selection` from the controls, writes the histories and accepts the dialog; on a
  // bad date shows the error box, leaves `selection` as it was and rejects the dialog.
  // Returns true when accepted.
  bool OkBtnClick(PageSelection& selection);
  // Clears the dialog only: all categories, no dates, no text.
  void ResetBitBtnClick();
  // Either category radio button clicked: the list is usable only while "some" is selected.
  void BunruiRadioButtonClick();

  QLabel* BunruiLabel;
  QRadioButton* SelectAllRadioButton;
  QRadioButton* SelectSomeRadioButton;
  QListWidget* BunruiListBox;
  QLabel* DateLabel;
  QLineEdit* FromDateEdit;
  QLineEdit* ToDateEdit;
  QLabel* TitleLabel;
  QComboBox* TitleEdit;
  QLabel* ChoshaLabel;
  QComboBox* ChoshaEdit;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  QPushButton* ResetBitBtn;

  const std::vector<std::string>& TitleHistory() const { return title_history_; }
  const std::vector<std::string>& ChoshaHistory() const { return chosha_history_; }

 protected:
  // Centres the dialog on the screen.
  void showEvent(QShowEvent* e) override;

 private:
  // The labels that name the fields (items 0 category, 1 title, 2 subtitle, 3 date).
  void SetCaptions(const std::vector<std::string>& field_captions);

  settings::SettingsStore& store_;
  shell::Prompter& prompter_;
  std::vector<std::string> title_history_, chosha_history_;  // CP932, newest first
  PageSelection* bound_ = nullptr;
};

}  // namespace sk::browse
