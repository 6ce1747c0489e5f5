#include "editor/text_positions.h"

#include <algorithm>

#include "convert/cp932.h"
#include "convert/sjis.h"

namespace sk::editor {

namespace {

constexpr char16_t kStandInFirst = cp932::kStandInBase + 0x40;
constexpr char16_t kStandInLast = cp932::kStandInBase + 0xFF;

bool IsStandIn(char16_t u) { return u >= kStandInFirst && u <= kStandInLast; }

// Walks text by code point: fn(index of the first code unit, number of code units (1 or 2)).
template <typename Fn>
void ForEachCodePoint(const QString& text, Fn fn) {
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n;) {
    int units = 1;
    if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) units = 2;
    fn(i, units);
    i += units;
  }
}

char32_t CodePointAt(const QString& text, qsizetype i, int units) {
  return units == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
}

}  // namespace

bool IsBreak(QChar c) {
  char16_t u = c.unicode();
  return u == u'\n' || u == u'\r' || u == QChar::LineSeparator || u == QChar::ParagraphSeparator;
}

QString DocumentText(std::string_view cp932) {
  QString decoded = cp932::Decode(cp932);
  QString out;
  out.reserve(decoded.size());
  const qsizetype n = decoded.size();
  for (qsizetype i = 0; i < n; ++i) {
    char16_t u = decoded[i].unicode();
    if (u == u'\r') {
      if (i + 1 < n && decoded[i + 1] == u'\n') ++i;
      out.append(QChar(kBreak));
    } else if (u == u'\n') {
      out.append(QChar(kBreak));
    } else {
      out.append(decoded[i]);
    }
  }
  return out;
}

TextPositions::TextPositions(const QString& text) {
  const qsizetype n = text.size();
  bytes_.reserve(size_t(n) * 2);
  byte_at_.reserve(size_t(n) + 1);
  qsizetype para_start = 0;
  for (qsizetype i = 0; i <= n; ++i) {
    const bool at_break = i < n && IsBreak(text[i]);
    if (i < n && !at_break) continue;
    // One paragraph: text[para_start, i).  Every character is 1 byte when its code is a single
    // byte or it stands in for one byte, else 2.
    const QString para = text.mid(para_start, i - para_start);
    const std::string enc = cp932::EncodeReplacing(para);
    size_t b = 0;
    for (qsizetype k = 0; k < para.size(); ++k) {
      byte_at_.push_back(int(bytes_.size() + b));
      const char16_t u = para[k].unicode();
      int width;
      if (IsStandIn(u) || para[k].isLowSurrogate() ||
          (para[k].isHighSurrogate() && k + 1 < para.size() && para[k + 1].isLowSurrogate())) {
        width = 1;  // a surrogate pair shares the two bytes of its "〓"
      } else {
        width = b < enc.size() && sjis::IsLeadByte(static_cast<unsigned char>(enc[b])) ? 2 : 1;
      }
      b += size_t(width);
    }
    bytes_ += enc;
    if (at_break) {
      byte_at_.push_back(int(bytes_.size()));
      bytes_ += "\r\n";
    }
    para_start = i + 1;
  }
  byte_at_.push_back(int(bytes_.size()));
}

int TextPositions::ByteFromChar(int char_pos) const {
  return byte_at_[size_t(std::clamp(char_pos, 0, CharLength()))];
}

int TextPositions::CharFromByte(int byte_pos, bool round_up) const {
  byte_pos = std::clamp(byte_pos, 0, ByteLength());
  auto it = std::lower_bound(byte_at_.begin(), byte_at_.end(), byte_pos);
  int index = int(it - byte_at_.begin());
  if (*it != byte_pos && !round_up) --index;
  return index;
}

std::string TextPositions::BytesBetween(int char_from, int char_to) const {
  int from = ByteFromChar(std::min(char_from, char_to));
  int to = ByteFromChar(std::max(char_from, char_to));
  return bytes_.substr(size_t(from), size_t(to - from));
}

QString RemoveUnencodable(const QString& text, QStringList* refused) {
  QString out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](qsizetype i, int units) {
    if (cp932::CanEncode(CodePointAt(text, i, units))) {
      out.append(text.mid(i, units));
    } else if (refused) {
      refused->append(text.mid(i, units));
    }
  });
  return out;
}

QString ReplaceUnencodable(const QString& text, int* replaced) {
  QString out;
  out.reserve(text.size());
  int count = 0;
  bool after_cr = false;
  ForEachCodePoint(text, [&](qsizetype i, int units) {
    const bool cr_lf = after_cr && text[i] == u'\n';
    after_cr = text[i] == u'\r';
    if (cr_lf) return;
    if (IsBreak(text[i])) {
      out.append(QChar(kBreak));
    } else if (cp932::CanEncode(CodePointAt(text, i, units))) {
      out.append(text.mid(i, units));
    } else {
      ++count;
      out.append(QChar(cp932::kGeta));
    }
  });
  if (replaced) *replaced = count;
  return out;
}

}  // namespace sk::editor
