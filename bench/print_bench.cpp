// Drawing a print offscreen: one sheet drawn at screen resolution (the preview), and a run
// written to a PDF at 1200 dpi, in horizontal and in vertical writing.  (The layout with and
// without the measure cache is print_layout_bench's.)  The pages are made up here: PAGES
// (default 200) pages of about 1,500 characters of Japanese text mixed with ASCII words.
//
//   print_bench [google benchmark flags]
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "print/print_flow.h"
#include "print/ui/print_render.h"

namespace {

using namespace sk::print;

std::string Sjis(const char* utf8) { return sk::cp932::EncodeReplacing(sk::cp932::FromUtf8(utf8)); }

const std::vector<PrintPage>& Pages() {
  static const std::vector<PrintPage> pages = [] {
    const char* n = std::getenv("PAGES");
    const int count = n && *n ? std::atoi(n) : 200;
    const std::string sentence = Sjis(
        "吾輩は猫である。名前はまだ無い。「どこで生れたか」とんと見当がつかぬ（薄暗い）。"
        "Qt 6.4 で描く、ＡＢＣと１２３。何でも薄暗いじめじめした所でニャーニャー泣いていた。");
    std::vector<PrintPage> out;
    for (int i = 0; i < count; ++i) {
      PrintPage page;
      page.title = Sjis("見出し") + std::to_string(i);
      for (int p = 0; p < 6; ++p) {
        for (int s = 0; s < 4; ++s) page.text += sentence;
        page.text += "\r\n";
      }
      out.push_back(std::move(page));
    }
    return out;
  }();
  return pages;
}

PrintSettings Settings(int vertical) {
  PrintSettings s;
  s.MojiHoko = vertical;
  s.TitleTitle = true;
  return s;
}

PrintRun Layout(const PrintSettings& s) {
  QtTextMeasure measure;
  PrintFlow flow(s, &measure, nullptr);
  return flow.SetLineColumnImage(Pages());
}

void BM_PreviewSheet(benchmark::State& state) {
  const PrintSettings s = Settings(int(state.range(0)));
  const PrintRun run = Layout(s);
  const DeviceMapping map{96, 0, 0, 1.0};
  const QSize size(map.Length(run.geometry.PaperWidth), map.Length(run.geometry.PaperHeight));
  QImage image(size, QImage::Format_RGB32);
  int sheet = 0;
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    DisplayPage(painter, run, s, sheet, map, size);
    sheet = (sheet + 1) % run.SheetCount;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_PreviewSheet)->ArgNames({"vertical"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WritePdf(benchmark::State& state) {
  const PrintSettings s = Settings(int(state.range(0)));
  const PrintRun run = Layout(s);
  const std::string path = QDir::temp().filePath("print_bench.pdf").toStdString();
  for (auto _ : state) {
    const sk::Status st = WritePdf(run, s, PdfJob{path, "bench"}, {}, nullptr);
    if (!st) state.SkipWithError(st.message().c_str());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * run.SheetCount);
  state.counters["sheets"] = run.SheetCount;
  QFile::remove(QString::fromStdString(path));
}
BENCHMARK(BM_WritePdf)->ArgNames({"vertical"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
