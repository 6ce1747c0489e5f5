// Sheets into a PDF file: one page of the paper's size per sheet, drawn by DisplayPage at the
// writer's resolution, written beside the target and renamed into place when complete.
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "exchange/export_run.h"
#include "print/ui/print_render.h"

namespace sk::print {

namespace {

constexpr int kPdfDpi = 1200;

}  // namespace

Status WritePdf(const PrintRun& run, const PrintSettings& settings, const PdfJob& job,
                const std::function<bool(int, int)>& progress, bool* cancelled) {
  if (cancelled) *cancelled = false;
  const int last =
      job.last_sheet < 0 ? run.SheetCount - 1 : std::min(job.last_sheet, run.SheetCount - 1);
  const int first = std::max(job.first_sheet, 0);

  exchange::AsideFile aside;
  if (Status s = aside.Open(job.path); !s) return s;
  QFile file(QString::fromStdString(aside.temp_path()));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return Status::Error(job.path + " を作成できません");

  {
    QPdfWriter writer(&file);
    writer.setResolution(kPdfDpi);
    writer.setCreator(QStringLiteral("SoraKumo"));
    writer.setTitle(QString::fromStdString(job.title));
    writer.setPageLayout(PaperPageLayout(settings));

    const DeviceMapping map{double(kPdfDpi), 0, 0, 1.0};
    const QSize page(writer.width(), writer.height());
    QPainter painter;
    const int total = std::max(last - first + 1, 0);
    for (int sheet = first; sheet <= last; ++sheet) {
      if (progress && !progress(sheet - first, total)) {
        if (painter.isActive()) painter.end();
        if (cancelled) *cancelled = true;
        return Status::Ok();  // the aside file goes with `aside`
      }
      if (!painter.isActive()) {
        if (!painter.begin(&writer)) return Status::Error(job.path + " に書き込めません");
      } else {
        writer.newPage();
      }
      DisplayPage(painter, run, settings, sheet, map, page);
    }
    // A run without sheets still makes a valid file of one blank page.
    if (!painter.isActive() && !painter.begin(&writer))
      return Status::Error(job.path + " に書き込めません");
    painter.end();
  }
  if (!file.flush() || file.error() != QFileDevice::NoError) {
    const std::string why = file.errorString().toStdString();
    return Status::Error(job.path + " に書き込めません（" + why + "）");
  }
  file.close();
  return aside.Commit();
}

}  // namespace sk::print
