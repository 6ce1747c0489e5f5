#include "exchange/ui/exchange_controller.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "shell/busy_progress.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "exchange/export_run.h"
#include "exchange/page_transfer.h"
#include "exchange/text_import.h"
#include "exchange/ui/html_form.h"
#include "exchange/ui/html_images.h"
#include "exchange/ui/save_text_form.h"
#include "exchange/ui/tex_form.h"
#include "images/ui/image_side.h"
#include "settings/settings_store.h"

namespace sk::exchange {
namespace {

using app::B;
using app::Q;

std::string Utf8(const QString& s) { return QFile::encodeName(s).toStdString(); }

std::string Date8(const QDate& d) { return d.toString(QStringLiteral("yyyyMMdd")).toStdString(); }

}  // namespace

ExchangeController::ExchangeController(app::TSDIAppForm& form, editor::TextEditor& editor)
    : f_(form), editor_(editor) {
  text_.Load(f_.Reg);
  html_.Load(f_.Reg);
  tex_.Load(f_.Reg);
}

ExchangeController::~ExchangeController() = default;

QStringList ExchangeController::Captions() const {
  QStringList captions;
  for (const std::string& c : f_.FieldCaptions) captions << Q(c);
  return captions;
}

std::string ExchangeController::MyName() const {
  f_.Reg.OpenKey(settings::kRootKey, true);
  std::string name = f_.Reg.ReadString("MyName");
  f_.Reg.CloseKey();
  return name;
}

store::Table::Progress ExchangeController::Progress(store::Table::Progress dialog) {
  store::Table::Progress inner = ProgressForTest ? ProgressForTest : std::move(dialog);
  return [this, inner](uint32_t done, uint32_t total) {
    f_.ShowHint(QString::number(done) + QStringLiteral("ページ処理"));
    return inner ? inner(done, total) : true;
  };
}

// ---- Exports of text, HTML and TeX ----

QString ExportDoneLine(int64_t pages, const QString& path) {
  return QString::number(pages) + QStringLiteral("ページを ") + path +
         QStringLiteral(" に書き出しました。");
}

void ExchangeController::RunPageExport(int kind, PageExporter& ex, const QString& path, bool all,
                                       int count) {
  RepeatExport = false;
  f_.LastExportKind = kind;
  AsideFile out;
  if (!f_.CheckSaveFileName(path, {}, &out)) return;
  store::Table& t = f_.MainTable;
  const int start_page = t.RecNo();
  const bool left = !f_.Selector->CheckPageSelectedBeforePost();
  f_.Nav->BeforeMove();
  f_.Nav->ResetLink();
  ExportOutcome outcome;
  Status st;
  {
    shell::BusyProgress busy(&f_, QStringLiteral("出力しています…"), QStringLiteral("ページ"));
    st = ExportPages(t, {all, count, left}, ex, out, Progress(busy.Callback()), &outcome);
    if (st.ok() && !outcome.cancelled) st = out.Commit();
  }
  if (!f_.Nav->GotoRecNo(start_page)) f_.Report(t.Last());
  if (start_page < 0 || t.RecNo() != start_page || f_.Nav->AlternateShown())
    f_.Nav->AfterMove(true, true);
  f_.Nav->SetLink();
  // A file not committed is removed with `out`.
  if (!st.ok()) {
    f_.Message(path + QStringLiteral(" に書き込めませんでした。ファイルは作られていません。\n\n") +
               QString::fromStdString(st.message()));
  } else if (outcome.cancelled) {
    f_.ShowHint(QStringLiteral("出力を中止しました。") + path +
                QStringLiteral(" は書き込まれていません。"));
  } else {
    f_.ShowHint(ExportDoneLine(outcome.pages, path));
  }
}

void ExchangeController::ToTextFileItemClick() {
  if (!f_.FileIsOpen()) return;
  if (!RepeatExport) {
    TSaveTextForm form(f_.prompter(), text_, f_.Conf.TypeOfDateForTextOutput, Captions(), &f_);
    form.TextFileWildCard = Q(f_.Conf.TextFileWildCard);
    form.ProgramDir = f_.StartDir;
    const bool ok = f_.prompter().RunDialog(form);
    text_.Save(f_.Reg);
    if (!ok) return;
  }
  TextExporter ex(text_, f_.Conf.TypeOfDateForTextOutput, f_.FieldCaptions);
  RunPageExport(1, ex, Q(text_.FileName), text_.AllPage, text_.PageCount);
}

HtmlContext ExchangeController::MakeHtmlContext() const {
  HtmlContext c;
  c.page_file_name = B(f_.PageFileName);
  c.my_name = MyName();
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  c.max_image_pixels = HtmlImagePixels(dpi, html_.GazoMaxWidth);
  c.min_image_pixels = HtmlImagePixels(dpi, html_.GazoMinWidth);
  SetHtmlImages(f_.Images->SearchPath(), &c);
  return c;
}

void ExchangeController::HTMLFileItemClick() {
  if (!f_.FileIsOpen()) return;
  if (!RepeatExport) {
    THTMLForm form(f_.prompter(), html_, Captions(), &f_);
    form.StartDir = f_.StartDir;
    const bool ok = f_.prompter().RunDialog(form);
    html_.Save(f_.Reg);
    if (!ok) return;
  }
  HtmlWriter ex(html_, MakeHtmlContext());
  RunPageExport(2, ex, Q(html_.HTMLFileName), html_.AllPage, html_.PageCount);
}

void ExchangeController::TeXFileItemClick() {
  if (!f_.FileIsOpen()) return;
  if (!RepeatExport) {
    TTeXForm form(f_.prompter(), tex_, Captions(), &f_);
    form.StartDir = f_.StartDir;
    const bool ok = f_.prompter().RunDialog(form);
    tex_.Save(f_.Reg);
    if (!ok) return;
  }
  const QDate today = QDate::currentDate();
  TexWriter ex(tex_, MyName(), {today.year(), today.month(), today.day()});
  RunPageExport(3, ex, Q(tex_.TeXFileName), tex_.AllPage, tex_.PageCount);
}

void ExchangeController::FileOutPutItemClick() {
  RepeatExport = true;
  switch (f_.LastExportKind) {
    case 1:
      ToTextFileItemClick();
      break;
    case 2:
      HTMLFileItemClick();
      break;
    case 3:
      TeXFileItemClick();
      break;
    case 4:
      ToDBFItemClick();
      break;
    default:
      break;
  }
  RepeatExport = false;
}

// ---- Pages between page files ----

void ExchangeController::ToDBFItemClick() {
  if (!f_.FileIsOpen()) return;
  QString path = dbf_target_;
  if (!RepeatExport || path.isEmpty()) {
    shell::FileDialogSpec spec;
    spec.title = QStringLiteral("エクスポート先のファイル名");
    spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
    spec.default_ext = QStringLiteral("dbf");
    // The page file's folder, with no name.
    StartFileDialogAt(f_.PageFileDir + QLatin1Char('/'), f_.StartDir, &spec);
    std::optional<QString> chosen = f_.prompter().SaveFileName(spec);
    if (!chosen || chosen->isEmpty()) return;
    path = QFileInfo(*chosen).absoluteFilePath();
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbf");
    dbf_target_ = path;
  }
  RepeatExport = false;
  f_.LastExportKind = 4;
  f_.Nav->BeforeMove();
  if (QFileInfo(path).absoluteFilePath() == QFileInfo(f_.PageFilePath).absoluteFilePath()) return;
  if (QFileInfo::exists(path) && !f_.CheckOverWrite(path)) return;
  f_.Nav->ResetLink();
  TransferOutcome outcome;
  Status st;
  {
    shell::BusyProgress busy(&f_, QStringLiteral("出力しています…"), QStringLiteral("ページ"));
    st = ExportToPageFile(f_.MainTable, Utf8(path), Progress(busy.Callback()), &outcome);
  }
  f_.Nav->SetLink();
  if (!st.ok()) {
    f_.Message(path + QStringLiteral(" に出力できませんでした。ファイルは作られていません。\n\n") +
               QString::fromStdString(st.message()));
    return;
  }
  if (outcome.cancelled) {
    f_.ShowHint(QStringLiteral("出力を中止しました。") + path +
                QStringLiteral(" は書き込まれていません。"));
    return;
  }
  // The new file shows the open file's field captions.
  f_.Reg.OpenKey(settings::PerFileKeyPath(B(QFileInfo(path).fileName())), true);
  f_.Reg.WriteStringList("Caption", f_.FieldCaptions);
  f_.Reg.CloseKey();
  f_.ShowHint(ExportDoneLine(outcome.pages, path));
}

void ExchangeController::APPendDBFItemClick() {
  if (!f_.FileIsOpen()) return;
  shell::FileDialogSpec spec;
  spec.title = QStringLiteral("インポート元のファイル名");
  spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
  spec.default_ext = QStringLiteral("dbf");
  StartFileDialogAt(Q(f_.Conf.RecentOpenedDBFAppendFileName), f_.StartDir, &spec);
  std::optional<QString> chosen = f_.prompter().OpenFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  const QString path = QFileInfo(*chosen).absoluteFilePath();
  f_.Conf.RecentOpenedDBFAppendFileName = B(path);
  if (!f_.CheckOpenFileName(path, QStringLiteral("dbf"))) return;
  f_.Nav->BeforeMove();
  f_.Nav->ResetLink();
  TransferOutcome outcome;
  Status st;
  {
    shell::BusyProgress busy(&f_, QStringLiteral("追加しています…"), QStringLiteral("ページ"));
    st = AppendPageFile(f_.MainTable, Utf8(path), Progress(busy.Callback()), &outcome);
  }
  // The categories of the new pages join the list; the selection goes off, page-number order.
  f_.Nav->SetBunrui(true);
  f_.Report(f_.MainTable.Last());
  f_.Nav->AfterMove(true, true);
  f_.Nav->SetLink();
  // All or nothing: a failure or a cancel has taken the page file back to its old pages.
  if (!st.ok()) {
    f_.ShowHint(QStringLiteral("ページは追加されていません。"));
    f_.Message(path +
               QStringLiteral(
                   " のページを追加できませんでした。ページファイルは追加の前のままです。\n\n") +
               QString::fromStdString(st.message()));
  } else if (outcome.cancelled) {
    f_.ShowHint(QStringLiteral("追加を中止しました。ページファイルは追加の前のままです。"));
  } else {
    f_.ShowHint(QString::number(outcome.pages) + QStringLiteral("ページ処理"));
  }
}

// ---- Text import ----

void ExchangeController::AppendText(bool new_page) {
  if (!f_.FileIsOpen()) return;
  shell::FileDialogSpec spec;
  spec.title = QStringLiteral("インポートするファイル名");
  spec.filter = TextFileFilter(Q(f_.Conf.TextFileWildCard));
  StartFileDialogAt(Q(f_.Conf.RecentOpenedTextFileName), f_.StartDir, &spec);
  std::optional<QString> chosen = f_.prompter().OpenFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  const QString path = QFileInfo(*chosen).absoluteFilePath();
  if (!QFileInfo(path).isFile()) {
    f_.Message(path + QStringLiteral(" は存在しません。"));
    return;
  }
  f_.Conf.RecentOpenedTextFileName = B(path);
  // A file that cannot be read or is no text is refused before anything changes.
  ImportedText text;
  if (Status st = ReadImportFile(Utf8(path), &text); !st.ok()) {
    f_.Message(QString::fromStdString(st.message()));
    return;
  }
  f_.Nav->BeforeMove();
  const std::vector<std::string_view> lines = SplitImportLines(text.cp932);

  store::Table& t = f_.MainTable;
  ImportHeader header;
  if (new_page) {
    header.date = Date8(QDate::currentDate());
    header.title = B(QFileInfo(path).fileName());
  } else {
    if (std::optional<store::Date> d = f_.Nav->PickerDate())
      header.date = Date8(QDate(d->year, d->month, d->day));
    header.bunrui = f_.Nav->ShownBunrui();
    header.title = f_.Nav->ShownTitle();
    header.subtitle = f_.Nav->ShownChosha();
  }
  const size_t used = new_page ? 0 : size_t(f_.TextMemo->TextLength());
  const ImportPlan plan = PlanImport(lines, used, !new_page);

  const QString encoding = QString::fromLatin1(text.encoding);
  QString note = QStringLiteral("%1 として読み込みました").arg(encoding);
  if (text.replaced > 0)
    note = QStringLiteral("%1 として読み込み，%2 文字を「〓」にしました")
               .arg(encoding)
               .arg(text.replaced);

  if (plan.in_place) {
    editor_.AppendAtEnd(plan.whole);
    f_.ShowHint(note);
    return;
  }
  f_.Nav->ResetLink();
  f_.Report(WriteImportPlan(t, plan, header, !new_page));
  f_.Nav->AfterMove(true, true);
  f_.Nav->SetLink();
  editor_.GotoSelStart(f_.TextMemo->TextLength(), 0);
  f_.ShowHint(note);
  if (plan.split())
    f_.Message(
        QStringLiteral("ファイルのデータが長すぎたので，ページを分割してインプットしました。"));
}

}  // namespace sk::exchange
