#include "print/ui/vertical_forms.h"

#include <QMutex>
#include <QMutexLocker>
#include <map>
#include <memory>
#include <vector>

namespace sk::print {

namespace {

// Big-endian reads that answer 0 past the end, so a malformed table yields nothing useful
// instead of reading out of bounds.
class Table {
 public:
  explicit Table(const QByteArray& bytes) : b_(bytes) {}
  bool Has(size_t at, size_t n) const { return at + n <= size_t(b_.size()); }
  uint16_t U16(size_t at) const {
    if (!Has(at, 2)) return 0;
    return uint16_t(uint8_t(b_[qsizetype(at)]) << 8 | uint8_t(b_[qsizetype(at + 1)]));
  }
  uint32_t U32(size_t at) const { return uint32_t(U16(at)) << 16 | U16(at + 2); }

 private:
  const QByteArray& b_;
};

// The glyphs of a coverage table, in coverage index order.
std::vector<uint32_t> Coverage(const Table& t, size_t at) {
  std::vector<uint32_t> glyphs;
  const uint16_t format = t.U16(at);
  if (format == 1) {
    const uint16_t count = t.U16(at + 2);
    if (!t.Has(at + 4, size_t(count) * 2)) return {};
    for (uint16_t i = 0; i < count; ++i) glyphs.push_back(t.U16(at + 4 + size_t(i) * 2));
  } else if (format == 2) {
    const uint16_t ranges = t.U16(at + 2);
    if (!t.Has(at + 4, size_t(ranges) * 6)) return {};
    for (uint16_t i = 0; i < ranges; ++i) {
      const size_t r = at + 4 + size_t(i) * 6;
      const uint16_t first = t.U16(r), last = t.U16(r + 2), index = t.U16(r + 4);
      if (last < first) continue;
      if (glyphs.size() < size_t(index) + (last - first) + 1)
        glyphs.resize(size_t(index) + (last - first) + 1, 0);
      for (uint32_t g = first; g <= last; ++g) glyphs[index + (g - first)] = g;
    }
  }
  return glyphs;
}

// A single substitution subtable at `at` into `map`.
void SingleSubstitution(const Table& t, size_t at, GlyphMap* map) {
  const uint16_t format = t.U16(at);
  const std::vector<uint32_t> covered = Coverage(t, at + t.U16(at + 2));
  if (format == 1) {
    const uint16_t delta = t.U16(at + 4);
    for (uint32_t g : covered) (*map)[g] = uint16_t(g + delta);
  } else if (format == 2) {
    const uint16_t count = t.U16(at + 4);
    for (size_t i = 0; i < covered.size() && i < count; ++i)
      (*map)[covered[i]] = t.U16(at + 6 + i * 2);
  }
}

void Lookup(const Table& t, size_t at, GlyphMap* map) {
  const uint16_t type = t.U16(at);
  const uint16_t subtables = t.U16(at + 4);
  for (uint16_t i = 0; i < subtables; ++i) {
    const size_t sub = at + t.U16(at + 6 + size_t(i) * 2);
    if (type == 1) {
      SingleSubstitution(t, sub, map);
    } else if (type == 7 && t.U16(sub) == 1 && t.U16(sub + 2) == 1) {
      SingleSubstitution(t, sub + t.U32(sub + 4), map);
    }
  }
}

}  // namespace

GlyphMap ReadVerticalForms(const QByteArray& gsub) {
  GlyphMap map;
  const Table t(gsub);
  if (!t.Has(0, 10) || t.U16(0) != 1) return map;
  const size_t features = t.U16(6), lookups = t.U16(8);
  const uint16_t feature_count = t.U16(features);
  const uint16_t lookup_count = t.U16(lookups);
  // "vert" first, then "vrt2", which a font may give more forms in.
  for (const char* tag : {"vert", "vrt2"}) {
    const uint32_t want = uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 |
                          uint32_t(uint8_t(tag[2])) << 8 | uint8_t(tag[3]);
    std::vector<bool> done(lookup_count, false);
    for (uint16_t f = 0; f < feature_count; ++f) {
      const size_t record = features + 2 + size_t(f) * 6;
      if (t.U32(record) != want) continue;
      const size_t feature = features + t.U16(record + 4);
      const uint16_t indexes = t.U16(feature + 2);
      for (uint16_t i = 0; i < indexes; ++i) {
        const uint16_t index = t.U16(feature + 4 + size_t(i) * 2);
        if (index >= lookup_count || done[index]) continue;
        done[index] = true;
        Lookup(t, lookups + t.U16(lookups + 2 + size_t(index) * 2), &map);
      }
    }
  }
  return map;
}

namespace {

QString FontKey(const QRawFont& font) {
  return font.familyName() + QLatin1Char('\n') + font.styleName();
}

}  // namespace

const GlyphMap& VerticalFormsOf(const QRawFont& font) {
  static QMutex mutex;
  static std::map<QString, std::unique_ptr<GlyphMap>> cache;
  QMutexLocker lock(&mutex);
  std::unique_ptr<GlyphMap>& entry = cache[FontKey(font)];
  if (!entry) entry = std::make_unique<GlyphMap>(ReadVerticalForms(font.fontTable("GSUB")));
  return *entry;
}

double VerticalOriginOf(const QRawFont& font) {
  const QByteArray os2 = font.fontTable("OS/2");
  const Table t(os2);
  const double em = font.unitsPerEm();
  if (!t.Has(68, 4) || em <= 0) return 0.88;
  const double ascender = int16_t(t.U16(68));
  const double descender = int16_t(t.U16(70));
  // A font whose typographic box is not the em takes its share of the em above the baseline.
  const double box = ascender - descender;
  if (ascender <= 0 || box <= 0) return 0.88;
  return ascender / box;
}

}  // namespace sk::print
