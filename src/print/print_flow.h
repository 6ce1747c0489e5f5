// The page flow of printing: runs the line layout over the pages to print and places the lines
// and pictures in columns.  The document title heads the run; each page brings its page title,
// its pictures and its body text.  A page title never stays alone at the foot of a column: it
// moves along with the first line of its text.  Pictures of a page form one zone per column on
// one side of the lines, and the lines beside the zone are shortened.  The result is a list of
// columns (ColumnsPerSheet of them to a sheet) with positioned lines and pictures, which the
// preview, the printer and PDF draw with one routine.
//
// Pages come in as data, so that the window and the command line tool feed the flow alike.
// Pictures are found and their sizes read through PictureSource, since decoding is display work.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "print/line_layout.h"
#include "print/print_geometry.h"
#include "print/print_settings.h"
#include "print/text_measure.h"

namespace sk::print {

// One page to print, its fields as CP932 bytes as the page file keeps them.
struct PrintPage {
  std::string category;
  std::string title;
  std::string subtitle;
  std::string date;         // "YYYYMMDD", or blank
  std::string text;         // lines separated by CR LF (or LF)
  std::string image_files;  // names separated by ";"
};

// A picture found along the picture search path, with its size in pixels.
struct PictureFile {
  std::string path;  // the full path, for drawing
  int width = 0, height = 0;
};

class PictureSource {
 public:
  virtual ~PictureSource() = default;
  // The picture of a file name (its last path component, with an extension); nullopt when it is
  // not found or cannot be read.
  virtual std::optional<PictureFile> Find(const std::string& name) = 0;
};

struct PrintColumn {
  int first_line = -1;     // -1: the column holds pictures only
  int first_picture = -1;  // -1: none
  int picture_count = 0;
};

struct PrintPicture {
  int across = 0;     // size along the line direction
  int along = 0;      // size along the stacking direction
  int offset = 0;     // along the line direction, from the line start
  int stack_pos = 0;  // within its column
  int column = 0;     // absolute column index
  bool jpeg = false;  // else BMP or PNG
  std::string path;
};

// A finished layout.  Column c is on sheet c / ColumnsPerSheet.
struct PrintRun {
  PrintGeometry geometry;
  std::vector<PrintLine> lines;
  std::vector<PrintColumn> columns;
  std::vector<PrintPicture> pictures;
  ChunkTexts chunk_text;
  std::vector<int> chunk_width;
  int doc_title_extent = 0;
  int SheetCount = 0;
  bool cancelled = false;  // the progress callback stopped the run: the layout is incomplete
};

// The page title line list of a page: the chosen items, blanks trimmed, non-empty ones joined by
// one half-width space and split at line breaks.  The date reads "2008年3月5日(水)"; in vertical
// writing its digits are kanji digits.
std::vector<std::string> PageTitleLines(const PrintSettings& settings, const PrintPage& page);

// The document title lines with the size offset in points of each.
struct DocTitleLines {
  std::vector<std::string> lines;
  std::vector<int> offsets;
};
DocTitleLines SplitDocTitle(std::string_view title);

class PrintFlow : public LineFlow {
 public:
  PrintFlow(const PrintSettings& settings, TextMeasure* measure, PictureSource* pictures);

  // Called before each page with the pages done and the total; returning false cancels.
  using Progress = std::function<bool(size_t done, size_t total)>;

  // Lays out the whole run; pages in print order.  The measure cache (layout().measure()) can be
  // switched off for comparison.
  PrintRun SetLineColumnImage(const std::vector<PrintPage>& pages, const Progress& progress = {});

  PrintLayout& layout() { return layout_; }

  int BodyLineLength(const PrintLayout& layout) override;
  void SetLineInfo(const PrintLayout& layout, int used_width, int available, bool paragraph_end,
                   int kind, int chunk_count) override;

 private:
  void ProcOnePage(const PrintPage& page);
  void SetImage(const PrintPage& page);
  void EndPageImages();
  void CarryTitles(int first_title);
  int RemainingOf(int column) const;
  ImageZone ZoneOf(int column) const;

  const PrintSettings& settings_;
  PictureSource* picture_source_;
  PrintLayout layout_;
  PrintRun run_;
  int stack_pos_ = 0;
  int column_remaining_ = 0;
  int page_column_index_ = 0;
  int chunk_total_ = 0;
  int wide_ = 0;  // the width of a full-width character of the body font
  // The current page's pictures: zones per column from its first column, first and last picture.
  int page_start_column_ = 0;
  std::vector<ImageZone> zones_;
  int first_picture_ = -1, last_picture_ = -1;
};

}  // namespace sk::print
