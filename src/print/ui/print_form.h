// The print settings dialog: paper, writing direction, columns, bag binding, margins and
// spacing, the three fonts, the page title items, the document title with its history, where
// pictures go, the conversions of vertical writing and the pages to print.
//
// The dialog lives as long as the program.  Its values are read from the settings when it is
// made and written whenever it closes, however it is closed; there is no cancel.  The number
// boxes are free text, kept as typed.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QStringList>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "print/print_settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sk::settings {
class SettingsStore;
}
namespace sk::shell {
class Prompter;
}

namespace sk::print {

// A framed group of radio buttons, one of them chosen (`ItemIndex`).
class RadioGroup : public QGroupBox {
 public:
  RadioGroup(const char* name, const QString& caption, const QStringList& items);
  int ItemIndex() const;
  void SetItemIndex(int index);  // an index outside the items chooses none
  // New captions for the buttons; the chosen index stays.
  void SetItems(const QStringList& items);
  QRadioButton* Button(int index) const { return buttons_[size_t(index)]; }
  QButtonGroup* Group() const { return group_; }

 private:
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
};

class TPrintForm : public QDialog {
  Q_OBJECT

 public:
  // reg: the settings store (open for the whole run); the values under "Print" are read here.
  // show_preview: what "印刷イメージ作成" opens after the title history is updated.
  TPrintForm(shell::Prompter& prompter, settings::SettingsStore& reg,
             std::function<void()> show_preview, QWidget* parent = nullptr);

  // The field captions (category, title, subtitle, date, image file); FormActivate puts items
  // 1, 2 and 3 on the page title check boxes.
  QStringList FieldCaptions;

  // The captions, the font samples, the document title from the history, the enabling.
  void FormActivate();
  void FukuroRadioGroupClick();
  void DangumiRadioGroupClick();
  void ImagePosRadioGroupClick();
  void MojiHokoRadioGroupClick();
  void AllPageRadioButtonClick();
  void NowPageRadioButtonClick() { AllPageRadioButtonClick(); }
  void DocTitleFontButtonClick() { ChooseFont(&s_.DocTitleFont, DocTitlePanel); }
  void PageTitleFontButtonClick() { ChooseFont(&s_.PageTitleFont, PageTitlePanel); }
  void TextFontButtonClick() { ChooseFont(&s_.TextFont, TextPanel); }
  // The title into the history (moved or put on top, at most 20 kept), then the preview.
  void PrintBitBtnClick();
  void EndBitBtnClick() { accept(); }

  // The values as the dialog shows them (with the document title in the edit box): what the
  // layout reads.
  PrintSettings Values();
  // The history of document titles, most recent first.
  const std::vector<std::string>& TitleHistory() const { return s_.DocTitleHistory; }

  // Stores the values before closing, whatever closes it.
  void done(int r) override;

  QComboBox* YoshiComboBox = nullptr;
  RadioGroup* MojiHokoRadioGroup = nullptr;
  RadioGroup* FukuroRadioGroup = nullptr;
  RadioGroup* DangumiRadioGroup = nullptr;
  QLineEdit* LeftMarginEdit = nullptr;
  QLineEdit* RightMarginEdit = nullptr;
  QLineEdit* TopMarginEdit = nullptr;
  QLineEdit* BottomMarginEdit = nullptr;
  QLineEdit* FukuroWidthEdit = nullptr;
  QLabel* FukuroWidthLabel = nullptr;
  QLabel* FukuroWidthMmLabel = nullptr;
  QLineEdit* DankanEdit = nullptr;
  QLabel* DankanLabel = nullptr;
  QLabel* DankanMmLabel = nullptr;
  QLineEdit* GyokanEdit = nullptr;
  QLineEdit* PageKanEdit = nullptr;
  QLineEdit* ParIndentEdit = nullptr;
  RadioGroup* ImagePosRadioGroup = nullptr;
  QLineEdit* ImageWidthEdit = nullptr;
  QLabel* ImageWidthLabel = nullptr;
  QLabel* ImageWidthMmLabel = nullptr;
  QCheckBox* ToLargeCheckBox = nullptr;
  QCheckBox* CommaHenkanCheckBox = nullptr;
  QCheckBox* NumHenkanCheckBox = nullptr;
  RadioGroup* PageNumRadioGroup = nullptr;
  QRadioButton* AllPageRadioButton = nullptr;
  QRadioButton* NowPageRadioButton = nullptr;
  QLineEdit* PageCountEdit = nullptr;
  QCheckBox* TitleCheckBox = nullptr;
  QCheckBox* SubTitleCheckBox = nullptr;
  QCheckBox* DateCheckBox = nullptr;
  QCheckBox* UserNameCheckBox = nullptr;
  QLabel* TitleWidthLabel = nullptr;
  QRadioButton* OneColumnRadioButton = nullptr;
  QRadioButton* TwoColumnRadioButton = nullptr;
  QComboBox* DocumentTitleEdit = nullptr;
  QPushButton* DocTitleFontButton = nullptr;
  QPushButton* PageTitleFontButton = nullptr;
  QPushButton* TextFontButton = nullptr;
  QLabel* DocTitlePanel = nullptr;
  QLabel* PageTitlePanel = nullptr;
  QLabel* TextPanel = nullptr;
  QPushButton* PrintBitBtn = nullptr;
  QPushButton* EndBitBtn = nullptr;
  QPushButton* HelpBitBtn = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void ChooseFont(PrintFontSetting* font, QLabel* panel);
  // The number boxes with the settings text each shows.
  std::array<std::pair<QLineEdit*, std::string*>, 11> NumberBoxes();
  void ShowValues();   // every control from s_
  void TakeValues();   // s_ from every control
  void ShowHistory();  // the history into the list of DocumentTitleEdit

  shell::Prompter& prompter_;
  settings::SettingsStore& reg_;
  std::function<void()> show_preview_;
  PrintSettings s_;  // the stored values; the fonts and the history as chosen so far
};

// A font of the print settings on a sample label: name, colour, size toward zero, style.
void ShowPrintFont(const PrintFontSetting& font, QLabel* panel);

}  // namespace sk::print
