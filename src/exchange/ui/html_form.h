// The HTML export dialog: the three fonts, the document title, the items of each page's title
// line, the spacing, how pictures are shown, the pages and the output file.
#pragma once

#include <QDialog>
#include <QStringList>

#include "exchange/export_format.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sk::shell {
class Prompter;
}

namespace sk::exchange {

class THTMLForm : public QDialog {
  Q_OBJECT

 public:
  // s: the stored settings, written only by OkBitBtnClick.  captions: the five field captions;
  // the page-title check boxes show items 1, 2 and 3 (title, subtitle, date).
  THTMLForm(shell::Prompter& prompter, HtmlSettings& s, const QStringList& captions,
            QWidget* parent = nullptr);

  // Every control and the working copies of the fonts from the stored settings.
  void FormActivate();
  // Stores the dialog (numbers that do not parse fall back to their defaults) and closes it
  // with OK.
  void OkBitBtnClick();
  // The font dialog for one of the working fonts; max_size: the largest size kept.
  void ChooseFont(HtmlFont* font, QLabel* sample, double max_size);
  void FileNameDialogButtonClick();
  // The picture controls follow GazoCheckBox and their check boxes, PageCountEdit the page
  // choice.
  void SetEnabled();

  // The folder the file dialog starts in when the current name has none; the window sets it.
  QString StartDir;

  QPushButton* HonbunFontButton = nullptr;
  QPushButton* PageTitleFontButton = nullptr;
  QPushButton* DocumentTitleFontButton = nullptr;
  QLabel* HonbunSampleLabel = nullptr;
  QLabel* PageTitleSampleLabel = nullptr;
  QLabel* DocumentTitleSampleLabel = nullptr;
  QLineEdit* DocumentTitleEdit = nullptr;
  QCheckBox* TitleCheckBox = nullptr;
  QCheckBox* ChoshaCheckBox = nullptr;
  QCheckBox* DateCheckBox = nullptr;
  QCheckBox* UserNameCheckBox = nullptr;
  QLineEdit* GyokanEdit = nullptr;
  QLineEdit* PageKanEdit = nullptr;
  QCheckBox* GazoCheckBox = nullptr;
  QRadioButton* LeftRadioButton = nullptr;
  QRadioButton* CenterRadioButton = nullptr;
  QRadioButton* RightRadioButton = nullptr;
  QCheckBox* ToSmallCheckBox = nullptr;
  QLineEdit* GazoMaxWidthEdit = nullptr;
  QCheckBox* ToLargeCheckBox = nullptr;
  QLineEdit* GazoMinWidthEdit = nullptr;
  QRadioButton* AllPageRadioButton = nullptr;
  QRadioButton* NowPageRadioButton = nullptr;
  QLineEdit* PageCountEdit = nullptr;
  QLineEdit* FileNameEdit = nullptr;
  QPushButton* FileNameDialogButton = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  shell::Prompter& prompter_;
  HtmlSettings& s_;
  HtmlFont honbun_, page_title_, document_title_;  // the fonts as chosen so far
};

// The font a stored HTML font describes, and the label showing it.
void ShowHtmlFont(const HtmlFont& font, QLabel* sample);

}  // namespace sk::exchange
