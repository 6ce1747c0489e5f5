// The File menu's exchange commands in the window: the text, HTML and TeX exports and their
// repetition, the pages written into or taken from another page file, and the text imports.
//
// The export settings live here (each dialog's values, read from the settings when the window
// starts and written back whenever its dialog closes), with `RepeatExport` and `LastExportKind`,
// the last export, which the File menu's repeat item names.  It is made with what it works on:
// the shell services, the open page file, the text area and its editor, the navigator, the page
// selection and the image side (the picture folders of the HTML export).
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <utility>

#include "exchange/export_format.h"
#include "store/table.h"

namespace sk::shell {
class ShellServices;
class PageFileSession;
}  // namespace sk::shell
namespace sk::editor {
class TextArea;
class TextEditor;
}  // namespace sk::editor
namespace sk::browse {
class Navigator;
class PageSelector;
}  // namespace sk::browse
namespace sk::images {
class ImageSide;
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
  // text: the text area, whose length an import into the page on show is planned with; editor:
  // its editor, which takes such an import as one edit.
  ExchangeController(shell::ShellServices& shell, shell::PageFileSession& session,
                     editor::TextArea& text, editor::TextEditor& editor, browse::Navigator& nav,
                     browse::PageSelector& selector, images::ImageSide& images);
  ~ExchangeController();
  ExchangeController(const ExchangeController&) = delete;
  ExchangeController& operator=(const ExchangeController&) = delete;

  // Exports.
  void ToTextFileItemClick();
  void HTMLFileItemClick();
  void TeXFileItemClick();
  void ToDBFItemClick();
  // Repeats the last export (`LastExportKind`) without its dialog.
  void FileOutPutItemClick();
  // The last export since the page file was opened or created: 0 none, 1 text, 2 HTML, 3 TeX,
  // 4 page file.
  int LastExportKind() const { return last_export_kind_; }
  // Another page file is opened or created: there is no last export to repeat.
  void ForgetLastExport() { last_export_kind_ = 0; }

  // Imports.
  void APPendDBFItemClick();
  void AppendTextToOneRecordItemClick() { AppendText(false); }
  void AppendTextToNewRecordItemClick() { AppendText(true); }
  void AppendText(bool new_page);

  // Whether the next export takes its settings from its last dialog instead of showing it.
  bool RepeatExport() const { return repeat_export_; }
  void SetRepeatExport(bool on) { repeat_export_ = on; }

  TextExportSettings& TextSettings() { return text_; }
  HtmlSettings& HTMLSettings() { return html_; }
  TexSettings& TeXSettings() { return tex_; }

  // Tests: replaces the progress dialog's callback of the long passes.
  void SetProgressForTest(store::Table::Progress progress) {
    progress_for_test_ = std::move(progress);
  }
  void SetLastExportKindForTest(int kind) { last_export_kind_ = kind; }

 private:
  // The text, HTML and TeX exports: unless the last one is repeated, the dialog `make_form`
  // builds on `s`, whose values are stored whatever its answer (a cancel exports nothing); then
  // the pages through the writer `make_writer` builds, into the file `s.*file` names.
  template <class Settings, class MakeForm, class MakeWriter>
  void ExportThroughDialog(int kind, Settings& s, std::string Settings::*file, MakeForm make_form,
                           MakeWriter make_writer);
  // Writes the pages through `ex` into `path` (the checks, the walk with progress, the way back
  // to the page that was on show); kind: 1 text, 2 HTML, 3 TeX.
  void RunPageExport(int kind, PageExporter& ex, const QString& path, bool all, int count);
  // The progress of a long pass: the dialog's callback (or the tests'), with the running count
  // in the status bar.
  store::Table::Progress Progress(store::Table::Progress dialog);
  HtmlContext MakeHtmlContext() const;
  std::string MyName() const;
  QStringList Captions() const;  // the field captions, for the dialogs

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  editor::TextArea& text_area_;
  editor::TextEditor& editor_;
  browse::Navigator& nav_;
  browse::PageSelector& selector_;
  images::ImageSide& images_;
  bool repeat_export_ = false;  // `RepeatExport`
  int last_export_kind_ = 0;    // `LastExportKind`
  store::Table::Progress progress_for_test_;
  TextExportSettings text_;
  HtmlSettings html_;
  TexSettings tex_;
  QString dbf_target_;  // the page file chosen by the last export to a page file
};

}  // namespace sk::exchange
