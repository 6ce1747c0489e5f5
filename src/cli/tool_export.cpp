// sorakumo-tool export: the text, HTML and TeX exports of a page file.
//
// Every choice of the export dialogs comes from the stored settings (the same store the window
// uses) unless an option gives it.  The pages are those of the order and selection the options
// give (page-number order, every page, by default), written aside and renamed into place.
#include <QDate>
#include <QString>
#include <charconv>
#include <filesystem>
#include <memory>

#include "app/captions.h"
#include "browse/page_selection.h"
#include "cli/tool_common.h"
#include "convert/cp932.h"
#include "exchange/export_format.h"
#include "exchange/export_run.h"
#include "exchange/ui/html_images.h"
#include "images/image_list.h"
#include "images/image_search_path.h"
#include "settings/main_settings.h"
#include "settings/settings_store.h"
#include "store/page_file.h"

namespace sk::cli {
namespace {

using exchange::ExportRange;

bool ParseInt(const std::string& s, int lo, int hi, int* out) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

std::vector<std::string> SplitComma(const std::string& s) {
  std::vector<std::string> v;
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    if (comma == std::string::npos) comma = s.size();
    if (comma > start) v.push_back(s.substr(start, comma - start));
    start = comma + 1;
  }
  return v;
}

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

// The selection of --category, --from and --to; false after a message on a bad value.
bool SelectionOf(const Options& o, browse::PageSelection* sel) {
  if (auto it = o.find("category"); it != o.end()) {
    sel->BunruiSelectMode = true;
    for (const std::string& c : SplitComma(it->second)) {
      std::string b;
      if (!Convert("--category", c, &b)) return false;
      sel->SelBunruiList.push_back(b);
    }
  }
  for (const char* name : {"from", "to"}) {
    auto it = o.find(name);
    if (it == o.end()) continue;
    const std::string& d = it->second;
    std::optional<store::Date> date;
    if (d.size() == 10 && d[4] == '-' && d[7] == '-')
      date = browse::ParseSelectionDate(d.substr(0, 4) + "/" + d.substr(5, 2) + "/" + d.substr(8));
    if (!date) {
      Usage(std::string("--") + name + " は YYYY-MM-DD で指定してください");
      return false;
    }
    sel->DateSelectMode = true;
    (std::string(name) == "from" ? sel->SelStartDate : sel->SelEndDate) = *date;
  }
  return true;
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

int Pick(const std::string& v, std::initializer_list<const char*> words) {
  int i = 0;
  for (const char* w : words) {
    if (v == w) return i;
    ++i;
  }
  return -1;
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
  ExportRange range;
  bool all = true;
  int count = 1;
  if (has("pages") && opt("pages") != "all") {
    if (!ParseInt(opt("pages"), 0, 1 << 30, &count))
      return Usage("--pages は all か 0 以上の数です", cmd);
    all = false;
  }
  const bool ranged = has("pages");
  int from_page = 0;
  if (has("from-page") && !ParseInt(opt("from-page"), 1, 1 << 30, &from_page))
    return Usage("--from-page はページ番号です", cmd);

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
  browse::PageSelection sel;
  if (!SelectionOf(o, &sel)) return 2;

  store::Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, store::PageFileOptions(true));
  if (st.ok() && has("order")) st = t.SetIndexName(opt("order"));
  if (st.ok() && sel.AnyActive()) {
    t.SetFilter(browse::MakeSelectionFilter(sel, t));
    st = t.SetFiltered(true);
  }
  if (st.ok()) {
    if (from_page > 0) {
      st = t.GotoBookmark(store::Table::Bookmark(from_page));
    } else {
      st = t.First();
    }
  }
  if (!st.ok()) return Fail(st);
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
