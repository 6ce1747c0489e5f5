// The vertical forms of a font: its OpenType "vert" and "vrt2" single substitutions, which turn
// brackets and long vowel marks and move punctuation and small kana to their place in a
// vertical line.  Read from the font's GSUB table, because the fonts at hand have no glyphs for
// the Unicode vertical presentation forms.
#pragma once

#include <QByteArray>
#include <QRawFont>
#include <cstdint>
#include <unordered_map>

namespace sk::print {

using GlyphMap = std::unordered_map<uint32_t, uint32_t>;

// The glyph substitutions of the "vert" and "vrt2" features of a GSUB table (single
// substitutions, formats 1 and 2, also behind extension lookups); empty for a table that is
// missing or malformed.
GlyphMap ReadVerticalForms(const QByteArray& gsub);

// The vertical forms of a font, read once per font file for the whole program.
const GlyphMap& VerticalFormsOf(const QRawFont& font);

// Where the upright em box of a glyph begins above its baseline, as a fraction of the em: the
// font's typographic ascender (the usual vertical origin of ideographic fonts), 0.88 without one.
double VerticalOriginOf(const QRawFont& font);

}  // namespace sk::print
