// The File menu's exchange commands in the window: the text, HTML and TeX exports and their
// repetition, the pages written into or taken from another page file, and the text imports.
//
// The export settings live here (each dialog's values, read from the settings when the window
// starts and written back whenever its dialog closes), with `RepeatExport`; `LastExportKind`
// stays on the window, whose File menu shows it.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "exchange/export_format.h"
#include "store/table.h"

namespace sk::app {
class TSDIAppForm;
}
namespace sk::editor {
class TextEditor;
}

namespace sk::exchange {

class TSaveTextForm;
class THTMLForm;
class TTeXForm;
class PageExporter;

// The status-bar line an export ends with: the pages written and the file.
QString ExportDoneLine(int64_t pages, const QString& path);

class ExchangeController {
 public:
  ExchangeController(app::TSDIAppForm& form, editor::TextEditor& editor);
  ~ExchangeController();

  // Exports.
  void ToTextFileItemClick();
  void HTMLFileItemClick();
  void TeXFileItemClick();
  void ToDBFItemClick();
  // Repeats the last export (`LastExportKind`) without its dialog.
  void FileOutPutItemClick();

  // Imports.
  void APPendDBFItemClick();
  void AppendTextToOneRecordItemClick() { AppendText(false); }
  void AppendTextToNewRecordItemClick() { AppendText(true); }
  void AppendText(bool new_page);

  // The next export takes its settings from its last dialog instead of showing it.
  bool RepeatExport = false;

  TextExportSettings& TextSettings() { return text_; }
  HtmlSettings& HTMLSettings() { return html_; }
  TexSettings& TeXSettings() { return tex_; }

  // Tests: replaces the progress dialog's callback of the long passes.
  store::Table::Progress ProgressForTest;

 private:
  // Writes the pages through `ex` into `path` (the checks, the walk with progress, the way back
  // to the page that was on show); kind: 1 text, 2 HTML, 3 TeX.
  void RunPageExport(int kind, PageExporter& ex, const QString& path, bool all, int count);
  // The progress of a long pass: the dialog's callback (or the tests'), with the running count
  // in the status bar.
  store::Table::Progress Progress(store::Table::Progress dialog);
  HtmlContext MakeHtmlContext() const;
  std::string MyName() const;
  QStringList Captions() const;  // the field captions, for the dialogs

  app::TSDIAppForm& f_;
  editor::TextEditor& editor_;
  TextExportSettings text_;
  HtmlSettings html_;
  TexSettings tex_;
  QString dbf_target_;  // the page file chosen by the last export to a page file
};

}  // namespace sk::exchange
