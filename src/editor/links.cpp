#include "editor/links.h"

#include <algorithm>

#include "convert/sjis.h"

namespace sk::editor {

namespace {

inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

inline bool IsAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsAlnum(unsigned char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9'); }

// A byte that may stand in a web address: a single-byte character above the blank, not DEL.
inline bool IsUrlByte(unsigned char c) { return c > ' ' && c != 0x7F && !sjis::IsLeadByte(c); }

// For every offset 0..size of p, whether a character starts there.
std::vector<char> CharStarts(std::string_view p) {
  std::vector<char> starts(p.size() + 1, 0);
  for (size_t i = 0; i < p.size(); i += sjis::CharLen(p, i)) starts[i] = 1;
  starts[p.size()] = 1;
  return starts;
}

// Whether scheme stands at offset h of p, wholly inside p.
bool SchemeAt(std::string_view p, size_t h, std::string_view scheme) {
  return h + scheme.size() <= p.size() && p.substr(h, scheme.size()) == scheme;
}

// Start of the run of single-byte letters and digits that ends at `at`, going back no further
// than `floor`.  The trail byte of a kanji is never part of the run.
size_t LocalPartStart(std::string_view p, const std::vector<char>& starts, size_t at,
                      size_t floor) {
  size_t a = at;
  while (a > floor && starts[a - 1] && IsAlnum(At(p, a - 1))) --a;
  return a;
}

// End of the run of letters, digits and "." that starts at from.
size_t DomainEnd(std::string_view p, size_t from) {
  size_t d = from;
  while (d < p.size() && (IsAlnum(At(p, d)) || At(p, d) == '.')) ++d;
  return d;
}

struct Paragraph {
  int start;
  std::string_view p;
};

Paragraph Clamp(std::string_view text, int start, int end) {
  const int size = int(text.size());
  start = std::clamp(start, 0, size);
  end = std::clamp(end, start, size);
  return {start, text.substr(size_t(start), size_t(end - start))};
}

}  // namespace

std::vector<LinkSpan> FindLinks(std::string_view text, int start, int end) {
  const auto [base, p] = Clamp(text, start, end);
  const size_t n = p.size();
  const std::vector<char> starts = CharStarts(p);
  std::vector<LinkSpan> out;

  // s is where the text still to be looked at begins; nothing before it is looked at again, so
  // links never overlap.
  size_t s = 0;
  size_t i = 0;
  while (i < n) {
    const size_t len = sjis::CharLen(p, i);
    const unsigned char b = At(p, i);
    if (len != 1 || (b != ':' && b != '@')) {
      i += len;
      continue;
    }
    const size_t k = i;
    if (b == ':') {
      size_t h = std::string_view::npos;
      if (k >= s + 4 && starts[k - 4] && SchemeAt(p, k - 4, "http://")) {
        h = k - 4;
      } else if (k >= s + 5 && starts[k - 5] && SchemeAt(p, k - 5, "https://")) {
        h = k - 5;
      }
      if (h == std::string_view::npos) {
        s = i = k + 1;
        continue;
      }
      // "xhttp://" or "_http://" is the tail of a word; a kanji whose trail byte is a letter
      // is no word character.
      const bool word_before =
          h > s && starts[h - 1] && (IsAlnum(At(p, h - 1)) || At(p, h - 1) == '_');
      if (word_before) {
        s = i = k + 3;
        continue;
      }
      size_t e = k + 3;
      while (e < n && IsUrlByte(At(p, e))) ++e;
      out.push_back({base + int(h), int(e - h), LinkKind::kUrl});
      s = i = e;
      continue;
    }
    // "@": only the letters and digits right before it count, so of "first.last@host.jp" the
    // link is "last@host.jp".
    const size_t a = LocalPartStart(p, starts, k, s);
    if (a == k) {
      s = i = k + 1;
      continue;
    }
    const size_t d = DomainEnd(p, k + 1);
    if (p.substr(k + 1, d - k - 1).find('.') != std::string_view::npos) {
      out.push_back({base + int(a), int(d - a), LinkKind::kMail});
    }
    s = i = d;
  }
  return out;
}

LinkTarget UrlAtCaret(std::string_view text, int para_start, int para_end, int caret) {
  const auto [base, p] = Clamp(text, para_start, para_end);
  LinkTarget t;
  if (caret < base || caret > base + int(p.size())) return t;
  const size_t c = size_t(caret - base);
  const std::vector<char> starts = CharStarts(p);

  // The nearest scheme at or before the caret.  Starting at the caret itself matters: with the
  // caret on the "h" of a second address, the first one must not be taken and run on into it.
  size_t i = c;
  bool found = false;
  for (;;) {
    if (starts[i] && (SchemeAt(p, i, "http://") || SchemeAt(p, i, "https://"))) {
      found = true;
      break;
    }
    if (i == 0) break;
    --i;
  }
  if (!found) {
    t.result = LinkTarget::kNotUrl;
    return t;
  }
  size_t e = c;
  while (e < p.size() && IsUrlByte(At(p, e))) ++e;
  if (i < c && c < e) {
    t.result = LinkTarget::kOpen;
    t.caret_after = base + int(e);
    t.target = std::string(p.substr(i, e - i));
  }
  return t;
}

LinkTarget MailAtCaret(std::string_view text, int para_start, int para_end, int caret) {
  const auto [base, p] = Clamp(text, para_start, para_end);
  LinkTarget t;
  if (caret < base || caret > base + int(p.size())) return t;
  const size_t c = size_t(caret - base);

  // A single-byte "@" only: 0x40 is also a trail byte.  The nearest "@" at or before the caret
  // may belong to an earlier address when the caret is in the local part of a later one
  // ("a@b.jp xy@c.jp" clicked between x and y); then the next "@" after the caret is the one.
  const std::vector<char> starts = CharStarts(p);
  const size_t before = sjis::RFind(p, "@", c);
  const size_t after = sjis::Find(p, "@", before == std::string_view::npos ? c : before + 1);
  if (before == std::string_view::npos && after == std::string_view::npos) {
    t.result = LinkTarget::kNotMail;
    return t;
  }
  size_t a = 0, b = 0;
  bool inside = false;
  for (const size_t at : {before, after}) {
    if (at == std::string_view::npos) continue;
    a = LocalPartStart(p, starts, at, 0);
    b = DomainEnd(p, at + 1);
    if (a < c && c < b) {
      inside = true;
      break;
    }
  }
  if (!inside) return t;
  t.caret_after = base + int(b);
  const std::string_view address = p.substr(a, b - a);
  if (address.find('.') == std::string_view::npos) {
    t.result = LinkTarget::kNotMail;
    return t;
  }
  t.result = LinkTarget::kOpen;
  t.target = "mailto:" + std::string(address);
  return t;
}

}  // namespace sk::editor
