// What one sheet of a finished print layout shows, in layout units, before any device is asked:
// the page numbers under the bottom margin, the lines of the sheet's columns with the place of
// each chunk, and the rectangles of the pictures.  The drawing routine maps these to device
// pixels; the preview, the printer and PDF all draw from the same plan.
#pragma once

#include <string>
#include <vector>

#include "print/print_flow.h"
#include "print/print_settings.h"

namespace sk::print {

// A page number "-n-", always horizontal, centred at x with its top at y.
struct PlannedPageNumber {
  std::string text;
  int centre_x = 0;
  int top_y = 0;
};

// A chunk to draw (tab chunks only take room and are left out): its index in the run's chunk
// lists and where it begins along the line direction (x in horizontal writing, y in vertical).
struct PlannedChunk {
  int chunk = 0;
  int t = 0;
};

// A line: its band across the line direction.  Horizontal writing: from top `band_begin` down to
// `band_end`; vertical writing: from x `band_begin` (left) to `band_end` (right), lines standing
// leftwards from the right edge of the paper.
struct PlannedLine {
  int line = 0;  // index in run.lines
  int band_begin = 0, band_end = 0;
  std::vector<PlannedChunk> chunks;
};

struct PlannedPicture {
  int picture = 0;  // index in run.pictures
  int left = 0, top = 0, width = 0, height = 0;
};

struct SheetPlan {
  std::vector<PlannedPageNumber> page_numbers;
  std::vector<PlannedLine> lines;
  std::vector<PlannedPicture> pictures;
};

// The plan of sheet `sheet` (from 0); empty for a sheet the run does not have.
SheetPlan PlanSheet(const PrintRun& run, const PrintSettings& settings, int sheet);

}  // namespace sk::print
