#include "exchange/text_import.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "convert/cp932.h"
#include "convert/sjis.h"

namespace sk::exchange {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    unsigned c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i < len) return false;
    if (p[i + 1] < lo || p[i + 1] > hi) return false;
    for (size_t k = 2; k < len; ++k)
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
    i += len;
  }
  return true;
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

ImportedText FromUnicode(const QString& text, const char* encoding) {
  ImportedText out;
  out.utf8 = true;
  out.encoding = encoding;
  out.cp932 = cp932::EncodeReplacing(text, &out.replaced);
  return out;
}

// The share (per mille) of the non-ASCII characters of a UTF-8 reading that are no part of
// Japanese text: Latin, IPA, Greek and Cyrillic letters (what CP932 text misread as UTF-8 mostly
// gives: a half-width katakana with the byte after it), private-use characters, and whatever CP932
// cannot hold.
int OddAsUtf8(std::string_view bytes) {
  int non_ascii = 0, odd = 0;
  for (char32_t c : cp932::FromUtf8(bytes).toUcs4()) {
    if (c < 0x80) continue;
    ++non_ascii;
    odd += c < 0x500 || (c >= 0xE000 && c < 0xF900) || !cp932::CanEncode(c);
  }
  return non_ascii == 0 ? 0 : int(int64_t(odd) * 1000 / non_ascii);
}

// The same for a CP932 reading: codes that Japanese text seldom holds.  UTF-8 read as CP932 is
// full of them: its lead bytes E3-E9 fall on the second level of kanji and its continuation bytes
// on half-width katakana wedged between double-byte characters.  Odd: an undefined byte or row
// (80, A0, FD-FF; rows 85-86, EB-EF), the second kanji level and the rows past it (lead 99 and
// up), the user-defined rows, and a half-width katakana next to a double-byte character.
int OddAsCp932(std::string_view bytes) {
  enum Kind : uint8_t { kAscii, kKana, kDouble, kOdd };
  std::vector<Kind> kinds;
  kinds.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned c = p[i];
    if (c < 0x80) {
      kinds.push_back(kAscii);
    } else if (c >= 0xA1 && c <= 0xDF) {
      kinds.push_back(kKana);
    } else if (sjis::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < bytes.size() &&
               p[i + 1] >= 0x40 && p[i + 1] != 0x7F && p[i + 1] <= 0xFC) {
      ++i;
      kinds.push_back(c == 0x85 || c == 0x86 || c >= 0x99 ? kOdd : kDouble);
    } else {
      kinds.push_back(kOdd);
    }
  }
  int non_ascii = 0, odd = 0;
  for (size_t k = 0; k < kinds.size(); ++k) {
    if (kinds[k] == kAscii) continue;
    ++non_ascii;
    auto double_byte = [&](size_t j) { return kinds[j] == kDouble || kinds[j] == kOdd; };
    odd += kinds[k] == kOdd ||
           (kinds[k] == kKana &&
            ((k > 0 && double_byte(k - 1)) || (k + 1 < kinds.size() && double_byte(k + 1))));
  }
  return non_ascii == 0 ? 0 : int(int64_t(odd) * 1000 / non_ascii);
}

// Bytes valid both as UTF-8 and as CP932: the reading with fewer odd characters, UTF-8 on a tie.
// The first 64 KiB tell.
bool ReadsBetterAsUtf8(std::string_view bytes) {
  size_t n = std::min<size_t>(bytes.size(), 64 * 1024);
  while (n < bytes.size() && n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80) --n;
  const std::string_view head = bytes.substr(0, n);
  return OddAsUtf8(head) <= OddAsCp932(head);
}

}  // namespace

ImportedText DecodeImportBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom))
    return FromUnicode(cp932::FromUtf8(bytes.substr(kUtf8Bom.size())), "UTF-8");
  if (bytes.size() >= 2 && (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))) {
    const bool little = bytes[0] == '\xFF';
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
      const auto hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
      units.push_back(char16_t(lo | (hi << 8)));
    }
    return FromUnicode(QString::fromUtf16(units.data(), qsizetype(units.size())), "UTF-16");
  }
  ImportedText out;
  if (bytes.find('\0') != std::string_view::npos) {
    out.binary = true;
    return out;
  }
  // Text in CP932 is valid UTF-8 only by a freak of short texts (half-width katakana pairs read
  // as Latin or Cyrillic letters), so for bytes valid both ways the two readings are compared.
  if (!IsAscii(bytes) && IsValidUtf8(bytes) && ReadsBetterAsUtf8(bytes))
    return FromUnicode(cp932::FromUtf8(bytes), "UTF-8");
  out.cp932.assign(bytes);
  return out;
}

Status ReadImportFile(const std::string& path, ImportedText* out) {
  *out = {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status::Error(path + " を読み込めません (" + std::strerror(errno) + ")");
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) return Status::Error(path + " を読み込めません (" + std::strerror(errno) + ")");
  *out = DecodeImportBytes(bytes);
  if (out->binary)
    return Status::Error(path +
                         " はテキストファイルではないので読み込みません (NUL バイトがあります)");
  return Status::Ok();
}

std::vector<std::string_view> SplitImportLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.push_back(text.substr(start));
  return lines;
}

ImportPlan PlanImport(const std::vector<std::string_view>& lines, size_t used, bool append_mode) {
  ImportPlan plan;
  if (append_mode) {
    size_t whole = 0;
    for (auto line : lines) whole += line.size() + kCrLf.size();
    if (used + whole <= kAppendLimit) {
      plan.in_place = true;
      plan.whole.reserve(whole);
      for (auto line : lines) {
        plan.whole.append(line);
        plan.whole.append(kCrLf);
      }
      return plan;
    }
  }
  std::string chunk;
  for (auto line : lines) {
    const size_t add = line.size() + kCrLf.size();
    // A page is closed only when it holds something: a line longer than a page on its own then
    // takes a page by itself rather than leaving an empty one before it.
    if (used > 0 && used + add > kPageLimit) {
      plan.chunks.push_back(std::move(chunk));
      chunk.clear();
      used = 0;
    }
    chunk.append(line);
    chunk.append(kCrLf);
    used += add;
  }
  plan.chunks.push_back(std::move(chunk));
  return plan;
}

std::string ContinuationTitle(std::string_view title, int n) {
  const std::string suffix = "(\x92\xC7\x89\xC1" + std::to_string(n) + ")";  // "(追加n)" in CP932
  // The base is cut back to whole characters until the suffix fits in the field.
  size_t keep = 0;
  for (size_t i = 0; i < title.size();) {
    const size_t len =
        sjis::IsLeadByte(static_cast<unsigned char>(title[i])) && i + 1 < title.size() ? 2 : 1;
    if (i + len + suffix.size() > kTitleWidth) break;
    i += len;
    keep = i;
  }
  return std::string(title.substr(0, keep)) + suffix;
}

Status WriteImportPlan(store::Table& t, const ImportPlan& plan, const ImportHeader& header,
                       bool append_mode, std::vector<int>* written) {
  auto done = [&] {
    if (written) written->push_back(t.RecNo());
  };
  auto add_page = [&](const std::string& title, const std::string& text) {
    Status st = t.Append();
    if (st.ok()) st = t.SetFieldString("BUNRUI", header.bunrui);
    if (st.ok()) st = t.SetFieldString("TITLE", title);
    if (st.ok()) st = t.SetFieldString("SUBTITLE", header.subtitle);
    if (st.ok()) st = t.SetFieldString("DATE", header.date);
    if (st.ok()) st = t.SetFieldString("TEXT", text);
    if (st.ok()) st = t.Post();
    if (st.ok()) done();
    return st;
  };
  const std::string first = plan.in_place         ? plan.whole
                            : plan.chunks.empty() ? std::string()
                                                  : plan.chunks[0];
  Status st;
  if (!append_mode) {
    st = add_page(header.title, first);
  } else if (!first.empty()) {
    std::string old;
    st = t.ReadField("TEXT", &old);
    if (st.ok()) st = t.Edit();
    if (st.ok()) st = t.SetFieldString("TEXT", old + first);
    if (st.ok()) st = t.Post();
    if (st.ok()) done();
  }
  for (size_t i = 1; st.ok() && i < plan.chunks.size(); ++i)
    st = add_page(append_mode ? ContinuationTitle(header.title, int(i)) : header.title,
                  plan.chunks[i]);
  return st;
}

}  // namespace sk::exchange
