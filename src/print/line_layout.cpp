#include "print/line_layout.h"

#include <algorithm>
#include <vector>

#include "convert/cp932.h"
#include "convert/sjis.h"

namespace sk::print {

namespace {

// One CP932 character as a number: the byte, or lead byte * 256 + trail byte.
unsigned CharCode(std::string_view ch) {
  if (ch.size() >= 2) return unsigned(uint8_t(ch[0])) << 8 | uint8_t(ch[1]);
  return ch.empty() ? 0 : uint8_t(ch[0]);
}

class CharClass {
 public:
  explicit CharClass(const char* utf8) : member_(0x10000) {
    std::string bytes = cp932::EncodeReplacing(cp932::FromUtf8(utf8));
    for (size_t i = 0; i < bytes.size();) {
      size_t len = sjis::CharLen(bytes, i);
      member_[CharCode(std::string_view(bytes).substr(i, len))] = true;
      i += len;
    }
  }
  bool Has(std::string_view ch) const { return member_[CharCode(ch)]; }

 private:
  std::vector<bool> member_;
};

const CharClass& KinsokuStart() {
  static const CharClass kClass(
      "、。，．・：；？！゛゜ヽヾゝゞ々ー’”）〕］｝〉＞》」』】°′″℃￠％ぁぃぅぇぉっゃゅょゎァィゥェ"
      "ォッャュョヮ"
      "ヵヶ!%),.:;?>]}｡｣､･ｧｨｩｪｫｬｭｮｯｰﾞﾟ");
  return kClass;
}

const CharClass& KinsokuEnd() {
  static const CharClass kClass("‘“（〔［｛〈＜《「『【￥＄$(<[{｢");
  return kClass;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(unsigned char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
// Every printable ASCII character that is not a letter, a digit, the space or "@".
bool IsAsciiSymbol(unsigned char c) { return c > ' ' && c < 0x7F && !IsAsciiAlnum(c) && c != '@'; }

std::string_view FirstChar(std::string_view chunk) {
  return chunk.substr(0, sjis::CharLen(chunk, 0));
}

// A double-byte chunk's character, else the last byte (words and numbers are ASCII).
std::string_view LastChar(std::string_view chunk) {
  if (chunk.size() == 2 && sjis::IsLeadByte(uint8_t(chunk[0]))) return chunk;
  return chunk.substr(chunk.size() - 1);
}

// The end of the ASCII word or number that starts at i.
size_t WordEnd(std::string_view text, size_t i) {
  const size_t n = text.size();
  const bool number = IsAsciiDigit(uint8_t(text[i]));
  size_t j = i + 1;
  while (j < n) {
    const unsigned char c = text[j];
    if (IsAsciiAlnum(c)) {
      ++j;
    } else if (number && c == '.' && IsAsciiDigit(uint8_t(text[j - 1]))) {
      ++j;  // a decimal point: 3.14 stays together
    } else {
      if (IsAsciiSymbol(c)) ++j;  // one closing symbol goes with the word: "abc123,"
      break;
    }
  }
  return j;
}

constexpr char kTab[] = "\t";
constexpr char kKuni[] = "\x8d\x91";  // "国", the full-width character the layout measures by

}  // namespace

bool IsKinsokuStart(std::string_view ch) { return KinsokuStart().Has(ch); }
bool IsKinsokuEnd(std::string_view ch) { return KinsokuEnd().Has(ch); }

void MojiHenkan(std::vector<std::string>& lines, bool num_henkan, bool comma_henkan) {
  // "〇一二三四五六七八九" for "０".."９".
  static constexpr unsigned char kKanji[10][2] = {
      {0x81, 0x5A}, {0x88, 0xEA}, {0x93, 0xF1}, {0x8E, 0x4F}, {0x8E, 0x6C},
      {0x8C, 0xDC}, {0x98, 0x5A}, {0x8E, 0xB5}, {0x94, 0xAA}, {0x8B, 0xE3}};
  if (!num_henkan && !comma_henkan) return;
  for (std::string& line : lines) {
    for (size_t i = 0; i < line.size();) {
      const size_t len = sjis::CharLen(line, i);
      if (len == 2) {
        const unsigned code = CharCode(std::string_view(line).substr(i, 2));
        if (num_henkan && code >= 0x824F && code <= 0x8258) {
          line[i] = char(kKanji[code - 0x824F][0]);
          line[i + 1] = char(kKanji[code - 0x824F][1]);
        } else if (comma_henkan && code == 0x8143) {
          line[i + 1] = char(0x41);  // "，" 0x8143 -> "、" 0x8141
        }
      }
      i += len;
    }
  }
}

void ChunkTexts::erase(size_t i) {
  const size_t begin = i ? ends_[i - 1] : 0;
  const size_t length = ends_[i] - begin;
  bytes_.erase(begin, length);
  ends_.erase(ends_.begin() + std::ptrdiff_t(i));
  for (size_t k = i; k < ends_.size(); ++k) ends_[k] -= length;
}

std::vector<int> ChunkPositions(const PrintLine& line, const ChunkTexts& chunk_text,
                                const std::vector<int>& chunk_width) {
  std::vector<int> pos(size_t(std::max(line.chunk_count, 0)));
  const int spare = line.available - line.used_width;
  int t = 0, q = 0, r = 0;
  if (line.kind == kDocTitle) {
    t = spare / 2;
  } else if (!line.paragraph_end && spare > 0) {
    int leading_tabs = 0;
    while (leading_tabs < line.chunk_count &&
           chunk_text[size_t(line.first_chunk + leading_tabs)] == kTab)
      ++leading_tabs;
    const int k = line.chunk_count - leading_tabs;
    if (k > 1) q = spare / (k - 1), r = spare % (k - 1);
  }
  int spread = 0;  // chunks that are not tabs so far
  for (int i = 0; i < line.chunk_count; ++i) {
    const size_t c = size_t(line.first_chunk + i);
    pos[size_t(i)] = t;
    t += chunk_width[c];
    if (chunk_text[c] != kTab) t += spread++ < r ? q + 1 : q;
  }
  return pos;
}

LineRoom BodyLineRoom(const PrintGeometry& g, int stack_pos, int column_remaining, int height,
                      int wide, const ImageZone& current, const ImageZone& next) {
  const bool next_column = stack_pos + height > column_remaining;
  const int p = next_column ? 0 : stack_pos;
  const ImageZone& zone = next_column ? next : current;
  LineRoom room{g.LineLength, -1};
  if (zone.begin < p + height + g.ImageGap && zone.end > p - g.ImageGap)
    room.available = g.LineLength - zone.widest - g.ImageGap;
  if (room.available < wide) {
    room.available = g.LineLength;
    if (!next_column) room.jump_to = zone.end + g.ImageGap;
  }
  return room;
}

struct PrintLayout::Line {
  size_t first = 0;      // index of the line's first chunk in ChunkText
  int used = 0;          // width of its chunks
  int count = 0;         // its chunks (the candidate after them not counted)
  int leading_tabs = 0;  // tab chunks at the start of a paragraph's first line
  int available = 0;
};

PrintLayout::PrintLayout(const PrintSettings& settings, TextMeasure* measure)
    : settings_(settings), measure_(measure) {}

void PrintLayout::SetPaper() { CulcConstant(); }

void PrintLayout::CulcConstant() {
  const int heights[3] = {geometry_.FontHeight[0], geometry_.FontHeight[1],
                          geometry_.FontHeight[2]};
  geometry_ = print::CulcConstant(settings_);
  std::copy(heights, heights + 3, geometry_.FontHeight);
  line_gap_ = geometry_.LineGap;
}

void PrintLayout::SetFont(int kind, int title_size_offset) {
  const PrintFontSetting& f = kind == kDocTitle    ? settings_.DocTitleFont
                              : kind == kPageTitle ? settings_.PageTitleFont
                                                   : settings_.TextFont;
  MeasureFont font;
  font.name = settings_.MojiHoko == 1 ? "@" + f.name : f.name;
  font.style = f.style;
  font.height = FontHeightOfPoints(f.size + (kind == kDocTitle ? title_size_offset : 0));
  measure_.SetFont(font);
}

void PrintLayout::SetFontHeight() {
  geometry_.FontHeight[kBodyText] = FontHeightOfPoints(settings_.TextFont.size);
  geometry_.FontHeight[kPageTitle] = FontHeightOfPoints(settings_.PageTitleFont.size);
  geometry_.FontHeight[kDocTitle] = FontHeightOfPoints(settings_.DocTitleFont.size);
}

void PrintLayout::SetWordAtt(int tab_width) {
  ChunkWidth.push_back(ChunkText.back() == kTab ? tab_width : measure_.Width(ChunkText.back()));
}

void PrintLayout::AppendChunk(std::string_view text, int tab_width) {
  ChunkText.push_back(text);
  SetWordAtt(tab_width);
}

void PrintLayout::EraseChunk(size_t index, Line& line) {
  line.used -= ChunkWidth[index];
  ChunkText.erase(index);
  ChunkWidth.erase(ChunkWidth.begin() + std::ptrdiff_t(index));
}

int PrintLayout::AvailableLength(int kind, LineFlow& flow) {
  if (kind == kBodyText) return flow.BodyLineLength(*this);
  if (kind == kDocTitle && geometry_.DocTitleWide)
    return int(2 * geometry_.LineLength + geometry_.ColumnGap);
  return geometry_.LineLength;
}

void PrintLayout::SetLine(int kind, std::vector<std::string> lines, LineFlow& flow,
                          const std::vector<int>& title_size_offsets) {
  if (lines.empty()) return;
  if (settings_.MojiHoko == 1) MojiHenkan(lines, settings_.NumHenkan, settings_.CommaHenkan);
  auto offset = [&](size_t i) {
    return kind == kDocTitle && i < title_size_offsets.size() ? title_size_offsets[i] : 0;
  };
  SetFont(kind, offset(0));
  wide_ = measure_.Width(kKuni);
  tab_ = measure_.Width(std::string(size_t(std::max(settings_.TabCount, 0)), '1'));
  indent_ = int(wide_ * geometry_.ParIndent);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (kind == kDocTitle) SetFont(kind, offset(i));
    LayOutParagraph(kind, lines[i], flow, i + 1 == lines.size());
  }
}

void PrintLayout::LayOutParagraph(int kind, std::string_view text, LineFlow& flow, bool last) {
  Line line;
  line.first = ChunkText.size();
  line.available = AvailableLength(kind, flow);
  if (kind == kBodyText && indent_ >= 1 && (text.empty() || text[0] != '\t')) {
    AppendChunk(kTab, indent_);
    line.used = indent_;
    line.count = line.leading_tabs = 1;
  }
  bool leading = true;  // only tabs so far
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = text[i];
    size_t end = i + 1;
    if (sjis::IsLeadByte(c)) {
      end = i + sjis::CharLen(text, i);
    } else if (IsAsciiAlnum(c)) {
      end = WordEnd(text, i);
    } else if (c == '\t') {
      if (!leading) {  // a tab inside the text does not print
        ++i;
        continue;
      }
      AppendChunk(kTab, tab_);
    } else if (c == ' ' && line.count == 0 && !leading) {
      ++i;
      continue;
    }
    if (c != '\t') {
      leading = false;
      AppendChunk(text.substr(i, end - i));
    }
    i = end;
    const int w = ChunkWidth.back();
    // A line holding nothing but its indent keeps any chunk: a word longer than the line runs
    // past the line end rather than leaving an empty line before it.
    if (line.used + w <= line.available || line.count == line.leading_tabs) {
      line.used += w;
      ++line.count;
      if (c == '\t') ++line.leading_tabs;
    } else {
      BreakLine(line, kind, flow);
    }
  }
  const int gap = line_gap_;
  if (last && kind == kBodyText) line_gap_ = geometry_.PageGap;
  if (last && kind == kDocTitle)
    line_gap_ = -FontHeightOfPoints(settings_.TextFont.size) + 2 * geometry_.LineGap;
  flow.SetLineInfo(*this, line.used, line.available, true, kind, line.count);
  line_gap_ = gap;
}

// Ends the current line before the chunk after it (the overflow chunk) and starts the next line
// with that chunk and any chunks the line-breaking rules move along with it.
void PrintLayout::BreakLine(Line& line, int kind, LineFlow& flow) {
  const size_t overflow = line.first + size_t(line.count);
  const int movable = line.count - line.leading_tabs;  // the indent never moves
  int moved = 0;
  if (line.available > 2 * wide_) {
    if (IsKinsokuStart(FirstChar(ChunkText[overflow])) && movable >= 2) {
      moved = 1;
      while (moved < movable - 1 && IsKinsokuStart(FirstChar(ChunkText[overflow - size_t(moved)])))
        ++moved;
    }
    while (movable - moved > 2 && IsKinsokuEnd(LastChar(ChunkText[overflow - size_t(moved) - 1])))
      ++moved;
    for (int k = 1; k <= moved; ++k) line.used -= ChunkWidth[overflow - size_t(k)];
    line.count -= moved;
  }
  // Half-width spaces at the break are dropped.
  while (line.count > 2 && ChunkText[line.first + size_t(line.count) - 1] == " ") {
    EraseChunk(line.first + size_t(line.count) - 1, line);
    --line.count;
  }
  flow.SetLineInfo(*this, line.used, line.available, false, kind, line.count);

  Line next;
  next.first = line.first + size_t(line.count);
  next.count = moved + 1;
  for (int k = 0; k < next.count; ++k) next.used += ChunkWidth[next.first + size_t(k)];
  next.available = AvailableLength(kind, flow);
  while (next.count > 0 && ChunkText[next.first] == " ") {
    EraseChunk(next.first, next);
    --next.count;
  }
  line = next;
}

}  // namespace sk::print
