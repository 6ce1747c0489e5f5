#include "editor/ui/highlighter.h"

#include "editor/links.h"
#include "editor/text_positions.h"

namespace sk::editor {

void TextHighlighter::SetSwitches(bool kinds, bool links, bool rehighlight_now) {
  kinds_ = kinds;
  links_ = links;
  if (rehighlight_now) rehighlight();
}

void TextHighlighter::highlightBlock(const QString& text) {
  ++calls_;
  if ((!kinds_ && !links_) || text.isEmpty()) return;
  const TextPositions pos(text);
  const std::string& bytes = pos.bytes();
  const int end = int(bytes.size());
  auto paint = [&](int from, int to, const QTextCharFormat& f) {
    const int a = pos.CharFromByte(from), b = pos.CharFromByte(to, true);
    if (b > a) setFormat(a, b - a, f);
  };
  if (kinds_ && !rules_.top_chars.empty()) {
    const std::vector<HLSegment> segs =
        ScanParagraph(rules_.lists, rules_.top_chars, bytes, 0, end);
    for (size_t i = 1; i < segs.size(); ++i) {
      const int kind = segs[i].kind;
      if (kind >= kHLComment && kind <= kHLKeyWordB)
        paint(segs[i - 1].pos, segs[i].pos, rules_.kind_fmt[size_t(kind)]);
    }
  }
  if (links_) {
    for (const LinkSpan& l : FindLinks(bytes, 0, end))
      paint(l.start, l.start + l.length,
            l.kind == LinkKind::kUrl ? rules_.url_fmt : rules_.mail_fmt);
  }
}

}  // namespace sk::editor
