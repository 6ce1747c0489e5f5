// The add-page dialog: how a new page is filled (blank, or copied field by field from the page on
// show) and whether it takes over the page's own view mode.  The choices are kept in the seven
// characters of AddPageMode.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace sk::browse {

// The seven positions of AddPageMode, each on when its character is '1' (missing characters are
// off): copy mode, then copy category, title, subtitle, text, date, then take over the view mode.
struct AddPageChoice {
  bool copy = false;
  bool bunrui = false, title = false, chosha = false, text = false, date = false;
  bool view_mode = false;
};
AddPageChoice ParseAddPageMode(std::string_view mode);
std::string FormatAddPageMode(const AddPageChoice& choice);

class TAddPageForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAddPageForm(QWidget* parent = nullptr);

  // Each opening: the controls from `add_page_mode`, the check box captions from the field
  // captions (UTF-8: category, title, subtitle, date, ...), the view-mode group enabled only when
  // the page on show has its own view mode.
  void FormActivate(const std::string& add_page_mode,
                    const std::vector<std::string>& field_captions, bool page_has_view_mode);
  // OK: the AddPageMode the controls now describe; the dialog is accepted.
  std::string OkBitBtnClick();
  void SetCheckBoxEnabled();

  QRadioButton* NotCopyRadioButton;
  QRadioButton* CopyRadioButton;
  QGroupBox* GroupBox2;
  QCheckBox* CheckBox1;  // category
  QCheckBox* CheckBox2;  // title
  QCheckBox* CheckBox3;  // subtitle
  QCheckBox* CheckBox4;  // text
  QCheckBox* CheckBox5;  // date
  QGroupBox* PageViewModeRadioGroup;
  QRadioButton* TakeOverRadioButton;  // "引き継ぐ", index 0
  QRadioButton* KeepOwnRadioButton;   // "引き継がない", index 1
  QPushButton* OkBitBtn;
  QPushButton* CancelBitBtn;
  QPushButton* HelpBitBtn;

  // The AddPageMode built by the last OK.
  const std::string& result() const { return result_; }

 protected:
  // Centres the dialog on the screen.
  void showEvent(QShowEvent* e) override;

 private:
  std::string result_;
};

}  // namespace sk::browse
