#include "print/ui/print_render.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QImageReader>
#include <QPageSize>
#include <QPainter>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "convert/cp932.h"
#include "images/image_search_path.h"
#include "print/sheet_plan.h"
#include "print/ui/print_text.h"
#include "print/ui/vertical_forms.h"

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

// ---- Measuring at layout size ----

struct QtTextMeasure::Fonts {
  struct Entry {
    QFont font;
    QFontMetricsF metrics;
    bool vertical;
  };
  std::map<MeasureFont, Entry> entries;

  Entry& Of(const MeasureFont& f) {
    auto it = entries.find(f);
    if (it == entries.end()) {
      const QFont font = PrintFont(f.name, f.style, std::abs(f.height));
      const bool vertical = !f.name.empty() && f.name.front() == '@';
      it = entries.emplace(f, Entry{font, QFontMetricsF(font), vertical}).first;
    }
    return it->second;
  }
};

QtTextMeasure::QtTextMeasure() : fonts_(std::make_unique<Fonts>()) { InstallFontSubstitutions(); }
QtTextMeasure::~QtTextMeasure() = default;

int QtTextMeasure::Width(const MeasureFont& font, std::string_view text) {
  Fonts::Entry& e = fonts_->Of(font);
  if (!e.vertical) return int(std::lround(e.metrics.horizontalAdvance(cp932::Decode(text))));
  double width = 0;
  for (const VerticalPiece& piece : VerticalPieces(text, e.metrics, std::abs(font.height)))
    width += piece.advance;
  return int(std::lround(width));
}

// ---- Pictures ----

QtPictureSource::QtPictureSource(const images::ImageSearchPath& path)
    : path_(path), listings_(std::make_unique<images::FolderListings>()) {}
QtPictureSource::~QtPictureSource() = default;

std::optional<PictureFile> QtPictureSource::Find(const std::string& name) {
  const std::optional<std::string> found = path_.Find(cp932::ToUtf8(name), listings_.get());
  if (!found) return std::nullopt;
  const QSize size = QImageReader(QString::fromStdString(*found)).size();
  if (!size.isValid() || size.isEmpty()) return std::nullopt;
  return PictureFile{*found, size.width(), size.height()};
}

// ---- Drawing ----

QPageLayout PaperPageLayout(const PrintSettings& settings) {
  static const QPageSize::PageSizeId kSizes[] = {QPageSize::A4, QPageSize::A5, QPageSize::JisB4,
                                                 QPageSize::JisB5};
  const int yoshi = settings.Yoshi >= 0 && settings.Yoshi < 8 ? settings.Yoshi : 0;
  const PaperMm paper = PaperSize(yoshi);
  return QPageLayout(QPageSize(kSizes[yoshi / 2]),
                     paper.width > paper.height ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF());
}

int DeviceMapping::X(double v) const { return int((v / (kUnitsPerInch / dpi) - offset_x) * zoom); }
int DeviceMapping::Y(double v) const { return int((v / (kUnitsPerInch / dpi) - offset_y) * zoom); }
int DeviceMapping::Length(double v) const { return int(v / (kUnitsPerInch / dpi) * zoom); }

namespace {

QColor ColorOf(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

const PrintFontSetting& FontSettingOf(const PrintSettings& s, int kind) {
  return kind == kDocTitle ? s.DocTitleFont : kind == kPageTitle ? s.PageTitleFont : s.TextFont;
}

// The fonts of one sheet at device size, made once each.
class DeviceFonts {
 public:
  struct Font {
    QFont font;
    QFontMetricsF metrics;
    QColor color;
    double em;
    QRawFont raw;
    const GlyphMap* forms = nullptr;
    double origin = 0.88;  // the top of the upright em box above the baseline, in ems
  };

  DeviceFonts(const PrintSettings& settings, QPaintDevice* device)
      : settings_(settings), device_(device) {}

  Font& Of(int kind, int pixels, bool vertical) {
    const auto key = std::make_tuple(kind, pixels, vertical);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    const PrintFontSetting& f = FontSettingOf(settings_, kind);
    const QFont font = PrintFont(f.name, f.style, pixels);
    Font entry{font, QFontMetricsF(font, device_), ColorOf(f.color), double(std::max(pixels, 1)),
               QRawFont::fromFont(font)};
    if (vertical) {
      entry.forms = &VerticalFormsOf(entry.raw);
      entry.origin = VerticalOriginOf(entry.raw);
    }
    return fonts_.emplace(key, std::move(entry)).first->second;
  }

 private:
  const PrintSettings& settings_;
  QPaintDevice* device_;
  std::map<std::tuple<int, int, bool>, Font> fonts_;
};

// The glyphs of one line in one font, drawn as a single glyph run: text drawn glyph by glyph at
// the places the layout gave it, without shaping each chunk anew.
class LineGlyphs {
 public:
  explicit LineGlyphs(const QRawFont& raw) : raw_(raw) {}

  // The glyphs of `text` (one per UTF-16 unit); false when the font lacks one of them, which is
  // then left to Qt's fallback fonts.
  bool Glyphs(const QString& text) {
    const int n = int(text.size());
    glyphs_.resize(n);
    advances_.resize(n);
    int got = n;
    if (!raw_.isValid() || !raw_.glyphIndexesForChars(text.constData(), n, glyphs_.data(), &got) ||
        got != n)
      return false;
    for (int i = 0; i < n; ++i)
      if (glyphs_[i] == 0) return false;
    raw_.advancesForGlyphIndexes(glyphs_.data(), advances_.data(), n,
                                 QRawFont::SeparateAdvances);
    return true;
  }
  const QList<quint32>& glyphs() const { return glyphs_; }
  const QList<QPointF>& advances() const { return advances_; }

  void Add(quint32 glyph, QPointF at) {
    run_glyphs_.append(glyph);
    run_positions_.append(at);
  }

  void Draw(QPainter& painter, const QFont& font) {
    if (run_glyphs_.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(run_glyphs_);
    run.setPositions(run_positions_);
    run.setUnderline(font.underline());
    run.setStrikeOut(font.strikeOut());
    painter.drawGlyphRun(QPointF(0, 0), run);
    run_glyphs_.clear();
    run_positions_.clear();
  }

 private:
  const QRawFont& raw_;
  QList<quint32> glyphs_;
  QList<QPointF> advances_;
  QList<quint32> run_glyphs_;
  QList<QPointF> run_positions_;
};

// A chunk of a horizontal line with its top-left at x and the line's baseline at `baseline`.
void DrawHorizontal(QPainter& painter, LineGlyphs& line, const QString& text, double x,
                    double baseline) {
  if (!line.Glyphs(text)) {
    painter.drawText(QPointF(x, baseline), text);
    return;
  }
  for (qsizetype i = 0; i < line.glyphs().size(); ++i) {
    line.Add(line.glyphs()[i], QPointF(x, baseline));
    x += line.advances()[i].x();
  }
}

// A double-byte character upright, in its vertical form when the font has one, centred across
// the line at centre_x with its em box from top downwards.
void DrawUpright(QPainter& painter, DeviceFonts::Font& f, LineGlyphs& line, const QString& ch,
                 double centre_x, double top) {
  if (!line.Glyphs(ch)) {
    // Not in the font itself: one of Qt's fallback fonts draws it, in its usual form.
    QFont plain = f.font;
    plain.setUnderline(false);
    plain.setStrikeOut(false);
    painter.setFont(plain);
    painter.drawText(QPointF(centre_x - f.metrics.horizontalAdvance(ch) / 2, top + f.origin * f.em),
                     ch);
    painter.setFont(f.font);
    return;
  }
  quint32 glyph = line.glyphs()[0];
  auto form = f.forms->find(glyph);
  double advance = line.advances()[0].x();
  if (form != f.forms->end()) {
    glyph = form->second;
    QPointF a;
    quint32 g = glyph;
    advance = f.raw.advancesForGlyphIndexes(&g, &a, 1, QRawFont::SeparateAdvances) ? a.x() : f.em;
  }
  line.Add(glyph, QPointF(centre_x - advance / 2, top + f.origin * f.em));
}

// Single-byte text turned a quarter clockwise so that it reads downwards, its tops towards the
// right, centred across the line at centre_x.
void DrawTurned(QPainter& painter, DeviceFonts::Font& f, const QString& text, double centre_x,
                double top) {
  painter.save();
  // After the turn the text's y axis points left: the baseline lies left of the centre by half
  // the difference of ascent and descent.
  painter.translate(centre_x - (f.metrics.ascent() - f.metrics.descent()) / 2, top);
  painter.rotate(90);
  painter.setFont(f.font);
  painter.drawText(QPointF(0, 0), text);
  painter.restore();
}

// Underline and strike-out of a chunk of vertical writing run down the line, where turned text
// has them: the underline on the left (below the turned baseline), the strike-out across the
// middle of the letters.
void DrawVerticalDecorations(QPainter& painter, DeviceFonts::Font& f, double centre_x, double top,
                             double length) {
  if (!f.font.underline() && !f.font.strikeOut()) return;
  const double baseline = centre_x - (f.metrics.ascent() - f.metrics.descent()) / 2;
  const double width = std::max(f.metrics.lineWidth(), 1.0);
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(f.color);
  if (f.font.underline())
    painter.drawRect(QRectF(baseline - f.metrics.underlinePos() - width / 2, top, width, length));
  if (f.font.strikeOut())
    painter.drawRect(QRectF(baseline + f.metrics.strikeOutPos() - width / 2, top, width, length));
  painter.restore();
}

void DrawPicture(QPainter& painter, const std::string& path, const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  QImageReader reader(QString::fromStdString(path));
  // Decoded at the size drawn when that is smaller; a larger one is left to the device to
  // scale, so that a PDF keeps a small picture small.
  const QSize natural = reader.size();
  if (!natural.isValid() || rect.width() < natural.width() || rect.height() < natural.height())
    reader.setScaledSize(rect.size());
  const QImage image = reader.read();
  if (image.isNull()) return;
  painter.drawImage(rect, image);
}

}  // namespace

void DisplayPage(QPainter& painter, const PrintRun& run, const PrintSettings& settings, int sheet,
                 const DeviceMapping& map, QSize page_pixels) {
  InstallFontSubstitutions();
  const SheetPlan plan = PlanSheet(run, settings, sheet);
  const PrintGeometry& g = run.geometry;
  painter.save();
  painter.setClipRect(QRect(QPoint(0, 0), page_pixels));
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  DeviceFonts fonts(settings, painter.device());

  // Page numbers: the body text font, always horizontal.
  const int number_pixels = map.Length(std::abs(FontHeightOfPoints(settings.TextFont.size)));
  for (const PlannedPageNumber& number : plan.page_numbers) {
    DeviceFonts::Font& f = fonts.Of(kBodyText, number_pixels, false);
    const QString text = QString::fromStdString(number.text);
    const int width = int(f.metrics.horizontalAdvance(text));
    painter.setFont(f.font);
    painter.setPen(f.color);
    painter.drawText(
        QPointF(map.X(number.centre_x) - width / 2, map.Y(number.top_y) + f.metrics.ascent()),
        text);
  }

  for (const PlannedLine& planned : plan.lines) {
    const PrintLine& line = run.lines[size_t(planned.line)];
    DeviceFonts::Font& f = fonts.Of(line.kind, map.Length(line.font_height), !g.Horizontal);
    painter.setPen(f.color);
    painter.setFont(f.font);
    LineGlyphs glyphs(f.raw);
    for (const PlannedChunk& chunk : planned.chunks) {
      const std::string_view text = run.chunk_text[size_t(chunk.chunk)];
      if (g.Horizontal) {
        DrawHorizontal(painter, glyphs, cp932::Decode(text), map.X(chunk.t),
                       map.Y(planned.band_begin) + f.metrics.ascent());
        continue;
      }
      const double centre = (map.X(planned.band_begin) + map.X(planned.band_end)) / 2.0;
      double y = map.Y(chunk.t);
      for (const VerticalPiece& piece : VerticalPieces(text, f.metrics, f.em)) {
        if (piece.upright) {
          DrawUpright(painter, f, glyphs, piece.text, centre, y);
          DrawVerticalDecorations(painter, f, centre, y, piece.advance);
        } else {
          DrawTurned(painter, f, piece.text, centre, y);  // with its own decorations
        }
        y += piece.advance;
      }
    }
    glyphs.Draw(painter, g.Horizontal ? f.font : QFont());
  }

  // Each picture is drawn once: a PDF must carry it only once.
  for (const PlannedPicture& p : plan.pictures) {
    const QRect rect(map.X(p.left), map.Y(p.top), map.Length(p.width), map.Length(p.height));
    DrawPicture(painter, run.pictures[size_t(p.picture)].path, rect);
  }
  painter.restore();
}

}  // namespace sk::print
