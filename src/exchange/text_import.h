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

// A file's bytes as CP932.  A byte-order mark decides (UTF-8, UTF-16 little or big endian; the
// mark dropped).  Without one: ASCII stays as it is; bytes that are not valid UTF-8 are CP932,
// byte for byte; bytes valid both ways are read the way that gives Japanese text (the reading
// with the smaller share of characters that Japanese text seldom holds; UTF-8 on a tie).  Converted
// text loses characters CP932 cannot hold to "〓", counted in `replaced`.  Bytes with a NUL (and no
// UTF-16 mark) are no text: `binary` is set and nothing else.
struct ImportedText {
  std::string cp932;
  bool utf8 = false;                   // converted from Unicode (UTF-8 or UTF-16)
  const char* encoding = "Shift-JIS";  // "Shift-JIS", "UTF-8" or "UTF-16"
  int replaced = 0;
  bool binary = false;
};
ImportedText DecodeImportBytes(std::string_view bytes);

// Reads a text file (UTF-8 platform path) and decodes it as above.  A file that cannot be read,
// or is no text, is refused with a message naming it.
Status ReadImportFile(const std::string& path, ImportedText* out);

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

// The title of the n-th continuation page in append mode: title + "(追加" + n + ")", within the
// title field's 50 bytes: a longer title is cut at a character boundary to make room.
inline constexpr size_t kTitleWidth = 50;
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
