// Reading a text file into pages: the file's encoding, its lines, and how the lines are spread
// over pages so that no page's text grows past the limit.
//
// Limits (bytes of CP932 text with CR LF line ends): a file that would make the current page's
// text longer than kAppendLimit is not appended in the text area but spread over pages, each
// closed before a line would take it past kPageLimit (2 bytes counted for each line end).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/status.h"
#include "store/table.h"

namespace sk::exchange {

inline constexpr size_t kAppendLimit = 31999;
inline constexpr size_t kPageLimit = 30000;

// A file's bytes as CP932.  A file that starts with a UTF-8 byte-order mark, or is valid UTF-8
// with some non-ASCII character, is converted (the mark dropped; characters CP932 cannot hold
// become "〓", counted in `replaced`); any other file is taken as CP932, byte for byte.
struct ImportedText {
  std::string cp932;
  bool utf8 = false;
  int replaced = 0;
};
ImportedText DecodeImportBytes(std::string_view bytes);

// The lines of a text, split at CR LF, CR or LF (a final line break gives no extra empty line).
std::vector<std::string_view> SplitImportLines(std::string_view text);

// How an import's lines go into pages.
struct ImportPlan {
  // Append mode and the whole file fits: `whole` (every line + CR LF) is inserted at the end of
  // the current page's text as one edit.
  bool in_place = false;
  std::string whole;
  // Otherwise: chunks[0] is appended to the page being filled first (the current page in append
  // mode, whose text keeps its old content in front; the new page in new-page mode); every
  // further chunk becomes the text of a new page.  Each chunk is lines + CR LF.
  std::vector<std::string> chunks;
  bool split() const { return chunks.size() > 1; }
};
// used: the current page's text length in append mode, 0 in new-page mode.
ImportPlan PlanImport(const std::vector<std::string_view>& lines, size_t used, bool append_mode);

// The title of the n-th continuation page in append mode: title + "(追加" + n + ")".
std::string ContinuationTitle(std::string_view title, int n);

// The header fields of the pages an import makes (CP932; date "YYYYMMDD" or "").
struct ImportHeader {
  std::string bunrui, title, subtitle, date;
};

// Writes a plan into the table.  Append mode: the current page's text gets `whole` (in place) or
// chunks[0] at its end (nothing is written when that is empty), and every further chunk becomes a
// new page titled ContinuationTitle(header.title, n).  New-page mode: a new page with `header`
// and chunks[0] (empty for an empty file), then a page for every further chunk with the same
// header.  *written (when given) receives the record numbers changed or added, in order; the
// cursor ends on the last of them.
Status WriteImportPlan(store::Table& t, const ImportPlan& plan, const ImportHeader& header,
                       bool append_mode, std::vector<int>* written = nullptr);

}  // namespace sk::exchange
