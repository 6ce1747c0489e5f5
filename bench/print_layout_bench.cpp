// The print layout of 10,000 pages of about 2,000 bytes of Japanese text (the words of
// `sorakumo-tool generate`, lines of a few dozen words), laid out by PrintFlow with Qt's font
// metrics (QtTextMeasure, offscreen), with the measure cache on against off.  The flow is made
// anew for each run, so the cache starts empty as in a print run of the window.
//
//   print_layout_bench [google benchmark flags]     (pages_per_second: pages laid out a second)
//
//   Layout/horizontal_cached     each distinct chunk measured once per font
//   Layout/horizontal_uncached   every chunk measured by Qt (layout().measure().set_enabled(false))
//   Layout/vertical_*            the same in vertical writing (upright double-byte characters)
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "print/print_flow.h"
#include "print/ui/print_render.h"

namespace {

using sk::print::PrintPage;

const std::vector<PrintPage>& Pages() {
  static const std::vector<PrintPage> pages = [] {
    static const char* kWords[] = {"今日は",     "朝から",   "雨が",
                                   "降って",     "いた。",   "図書館で",
                                   "古い",       "新聞を",   "読んだ。",
                                   "そらくも",   "について", "考える。",
                                   "●",          "メモ：",   "東京",
                                   "京都",       "散歩",     "写真",
                                   "日記",       "記録",     "http://example.com/",
                                   "電車",       "駅前の",   "喫茶店で",
                                   "コーヒーを", "飲む。",   "Linux",
                                   "dBASE",      "2024年",   "会議",
                                   "資料",       "// 注記",  "<要確認>",
                                   "\\section"};
    std::mt19937 rng(1);
    std::vector<std::string> words;
    for (const char* w : kWords) {
      std::string cp;
      sk::cp932::FromUtf8ToCp932(w, &cp);
      words.push_back(cp);
    }
    std::vector<PrintPage> out(10000);
    for (size_t i = 0; i < out.size(); ++i) {
      PrintPage& p = out[i];
      p.title = "page " + std::to_string(i + 1);
      p.date = "20240105";
      const size_t target = 1800 + rng() % 400;
      while (p.text.size() < target) {
        p.text += words[rng() % words.size()];
        if (rng() % 12 == 0) p.text += "\r\n";
      }
    }
    return out;
  }();
  return pages;
}

class NoPictures : public sk::print::PictureSource {
 public:
  std::optional<sk::print::PictureFile> Find(const std::string&) override { return std::nullopt; }
};

void Layout(benchmark::State& state, bool cache, int direction) {
  const std::vector<PrintPage>& pages = Pages();
  sk::print::PrintSettings s;
  s.MojiHoko = direction;
  sk::print::QtTextMeasure measure;
  NoPictures none;
  int sheets = 0;
  for (auto _ : state) {
    sk::print::PrintFlow flow(s, &measure, &none);
    flow.layout().measure().set_enabled(cache);
    const sk::print::PrintRun run = flow.SetLineColumnImage(pages);
    sheets = run.SheetCount;
    benchmark::DoNotOptimize(run.lines.data());
  }
  state.counters["pages_per_second"] = benchmark::Counter(
      double(pages.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["sheets"] = sheets;
}

BENCHMARK_CAPTURE(Layout, horizontal_cached, true, 0)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(Layout, horizontal_uncached, false, 0)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(Layout, vertical_cached, true, 1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(Layout, vertical_uncached, false, 1)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  sk::print::InstallFontSubstitutions();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
