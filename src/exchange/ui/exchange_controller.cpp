#include "exchange/ui/exchange_controller.h"

#include <QDate>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
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
#include "settings/main_settings.h"
#include "settings/settings_store.h"
#include "shell/busy_progress.h"
#include "shell/file_checks.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::exchange {
namespace {

// CP932 <-> QString for the stored names and the field captions.
QString Q(std::string_view bytes) { return cp932::Decode(bytes); }
std::string B(const QString& text) { return cp932::EncodeReplacing(text); }

std::string Utf8(const QString& s) { return QFile::encodeName(s).toStdString(); }

std::string Date8(const QDate& d) { return d.toString(QStringLiteral("yyyyMMdd")).toStdString(); }

}  // namespace

ExchangeController::ExchangeController(shell::ShellServices& shell, shell::PageFileSession& session,
                                       editor::TextArea& text, editor::TextEditor& editor,
                                       browse::Navigator& nav, browse::PageSelector& selector,
                                       images::ImageSide& images)
    : shell_(shell),
      session_(session),
      text_area_(text),
      editor_(editor),
      nav_(nav),
      selector_(selector),
      images_(images) {
  text_.Load(shell_.reg());
  html_.Load(shell_.reg());
  tex_.Load(shell_.reg());
}

ExchangeController::~ExchangeController() = default;

QStringList ExchangeController::Captions() const {
  QStringList captions;
  for (const std::string& c : shell_.field_captions()) captions << Q(c);
  return captions;
}

std::string ExchangeController::MyName() const {
  settings::SettingsStore& reg = shell_.reg();
  reg.OpenKey(settings::kRootKey, true);
  std::string name = reg.ReadString("MyName");
  reg.CloseKey();
  return name;
}

store::Table::Progress ExchangeController::Progress(store::Table::Progress dialog) {
  store::Table::Progress inner = progress_for_test_ ? progress_for_test_ : std::move(dialog);
  return [this, inner](uint32_t done, uint32_t total) {
    shell_.ShowHint(QString::number(done) + QStringLiteral("ページ処理"));
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
  repeat_export_ = false;
  last_export_kind_ = kind;
  AsideFile out;
  if (!shell::CheckSaveFileName(shell_, path, {}, &out)) return;
  store::Table& t = session_.table();
  const int start_page = t.RecNo();
  const bool left = !selector_.CheckPageSelectedBeforePost();
  nav_.BeforeMove();
  nav_.ResetLink();
  ExportOutcome outcome;
  Status st;
  {
    shell::BusyProgress busy(shell_.DialogParent(), QStringLiteral("出力しています…"),
                             QStringLiteral("ページ"));
    st = ExportPages(t, {all, count, left}, ex, out, Progress(busy.Callback()), &outcome);
    if (st.ok() && !outcome.cancelled) st = out.Commit();
  }
  if (!nav_.GotoRecNo(start_page)) shell_.Report(t.Last());
  if (start_page < 0 || t.RecNo() != start_page || nav_.AlternateShown())
    nav_.AfterMove(true, true);
  nav_.SetLink();
  // A file not committed is removed with `out`.
  if (!st.ok()) {
    shell_.Message(path +
                   QStringLiteral(" に書き込めませんでした。ファイルは作られていません。\n\n") +
                   QString::fromStdString(st.message()));
  } else if (outcome.cancelled) {
    shell_.ShowHint(QStringLiteral("出力を中止しました。") + path +
                    QStringLiteral(" は書き込まれていません。"));
  } else {
    shell_.ShowHint(ExportDoneLine(outcome.pages, path));
  }
}

template <class Settings, class MakeForm, class MakeWriter>
void ExchangeController::ExportThroughDialog(int kind, Settings& s, std::string Settings::*file,
                                             MakeForm make_form, MakeWriter make_writer) {
  if (!session_.IsOpen()) return;
  if (!repeat_export_) {
    const std::unique_ptr<QDialog> form = make_form();
    const bool ok = shell_.prompter().RunDialog(*form);
    s.Save(shell_.reg());
    if (!ok) return;
  }
  auto writer = make_writer();
  RunPageExport(kind, writer, Q(s.*file), s.AllPage, s.PageCount);
}

void ExchangeController::ToTextFileItemClick() {
  int& date_type = shell_.conf().TypeOfDateForTextOutput;
  ExportThroughDialog(
      1, text_, &TextExportSettings::FileName,
      [&] {
        auto form = std::make_unique<TSaveTextForm>(shell_.prompter(), text_, date_type, Captions(),
                                                    shell_.DialogParent());
        form->TextFileWildCard = Q(shell_.conf().TextFileWildCard);
        form->ProgramDir = shell_.start_dir();
        return form;
      },
      [&] { return TextExporter(text_, date_type, shell_.field_captions()); });
}

HtmlContext ExchangeController::MakeHtmlContext() const {
  HtmlContext c;
  c.page_file_name = B(session_.Name());
  c.my_name = MyName();
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  c.max_image_pixels = HtmlImagePixels(dpi, html_.GazoMaxWidth);
  c.min_image_pixels = HtmlImagePixels(dpi, html_.GazoMinWidth);
  SetHtmlImages(images_.SearchPath(), &c);
  return c;
}

void ExchangeController::HTMLFileItemClick() {
  ExportThroughDialog(
      2, html_, &HtmlSettings::HTMLFileName,
      [&] {
        auto form = std::make_unique<THTMLForm>(shell_.prompter(), html_, Captions(),
                                                shell_.DialogParent());
        form->StartDir = shell_.start_dir();
        return form;
      },
      [&] { return HtmlWriter(html_, MakeHtmlContext()); });
}

void ExchangeController::TeXFileItemClick() {
  ExportThroughDialog(
      3, tex_, &TexSettings::TeXFileName,
      [&] {
        auto form =
            std::make_unique<TTeXForm>(shell_.prompter(), tex_, Captions(), shell_.DialogParent());
        form->StartDir = shell_.start_dir();
        return form;
      },
      [&] {
        const QDate today = QDate::currentDate();
        return TexWriter(tex_, MyName(), {today.year(), today.month(), today.day()});
      });
}

void ExchangeController::FileOutPutItemClick() {
  repeat_export_ = true;
  switch (last_export_kind_) {
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
  repeat_export_ = false;
}

// ---- Pages between page files ----

void ExchangeController::ToDBFItemClick() {
  if (!session_.IsOpen()) return;
  QString path = dbf_target_;
  if (!repeat_export_ || path.isEmpty()) {
    shell::FileDialogSpec spec;
    spec.title = QStringLiteral("エクスポート先のファイル名");
    spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
    spec.default_ext = QStringLiteral("dbf");
    // The page file's folder, with no name.
    StartFileDialogAt(session_.Dir() + QLatin1Char('/'), shell_.start_dir(), &spec);
    std::optional<QString> chosen = shell_.prompter().SaveFileName(spec);
    if (!chosen || chosen->isEmpty()) return;
    path = QFileInfo(*chosen).absoluteFilePath();
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbf");
    dbf_target_ = path;
  }
  repeat_export_ = false;
  last_export_kind_ = 4;
  nav_.BeforeMove();
  if (QFileInfo(path).absoluteFilePath() == QFileInfo(session_.Path()).absoluteFilePath()) return;
  if (QFileInfo::exists(path) && !shell::CheckOverWrite(shell_, path)) return;
  nav_.ResetLink();
  TransferOutcome outcome;
  Status st;
  {
    shell::BusyProgress busy(shell_.DialogParent(), QStringLiteral("出力しています…"),
                             QStringLiteral("ページ"));
    st = ExportToPageFile(session_.table(), Utf8(path), Progress(busy.Callback()), &outcome);
  }
  nav_.SetLink();
  if (!st.ok()) {
    shell_.Message(path +
                   QStringLiteral(" に出力できませんでした。ファイルは作られていません。\n\n") +
                   QString::fromStdString(st.message()));
    return;
  }
  if (outcome.cancelled) {
    shell_.ShowHint(QStringLiteral("出力を中止しました。") + path +
                    QStringLiteral(" は書き込まれていません。"));
    return;
  }
  // The new file shows the open file's field captions.
  settings::SettingsStore& reg = shell_.reg();
  reg.OpenKey(settings::PerFileKeyPath(B(QFileInfo(path).fileName())), true);
  reg.WriteStringList("Caption", shell_.field_captions());
  reg.CloseKey();
  shell_.ShowHint(ExportDoneLine(outcome.pages, path));
}

void ExchangeController::APPendDBFItemClick() {
  if (!session_.IsOpen()) return;
  shell::FileDialogSpec spec;
  spec.title = QStringLiteral("インポート元のファイル名");
  spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
  spec.default_ext = QStringLiteral("dbf");
  StartFileDialogAt(Q(shell_.conf().RecentOpenedDBFAppendFileName), shell_.start_dir(), &spec);
  std::optional<QString> chosen = shell_.prompter().OpenFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  const QString path = QFileInfo(*chosen).absoluteFilePath();
  shell_.conf().RecentOpenedDBFAppendFileName = B(path);
  if (!shell::CheckOpenFileName(shell_, path, QStringLiteral("dbf"))) return;
  nav_.BeforeMove();
  nav_.ResetLink();
  TransferOutcome outcome;
  Status st;
  {
    shell::BusyProgress busy(shell_.DialogParent(), QStringLiteral("追加しています…"),
                             QStringLiteral("ページ"));
    st = AppendPageFile(session_.table(), Utf8(path), Progress(busy.Callback()), &outcome);
  }
  // The categories of the new pages join the list; the selection goes off, page-number order.
  nav_.SetBunrui(true);
  shell_.Report(session_.table().Last());
  nav_.AfterMove(true, true);
  nav_.SetLink();
  // All or nothing: a failure or a cancel has taken the page file back to its old pages.
  if (!st.ok()) {
    shell_.ShowHint(QStringLiteral("ページは追加されていません。"));
    shell_.Message(
        path +
        QStringLiteral(
            " のページを追加できませんでした。ページファイルは追加の前のままです。\n\n") +
        QString::fromStdString(st.message()));
  } else if (outcome.cancelled) {
    shell_.ShowHint(QStringLiteral("追加を中止しました。ページファイルは追加の前のままです。"));
  } else {
    shell_.ShowHint(QString::number(outcome.pages) + QStringLiteral("ページ処理"));
  }
}

// ---- Text import ----

void ExchangeController::AppendText(bool new_page) {
  if (!session_.IsOpen()) return;
  shell::FileDialogSpec spec;
  spec.title = QStringLiteral("インポートするファイル名");
  spec.filter = TextFileFilter(Q(shell_.conf().TextFileWildCard));
  StartFileDialogAt(Q(shell_.conf().RecentOpenedTextFileName), shell_.start_dir(), &spec);
  std::optional<QString> chosen = shell_.prompter().OpenFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  const QString path = QFileInfo(*chosen).absoluteFilePath();
  if (!QFileInfo(path).isFile()) {
    shell_.Message(path + QStringLiteral(" は存在しません。"));
    return;
  }
  shell_.conf().RecentOpenedTextFileName = B(path);
  // A file that cannot be read or is no text is refused before anything changes.
  ImportedText text;
  if (Status st = ReadImportFile(Utf8(path), &text); !st.ok()) {
    shell_.Message(QString::fromStdString(st.message()));
    return;
  }
  nav_.BeforeMove();
  const std::vector<std::string_view> lines = SplitImportLines(text.cp932);

  store::Table& t = session_.table();
  ImportHeader header;
  if (new_page) {
    header.date = Date8(QDate::currentDate());
    header.title = B(QFileInfo(path).fileName());
  } else {
    if (std::optional<store::Date> d = nav_.PickerDate())
      header.date = Date8(QDate(d->year, d->month, d->day));
    header.bunrui = nav_.ShownBunrui();
    header.title = nav_.ShownTitle();
    header.subtitle = nav_.ShownChosha();
  }
  const size_t used = new_page ? 0 : size_t(text_area_.TextLength());
  const ImportPlan plan = PlanImport(lines, used, !new_page);

  const QString encoding = QString::fromLatin1(text.encoding);
  QString note = QStringLiteral("%1 として読み込みました").arg(encoding);
  if (text.replaced > 0)
    note = QStringLiteral("%1 として読み込み，%2 文字を「〓」にしました")
               .arg(encoding)
               .arg(text.replaced);

  if (plan.in_place) {
    editor_.AppendAtEnd(plan.whole);
    shell_.ShowHint(note);
    return;
  }
  nav_.ResetLink();
  shell_.Report(WriteImportPlan(t, plan, header, !new_page));
  nav_.AfterMove(true, true);
  nav_.SetLink();
  editor_.GotoSelStart(text_area_.TextLength(), 0);
  shell_.ShowHint(note);
  if (plan.split())
    shell_.Message(
        QStringLiteral("ファイルのデータが長すぎたので，ページを分割してインプットしました。"));
}

}  // namespace sk::exchange
