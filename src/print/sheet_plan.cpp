#include "print/sheet_plan.h"

#include <algorithm>

namespace sk::print {

namespace {

// The page numbers of a sheet and the x their texts are centred at.
void PlanPageNumbers(const PrintGeometry& g, const PrintSettings& settings, int sheet,
                     SheetPlan* plan) {
  if (settings.PageNum != 0) return;
  const bool bag = settings.Fukuro == 1;
  const bool two = settings.Dangumi == 1;
  const int top = int(g.PaperHeight - g.MarginBottom + MmToUnits(5));
  const double L = g.MarginLeft, R = g.MarginRight, G = g.ColumnGap, F = g.BindingBlank;
  const int len = g.LineLength, extent = g.ColumnExtent;
  for (int m = 0; m < (bag ? 2 : 1); ++m) {
    double centre = 0;
    if (g.Horizontal) {
      if (!bag)
        centre = two ? L + len + G / 2 : L + len / 2;
      else
        centre = two ? L + m * (2.0 * len + G + F) + len + G / 2 : L + m * (len + F) + len / 2;
    } else {
      centre = bag ? g.PaperWidth - R - m * (extent + F) - extent / 2 : L + extent / 2;
    }
    const int number = bag ? 2 * sheet + 1 + m : sheet + 1;
    plan->page_numbers.push_back({"-" + std::to_string(number) + "-", int(centre), top});
  }
}

// The first line of the next column after `column` that has lines, or the end of the run.
int LinesEnd(const PrintRun& run, size_t column) {
  for (size_t c = column + 1; c < run.columns.size(); ++c)
    if (run.columns[c].first_line >= 0) return run.columns[c].first_line;
  return int(run.lines.size());
}

}  // namespace

SheetPlan PlanSheet(const PrintRun& run, const PrintSettings& settings, int sheet) {
  SheetPlan plan;
  const PrintGeometry& g = run.geometry;
  const int per_sheet = std::clamp(g.ColumnsPerSheet, 1, 4);
  if (sheet < 0 || sheet >= run.SheetCount) return plan;
  PlanPageNumbers(g, settings, sheet, &plan);

  for (int k = 0; k < per_sheet; ++k) {
    const size_t c = size_t(sheet) * size_t(per_sheet) + size_t(k);
    if (c >= run.columns.size()) break;
    const PrintColumn& column = run.columns[c];
    // The second column of the run lies beside a document title one column wider.
    const int shift = c == 1 && g.DocTitleWide ? run.doc_title_extent : 0;
    const int line_start = g.ColumnLineStart[k];
    const int stack_start = g.ColumnStackStart[k];

    if (column.first_line >= 0) {
      const int end = std::min(LinesEnd(run, c), int(run.lines.size()));
      for (int i = column.first_line; i < end; ++i) {
        const PrintLine& line = run.lines[size_t(i)];
        PlannedLine planned;
        planned.line = i;
        const int p = stack_start + line.stack_pos + shift;
        if (g.Horizontal) {
          planned.band_begin = p;
          planned.band_end = p + line.font_height;
        } else {
          planned.band_begin = g.PaperWidth - p - line.font_height;
          planned.band_end = g.PaperWidth - p;
        }
        const int t = line_start + line.start_offset;
        const std::vector<int> pos = ChunkPositions(line, run.chunk_text, run.chunk_width);
        for (int j = 0; j < line.chunk_count; ++j) {
          const int chunk = line.first_chunk + j;
          if (size_t(chunk) >= run.chunk_text.size()) break;
          if (run.chunk_text[size_t(chunk)] == "\t") continue;
          planned.chunks.push_back({chunk, t + pos[size_t(j)]});
        }
        plan.lines.push_back(std::move(planned));
      }
    }

    for (int j = 0; j < column.picture_count; ++j) {
      const int index = column.first_picture + j;
      if (index < 0 || size_t(index) >= run.pictures.size()) break;
      const PrintPicture& picture = run.pictures[size_t(index)];
      PlannedPicture planned;
      planned.picture = index;
      if (g.Horizontal) {
        planned.left = line_start + picture.offset;
        planned.top = g.MarginTop + picture.stack_pos + shift;
        planned.width = picture.across;
        planned.height = picture.along;
      } else {
        planned.top = line_start + picture.offset;
        planned.height = picture.across;
        planned.width = picture.along;
        planned.left = g.PaperWidth - stack_start - picture.stack_pos - shift - picture.along;
      }
      plan.pictures.push_back(planned);
    }
  }
  return plan;
}

}  // namespace sk::print
