// The scans of a page's text: highlight kinds, links, the clicks on links and the undo records.
// Input: one byte k choosing the keyword lists (bit 0: the word list "ab"/"AB", bit 1: a Kigo
// entry "$", bit 2: a bracket entry of one byte), then page text (any bytes, as a damaged page
// file may hold).  Every paragraph is scanned; the segments must run forward inside the paragraph
// and never start or end inside a double-byte character; links the same.  A click at every
// position must stay inside the text.  The record of a change between two halves of the text
// must turn the one into the other.  The conversions of the Edit menu run over the whole text:
// the counts add up, case and punctuation keep the length, and the kanji digits go back to the
// full-width ones they came from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/sjis.h"
#include "convert/text_convert.h"
#include "editor/highlight_scan.h"
#include "editor/links.h"
#include "editor/undo_list.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk::editor;
  if (size < 1) return 0;
  const uint8_t k = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const HighLightLists lists = HighLightLists::FromEntries(
      {"//", "%"}, (k & 4) ? std::vector<std::string>{"<>", "("} : std::vector<std::string>{"<>"},
      {"\\", "#"}, (k & 1) ? std::vector<std::string>{"ab", "AB"} : std::vector<std::string>{}, {},
      {"\x81\x9c"}, {"\x82\xbb\x82\xe7\x82\xad\x82\xe0"},
      (k & 2) ? std::vector<std::string>{"$"} : std::vector<std::string>{}, {});
  const std::string top = MakeHLTopChars(lists);
  const int n = int(text.size());
  int start = 0;
  while (start <= n) {
    size_t cr = text.find('\r', size_t(start));
    const int end = cr == std::string::npos ? n : int(cr);
    const std::string_view para(text.data() + start, size_t(end - start));
    const std::vector<HLSegment> segs = ScanParagraph(lists, top, text, start, end);
    Check(!segs.empty() && segs[0].pos == start);
    for (size_t i = 1; i < segs.size(); ++i) {
      Check(segs[i].pos > segs[i - 1].pos && segs[i].pos <= end);
      Check(sk::sjis::IsCharBoundary(para, size_t(segs[i].pos - start)));
    }
    int last = start;
    for (const LinkSpan& l : FindLinks(text, start, end)) {
      Check(l.start >= last && l.length > 0 && l.start + l.length <= end);
      Check(sk::sjis::IsCharBoundary(para, size_t(l.start - start)));
      last = l.start + l.length;
    }
    for (int c = start; c <= end && c < start + 64; ++c) {
      for (const LinkTarget& t :
           {UrlAtCaret(text, start, end, c), MailAtCaret(text, start, end, c)}) {
        Check(t.caret_after <= end);
        Check(t.target.size() <= size_t(end - start) + 7);
      }
    }
    if (cr == std::string::npos) break;
    start = end + 1;
  }
  const std::string_view a(text.data(), text.size() / 2),
      b(text.data() + a.size(), text.size() - a.size());
  const UndoRecord r = DiffUndoRecord(a, b);
  std::string applied(a);
  Check(size_t(r.StartPos) + r.OldText.size() <= applied.size());
  applied.replace(size_t(r.StartPos), r.OldText.size(), r.NewText);
  Check(applied == b);

  namespace cv = sk::convert;
  const cv::CharCounts counts = cv::CountChars(text);
  Check(counts.bytes == 2 * counts.full_width + counts.half_width + counts.control);
  for (int mode = 1; mode <= 4; ++mode) Check(cv::ChangeCase(text, mode).size() == text.size());
  for (int kind = 1; kind <= 3; ++kind)
    Check(cv::ChangePunctuation(text, kind).size() == text.size());
  Check(cv::KanToArabia(cv::ArabiaToKan(text)).size() == text.size());
  Check(cv::ToHankaku(text, true).size() <= text.size());
  Check(cv::ToZenkaku(text, true).size() <= 2 * text.size());
  for (int from : {2, 10, 16})
    for (int to : {2, 10, 16}) (void)cv::ConvertRadix(text, from, to);
  Check(cv::CountString(text, std::string_view(text).substr(0, k % 4), (k & 8) != 0) <=
        text.size());
  return 0;
}
