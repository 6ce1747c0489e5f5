// The TeX export dialog: paper, writing direction, type size, columns and class, the spacing and
// margins, the files to \input, the output file, the document title, the items of each page's
// title line, the pages and the substitutions of vertical writing.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QStringList>

#include "exchange/export_format.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace sk::shell {
class Prompter;
}

namespace sk::exchange {

// A titled group of radio buttons chosen by index, one column.
class TexRadioGroup : public QGroupBox {
 public:
  TexRadioGroup(const char* name, const QString& title, const QStringList& items);
  int ItemIndex() const;  // -1 when none is chosen
  void SetItemIndex(int index);
  QRadioButton* Button(int index) const;
  QButtonGroup* Group() const { return group_; }

 private:
  QButtonGroup* group_;
};

class TTeXForm : public QDialog {
  Q_OBJECT

 public:
  // s: the stored settings, written only by OkBitBtnClick.  captions: the five field captions;
  // the page-title check boxes show items 1, 2 and 3 (title, subtitle, date).
  TTeXForm(shell::Prompter& prompter, TexSettings& s, const QStringList& captions,
           QWidget* parent = nullptr);

  void FormActivate();
  // Stores the dialog and closes it with OK: numbers that are empty or do not parse fall back to
  // their defaults, the document title is trimmed, a file name without an extension gets ".tex".
  void OkBitBtnClick();
  void SpeedButton1Click();
  // DankanEdit only for two columns, PageCountEdit only from the current page.
  void SetEnabled();

  // The folder the file dialog starts in when the current name has none; the window sets it.
  QString StartDir;

  TexRadioGroup* YoshiRadioGroup = nullptr;
  TexRadioGroup* YoshiMukiRadioGroup = nullptr;
  TexRadioGroup* MojiHokoRadioGroup = nullptr;
  TexRadioGroup* MojiSizeRadioGroup = nullptr;
  TexRadioGroup* DangumiRadioGroup = nullptr;
  TexRadioGroup* StyleRadioGroup = nullptr;
  QLineEdit* GyokanEdit = nullptr;
  QLineEdit* DankanEdit = nullptr;
  QLineEdit* PageKanEdit = nullptr;
  QLineEdit* LeftMarginEdit = nullptr;
  QLineEdit* RightMarginEdit = nullptr;
  QLineEdit* TopMarginEdit = nullptr;
  QLineEdit* BottomMarginEdit = nullptr;
  QLineEdit* ParIndentEdit = nullptr;
  QPlainTextEdit* InputFileNameMemo = nullptr;
  QLineEdit* TeXFileNameEdit = nullptr;
  QPushButton* SpeedButton1 = nullptr;
  QLineEdit* DocumentTitleEdit = nullptr;
  QCheckBox* TitleCheckBox = nullptr;
  QCheckBox* ChoshaCheckBox = nullptr;
  QCheckBox* DateCheckBox = nullptr;
  QCheckBox* UserNameCheckBox = nullptr;
  QRadioButton* AllPageRadioButton = nullptr;
  QRadioButton* NowPageRadioButton = nullptr;
  QLineEdit* PageCountEdit = nullptr;
  QCheckBox* CommaHenkanCheckBox = nullptr;
  QCheckBox* NumHenkanCheckBox = nullptr;
  QCheckBox* KaigyoHenkanCheckBox = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  shell::Prompter& prompter_;
  TexSettings& s_;
};

}  // namespace sk::exchange
