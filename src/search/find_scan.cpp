#include "search/find_scan.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "convert/sjis.h"

#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace sk::search {

namespace {

constexpr size_t npos = std::string_view::npos;

inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

// Lower-casing one character at a time, built once from sjis::ToLowerKeepLength so that the scans
// fold exactly as the search strings were folded.  The mapping keeps the kind of every byte: a
// lead byte stays the same lead byte, a trail byte becomes another trail byte, and an ASCII letter
// stays single-byte, so the character boundaries of a text and of its lower-cased copy coincide.
struct FoldTables {
  uint8_t single[256];        // a single-byte character -> its lower case
  uint8_t single_upper[256];  // a lower-case single byte -> the byte that folds to it
  const uint8_t* trail[256];  // per lead byte: trail byte -> trail byte of the lower case
  const uint8_t* trail_upper[256];
  uint8_t identity[256];
  std::unique_ptr<uint8_t[]> storage;

  FoldTables() {
    for (int b = 0; b < 256; ++b) {
      identity[b] = uint8_t(b);
      single_upper[b] = uint8_t(b);
      trail[b] = identity;
      trail_upper[b] = identity;
    }
    for (int b = 0; b < 256; ++b) {
      std::string low = sjis::ToLowerKeepLength(std::string(1, char(b)));
      single[b] = static_cast<uint8_t>(low[0]);
      if (single[b] != b) single_upper[single[b]] = uint8_t(b);
    }
    int leads_with_case = 0;
    for (int lead = 0; lead < 256; ++lead) {
      if (!sjis::IsLeadByte(uint8_t(lead))) continue;
      for (int t = 0; t < 256; ++t) {
        if (!sjis::IsTrailByte(uint8_t(t))) continue;
        char pair[2] = {char(lead), char(t)};
        std::string low = sjis::ToLowerKeepLength(std::string_view(pair, 2));
        if (low[0] == pair[0] && low[1] != pair[1]) {
          ++leads_with_case;
          break;
        }
      }
    }
    // One pair of tables per lead byte with letters, and one to fill for a lead byte without any.
    storage = std::make_unique<uint8_t[]>(size_t(leads_with_case + 1) * 512);
    uint8_t* next = storage.get();
    for (int lead = 0; lead < 256; ++lead) {
      if (!sjis::IsLeadByte(uint8_t(lead))) continue;
      uint8_t* low_table = next;
      uint8_t* up_table = next + 256;
      bool any = false;
      for (int t = 0; t < 256; ++t) low_table[t] = up_table[t] = uint8_t(t);
      for (int t = 0; t < 256; ++t) {
        if (!sjis::IsTrailByte(uint8_t(t))) continue;
        char pair[2] = {char(lead), char(t)};
        std::string low = sjis::ToLowerKeepLength(std::string_view(pair, 2));
        if (low[0] != pair[0] || low[1] == pair[1]) continue;
        uint8_t lt = static_cast<uint8_t>(low[1]);
        low_table[t] = lt;
        up_table[lt] = uint8_t(t);
        any = true;
      }
      if (!any) continue;
      trail[lead] = low_table;
      trail_upper[lead] = up_table;
      next += 512;
    }
  }
};

const FoldTables& Folds() {
  static const FoldTables tables;
  return tables;
}

// The byte classes of sjis.h as tables, for the scans' inner loops.
struct ByteClasses {
  bool lead[256];
  bool trail[256];
  constexpr ByteClasses() : lead(), trail() {
    for (int b = 0; b < 256; ++b) {
      lead[b] = sjis::IsLeadByte(static_cast<unsigned char>(b));
      trail[b] = sjis::IsTrailByte(static_cast<unsigned char>(b));
    }
  }
};
constexpr ByteClasses kBytes;

// One search string ready for scanning: the raw byte values that its first and second bytes can
// have in the text (two when an upper-case form folds to it), and whether it ends with a lead
// byte standing alone.
struct Needle {
  std::string_view s;
  int index = 0;  // position in the caller's list
  bool fold = false;
  bool lone_lead_end = false;
  uint8_t a[2] = {0, 0};
  int na = 1;
  uint8_t b[2] = {0, 0};
  int nb = 0;  // 0: the string is one byte long
};

Needle MakeNeedle(std::string_view s, int index, bool fold) {
  const FoldTables& f = Folds();
  Needle n;
  n.s = s;
  n.index = index;
  n.fold = fold;
  size_t i = 0, last = 0;
  while (i < s.size()) {
    last = i;
    i += sjis::CharLen(s, i);
  }
  n.lone_lead_end = kBytes.lead[At(s, last)] && last == s.size() - 1;
  const uint8_t c0 = At(s, 0);
  n.a[0] = c0;
  const bool first_double = sjis::CharLen(s, 0) == 2;
  if (fold && !first_double && f.single_upper[c0] != c0) n.a[n.na++] = f.single_upper[c0];
  if (s.size() >= 2) {
    const uint8_t c1 = At(s, 1);
    n.b[0] = c1;
    n.nb = 1;
    if (fold) {
      uint8_t up = c1;
      if (first_double) {
        up = f.trail_upper[c0][c1];
      } else if (sjis::CharLen(s, 1) == 1) {
        up = f.single_upper[c1];
      }
      if (up != c1) n.b[n.nb++] = up;
    }
  }
  return n;
}

// Compares the needle with the text at p (p + size <= text size), lower-casing the text's
// characters on the way.  The character boundaries of the needle are those of the text at p.
inline bool EqualAt(const Needle& n, const uint8_t* t) {
  const size_t len = n.s.size();
  const uint8_t* s = reinterpret_cast<const uint8_t*>(n.s.data());
  if (!n.fold) return std::memcmp(t, s, len) == 0;
  const FoldTables& f = Folds();
  size_t i = 0;
  while (i < len) {
    const uint8_t c = s[i];
    if (kBytes.lead[c] && i + 1 < len && kBytes.trail[s[i + 1]]) {
      if (t[i] != c || f.trail[c][t[i + 1]] != s[i + 1]) return false;
      i += 2;
    } else {
      if (f.single[t[i]] != c) return false;
      ++i;
    }
  }
  return true;
}

#if defined(__SSE2__) && defined(__GNUC__)
#define SK_SEARCH_VECTOR 1
#endif

#ifdef SK_SEARCH_VECTOR
// Up to four needles are looked for together, each as its first byte (one of two values) followed
// by its second byte (one of two values; any byte for a one-byte needle).
constexpr size_t kMaxVector = 4;

struct Probes {
  uint8_t a0[kMaxVector], a1[kMaxVector], b0[kMaxVector], b1[kMaxVector];
  bool any_b[kMaxVector];
};

// 32 positions a round (two 16-byte blocks), for K needles; the first candidate at or after i
// below size - 32, else the position where the caller goes on byte by byte.
template <size_t K>
size_t ScanSse2(const uint8_t* t, size_t size, size_t i, const Probes& p, bool* hit) {
  __m128i a0[K], a1[K], b0[K], b1[K], any[K];
  for (size_t k = 0; k < K; ++k) {
    a0[k] = _mm_set1_epi8(char(p.a0[k]));
    a1[k] = _mm_set1_epi8(char(p.a1[k]));
    b0[k] = _mm_set1_epi8(char(p.b0[k]));
    b1[k] = _mm_set1_epi8(char(p.b1[k]));
    any[k] = _mm_set1_epi8(p.any_b[k] ? char(-1) : 0);
  }
  auto block = [&](const uint8_t* q) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 1));
    __m128i mask = _mm_setzero_si128();
    for (size_t k = 0; k < K; ++k) {
      const __m128i first = _mm_or_si128(_mm_cmpeq_epi8(x, a0[k]), _mm_cmpeq_epi8(x, a1[k]));
      const __m128i second =
          _mm_or_si128(any[k], _mm_or_si128(_mm_cmpeq_epi8(y, b0[k]), _mm_cmpeq_epi8(y, b1[k])));
      mask = _mm_or_si128(mask, _mm_and_si128(first, second));
    }
    return uint32_t(_mm_movemask_epi8(mask));
  };
  for (; i + 33 <= size; i += 32) {
    const uint32_t bits = block(t + i) | (block(t + i + 16) << 16);
    if (bits != 0) {
      *hit = true;
      return i + size_t(__builtin_ctz(bits));
    }
  }
  // The rest but the last byte as one more round ending there, without the positions before i.
  if (size >= 33 && i + 1 < size) {
    const size_t q = size - 33;
    const uint32_t bits = (block(t + q) | (block(t + q + 16) << 16)) & (~uint32_t(0) << (i - q));
    if (bits != 0) {
      *hit = true;
      return q + size_t(__builtin_ctz(bits));
    }
    return size - 1;
  }
  return i;
}

template <size_t K>
__attribute__((target("avx2"))) size_t ScanAvx2(const uint8_t* t, size_t size, size_t i,
                                                const Probes& p, bool* hit) {
  __m256i a0[K], a1[K], b0[K], b1[K], any[K];
  for (size_t k = 0; k < K; ++k) {
    a0[k] = _mm256_set1_epi8(char(p.a0[k]));
    a1[k] = _mm256_set1_epi8(char(p.a1[k]));
    b0[k] = _mm256_set1_epi8(char(p.b0[k]));
    b1[k] = _mm256_set1_epi8(char(p.b1[k]));
    any[k] = _mm256_set1_epi8(p.any_b[k] ? char(-1) : 0);
  }
  auto block = [&](const uint8_t* q) __attribute__((target("avx2"))) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
    __m256i mask = _mm256_setzero_si256();
    for (size_t k = 0; k < K; ++k) {
      const __m256i first =
          _mm256_or_si256(_mm256_cmpeq_epi8(x, a0[k]), _mm256_cmpeq_epi8(x, a1[k]));
      const __m256i second = _mm256_or_si256(
          any[k], _mm256_or_si256(_mm256_cmpeq_epi8(y, b0[k]), _mm256_cmpeq_epi8(y, b1[k])));
      mask = _mm256_or_si256(mask, _mm256_and_si256(first, second));
    }
    return uint64_t(uint32_t(_mm256_movemask_epi8(mask)));
  };
  for (; i + 65 <= size; i += 64) {
    const uint64_t bits = block(t + i) | (block(t + i + 32) << 32);
    if (bits != 0) {
      *hit = true;
      return i + size_t(__builtin_ctzll(bits));
    }
  }
  if (size >= 65 && i + 1 < size) {
    const size_t q = size - 65;
    const uint64_t bits = (block(t + q) | (block(t + q + 32) << 32)) & (~uint64_t(0) << (i - q));
    if (bits != 0) {
      *hit = true;
      return q + size_t(__builtin_ctzll(bits));
    }
    return size - 1;
  }
  return ScanSse2<K>(t, size, i, p, hit);
}

using ScanFn = size_t (*)(const uint8_t*, size_t, size_t, const Probes&, bool*);

ScanFn PickScan(size_t count) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  static const ScanFn kSse2[] = {ScanSse2<1>, ScanSse2<2>, ScanSse2<3>, ScanSse2<4>};
  static const ScanFn kAvx2[] = {ScanAvx2<1>, ScanAvx2<2>, ScanAvx2<3>, ScanAvx2<4>};
  return avx2 ? kAvx2[count - 1] : kSse2[count - 1];
}
#endif

// Finds the positions where some needle's first one or two bytes occur, many positions at a time
// where the processor allows, else with a table of first bytes.
class CandidateFinder {
 public:
  CandidateFinder(const Needle* needles, size_t count) : needles_(needles), count_(count) {
    for (size_t k = 0; k < count; ++k)
      for (int j = 0; j < needles[k].na; ++j) first_[needles[k].a[j]] = true;
    single_byte_ = count == 1 && needles[0].na == 1 && needles[0].nb == 0;
#ifdef SK_SEARCH_VECTOR
    if (count >= 1 && count <= kMaxVector) {
      scan_ = PickScan(count);
      for (size_t k = 0; k < count; ++k) {
        const Needle& n = needles[k];
        probes_.a0[k] = n.a[0];
        probes_.a1[k] = n.a[n.na - 1];
        probes_.b0[k] = n.b[0];
        probes_.b1[k] = n.b[n.nb > 0 ? n.nb - 1 : 0];
        probes_.any_b[k] = n.nb == 0;
      }
    }
#endif
  }

  // The first candidate at or after `from`; npos when none.
  size_t Next(const uint8_t* t, size_t size, size_t from) const {
    if (from >= size) return npos;
    if (single_byte_) {
      const void* hit = std::memchr(t + from, needles_[0].a[0], size - from);
      return hit ? size_t(static_cast<const uint8_t*>(hit) - t) : npos;
    }
    size_t i = from;
#ifdef SK_SEARCH_VECTOR
    if (scan_ && size - i >= 33) {  // shorter texts cost less byte by byte
      bool hit = false;
      i = scan_(t, size, i, probes_, &hit);
      if (hit) return i;
    }
#endif
    for (; i < size; ++i) {
      if (!first_[t[i]]) continue;
      for (size_t k = 0; k < count_; ++k) {
        const Needle& n = needles_[k];
        if (t[i] != n.a[0] && t[i] != n.a[n.na - 1]) continue;
        if (n.nb == 0) return i;
        if (i + 1 < size && (t[i + 1] == n.b[0] || t[i + 1] == n.b[n.nb - 1])) return i;
      }
    }
    return npos;
  }

 private:
  const Needle* needles_;
  size_t count_;
  bool first_[256] = {};
  bool single_byte_ = false;
#ifdef SK_SEARCH_VECTOR
  ScanFn scan_ = nullptr;
  Probes probes_;
#endif
};

// The matches of some needles in one text, in increasing position.  Whether a candidate starts a
// character is decided from the bytes just before it: every byte that cannot be a lead byte ends a
// character, and in a run of lead-capable bytes after a character boundary the characters pair
// the bytes off.  The run is counted back no further than the last boundary known, so the cost
// stays one look at each byte however the candidates fall.
class MatchScan {
 public:
  MatchScan(std::string_view text, const Needle* needles, size_t count)
      : t_(reinterpret_cast<const uint8_t*>(text.data())),
        size_(text.size()),
        needles_(needles),
        count_(count),
        finder_(needles, count) {}

  // The first match at or after `from` (non-decreasing between calls); npos when none.  *which
  // is the first needle in list order that matches there.
  size_t Next(size_t from, size_t* which) {
    for (size_t p = finder_.Next(t_, size_, from); p != npos; p = finder_.Next(t_, size_, p + 1)) {
      if (!StartsCharacter(p)) continue;
      for (size_t k = 0; k < count_; ++k) {
        const Needle& n = needles_[k];
        const size_t len = n.s.size();
        if (len > size_ - p || !EqualAt(n, t_ + p)) continue;
        if (n.lone_lead_end && p + len < size_ && kBytes.trail[t_[p + len]]) continue;
        *which = k;
        return p;
      }
    }
    return npos;
  }

 private:
  bool StartsCharacter(size_t p) {
    size_t j = p;
    while (j > known_ && kBytes.lead[t_[j - 1]]) --j;
    if ((p - j) % 2 == 0) {
      known_ = p;
      return true;
    }
    // The byte before p is a lead byte that starts a character: p is its trail byte unless the
    // byte cannot follow a lead byte.
    if (!kBytes.trail[t_[p]]) {
      known_ = p;
      return true;
    }
    known_ = p - 1;
    return false;
  }

  const uint8_t* t_;
  size_t size_;
  const Needle* needles_;
  size_t count_;
  CandidateFinder finder_;
  size_t known_ = 0;  // a character boundary at or before the last candidate
};

// The needles of a list of search strings, without the empty ones.
class NeedleList {
 public:
  explicit NeedleList(const SearchStrings& s) {
    const size_t count = s.strings.size();
    Needle* out = count <= kInline ? inline_ : (heap_ = std::make_unique<Needle[]>(count)).get();
    for (size_t k = 0; k < count; ++k) {
      if (s.strings[k].empty()) {
        has_empty_ = true;
        continue;
      }
      out[size_++] = MakeNeedle(s.strings[k], int(k), !s.match_case);
    }
    data_ = out;
  }
  const Needle* data() const { return data_; }
  size_t size() const { return size_; }
  bool has_empty() const { return has_empty_; }

 private:
  static constexpr size_t kInline = 8;
  Needle inline_[kInline];
  std::unique_ptr<Needle[]> heap_;
  const Needle* data_ = nullptr;
  size_t size_ = 0;
  bool has_empty_ = false;
};

}  // namespace

SearchStrings SetKensakuMojiList(std::string_view input, bool match_case, bool force_any) {
  SearchStrings r;
  r.match_case = match_case;
  bool bar_seen = false, amp_seen = false;
  std::string piece;
  auto flush = [&] {
    if (piece.empty()) return;
    r.strings.push_back(match_case ? piece : sjis::ToLowerKeepLength(piece));
    piece.clear();
  };
  size_t i = 0;
  while (i < input.size()) {
    const size_t len = sjis::CharLen(input, i);
    if (len == 2) {
      piece.append(input.substr(i, 2));
      i += 2;
      continue;
    }
    const char c = input[i];
    if (c == '\\' && i + 1 < input.size() && (input[i + 1] == '|' || input[i + 1] == '&')) {
      piece += input[i + 1];
      i += 2;
      continue;
    }
    if (c == '|' && !amp_seen) {
      bar_seen = true;
      flush();
    } else if (c == '&' && !bar_seen) {
      amp_seen = true;
      flush();
    } else {
      piece += c;
    }
    ++i;
  }
  flush();
  r.any = !(amp_seen && !force_any);
  for (size_t k = 0; k < r.strings.size(); ++k) {
    const Needle n = MakeNeedle(r.strings[k], int(k), !match_case);
    for (int j = 0; j < n.na; ++j) r.first_byte[n.a[j]] = true;
  }
  return r;
}

FindHit DoFind(const SearchStrings& s, std::string_view text) {
  FindHit hit;
  NeedleList needles(s);
  if (needles.size() == 0) return hit;
  if (s.any) {
    size_t which = 0;
    MatchScan scan(text, needles.data(), needles.size());
    const size_t p = scan.Next(0, &which);
    if (p != npos) {
      hit.string_index = needles.data()[which].index;
      hit.position = p;
    }
    return hit;
  }
  // Every string must occur: the first occurrence of each, the earliest of them is the hit (at
  // one position the first string in list order).
  if (needles.has_empty()) return hit;
  for (size_t k = 0; k < needles.size(); ++k) {
    size_t which = 0;
    MatchScan scan(text, needles.data() + k, 1);
    const size_t p = scan.Next(0, &which);
    if (p == npos) return FindHit{};
    if (!hit.found() || p < hit.position) {
      hit.string_index = needles.data()[k].index;
      hit.position = p;
    }
  }
  return hit;
}

FindHit DoRevFind(const SearchStrings& s, std::string_view text) {
  FindHit hit;
  NeedleList needles(s);
  if (needles.size() == 0) return hit;
  MatchScan scan(text, needles.data(), needles.size());
  size_t which = 0;
  for (size_t p = scan.Next(0, &which); p != npos; p = scan.Next(p + 1, &which)) {
    hit.string_index = needles.data()[which].index;
    hit.position = p;
  }
  return hit;
}

size_t FindPlain(std::string_view text, std::string_view needle, size_t from, bool match_case) {
  if (needle.empty() || from >= text.size()) return npos;
  const std::string folded = match_case ? std::string() : sjis::ToLowerKeepLength(needle);
  const Needle n = MakeNeedle(match_case ? needle : std::string_view(folded), 0, !match_case);
  MatchScan scan(text, &n, 1);
  size_t which = 0;
  return scan.Next(from, &which);
}

size_t RFindPlain(std::string_view text, std::string_view needle, size_t limit, bool match_case) {
  if (limit > text.size()) limit = text.size();
  if (needle.empty() || needle.size() > limit) return npos;
  const std::string folded = match_case ? std::string() : sjis::ToLowerKeepLength(needle);
  const Needle n = MakeNeedle(match_case ? needle : std::string_view(folded), 0, !match_case);
  // Backwards from the limit, so that a replace going upwards costs the distance to each hit, not
  // the text before it.  Whether a candidate starts a character is read from the run of
  // lead-capable bytes just before it; the run is walked once however many candidates lie in it.
  const uint8_t* t = reinterpret_cast<const uint8_t*>(text.data());
  size_t run_lo = 0, run_hi = 0;  // [run_lo, run_hi): lead-capable bytes after a boundary
  auto starts_character = [&](size_t p) {
    if (!(p >= run_lo && p <= run_hi && run_hi > 0)) {
      run_lo = p;
      while (run_lo > 0 && kBytes.lead[t[run_lo - 1]]) --run_lo;
      run_hi = p;
    }
    return (p - run_lo) % 2 == 0 || !kBytes.trail[t[p]];
  };
  for (size_t p = limit - needle.size() + 1; p-- > 0;) {
    if (t[p] != n.a[0] && t[p] != n.a[n.na - 1]) continue;
    if (!starts_character(p) || !EqualAt(n, t + p)) continue;
    if (n.lone_lead_end && p + n.s.size() < text.size() && kBytes.trail[t[p + n.s.size()]])
      continue;
    return p;
  }
  return npos;
}

}  // namespace sk::search
