// The replace dialog: the string to look for and its replacement with their histories, the range
// (this page or every selected page), the start and direction, match case and confirmation.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace sk::search {

class TReplaceForm : public QDialog {
  Q_OBJECT

 public:
  // message: the information box for a refused OK ("検索文字列を指定してください。").
  TReplaceForm(QWidget* parent, std::function<void(const QString&)> message);

  // `FormActivate`: both histories in the drop-downs (an empty one gets one empty entry), the
  // newest search string in `KensakuEdit`, all selected, `ChikanEdit` empty.  CP932.
  void FormActivate(const std::vector<std::string>& kensaku,
                    const std::vector<std::string>& chikan);
  // `OnePageRadioButtonClick` / `AllPageRadioButtonClick`: the captions of the start buttons.
  void SetRangeCaptions(bool one_page);

  QString From() const;
  QString To() const;

  QComboBox* KensakuEdit = nullptr;
  QComboBox* ChikanEdit = nullptr;
  QRadioButton* OnePageRadioButton = nullptr;
  QRadioButton* AllPageRadioButton = nullptr;
  QRadioButton* FromTopToDownRadioButton = nullptr;
  QRadioButton* ToDownRadioButton = nullptr;
  QRadioButton* ToTopRadioButton = nullptr;
  QCheckBox* MatchCaseCheckBox = nullptr;
  QCheckBox* KakuninCheckBox = nullptr;

 private:
  // `OkBitBtnClick`: an empty search string keeps the dialog open.
  void OkBitBtnClick();
  void showEvent(QShowEvent* e) override;
  std::function<void(const QString&)> message_;
};

}  // namespace sk::search
