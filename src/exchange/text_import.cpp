#include "exchange/text_import.h"

#include <QString>

#include "convert/cp932.h"

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

ImportedText FromUtf8(std::string_view utf8) {
  ImportedText out;
  out.utf8 = true;
  out.cp932 = cp932::EncodeReplacing(cp932::FromUtf8(utf8), &out.replaced);
  return out;
}

}  // namespace

ImportedText DecodeImportBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return FromUtf8(bytes.substr(kUtf8Bom.size()));
  // Text in CP932 is valid UTF-8 only by a freak: its kana and most kanji have a lead byte that
  // UTF-8 never starts a character with.  The reverse is common (two or four kanji in UTF-8 are
  // often valid CP932 codes), so validity as UTF-8 decides, not invalidity as CP932.
  if (!IsAscii(bytes) && IsValidUtf8(bytes)) return FromUtf8(bytes);
  ImportedText out;
  out.cp932.assign(bytes);
  return out;
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
  std::string out(title);
  out += "(\x92\xC7\x89\xC1";  // "(追加" in CP932
  out += std::to_string(n);
  out += ')';
  return out;
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
