// The print preview: one sheet of a finished layout at a time, at a chosen zoom, with the menus
// to move between sheets, to zoom and to print a range of sheets.  The sheet is drawn by the same
// routine as on the printer and into PDF (DisplayPage), so the printout equals what is shown.
//
// The window keeps its position and size under the key "Print" (read when it is made, written
// when it closes); the zoom stays for the whole run of the program.
#pragma once

#include <QAbstractScrollArea>
#include <QDialog>
#include <QString>
#include <functional>

#include "print/print_flow.h"
#include "print/print_settings.h"

class QAction;
class QMenuBar;
class QPrinter;

namespace sk::settings {
class SettingsStore;
}
namespace sk::shell {
class Prompter;
}

namespace sk::print {

// The canvas: a surface of the longest paper side square, the paper on it in white from its top
// left corner, the sheet drawn over the paper.  Scrolls in steps of 120 pixels.
class PreviewCanvas : public QAbstractScrollArea {
 public:
  explicit PreviewCanvas(QWidget* parent = nullptr);
  // Draws the sheet at the painter's origin (the paper's top left corner).
  std::function<void(QPainter&)> draw_sheet;
  // The paper's zoomed size in pixels; the scroll ranges become that and 40 pixels more.
  void SetPaper(int width, int height);
  QSize Paper() const { return paper_; }
  // The screen's pixels per inch the canvas draws with.
  double Dpi() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QSize paper_;
};

class TPrintPreviewForm : public QDialog {
  Q_OBJECT

 public:
  // run and settings: the layout built for this opening; page_file_name: the page file's name
  // for the printed document's title.
  TPrintPreviewForm(shell::Prompter& prompter, settings::SettingsStore& reg, const PrintRun& run,
                    const PrintSettings& settings, const QString& page_file_name,
                    QWidget* parent = nullptr);
  ~TPrintPreviewForm() override;

  int SheetCount() const { return run_.SheetCount; }
  const PrintRun& Run() const { return run_; }
  int ShownSheet = 0;
  int PrintingSheet = 0;
  bool Printing = false;
  static double Zoom;  // for the whole run of the program

  void DisplayPage();
  // The caption; while printing with the number of the sheet being sent.
  void DispCaption(int printing = 0);
  void NextPage();
  void PrevPage();
  void FirstPage();
  void LastPage();
  void AnyPage();  // "任意のページへ": asks for a sheet number
  void SetZoom(double zoom);
  // Asks for the printer, range and copies and sends the sheets.
  void PrintItemClick();
  // Sends sheets to a printer already set up (the print dialog's choice): the range first..last
  // (from 1), copies, collation.  False when cancelled from the progress dialog.
  bool PrintSheets(QPrinter& printer, int first, int last, int copies, bool collate);

  QMenuBar* MainMenu;
  QAction *PrintItem, *CloseItem;
  QAction *NextItem, *PrevItem, *FirstItem, *LastItem, *AnyItem;
  QAction* ZoomItems[7];
  QAction* HelpItem;
  PreviewCanvas* Canvas;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* e) override;
  void done(int r) override;

 private:
  bool HandleKey(int key);

  shell::Prompter& prompter_;
  settings::SettingsStore& reg_;
  const PrintRun& run_;
  const PrintSettings& settings_;
  QString page_file_name_;
};

}  // namespace sk::print
