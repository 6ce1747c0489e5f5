// Showing a 24-megapixel photo (6000 x 4000 JPEG, smooth, quality 90) in a 600 x 400 image area:
// decoded at the size the fit mode shows it against decoded whole, side by side.
//
//   PictureDecode/fit    LoadPicture asking the reader for the fitted size (597 x 398)
//   PictureDecode/full   LoadPicture decoding the whole picture
//   PageShow/fit         the window (offscreen, 600 x 400 image area, one area) showing the page
//                        that names the photo, in fit mode, the decoded picture forgotten first
//   PageShow/full        the same page with the picture decoded whole and scaled afterwards
//
// The photo is made once in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench) as photo24.jpg.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollArea>
#include <QTemporaryDir>

#include "bench/bench_files.h"
#include "bench/bench_photo.h"
#include "bench/bench_window.h"
#include "images/image_geometry.h"
#include "images/ui/image_side.h"
#include "images/ui/picture_loader.h"
#include "settings/settings_store.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

QString Photo() {
  static const QString dir = QString::fromStdString(sk::bench::Dir("/tmp/sorakumo_bench"));
  static const QString path = dir + "/photo24.jpg";
  QDir().mkpath(dir);
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

void PageShow(benchmark::State& state, bool at_shown_size) {
  const QString photo = Photo();
  const QString dir = QFileInfo(photo).absolutePath();
  const std::string file = (dir + "/photo24page.dbf").toStdString();
  if (!sk::bench::Exists(file)) {
    sk::store::Table t;
    sk::Status st = sk::store::CreatePageFile(file);
    if (st.ok()) st = t.Open(file, sk::store::PageFileOptions());
    if (st.ok()) st = t.Append();
    if (st.ok()) st = t.SetFieldString("IMAGEFILE", "photo24.jpg");
    if (st.ok()) st = t.Post();
    if (st.ok()) st = t.Close();
    if (!sk::bench::Check(state, st)) return;
  }
  QTemporaryDir config;
  qputenv("SORAKUMO_CONFIG_DIR", config.path().toLocal8Bit());
  {
    sk::settings::SettingsStore s((config.path() + "/sorakumo.conf").toStdString());
    s.OpenKey(sk::settings::kRootKey, true);
    s.WriteInteger("ImageForm", 0);
    s.CloseKey();
    (void)s.Sync();
  }
  sk::bench::Window w(file);
  if (!w.ok()) {
    state.SkipWithError("the window did not open the page file");
    return;
  }
  w.Trigger("KakudaiShukusho_Item");
  w.form().Image1Panel->setFixedSize(600, 400);
  sk::images::ImageSide& images = w.images();
  images.SetDecodeAtShownSize(at_shown_size);
  for (auto _ : state) {
    images.ClearPictureCache();
    images.ShowPageImages();
  }
  state.counters["decoded"] = images.decode_count();
}

BENCHMARK_CAPTURE(PageShow, fit, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(PageShow, full, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(PictureDecode, fit, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(PictureDecode, full, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
