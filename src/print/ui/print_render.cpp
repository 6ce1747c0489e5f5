// Placeholder bodies: replaced by the drawing of sheets.
#include "print/ui/print_render.h"

#include <QFont>
#include <QPainter>
#include <cmath>

#include "images/image_search_path.h"

namespace sk::print {

void InstallFontSubstitutions() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

struct QtTextMeasure::Fonts {};
QtTextMeasure::QtTextMeasure() : fonts_(std::make_unique<Fonts>()) {}
QtTextMeasure::~QtTextMeasure() = default;
int QtTextMeasure::Width(const MeasureFont& font, std::string_view text) {
  return int(text.size()) * std::abs(font.height) / 2;
}

QtPictureSource::QtPictureSource(const images::ImageSearchPath& path)
    : path_(path), listings_(std::make_unique<images::FolderListings>()) {}
QtPictureSource::~QtPictureSource() = default;
std::optional<PictureFile> QtPictureSource::Find(const std::string&) { return std::nullopt; }

int DeviceMapping::X(double v) const { return int((v / (kUnitsPerInch / dpi) - offset_x) * zoom); }
int DeviceMapping::Y(double v) const { return int((v / (kUnitsPerInch / dpi) - offset_y) * zoom); }
int DeviceMapping::Length(double v) const { return int(v / (kUnitsPerInch / dpi) * zoom); }

void DisplayPage(QPainter&, const PrintRun&, const PrintSettings&, int, const DeviceMapping&,
                 QSize) {}

Status WritePdf(const PrintRun&, const PrintSettings&, const PdfJob&,
                const std::function<bool(int, int)>&, bool* cancelled) {
  if (cancelled) *cancelled = false;
  return Status::Error("PDF はまだ書けません");
}

}  // namespace sk::print
