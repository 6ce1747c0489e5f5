#include "print/print_flow.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "convert/cp932.h"
#include "convert/sjis.h"
#include "convert/text_convert.h"

namespace sk::print {

namespace {

constexpr char kKuni[] = "\x8d\x91";  // "国"

std::string Sjis(const char* utf8) { return cp932::EncodeReplacing(cp932::FromUtf8(utf8)); }

// Splits at a single-byte separator that lies on a character boundary (a trail byte may be
// "\" in CP932).
std::vector<std::string> SplitAt(std::string_view text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == sep) {
      parts.emplace_back(text.substr(start, i - start));
      start = ++i;
    } else {
      i += sjis::CharLen(text, i);
    }
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

// Lines at LF, a CR before it dropped.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines = SplitAt(text, '\n');
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  return lines;
}

// "2008年3月5日(水)" of a "YYYYMMDD" date; empty for a blank or impossible date.
std::string FormatDate(std::string_view date) {
  date = sjis::TrimBlanks(date);
  if (date.size() != 8 ||
      !std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return {};
  const int y = std::atoi(std::string(date.substr(0, 4)).c_str());
  const unsigned m = unsigned(std::atoi(std::string(date.substr(4, 2)).c_str()));
  const unsigned d = unsigned(std::atoi(std::string(date.substr(6, 2)).c_str()));
  const std::chrono::year_month_day ymd{std::chrono::year(y), std::chrono::month(m),
                                        std::chrono::day(d)};
  if (!ymd.ok()) return {};
  static const char* const kWeekday[] = {"日", "月", "火", "水", "木", "金", "土"};
  const unsigned wd = std::chrono::weekday(std::chrono::sys_days(ymd)).c_encoding();
  return std::to_string(y) + Sjis("年") + std::to_string(m) + Sjis("月") + std::to_string(d) +
         Sjis("日") + "(" + Sjis(kWeekday[wd]) + ")";
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

}  // namespace

std::vector<std::string> PageTitleLines(const PrintSettings& settings, const PrintPage& page) {
  std::vector<std::string> items;
  if (settings.TitleTitle) items.emplace_back(sjis::TrimBlanks(page.title));
  if (settings.TitleSubTitle) items.emplace_back(sjis::TrimBlanks(page.subtitle));
  if (settings.TitleDate) {
    std::string date = FormatDate(page.date);
    if (settings.MojiHoko == 1) date = convert::HankakuNumToKansuji(date);
    items.push_back(std::move(date));
  }
  if (settings.TitleUserName) items.push_back(settings.MyName);
  std::string joined;
  for (const std::string& item : items) {
    if (item.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += item;
  }
  if (joined.empty()) return {};
  return SplitLines(joined);
}

DocTitleLines SplitDocTitle(std::string_view title) {
  DocTitleLines out;
  int offset = 0;
  for (std::string& piece : SplitAt(title, '\\')) {
    if (piece.empty()) continue;
    if (!out.lines.empty() && piece[0] == '{') {
      const size_t close = piece.find('}');
      if (close != std::string::npos) {
        const std::string number = piece.substr(1, close - 1);
        char* end = nullptr;
        const long v = std::strtol(number.c_str(), &end, 10);
        offset = !number.empty() && *end == '\0' && v > -100 && v < 100 ? int(v) : 0;
        piece.erase(0, close + 1);
      }
    }
    out.lines.push_back(std::move(piece));
    out.offsets.push_back(out.lines.size() == 1 ? 0 : offset);
  }
  return out;
}

PrintFlow::PrintFlow(const PrintSettings& settings, TextMeasure* measure, PictureSource* pictures)
    : settings_(settings), picture_source_(pictures), layout_(settings, measure) {}

int PrintFlow::RemainingOf(int column) const {
  const PrintGeometry& g = layout_.geometry();
  return g.ColumnExtent - (column == 1 && g.DocTitleWide ? run_.doc_title_extent : 0);
}

ImageZone PrintFlow::ZoneOf(int column) const {
  const int k = column - page_start_column_;
  return k >= 0 && size_t(k) < zones_.size() ? zones_[size_t(k)] : ImageZone{};
}

PrintRun PrintFlow::SetLineColumnImage(const std::vector<PrintPage>& pages,
                                       const Progress& progress) {
  run_ = PrintRun{};
  layout_.ChunkText.clear();
  layout_.ChunkWidth.clear();
  // Room for the chunks of the whole run at once (most are one double-byte character), so the
  // lists are not copied over and over as they grow.
  size_t bytes = settings_.DocTitle.size();
  for (const PrintPage& page : pages) bytes += page.text.size() + 64;
  layout_.ChunkText.reserve(bytes / 2, bytes);
  layout_.ChunkWidth.reserve(bytes / 2);
  layout_.SetPaper();
  layout_.SetFontHeight();
  const PrintGeometry& g = layout_.geometry();
  run_.columns.push_back(PrintColumn{});
  stack_pos_ = 0;
  chunk_total_ = 0;
  column_remaining_ = g.ColumnExtent;
  zones_.clear();
  page_start_column_ = 0;
  first_picture_ = last_picture_ = -1;
  layout_.SetFont(kBodyText);
  wide_ = layout_.measure().Width(kKuni);

  if (!settings_.DocTitle.empty()) {
    DocTitleLines title = SplitDocTitle(settings_.DocTitle);
    page_column_index_ = 0;
    layout_.SetLine(kDocTitle, std::move(title.lines), *this, title.offsets);
    run_.doc_title_extent = stack_pos_;
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    if (progress && !progress(i, pages.size())) {
      run_.cancelled = true;
      break;
    }
    ProcOnePage(pages[i]);
  }

  // Each column refers to the pictures that lie in it; they follow one another in index order.
  for (size_t i = 0; i < run_.pictures.size(); ++i) {
    const size_t c = size_t(run_.pictures[i].column);
    if (c >= run_.columns.size()) run_.columns.resize(c + 1);
    PrintColumn& column = run_.columns[c];
    if (column.first_picture < 0) column.first_picture = int(i);
    ++column.picture_count;
  }
  const int per_sheet = std::max(g.ColumnsPerSheet, 1);
  run_.SheetCount = (int(run_.columns.size()) + per_sheet - 1) / per_sheet;
  run_.geometry = g;
  run_.chunk_text = std::move(layout_.ChunkText);
  run_.chunk_width = std::move(layout_.ChunkWidth);
  layout_.ChunkText.clear();
  layout_.ChunkWidth.clear();
  return std::move(run_);
}

void PrintFlow::ProcOnePage(const PrintPage& page) {
  const PrintGeometry& g = layout_.geometry();
  std::vector<std::string> titles = PageTitleLines(settings_, page);
  if (!titles.empty()) {
    const int first_title = int(run_.lines.size());
    page_column_index_ = 0;
    layout_.SetLine(kPageTitle, std::move(titles), *this);
    // The title goes to the next column now when the text's first line would not fit below it,
    // so that the page's pictures begin beside the title too.
    if (stack_pos_ + std::abs(g.FontHeight[kBodyText]) > column_remaining_)
      CarryTitles(first_title);
  }
  page_start_column_ = int(run_.columns.size()) - 1;
  SetImage(page);

  std::vector<std::string> lines = SplitLines(page.text);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  page_column_index_ = 0;
  layout_.SetLine(kBodyText, std::move(lines), *this);
  EndPageImages();
}

void PrintFlow::CarryTitles(int first_title) {
  const PrintGeometry& g = layout_.geometry();
  const int first_line = run_.columns.back().first_line;
  const int count = int(run_.lines.size()) - first_title;
  // Titles that begin their column, or that run over a column themselves, stay where they are.
  if (count <= 0 || first_line < 0 || first_line >= first_title) return;
  const int p = g.LineGap + std::abs(g.FontHeight[kPageTitle]);
  for (int i = 0; i < count; ++i) run_.lines[size_t(first_title + i)].stack_pos = i * p;
  run_.columns.push_back(PrintColumn{first_title, -1, 0});
  column_remaining_ = RemainingOf(int(run_.columns.size()) - 1);
  stack_pos_ = count * p;
}

void PrintFlow::SetImage(const PrintPage& page) {
  zones_.clear();
  first_picture_ = last_picture_ = -1;
  const PrintGeometry& g = layout_.geometry();
  if (g.ImagePos == 0 || !picture_source_) return;

  int d = stack_pos_;
  int c_extent = column_remaining_;
  int j = 0;
  for (std::string& item : SplitAt(sjis::TrimBlanks(page.image_files), ';')) {
    item = std::string(sjis::TrimBlanks(item));
    if (item.empty()) continue;
    size_t cut = sjis::RFind(item, "\\");
    const size_t slash = sjis::RFind(item, "/");
    if (cut == std::string::npos || (slash != std::string::npos && slash > cut)) cut = slash;
    std::string name = cut == std::string::npos ? item : item.substr(cut + 1);
    const size_t dot = name.rfind('.');
    bool jpeg = false;
    if (dot == std::string::npos) {
      name += ".bmp";
    } else {
      const std::string ext = LowerAscii(name.substr(dot + 1));
      if (ext == "jpg" || ext == "jpeg") {
        jpeg = true;
      } else if (ext != "bmp" && ext != "png") {
        continue;
      }
    }
    const std::optional<PictureFile> file = picture_source_->Find(name);
    if (!file || file->width <= 0 || file->height <= 0) continue;

    const int64_t a = g.Horizontal ? file->width : file->height;
    const int64_t b = g.Horizontal ? file->height : file->width;
    int64_t s = g.ImageSize;
    int64_t e = b * s / a;
    if (e > c_extent) s = s * c_extent / e, e = c_extent;
    PrintPicture picture;
    if (d + e > c_extent) {
      ++j;
      c_extent = RemainingOf(page_start_column_ + j);
      if (e > c_extent) s = s * c_extent / e, e = c_extent;
      if (zones_.size() < size_t(j) + 1) zones_.resize(size_t(j) + 1);
      zones_[size_t(j)] = ImageZone{0, int(e), int(s)};
      picture.stack_pos = 0;
      d = int(e) + g.ImageGap;
    } else {
      if (zones_.size() < size_t(j) + 1) zones_.resize(size_t(j) + 1);
      ImageZone& zone = zones_[size_t(j)];
      if (first_picture_ < 0) zone.begin = d;
      zone.end = d + int(e);
      zone.widest = std::max(zone.widest, int(s));
      picture.stack_pos = d;
      d += int(e) + g.ImageGap;
    }
    picture.across = int(s);
    picture.along = int(e);
    picture.offset = g.ImagePos == 2 ? g.LineLength - int(s) : 0;
    picture.column = page_start_column_ + j;
    picture.jpeg = jpeg;
    picture.path = file->path;
    last_picture_ = int(run_.pictures.size());
    if (first_picture_ < 0) first_picture_ = last_picture_;
    run_.pictures.push_back(std::move(picture));
  }
}

void PrintFlow::EndPageImages() {
  if (last_picture_ < 0) return;
  const PrintGeometry& g = layout_.geometry();
  const PrintPicture& last = run_.pictures[size_t(last_picture_)];
  const int end = last.stack_pos + last.along + g.PageGap;
  const int current = int(run_.columns.size()) - 1;
  if (last.column > current) {
    // Columns of pictures only, then the last picture column, whose first line is the next.
    while (int(run_.columns.size()) <= last.column) run_.columns.push_back(PrintColumn{});
    stack_pos_ = end;
    column_remaining_ = RemainingOf(last.column);
  } else if (last.column == current) {
    stack_pos_ = std::max(stack_pos_, end);
  }
}

int PrintFlow::BodyLineLength(const PrintLayout& layout) {
  const int current = int(run_.columns.size()) - 1;
  const LineRoom room = BodyLineRoom(layout.geometry(), stack_pos_, column_remaining_,
                                     std::abs(layout.geometry().FontHeight[kBodyText]), wide_,
                                     ZoneOf(current), ZoneOf(current + 1));
  if (room.jump_to >= 0) stack_pos_ = room.jump_to;
  return room.available;
}

void PrintFlow::SetLineInfo(const PrintLayout& layout, int used_width, int available,
                            bool paragraph_end, int kind, int chunk_count) {
  const PrintGeometry& g = layout.geometry();
  const int h =
      kind == kDocTitle ? std::abs(layout_.measure().font().height) : std::abs(g.FontHeight[kind]);
  const int gap = layout.LineGap();
  PrintLine line;
  line.first_chunk = chunk_total_;
  line.chunk_count = chunk_count;
  line.used_width = used_width;
  line.available = available;
  line.paragraph_end = paragraph_end;
  line.kind = kind;
  line.font_height = h;
  const int index = int(run_.lines.size());

  const bool new_column = stack_pos_ + h > column_remaining_;
  if (new_column) {
    ++page_column_index_;
    const int column = int(run_.columns.size());
    line.stack_pos = 0;
    if (kind == kBodyText) {
      const ImageZone zone = ZoneOf(column);
      int room = g.LineLength;
      if (zone.begin < h + g.ImageGap && zone.end + g.ImageGap > 0)
        room = g.LineLength - zone.widest - g.ImageGap;
      if (room < wide_) line.stack_pos = zone.end + g.ImageGap;
    }
    stack_pos_ = line.stack_pos + h + gap;
    run_.columns.push_back(PrintColumn{index, -1, 0});
    column_remaining_ = RemainingOf(column);
  } else {
    line.stack_pos = stack_pos_;
    stack_pos_ += h + gap;
    if (run_.columns.back().first_line < 0) run_.columns.back().first_line = index;
  }

  if (kind == kBodyText && g.ImagePos == 1 && available < g.LineLength)
    line.start_offset = ZoneOf(int(run_.columns.size()) - 1).widest + g.ImageGap;

  // Page title lines left at the foot of the previous column move along with this line (a
  // later title line or the first text line).
  if (new_column && kind != kDocTitle && run_.columns.size() >= 2) {
    const int previous_first = run_.columns[run_.columns.size() - 2].first_line;
    int titles = 0;
    while (index - titles - 1 > previous_first && previous_first >= 0 &&
           run_.lines[size_t(index - titles - 1)].kind == kPageTitle)
      ++titles;
    if (titles > 0) {
      const int p = g.LineGap + std::abs(g.FontHeight[kPageTitle]);
      for (int i = 0; i < titles; ++i) run_.lines[size_t(index - titles + i)].stack_pos = i * p;
      line.stack_pos = std::max(line.stack_pos, titles * p);
      stack_pos_ = line.stack_pos + gap + h;
      run_.columns.back().first_line = index - titles;
    }
  }

  run_.lines.push_back(line);
  chunk_total_ += chunk_count;
}

}  // namespace sk::print
