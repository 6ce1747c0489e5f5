// The search dialog: the input with its history, match case, within the page, and the direction
// and starting point.  The text search and the field searches use it with their own captions.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace sk::search {

class TFindForm : public QDialog {
  Q_OBJECT

 public:
  explicit TFindForm(QWidget* parent);

  // `FormActivate`: the history of the search kind in the drop-down (an empty one gets one empty
  // entry), its first entry in the field, all of it selected; for the text search the direction
  // buttons follow "現ページのみを検索", for title, subtitle and image names they read as across
  // pages.  history: CP932.
  void FormActivate(int kind, const std::vector<std::string>& history);
  // `SetHokoCaption`: the direction buttons for a search within the page or across pages.
  void SetHokoCaption(bool in_page);
  // The date kind: only the input box and the buttons, the label "検索年月日"; false puts the
  // rest back.
  void ShowDateLayout(bool date);

  QString Input() const;
  bool Forward() const;   // "…末尾方向へ"/"…下方へ" or "先頭…"
  bool FromEdge() const;  // the first or the last page (the start or the end of the text)

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* FindMojiEdit = nullptr;
  QCheckBox* MatchCaseCheckBox = nullptr;
  QCheckBox* OnlyOnePageCheckBox = nullptr;
  QRadioButton* NextRadioButton = nullptr;
  QRadioButton* PriorRadioButton = nullptr;
  QRadioButton* FromTopRadioButton = nullptr;
  QRadioButton* FromLastRadioButton = nullptr;

 private:
  void showEvent(QShowEvent* e) override;
  QWidget* direction_box_ = nullptr;
  QWidget* hints_ = nullptr;
};

}  // namespace sk::search
