// Drawing a finished print layout with Qt: one routine (DisplayPage) draws a sheet on the preview
// canvas, on a printer and into a PDF, so that all three show the same sheet.  The layout itself
// is measured here too, with Qt's font metrics at layout size (a font's pixel size is its height
// in layout units), so the numbers the layout breaks lines with are the numbers drawing uses.
//
// Vertical writing draws double-byte characters upright from top to bottom, with the vertical
// forms of brackets, punctuation and small kana taken from the font's own "vert" substitutions,
// and single-byte words turned a quarter clockwise; lines stack from the right edge leftwards.
//
// This library needs QtGui only (no widgets), so the command line tool draws PDFs offscreen.
#pragma once

#include <QPageLayout>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "convert/status.h"
#include "print/print_flow.h"
#include "print/print_settings.h"
#include "print/text_measure.h"

class QPainter;

namespace sk::images {
class ImageSearchPath;
class FolderListings;
}  // namespace sk::images

namespace sk::print {

// Maps the Windows-era Japanese font names kept in page files and settings ("ＭＳ 明朝", ...) to
// the installed IPA fonts.  Called once by every program that lays out or draws text.
void InstallFontSubstitutions();

// TextMeasure with Qt's font metrics at layout size.  A name with a leading "@" (vertical
// writing) measures double-byte characters by their upright advance and single-byte text as
// turned, exactly as DisplayPage draws them.
class QtTextMeasure : public TextMeasure {
 public:
  QtTextMeasure();
  ~QtTextMeasure() override;
  int Width(const MeasureFont& font, std::string_view text) override;

 private:
  struct Fonts;
  std::unique_ptr<Fonts> fonts_;
};

// Pictures found along the image search path (each folder listed once for the run); their
// sizes read by Qt's image readers without decoding.
class QtPictureSource : public PictureSource {
 public:
  explicit QtPictureSource(const images::ImageSearchPath& path);
  ~QtPictureSource() override;
  std::optional<PictureFile> Find(const std::string& name) override;

 private:
  const images::ImageSearchPath& path_;
  std::unique_ptr<images::FolderListings> listings_;
};

// The page of the settings' paper (A4, A5 and the Japanese B4 and B5, turned for landscape) with
// no margins, for a printer or a PDF.
QPageLayout PaperPageLayout(const PrintSettings& settings);

// Layout units to device pixels: x = trunc((v / S - offset_x) * zoom), S = 10000 / dpi units per
// pixel; dpi is the screen's for the preview, the printer's horizontal resolution (both axes)
// when printing; the offsets are the printer's physical offsets (0 on screen, in PDFs).
struct DeviceMapping {
  double dpi = 96;
  double offset_x = 0, offset_y = 0;
  double zoom = 1.0;
  int X(double units) const;
  int Y(double units) const;
  // A length (font height, picture size): trunc(units / S * zoom).
  int Length(double units) const;
};

// Draws sheet `sheet` (from 0) of `run`: its page numbers, the lines of its columns and their
// pictures.  Drawing is clipped to page_pixels (from 0,0).  A picture that cannot be read leaves
// its place empty; pictures are decoded at the size drawn (never above their own), each once.
void DisplayPage(QPainter& painter, const PrintRun& run, const PrintSettings& settings, int sheet,
                 const DeviceMapping& map, QSize page_pixels);

// Writes sheets first..last (from 0; last -1 = the last sheet) of `run` into a PDF at `path`
// (UTF-8), one PDF page of the paper's size per sheet, text as text with the fonts embedded.
// The file is written beside the target and renamed into place when complete; a failure or a
// cancel leaves the target as it was.  progress(done, total) is called before each sheet;
// false cancels (*cancelled set, Status ok).
struct PdfJob {
  std::string path;
  std::string title;  // the document's title
  int first_sheet = 0, last_sheet = -1;
};
Status WritePdf(const PrintRun& run, const PrintSettings& settings, const PdfJob& job,
                const std::function<bool(int done, int total)>& progress, bool* cancelled);

}  // namespace sk::print
