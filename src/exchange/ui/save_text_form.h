// The text export dialog: the output file, the pages, the lines written per page, the empty lines
// between pages and the style of the date line.
//
// Also the pieces the three export dialogs share: the file dialog's filter in Qt's syntax and the
// folder it starts in.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "exchange/export_format.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sk::shell {
class Prompter;
struct FileDialogSpec;
}  // namespace sk::shell

namespace sk::exchange {

// A filter written as "description|patterns|description|patterns" (patterns separated by ";")
// in Qt's syntax: "description (pattern pattern);;description (pattern)".  Patterns already
// written in parentheses at the end of a description are not shown twice.
QString QtFileFilter(const QString& pipe_filter);

// The text file dialogs' filter: the "TextFileWildCard" patterns under a name, then all files.
QString TextFileFilter(const QString& wildcard);

// Where a file dialog starts: the folder of `current` with its name preselected when `current`
// names a folder that exists, else `fallback` (without a final "/") with no name.
void StartFileDialogAt(const QString& current, const QString& fallback, shell::FileDialogSpec* spec);

// A dialog's file button: the save dialog with `title`, `pipe_filter` and `ext`, starting as
// StartFileDialogAt says from the name in `box` or `fallback`; a chosen name goes into `box`.
// True when a name was chosen.
bool ChooseSaveFileInto(shell::Prompter& prompter, const QString& title, const QString& pipe_filter,
                        const QString& ext, const QString& fallback, QLineEdit* box);

// A whole number typed into a box (blanks around it ignored).
bool ParseInt(const QString& text, int* value);
// A decimal number typed into a box (blanks around it ignored).
bool ParseDouble(const QString& text, double* value);

// A number box: the input method closed.
QLineEdit* NumberEdit(const char* name, int width = 48);
// The group "出力するページ" of the three dialogs: "選択されている全ページ" (AllPageRadioButton),
// or from the current page (a button named `from_name`) the number of pages in PageCountEdit.
QGroupBox* PageRangeGroup(const char* from_name, QRadioButton** all, QRadioButton** from,
                          QLineEdit** count);
// The group "ページタイトルの項目" of the HTML and TeX dialogs: the title, subtitle and date
// (captioned with the field captions 1, 2 and 3) and the user name.
QGroupBox* PageTitleGroup(const QStringList& captions, QCheckBox** title, QCheckBox** chosha,
                          QCheckBox** date, QCheckBox** user_name);
// Controls with their object names.
QCheckBox* Check(const char* name, const QString& text);
QRadioButton* Radio(const char* name, const QString& text);
QPushButton* Button(const char* name, const QString& text);

class TSaveTextForm : public QDialog {
  Q_OBJECT

 public:
  // s: the stored export settings; date_type: "TypeOfDateForTextOutput".  OkBitBtnClick stores
  // the dialog into both; a name chosen with the file button is also stored at once.  captions:
  // the five field captions (category, title, subtitle, date, image file).
  TSaveTextForm(shell::Prompter& prompter, TextExportSettings& s, int& date_type,
                const QStringList& captions, QWidget* parent = nullptr);

  // Every control from the stored settings; date button 1 for a code outside 2 to 10.
  void FormActivate();
  // Stores the dialog (numbers that do not parse fall back) and closes it with OK.
  void OkBitBtnClick();
  // The save-file dialog; a chosen name goes into the box and the stored settings.
  void GetFileNameButtonClick();
  // PageCountEdit only with "現ページ(含む)から".
  void SetPageCountEnabled();

  // The file pattern of the file dialog ("TextFileWildCard") and the folder it starts in when the
  // current name has none; the window sets them.
  QString TextFileWildCard = QStringLiteral("*.txt;*.htm*;*.tex");
  QString ProgramDir;

  QLineEdit* FileNameEdit = nullptr;
  QPushButton* GetFileNameButton = nullptr;
  QRadioButton* AllPageRadioButton = nullptr;
  QRadioButton* SelectedPageRadioButton = nullptr;
  QLineEdit* PageCountEdit = nullptr;
  QCheckBox* BunruiCheckBox = nullptr;
  QCheckBox* TitleCheckBox = nullptr;
  QCheckBox* ChoshaCheckBox = nullptr;
  QCheckBox* DateCheckBox = nullptr;
  QCheckBox* ImageCheckBox = nullptr;
  QCheckBox* TextCheckBox = nullptr;
  QLineEdit* PageKanEdit = nullptr;
  QRadioButton* RadioButton[10] = {};  // RadioButton1 .. RadioButton10, date codes 1 .. 10

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  shell::Prompter& prompter_;
  TextExportSettings& s_;
  int& date_type_;
};

}  // namespace sk::exchange
