// sorakumo-tool export: the text, HTML and TeX exports of a page file.
//
// Every choice of the export dialogs comes from the stored settings (the same store the window
// uses) unless an option gives it.  The pages are those of the order and selection the options
// give (page-number order, every page, by default), written aside and renamed into place.
#include <QDate>
#include <QString>
#include <filesystem>
#include <memory>

#include "app/captions.h"
#include "cli/tool_common.h"
#include "convert/cp932.h"
#include "exchange/export_format.h"
#include "exchange/export_run.h"
#include "exchange/ui/html_images.h"
#include "images/image_list.h"
#include "images/image_search_path.h"
#include "settings/main_settings.h"
#include "settings/settings_store.h"

namespace sk::cli {
namespace {

using exchange::ExportRange;

// The five field captions of the page file (its per-file key), CP932.
std::vector<std::string> Captions(settings::SettingsStore& reg, const std::string& path) {
  std::vector<std::string> stored;
  bool exists = false;
  if (reg.OpenKey(settings::PerFileKeyPath(std::filesystem::path(path).filename().string()),
                  false)) {
    exists = reg.ValueExists("Caption");
    for (const std::string& s : reg.ReadStringList("Caption")) stored.push_back(cp932::ToUtf8(s));
    reg.CloseKey();
  }
  std::vector<std::string> out;
  for (const std::string& c : app::FieldCaptionsFromStored(stored, exists, nullptr)) {
    std::string b;
    cp932::FromUtf8ToCp932(c, &b);
    out.push_back(b);
  }
  return out;
}

// --fields for the text export: category,title,subtitle,date,images,text.
bool TextFields(const std::string& list, exchange::TextExportSettings* s) {
  s->SaveBunrui = s->SaveTitle = s->SaveChosha = s->SaveDate = s->SaveImageFileName = s->SaveText =
      false;
  for (const std::string& f : SplitComma(list)) {
    if (f == "category")
      s->SaveBunrui = true;
    else if (f == "title")
      s->SaveTitle = true;
    else if (f == "subtitle")
      s->SaveChosha = true;
    else if (f == "date")
      s->SaveDate = true;
    else if (f == "images")
      s->SaveImageFileName = true;
    else if (f == "text")
      s->SaveText = true;
    else
      return false;
  }
  return true;
}

// --fields for the page titles of HTML and TeX: title,subtitle,date,name.
template <class S>
bool TitleFields(const std::string& list, S* s) {
  s->TitleTitle = s->TitleChosha = s->TitleDate = s->TitleUserName = false;
  for (const std::string& f : SplitComma(list)) {
    if (f == "title")
      s->TitleTitle = true;
    else if (f == "subtitle")
      s->TitleChosha = true;
    else if (f == "date")
      s->TitleDate = true;
    else if (f == "name")
      s->TitleUserName = true;
    else
      return false;
  }
  return true;
}

}  // namespace

int CmdExport(const std::vector<std::string>& operands, const Options& o) {
  const std::string& kind = operands[0];
  const std::string& path = operands[1];
  const std::string& out_path = operands[2];
  const CommandInfo* cmd = nullptr;
  for (const auto& c : Commands())
    if (std::string(c.name) == "export") cmd = &c;
  if (kind != "text" && kind != "html" && kind != "tex")
    return Usage("export の種類は text, html, tex のどれかです (" + kind + ")", cmd);
  auto has = [&](const char* n) { return o.count(n) > 0; };
  auto opt = [&](const char* n) { return o.at(n); };

  settings::SettingsStore reg;
  settings::MainWindowSettings conf;
  conf.Read(reg);
  std::string my_name;
  reg.OpenKey(settings::kRootKey, true);
  my_name = reg.ReadString("MyName");
  reg.CloseKey();

  // Pages: all, or N from the first selected page (or --from-page).
  PageChoice choice;
  if (!ParsePageChoice(o, cmd, &choice)) return 2;
  const bool ranged = choice.ranged;
  bool all = choice.range.all;
  int count = choice.range.count;

  std::unique_ptr<exchange::PageExporter> ex;
  images::ImageSearchPath search;  // the HTML export's image folders, for the whole export
  if (kind == "text") {
    exchange::TextExportSettings s;
    s.Load(reg);
    int date_type = conf.TypeOfDateForTextOutput;
    if (has("date-style") && !ParseInt(opt("date-style"), 1, 10, &date_type))
      return Usage("--date-style は 1 から 10 です", cmd);
    if (has("fields") && !TextFields(opt("fields"), &s))
      return Usage("--fields は category,title,subtitle,date,images,text の組み合わせです", cmd);
    if (has("empty-lines") && !ParseInt(opt("empty-lines"), 0, 1000, &s.PageKan))
      return Usage("--empty-lines は 0 以上の数です", cmd);
    if (!ranged) {
      all = s.AllPage;
      count = s.PageCount;
    }
    ex = std::make_unique<exchange::TextExporter>(s, date_type, Captions(reg, path), has("utf8"));
  } else if (kind == "html") {
    exchange::HtmlSettings s;
    s.Load(reg);
    if (has("fields") && !TitleFields(opt("fields"), &s))
      return Usage("--fields は title,subtitle,date,name の組み合わせです", cmd);
    if (has("empty-lines") && !ParseInt(opt("empty-lines"), 0, 1000, &s.Pagekan))
      return Usage("--empty-lines は 0 以上の数です", cmd);
    if (has("no-images")) s.DispGazo = false;
    if (has("image-pos")) {
      int p = Pick(opt("image-pos"), {"left", "center", "right"});
      if (p < 0) return Usage("--image-pos は left, center, right のどれかです", cmd);
      s.GazoDispPos = p + 1;
    }
    if (has("title") && !Convert("--title", opt("title"), &s.DocumentTitleText)) return 2;
    if (!ranged) {
      all = s.AllPage;
      count = s.PageCount;
    }
    exchange::HtmlContext c;
    c.page_file_name = std::filesystem::path(path).filename().string();
    cp932::FromUtf8ToCp932(c.page_file_name, &c.page_file_name);
    c.my_name = my_name;
    c.max_image_pixels = exchange::HtmlImagePixels(96.0, s.GazoMaxWidth);
    c.min_image_pixels = exchange::HtmlImagePixels(96.0, s.GazoMinWidth);
    search.SetStartDir(std::filesystem::current_path().string());
    search.SetPageFileDir(std::filesystem::absolute(path).parent_path().string());
    search.SetImageDirList(cp932::ToUtf8(conf.ImageDir));
    exchange::SetHtmlImages(search, &c);
    ex = std::make_unique<exchange::HtmlWriter>(s, std::move(c));
  } else {
    exchange::TexSettings s;
    s.Load(reg);
    if (has("fields") && !TitleFields(opt("fields"), &s))
      return Usage("--fields は title,subtitle,date,name の組み合わせです", cmd);
    if (has("title") && !Convert("--title", opt("title"), &s.DocumentTitle)) return 2;
    if (has("paper")) {
      s.Yoshi = Pick(opt("paper"), {"a4", "a5", "b4", "b5"});
      if (s.Yoshi < 0) return Usage("--paper は a4, a5, b4, b5 のどれかです", cmd);
    }
    if (has("landscape")) s.YoshiMuki = 1;
    if (has("vertical")) s.MojiHoko = 1;
    if (has("font-size")) {
      s.MojiSize = Pick(opt("font-size"), {"10", "11", "12"});
      if (s.MojiSize < 0) return Usage("--font-size は 10, 11, 12 のどれかです", cmd);
    }
    if (has("columns")) {
      int c = Pick(opt("columns"), {"1", "2"});
      if (c < 0) return Usage("--columns は 1 か 2 です", cmd);
      s.Dangumi = c;
    }
    if (has("style")) {
      s.Style = Pick(opt("style"), {"article", "report", "book"});
      if (s.Style < 0) return Usage("--style は article, report, book のどれかです", cmd);
    }
    if (!ranged) {
      all = s.AllPage;
      count = s.PageCount;
    }
    const QDate today = QDate::currentDate();
    ex = std::make_unique<exchange::TexWriter>(
        s, my_name, store::Date{today.year(), today.month(), today.day()});
  }
  store::Table t;
  Status st = OpenPageChoice(path, o, &choice, &t);
  if (!st.ok()) return Fail(st);
  ExportRange range = choice.range;
  range.all = all;
  range.count = count;

  // "-": standard output, for a pipe.
  exchange::AsideFile out;
  st = out_path == "-" ? out.OpenStandardOutput() : out.Open(out_path);
  if (!st.ok()) return Fail(st);
  TerminalProgress progress("出力中");
  exchange::ExportOutcome outcome;
  st = exchange::ExportPages(t, range, *ex, out, progress.Callback(), &outcome);
  progress.Clear();
  if (st.ok()) st = out.Commit();
  if (!st.ok()) return Fail(st);
  std::cerr << outcome.pages << " ページを " << out.path() << " に書き出しました\n";
  return 0;
}

}  // namespace sk::cli
