// sorakumo-tool print: the pages of a page file laid out as the window prints them, into a PDF.
//
// The print settings are those the window's print settings dialog stored (the same settings
// store), or their defaults; options override single values.  The pages are chosen as for the
// export.  Fonts and pictures need QtGui: the command makes an application object on the
// offscreen platform unless another is asked for.
#include <unistd.h>

#include <QGuiApplication>
#include <malloc.h>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "cli/tool_common.h"
#include "convert/cp932.h"
#include "images/image_search_path.h"
#include "print/print_flow.h"
#include "print/print_pages.h"
#include "print/print_settings.h"
#include "print/ui/print_render.h"
#include "settings/main_settings.h"
#include "settings/settings_store.h"

namespace sk::cli {
namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

bool ParsePoints(const std::string& s, double* out) {
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v) || v < 1 || v > 200)
    return false;
  *out = v;
  return true;
}

// The options over the stored settings; false after a usage message.
bool ApplyOptions(const Options& o, const CommandInfo* cmd, print::PrintSettings* s) {
  auto has = [&](const char* n) { return o.count(n) > 0; };
  if (has("vertical") && has("horizontal")) {
    Usage("--vertical と --horizontal は一緒に指定できません", cmd);
    return false;
  }
  if (has("vertical")) s->MojiHoko = 1;
  if (has("horizontal")) s->MojiHoko = 0;
  if (has("columns")) {
    const int c = Pick(o.at("columns"), {"1", "2"});
    if (c < 0) {
      Usage("--columns は 1 か 2 です", cmd);
      return false;
    }
    s->Dangumi = c;
  }
  // Papers in pairs: portrait, then landscape (A4, A5, B4, B5).
  int paper = std::clamp(s->Yoshi, 0, 7) / 2;
  bool landscape = s->Yoshi % 2 == 1;
  if (has("paper")) {
    paper = Pick(Upper(o.at("paper")), {"A4", "A5", "B4", "B5"});
    if (paper < 0) {
      Usage("--paper は A4, A5, B4, B5 のどれかです (" + o.at("paper") + ")", cmd);
      return false;
    }
    landscape = false;
  }
  if (has("landscape") && has("portrait")) {
    Usage("--landscape と --portrait は一緒に指定できません", cmd);
    return false;
  }
  if (has("landscape")) landscape = true;
  if (has("portrait")) landscape = false;
  s->Yoshi = paper * 2 + (landscape ? 1 : 0);
  if (has("font-size") && !ParsePoints(o.at("font-size"), &s->TextFont.size)) {
    Usage("--font-size は 1 から 200 までのポイント数です (" + o.at("font-size") + ")", cmd);
    return false;
  }
  if (has("pictures")) {
    const int p = Pick(o.at("pictures"), {"none", "start", "end"});
    if (p < 0) {
      Usage("--pictures は none, start, end のどれかです", cmd);
      return false;
    }
    s->ImagePos = p;
  }
  if (has("bag")) {
    const int b = Pick(o.at("bag"), {"off", "on"});
    if (b < 0) {
      Usage("--bag は on か off です", cmd);
      return false;
    }
    s->Fukuro = b;
  }
  if (has("fields")) {
    s->TitleTitle = s->TitleSubTitle = s->TitleDate = s->TitleUserName = false;
    for (const std::string& f : SplitComma(o.at("fields"))) {
      const int i = Pick(f, {"title", "subtitle", "date", "name"});
      if (i < 0) {
        Usage("--fields は title,subtitle,date,name の組み合わせです", cmd);
        return false;
      }
      bool print::PrintSettings::*const items[] = {
          &print::PrintSettings::TitleTitle, &print::PrintSettings::TitleSubTitle,
          &print::PrintSettings::TitleDate, &print::PrintSettings::TitleUserName};
      s->*items[i] = true;
    }
  }
  s->DocTitle.clear();
  if (has("title") && !Convert("--title", o.at("title"), &s->DocTitle)) return false;
  return true;
}

// Progress of a counted pass on stderr when it is a terminal, shown every `step` items.
class CountLine {
 public:
  CountLine(std::string label, std::string unit, size_t step)
      : label_(std::move(label)),
        unit_(std::move(unit)),
        step_(step),
        tty_(isatty(STDERR_FILENO)) {}
  ~CountLine() { Clear(); }
  void Show(size_t done, size_t total) {
    if (!tty_ || (done % step_ != 0 && done != total)) return;
    std::cerr << "\r" << label_ << " " << done << " / " << total << " " << unit_ << std::flush;
    shown_ = true;
  }
  void Clear() {
    if (shown_) std::cerr << "\r" << std::string(50, ' ') << "\r" << std::flush;
    shown_ = false;
  }

 private:
  std::string label_, unit_;
  size_t step_;
  bool tty_;
  bool shown_ = false;
};

}  // namespace

int CmdPrint(const std::vector<std::string>& operands, const Options& o) {
  const std::string& path = operands[0];
  const std::string& out_path = operands[1];
  const CommandInfo* cmd = nullptr;
  for (const auto& c : Commands())
    if (std::string(c.name) == "print") cmd = &c;

  settings::SettingsStore reg;
  settings::MainWindowSettings conf;
  conf.Read(reg);
  print::PrintSettings s;
  print::LoadPrintSettings(reg, &s);
  s.TabCount = conf.TabCount;
  reg.OpenKey(settings::kRootKey, true);
  s.MyName = reg.ReadString("MyName");
  reg.CloseKey();
  if (!ApplyOptions(o, cmd, &s)) return 2;
  PageChoice choice;
  if (!ParsePageChoice(o, cmd, &choice)) return 2;
  if (!choice.ranged) {
    const exchange::ExportRange stored = print::PrintRangeOf(s);
    choice.range.all = stored.all;
    choice.range.count = stored.count;
  }

  // A target that cannot be written fails at once, before the layout: the file beside it the
  // PDF is written into is made and removed again.
  Status st = exchange::AsideFile().Open(out_path);
  if (!st.ok()) return Fail(st);
  // The PDF engine builds every sheet in buffers of a few megabytes and frees them again: kept
  // in the heap instead of being mapped and unmapped each time, they cost a fifth less time.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_TOP_PAD, 64 << 20);
  store::Table t;
  st = OpenPageChoice(path, o, &choice, &t);
  if (!st.ok()) return Fail(st);
  std::vector<print::PrintPage> pages;
  bool cancelled = false;
  {
    TerminalProgress reading("読み込み中");
    st = print::CollectPrintPages(t, choice.range, reading.Callback(), &pages, &cancelled);
  }
  if (!st.ok()) return Fail(st);
  st = t.Close();
  if (!st.ok()) return Fail(st);
  if (pages.empty() && s.DocTitle.empty())
    return Fail(Status::Error(path + ": 印刷するページがありません"));

  // Fonts and picture sizes need a GUI application; without a display, the offscreen one.  Run
  // outside a desktop session (cron, a container) Qt notes the missing runtime folder, which
  // does not concern a print.
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static const QtMessageHandler qt_default = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:"))) return;
        if (qt_default) qt_default(type, context, message);
      });
  static int argc = 1;
  static char name[] = "sorakumo-tool";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  print::InstallFontSubstitutions();

  images::ImageSearchPath search;
  search.SetStartDir(std::filesystem::current_path().string());
  search.SetPageFileDir(std::filesystem::absolute(path).parent_path().string());
  search.SetImageDirList(cp932::ToUtf8(conf.ImageDir));
  print::QtTextMeasure measure;
  print::QtPictureSource pictures(search);
  print::PrintFlow flow(s, &measure, &pictures);
  print::PrintRun run;
  {
    CountLine layout("レイアウト中", "ページ", 256);
    run = flow.SetLineColumnImage(pages, [&](size_t done, size_t total) {
      layout.Show(done, total);
      return true;
    });
  }
  std::vector<print::PrintPage>().swap(pages);  // the run holds what it draws

  print::PdfJob job;
  job.path = out_path;
  // The document's title: the one printed, else the name a print from the window gives its job.
  job.title = o.count("title") ? o.at("title")
                               : "SORAKUMO(" + std::filesystem::path(path).filename().string() + ")";
  {
    CountLine sheets("書き出し中", "枚", 16);
    st = print::WritePdf(
        run, s, job,
        [&](int done, int total) {
          sheets.Show(size_t(done), size_t(total));
          return true;
        },
        &cancelled);
  }
  if (!st.ok()) {
    if (st.message().find(out_path) == std::string::npos)
      st = Status::Error(out_path + ": " + st.message());
    return Fail(st);
  }
  std::cerr << run.SheetCount << " 枚を " << out_path << " に書き出しました\n";
  return 0;
}

}  // namespace sk::cli
