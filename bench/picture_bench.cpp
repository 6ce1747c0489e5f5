// Showing a 24-megapixel photo (6000 x 4000 JPEG, smooth, quality 90) in a 600 x 400 image area:
// decoded at the size the fit mode shows it against decoded whole, side by side.
//
//   PictureDecode/fit    LoadPicture asking the reader for the fitted size (598 x 398)
//   PictureDecode/full   LoadPicture decoding the whole picture (what normal size does)
//
// The photo is made once in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench) as photo24.jpg.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>

#include "bench/bench_files.h"
#include "bench/bench_photo.h"
#include "images/image_geometry.h"
#include "images/ui/picture_loader.h"

namespace {

QString Photo() {
  static const QString path =
      QString::fromStdString(sk::bench::Dir("/tmp/sorakumo_bench")) + "/photo24.jpg";
  if (!QFile::exists(path)) sk::bench::MakePhoto(path, 6000, 4000, 7);
  return path;
}

void PictureDecode(benchmark::State& state, bool fit) {
  const QString path = Photo();
  QSize got;
  for (auto _ : state) {
    sk::images::LoadedPicture pic = sk::images::LoadPicture(path, [&](QSize full) {
      if (!fit) return QSize();
      sk::images::Placement p = sk::images::PlacePicture(sk::images::kModeFit, 600, 400,
                                                         full.width(), full.height(), 1920, 1080);
      return QSize(p.width, p.height);
    });
    if (!pic.ok()) {
      state.SkipWithError(pic.error.toStdString().c_str());
      return;
    }
    got = pic.image.size();
    benchmark::DoNotOptimize(pic.image.constBits());
  }
  state.counters["width"] = got.width();
  state.counters["height"] = got.height();
}

BENCHMARK_CAPTURE(PictureDecode, fit, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(PictureDecode, full, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
