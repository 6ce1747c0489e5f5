// Stepping through pages that each show a 12-megapixel photo in the window (offscreen), with
// the pictures fitted to their area.
//
// Makes (once) 16 smooth photo-like 4000 x 3000 JPEGs and a page file of 1,000 pages, each naming
// one of them, in SORAKUMO_BENCH_DIR/img12 (default /tmp/sorakumo_bench/img12).  Then opens the
// window on the page file, switches to fit mode and steps "next page" through all 1,000 pages.
// Prints the pages per second and the resident and peak memory after 100, 500 and 1,000 pages.
//
//   image_step_bench [pages] [whole]   (whole: decode whole pictures and scale them afterwards,
//                                        for comparison)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/bench_files.h"
#include "bench/bench_photo.h"
#include "bench/bench_window.h"
#include "images/ui/image_side.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

constexpr int kPictures = 16;

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
  const QString dir = QString::fromStdString(sk::bench::Dir("/tmp/sorakumo_bench")) + "/img12";
  QDir().mkpath(dir);
  for (int i = 0; i < kPictures; ++i) {
    QString name = dir + QString("/photo%1.jpg").arg(i, 2, 10, QChar('0'));
    if (!QFile::exists(name)) sk::bench::MakePhoto(name, 4000, 3000, i);
  }
  const std::string file = (dir + QString("/steps%1.dbf").arg(pages)).toStdString();
  if (!sk::bench::Exists(file)) {
    sk::Status st = sk::store::CreatePageFile(file);
    sk::store::Table t;
    if (st.ok()) st = t.Open(file, sk::store::PageFileOptions());
    for (int i = 0; st.ok() && i < pages; ++i) {
      st = t.Append();
      if (st.ok()) st = t.SetFieldString("TITLE", "page " + std::to_string(i + 1));
      if (st.ok()) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%02d.jpg", i % kPictures);
        st = t.SetFieldString("IMAGEFILE", name);
      }
      if (st.ok()) st = t.Post();
    }
    if (st.ok()) st = t.Close();
    if (!st.ok()) {
      std::fprintf(stderr, "%s\n", st.message().c_str());
      return 1;
    }
  }
  // Settings of this run only.
  QTemporaryDir config;
  qputenv("SORAKUMO_CONFIG_DIR", config.path().toLocal8Bit());

  sk::bench::Window w(file);
  if (!w.ok()) {
    std::fprintf(stderr, "the window did not open %s\n", file.c_str());
    return 1;
  }
  w.images().SetDecodeAtShownSize(!(argc > 2 && std::string(argv[2]) == "whole"));
  w.Trigger("KakudaiShukusho_Item");
  w.Trigger("FirstItem");
  const int decoded_before = w.images().decode_count();
  QElapsedTimer clock;
  clock.start();
  int stepped = 0;
  for (int mark : {100, 500, pages}) {
    while (stepped + 1 < std::min(mark, pages)) {
      w.Trigger("NextItem");
      ++stepped;
    }
    std::printf("after %4d pages: %.1f pages/s, resident %ld MB, peak %ld MB\n", stepped + 1,
                (stepped + 1) * 1000.0 / double(std::max<qint64>(1, clock.elapsed())),
                StatusKb("VmRSS:") / 1024, StatusKb("VmHWM:") / 1024);
  }
  std::printf("pictures decoded: %d; area 1 is %dx%d\n",
              w.images().decode_count() - decoded_before, w.form().Image1Panel->width(),
              w.form().Image1Panel->height());
  return 0;
}
