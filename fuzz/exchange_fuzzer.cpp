// The text import and the exports on arbitrary bytes.
// Input: one byte k (bit 0: append mode; bits 1-3 pick the text already on the page: 0, 5,000,
// 29,990 or 31,990 bytes), then the bytes of a text file.  A file taken as CP932 keeps every byte;
// the pages of the plan hold exactly the file's lines with CR LF after each, no page after the
// first is empty, and a page past the limit holds one line.  The text export writes the file's
// lines each with LF, and no CR for a page whose image list is one line; the HTML export the
// lines with "<BR>" between them; the TeX writer runs over the same page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/export_format.h"
#include "exchange/text_import.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk::exchange;
  if (size < 1) return 0;
  const uint8_t k = data[0];
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  const ImportedText text = DecodeImportBytes(file);
  if (!text.utf8) Check(text.cp932 == file && text.replaced == 0);

  const std::vector<std::string_view> lines = SplitImportLines(text.cp932);
  std::string joined;
  for (std::string_view l : lines) {
    Check(l.find('\r') == std::string_view::npos && l.find('\n') == std::string_view::npos);
    joined.append(l).append("\r\n");
  }
  const bool append = k & 1;
  static const size_t kUsed[] = {0, 5000, 29990, 31990, 0, 0, 0, 0};
  const size_t used = append ? kUsed[(k >> 1) & 7] : 0;
  const ImportPlan plan = PlanImport(lines, used, append);
  if (plan.in_place) {
    Check(append && plan.whole == joined && used + joined.size() <= kAppendLimit);
  } else {
    std::string all;
    for (size_t i = 0; i < plan.chunks.size(); ++i) {
      const std::string& c = plan.chunks[i];
      if (i > 0) Check(!c.empty());
      const size_t on_page = c.size() + (i == 0 ? used : 0);
      const size_t line_ends = size_t(std::count(c.begin(), c.end(), '\n'));
      Check(on_page <= kPageLimit || line_ends <= 1);
      all += c;
    }
    Check(all == joined);
  }

  ExportPage page;
  page.title = "t";
  page.date = "20240229";
  page.text = text.cp932;
  // The image list as a line (its own line breaks would be written as they are).
  page.imagefile = text.cp932.substr(0, 64);
  std::replace(page.imagefile.begin(), page.imagefile.end(), '\r', ';');
  std::replace(page.imagefile.begin(), page.imagefile.end(), '\n', ';');
  // The text alone: its lines, each followed by LF.
  TextExportSettings only_text;
  only_text.SaveBunrui = only_text.SaveTitle = only_text.SaveChosha = only_text.SaveDate =
      only_text.SaveImageFileName = false;
  only_text.PageKan = 0;
  std::string out, expected;
  for (std::string_view l : lines) expected.append(l).append("\n");
  TextExporter(only_text, 1, {"a", "b", "c", "d", "e"}).Page(page, &out);
  Check(out == expected);
  out.clear();
  TextExporter(TextExportSettings{}, 1 + k % 10, {"a", "b", "c", "d", "e"}).Page(page, &out);
  Check(out.find('\r') == std::string::npos);
  // The HTML page's text: the lines with "<BR>" between them.
  HtmlWriter html(HtmlSettings{}, HtmlContext{});
  std::string html_text;
  for (size_t i = 0; i < lines.size(); ++i)
    html_text.append(i ? "<BR>\n" : "").append(lines[i]).append("\n");
  out.clear();
  html.Page(page, &out);
  Check(out.find("<FONT ID=normalline>\n" + html_text + "</FONT>") != std::string::npos);
  html.Head(&out);
  html.Tail(&out);
  TexSettings tex;
  tex.MojiHoko = k & 1;
  TexWriter writer(tex, "n", {2024, 2, 29});
  writer.Head(&out);
  writer.Page(page, &out);
  writer.Tail(&out);
  return 0;
}
