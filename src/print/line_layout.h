// Cutting text into chunks and breaking chunks into printed lines.
//
// A chunk is the unit of line breaking: one double-byte character, an ASCII word or number (with
// one trailing symbol), one other single-byte character, or a tab chunk (text "\t", with the
// width given to it).  The layout keeps every chunk of a run in two parallel lists, ChunkText and
// ChunkWidth; a line refers to its chunks by first index and count.  Breaking follows the
// Japanese rules: no line begins with a closing mark such as "。" or "」" and none ends with an
// opening mark such as "「", half-width spaces at a break are dropped, and a word or a number is
// never split.  Placing the finished lines in columns is the page flow's work: SetLine hands each
// line to a LineFlow and asks it how long the next body line may be.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "print/print_geometry.h"
#include "print/print_settings.h"
#include "print/text_measure.h"

namespace sk::print {

// The texts of a run's chunks in one byte string, each ending where the next begins: a run of many
// pages has millions of chunks, most of them one character, which as string objects of their own
// took ten times the memory of their bytes.
class ChunkTexts {
 public:
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](size_t i) const {
    const size_t begin = i ? ends_[i - 1] : 0;
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  std::string_view back() const { return (*this)[size() - 1]; }
  void push_back(std::string_view text) {
    bytes_.append(text);
    ends_.push_back(bytes_.size());
  }
  // Removes the i-th text (the chunks after it move up by one).
  void erase(size_t i);
  void clear() { bytes_.clear(), ends_.clear(); }
  void reserve(size_t chunks, size_t bytes) { ends_.reserve(chunks), bytes_.reserve(bytes); }

 private:
  std::string bytes_;
  std::vector<size_t> ends_;
};

// Character classes (one CP932 character: one byte, or lead and trail byte).
bool IsKinsokuStart(std::string_view ch);  // must not begin a line
bool IsKinsokuEnd(std::string_view ch);    // must not end a line

// The substitutions of vertical writing, in place, keeping the byte length: full-width digits to
// kanji digits (num_henkan), "，" to "、" (comma_henkan).
void MojiHenkan(std::vector<std::string>& lines, bool num_henkan, bool comma_henkan);

// One printed line.  The page flow fills the stacking position and the start offset.
struct PrintLine {
  int start_offset = 0;  // along the line direction: 0, or the room pictures take at the start
  int stack_pos = 0;     // stacking position within its column
  int used_width = 0;    // sum of the chunk widths
  int first_chunk = 0;
  int chunk_count = 0;
  int kind = kBodyText;
  int available = 0;  // the length the line was filled against
  bool paragraph_end = false;
  int font_height = 0;  // units, positive: the height of the line's font
};

// Where each chunk of a line begins, from the line's start (its start offset not included):
// document title lines are centred, the last line of a paragraph is set as measured, other lines
// are justified by spreading the spare length after the chunks that are not leading tab chunks,
// one unit more after each of the first (spare mod (chunks - 1)) of them.
std::vector<int> ChunkPositions(const PrintLine& line, const ChunkTexts& chunk_text,
                                const std::vector<int>& chunk_width);

// The picture zone of a column: where its pictures begin and end along the stacking direction and
// the widest of them across; none when begin lies past every position.
struct ImageZone {
  int begin = 100000000;
  int end = -1;
  int widest = 0;
};

// The length a body line of `height` (units, positive) may fill beside the pictures of a page.
// The line goes at stack_pos in the current column, or at the top of the next column when it does
// not fit in the rest (column_remaining).  A line whose band comes within ImageGap of the zone of
// that column is shortened by the widest picture and the gap.  When less than one full-width
// character (`wide`) would remain, the line takes the whole length and, in the current column,
// moves past the zone: jump_to is then its new stacking position.
struct LineRoom {
  int available = 0;
  int jump_to = -1;  // -1: the line stays where it is
};
LineRoom BodyLineRoom(const PrintGeometry& geometry, int stack_pos, int column_remaining,
                      int height, int wide, const ImageZone& current, const ImageZone& next);

class PrintLayout;

// The page flow's side of line breaking.
class LineFlow {
 public:
  virtual ~LineFlow() = default;
  // The length the next body line is filled against: the line length, or less beside pictures.
  virtual int BodyLineLength(const PrintLayout& layout) = 0;
  // A finished line: its chunks are the chunk_count chunks after those of the lines before it.
  // The gap after it is layout.LineGap() at the time of the call.
  virtual void SetLineInfo(const PrintLayout& layout, int used_width, int available,
                           bool paragraph_end, int kind, int chunk_count) = 0;
};

class PrintLayout {
 public:
  PrintLayout(const PrintSettings& settings, TextMeasure* measure);

  // Paper size and the whole geometry from the settings.
  void SetPaper();
  void CulcConstant();
  // Makes the measuring font of a kind current (for the document title with the size offset in
  // points of the current title line).
  void SetFont(int kind, int title_size_offset = 0);
  // The heights of the body text and page title fonts, used by the page flow.
  void SetFontHeight();

  // Lays out a line list of one kind (body text, page title or document title).  Vertical
  // writing substitutes characters first when the settings ask for it.  title_size_offsets gives
  // the size offset of each document title line (missing entries count as 0).
  void SetLine(int kind, std::vector<std::string> lines, LineFlow& flow,
               const std::vector<int>& title_size_offsets = {});

  // Measures a chunk just appended and appends its width; a tab chunk takes tab_width.
  void SetWordAtt(int tab_width = 0);

  const PrintGeometry& geometry() const { return geometry_; }
  const PrintSettings& settings() const { return settings_; }
  int LineGap() const { return line_gap_; }
  MeasureCache& measure() { return measure_; }

  ChunkTexts ChunkText;
  std::vector<int> ChunkWidth;

 private:
  struct Line;
  void LayOutParagraph(int kind, std::string_view text, LineFlow& flow, bool last);
  int AvailableLength(int kind, LineFlow& flow);
  void AppendChunk(std::string_view text, int tab_width = -1);
  void EraseChunk(size_t index, Line& line);
  void BreakLine(Line& line, int kind, LineFlow& flow);

  const PrintSettings& settings_;
  MeasureCache measure_;
  PrintGeometry geometry_;
  int line_gap_ = 0;
  // Widths of the current line list's font: a full-width character, a tab, the indent.
  int wide_ = 0, tab_ = 0, indent_ = 0;
};

}  // namespace sk::print
