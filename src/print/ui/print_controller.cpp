#include "print/ui/print_controller.h"

#include <QString>
#include <QStringList>

#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
#include "print/print_pages.h"
#include "print/ui/print_form.h"
#include "print/ui/print_preview_form.h"
#include "print/ui/print_render.h"
#include "settings/main_settings.h"
#include "settings/settings_store.h"
#include "shell/busy_progress.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::print {

PrintController::PrintController(shell::ShellServices& shell, shell::PageFileSession& session,
                                 browse::Navigator& nav, browse::PageSelector& selector,
                                 const images::ImageSearchPath& search_path)
    : shell_(shell),
      session_(session),
      nav_(nav),
      selector_(selector),
      search_path_(search_path) {}

PrintController::~PrintController() = default;

TPrintForm& PrintController::Form() {
  // Made at the first print, not with the window: its values are read once, when it is made.
  if (!form_)
    form_ = std::make_unique<TPrintForm>(
        shell_.prompter(), shell_.reg(), [this] { ShowPreview(); }, shell_.DialogParent());
  return *form_;
}

void PrintController::PrintItemClick() {
  if (!session_.IsOpen()) return;
  QStringList captions;
  for (const std::string& c : shell_.field_captions()) captions << cp932::Decode(c);
  Form().FieldCaptions = captions;
  shell_.prompter().RunDialog(Form());
}

PrintSettings PrintController::Settings() {
  PrintSettings s = Form().Values();
  s.TabCount = shell_.conf().TabCount;
  settings::SettingsStore& reg = shell_.reg();
  reg.OpenKey(settings::kRootKey, true);
  s.MyName = reg.ReadString("MyName");
  reg.CloseKey();
  return s;
}

void PrintController::ShowPreview() {
  if (!session_.IsOpen()) return;
  const PrintSettings s = Settings();
  store::Table& t = session_.table();
  const int start_page = t.RecNo();
  exchange::ExportRange range = PrintRangeOf(s);
  range.current_left = !selector_.CheckPageSelectedBeforePost();
  nav_.BeforeMove();
  nav_.ResetLink();
  std::vector<PrintPage> pages;
  bool cancelled = false;
  Status st;
  {
    shell::BusyProgress busy(&Form(), QStringLiteral("印刷するページを読んでいます…"),
                             QStringLiteral("ページ"));
    st = CollectPrintPages(t, range, busy.Callback(), &pages, &cancelled);
  }
  if (!nav_.GotoRecNo(start_page)) shell_.Report(t.Last());
  if (start_page < 0 || t.RecNo() != start_page || nav_.AlternateShown())
    nav_.AfterMove(true, true);
  nav_.SetLink();
  if (!shell_.Report(st) || cancelled) return;
  if (pages.empty() && s.DocTitle.empty()) {
    shell_.Message(QStringLiteral("印刷するページがありません。"));
    return;
  }

  QtTextMeasure measure;
  QtPictureSource pictures(search_path_);
  PrintFlow flow(s, &measure, &pictures);
  PrintRun run;
  {
    shell::BusyProgress busy(&Form(), QStringLiteral("印刷イメージを作成しています…"),
                             QStringLiteral("ページ"));
    const store::Table::Progress progress = busy.Callback();
    run = flow.SetLineColumnImage(pages, [&](size_t done, size_t total) {
      return !progress || progress(uint32_t(done), uint32_t(total));
    });
  }
  if (run.cancelled) return;
  TPrintPreviewForm preview(shell_.prompter(), shell_.reg(), run, s, session_.Name(),
                            &Form());
  shell_.prompter().RunDialog(preview);
}

}  // namespace sk::print
