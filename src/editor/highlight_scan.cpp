#include "editor/highlight_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "convert/sjis.h"

namespace sk::editor {

namespace {

constexpr size_t npos = std::string_view::npos;

inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

inline bool IsAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Comparison with ASCII letters folded: <0, 0 or >0.  A string compares below its extensions.
int FoldedCompare(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = Fold(At(a, i)), y = Fold(At(b, i));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The order of the keyword lists: folded first, then plain bytes, so that entries differing only
// in letter case stand together in byte order.  The word lookup relies on that.
bool KeywordLess(const std::string& a, const std::string& b) {
  const int c = FoldedCompare(a, b);
  return c != 0 ? c < 0 : std::string_view(a) < std::string_view(b);
}

// The characters of a top-character string, for lookups while scanning.
class TopCharSet {
 public:
  explicit TopCharSet(std::string_view top) {
    size_t i = 0;
    while (i < top.size()) {
      const size_t len = sjis::CharLen(top, i);
      if (len == 1) {
        single_[At(top, i)] = true;
      } else {
        doubles_.push_back(uint16_t((At(top, i) << 8) | At(top, i + 1)));
      }
      empty_ = false;
      i += len;
    }
  }
  bool empty() const { return empty_; }
  // Whether the character of p at pos (len bytes) is one of the set.
  bool Contains(std::string_view p, size_t pos, size_t len) const {
    if (len == 1) return single_[At(p, pos)];
    const uint16_t code = uint16_t((At(p, pos) << 8) | At(p, pos + 1));
    return std::find(doubles_.begin(), doubles_.end(), code) != doubles_.end();
  }

 private:
  std::array<bool, 256> single_{};
  std::vector<uint16_t> doubles_;
  bool empty_ = true;
};

// Whether the string s holds the character ch, comparing whole characters.
bool HoldsChar(std::string_view s, std::string_view ch) {
  size_t i = 0;
  while (i < s.size()) {
    const size_t len = sjis::CharLen(s, i);
    if (s.substr(i, len) == ch) return true;
    i += len;
  }
  return false;
}

// Whether entry equals the bytes of p from pos (a character boundary) and ends on a character
// boundary of p.  Never reads past the end of p: a leader at the paragraph's end that would need
// bytes of the next line does not match.
bool MatchesAt(std::string_view p, size_t pos, std::string_view entry) {
  if (entry.empty() || entry.size() > p.size() - pos) return false;
  if (p.compare(pos, entry.size(), entry) != 0) return false;
  size_t i = pos;
  while (i < pos + entry.size()) i += sjis::CharLen(p, i);
  return i == pos + entry.size();
}

// Length of the first entry of a sorted keyword list that matches at pos; 0 when none.
size_t FirstMatchLength(const std::vector<std::string>& list, std::string_view p, size_t pos) {
  for (const std::string& e : list) {
    if (MatchesAt(p, pos, e)) return e.size();
  }
  return 0;
}

// Whether a sorted word list holds word byte for byte.  The search lands on the first entry
// equal to the word with letters folded; the run that follows is in byte order, so the walk can
// stop at the first entry the word sorts before.
bool HoldsWord(const std::vector<std::string>& list, std::string_view word) {
  auto it = std::lower_bound(
      list.begin(), list.end(), word,
      [](const std::string& e, std::string_view w) { return FoldedCompare(e, w) < 0; });
  for (; it != list.end() && FoldedCompare(*it, word) == 0; ++it) {
    if (std::string_view(*it) == word) return true;
    if (word < std::string_view(*it)) break;
  }
  return false;
}

// Start of the last character of p[from, to), from being a character boundary and from < to.
size_t LastCharStart(std::string_view p, size_t from, size_t to) {
  size_t last = from;
  for (size_t i = from; i < to; i += sjis::CharLen(p, i)) last = i;
  return last;
}

// End of the bracket that opens at c with the pair entry, or 0 when its closing character does
// not occur later in the paragraph.  The closing character is searched on character boundaries
// only (a bracket pair such as "[]" would otherwise close on the 0x5D trail byte of a kanji and
// leave the scan inside that character); a one-byte entry closes at the paragraph end.
size_t BracketEnd(std::string_view p, size_t c, std::string_view entry) {
  if (entry.size() < 2) return p.size();
  const std::string_view closer = entry.substr(1, sjis::CharLen(entry, 1));
  size_t walker = c + 1;  // the opener is a single byte
  for (size_t hit = p.find(closer, walker); hit != npos; hit = p.find(closer, hit + 1)) {
    while (walker < hit) walker += sjis::CharLen(p, walker);
    if (walker == hit && MatchesAt(p, hit, closer)) return hit + closer.size();
  }
  return 0;
}

std::vector<std::string> WithoutEmpty(std::vector<std::string> v) {
  std::erase_if(v, [](const std::string& s) { return s.empty(); });
  return v;
}

std::vector<std::string> SortedKeywords(std::vector<std::string> v) {
  v = WithoutEmpty(std::move(v));
  std::sort(v.begin(), v.end(), KeywordLess);
  return v;
}

}  // namespace

HighLightLists HighLightLists::FromEntries(
    std::vector<std::string> comment, std::vector<std::string> kakko,
    std::vector<std::string> command, std::vector<std::string> word_a,
    std::vector<std::string> word_b, std::vector<std::string> kan_a, std::vector<std::string> kan_b,
    std::vector<std::string> kigo_a, std::vector<std::string> kigo_b) {
  HighLightLists l;
  l.HLCommentList = WithoutEmpty(std::move(comment));
  l.HLKakkoList = WithoutEmpty(std::move(kakko));
  l.HLCommandList = WithoutEmpty(std::move(command));
  l.HLKeyWordAList = SortedKeywords(std::move(word_a));
  l.HLKeyWordBList = SortedKeywords(std::move(word_b));
  l.HLKeyWordKanAList = SortedKeywords(std::move(kan_a));
  l.HLKeyWordKanBList = SortedKeywords(std::move(kan_b));
  l.HLKeyWordKigoAList = SortedKeywords(std::move(kigo_a));
  l.HLKeyWordKigoBList = SortedKeywords(std::move(kigo_b));
  return l;
}

std::string MakeHLTopChars(const HighLightLists& lists) {
  std::string top;
  auto add = [&top](std::string_view ch) {
    if (!HoldsChar(top, ch)) top += ch;
  };
  // Leaders, words and symbols are looked for at single-byte characters only; a lead byte among
  // the top characters would pair with the next one and spoil the set.
  for (const auto* list :
       {&lists.HLCommentList, &lists.HLKakkoList, &lists.HLCommandList, &lists.HLKeyWordAList,
        &lists.HLKeyWordBList, &lists.HLKeyWordKigoAList, &lists.HLKeyWordKigoBList}) {
    for (const std::string& e : *list) {
      if (!e.empty() && !sjis::IsLeadByte(At(e, 0))) add(std::string_view(e).substr(0, 1));
    }
  }
  for (const auto* list : {&lists.HLKeyWordKanAList, &lists.HLKeyWordKanBList}) {
    for (const std::string& e : *list) {
      if (sjis::CharLen(e, 0) == 2) add(std::string_view(e).substr(0, 2));
    }
  }
  return top;
}

std::vector<HLSegment> ScanParagraph(const HighLightLists& lists, std::string_view top_chars,
                                     std::string_view text, int start, int end) {
  const int size = int(text.size());
  start = std::clamp(start, 0, size);
  end = std::clamp(end, start, size);
  std::vector<HLSegment> out{{start, kHLNormal}};
  if (start == end) return out;

  const std::string_view p = text.substr(size_t(start), size_t(end - start));
  const size_t n = p.size();
  const TopCharSet top(top_chars);

  size_t normal_from = 0;  // end of the previous match
  auto emit = [&](size_t m, size_t len, int kind) {
    if (m > normal_from) out.push_back({start + int(m), kHLNormal});
    out.push_back({start + int(m + len), kind});
    normal_from = m + len;
  };

  size_t s = 0;
  size_t prev = npos;  // start of the character before s, npos at the paragraph start
  // After looking at the character at c (`step` bytes): a match of len bytes is taken and the scan
  // goes on after it, or the scan goes on after the character.
  auto take = [&](size_t c, size_t len, int kind, size_t step) {
    if (len > 0) {
      emit(c, len, kind);
      prev = LastCharStart(p, c, c + len);
      s = c + len;
    } else {
      prev = c;
      s = c + step;
    }
  };

  while (!top.empty() && s < n) {
    // The next character that can start a piece, compared as a whole character.
    size_t c = s;
    size_t len = 0;
    for (; c < n; c += len) {
      len = sjis::CharLen(p, c);
      if (top.Contains(p, c, len)) break;
      prev = c;
    }
    if (c >= n) break;
    const unsigned char b = At(p, c);

    if (len == 2) {  // a double-byte character: Kan keywords only
      int kind = kHLKeyWordA;
      size_t m = FirstMatchLength(lists.HLKeyWordKanAList, p, c);
      if (m == 0) {
        kind = kHLKeyWordB;
        m = FirstMatchLength(lists.HLKeyWordKanBList, p, c);
      }
      take(c, m, kind, 2);
      continue;
    }

    if (IsAsciiLetter(b)) {
      // A word is the whole run of letters.  One that continues a run of letters (the letter
      // before it is a single byte, not the trail byte of a kanji) is part of a longer word.
      size_t w = c;
      while (w < n && IsAsciiLetter(At(p, w))) ++w;
      const bool after_letter = prev != npos && prev == c - 1 && IsAsciiLetter(At(p, prev));
      if (!after_letter) {
        const std::string_view word = p.substr(c, w - c);
        if (HoldsWord(lists.HLKeyWordAList, word)) {
          emit(c, w - c, kHLKeyWordA);
        } else if (HoldsWord(lists.HLKeyWordBList, word)) {
          emit(c, w - c, kHLKeyWordB);
        }
      }
      prev = w - 1;
      s = w;
      continue;
    }

    // Any other single byte: comment, bracket, symbol keyword, command, in that order.
    size_t match = 0;
    int kind = kHLNormal;
    for (const std::string& e : lists.HLCommentList) {
      if (MatchesAt(p, c, e)) {
        match = n - c;
        kind = kHLComment;
        break;
      }
    }
    if (match == 0) {
      for (const std::string& e : lists.HLKakkoList) {
        if (e.empty() || At(e, 0) != b) continue;
        if (const size_t close = BracketEnd(p, c, e); close > 0) {
          match = close - c;
          kind = kHLKakko;
          break;
        }
      }
    }
    if (match == 0) {
      if ((match = FirstMatchLength(lists.HLKeyWordKigoAList, p, c)) > 0) {
        kind = kHLKeyWordA;
      } else if ((match = FirstMatchLength(lists.HLKeyWordKigoBList, p, c)) > 0) {
        kind = kHLKeyWordB;
      }
    }
    if (match == 0) {
      for (const std::string& e : lists.HLCommandList) {
        if (e.empty() || At(e, 0) != b) continue;
        size_t w = c + 1;
        while (w < n && IsAsciiLetter(At(p, w))) ++w;
        match = w - c;
        kind = kHLCommand;
        break;
      }
    }
    take(c, match, kind, 1);
  }
  if (n > normal_from) out.push_back({end, kHLNormal});
  return out;
}

std::vector<std::string> SplitCommaList(std::string_view field) {
  // "," never occurs as a trail byte, so the field splits byte-wise.
  std::vector<std::string> out;
  size_t from = 0;
  while (from <= field.size()) {
    size_t comma = field.find(',', from);
    if (comma == npos) comma = field.size();
    const std::string_view piece = sjis::TrimBlanks(field.substr(from, comma - from));
    if (!piece.empty()) out.emplace_back(piece);
    from = comma + 1;
  }
  return out;
}

KeywordFiling FileKeywordRow(std::string_view row) {
  if (row.empty()) return KeywordFiling::kDropped;
  if (sjis::IsLeadByte(At(row, 0))) {
    for (size_t i = 0; i < row.size(); i += 2) {
      if (sjis::CharLen(row, i) != 2) return KeywordFiling::kDropped;
    }
    return KeywordFiling::kKan;
  }
  if (IsAsciiLetter(At(row, 0))) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (!IsAsciiLetter(At(row, i))) return KeywordFiling::kDropped;
    }
    return KeywordFiling::kWord;
  }
  return KeywordFiling::kKigo;
}

}  // namespace sk::editor
