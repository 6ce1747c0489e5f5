#include "store/index_keys.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "convert/sjis.h"

namespace sk::store {

namespace {

uint64_t Hash(const char* p, size_t n) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    memcpy(&w, p + i, 8);
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  for (; i < n; ++i) h = (h ^ uint8_t(p[i])) * 0x100000001B3ull;
  return h ^ (h >> 29);
}

// Compares two values kept without trailing spaces as the space-padded values they stand for.
int ComparePadded(const char* a, size_t la, const char* b, size_t lb) {
  const size_t m = std::min(la, lb);
  int c = memcmp(a, b, m);
  if (c != 0 || la == lb) return c;
  const bool a_longer = la > lb;
  const char* p = a_longer ? a : b;
  const size_t end = a_longer ? la : lb;
  for (size_t i = m; i < end; ++i) {
    const uint8_t ch = uint8_t(p[i]);
    if (ch != ' ') return (ch < ' ') == a_longer ? -1 : 1;
  }
  return 0;
}

}  // namespace

TagKeySorter::TagKeySorter(const std::vector<TagDef>& tags, const std::vector<FieldDef>& fields)
    : tags_(tags), fields_(fields) {
  for (const auto& tag : tags_) {
    std::vector<size_t> mine;
    for (const KeyTerm& kt : tag.terms) {
      Term t{kt.kind, kt.field, tag.type == 'D', 0, tag.type != 'D', {}, {}, {0}, {}, {}, false};
      t.width = t.julian || kt.kind == KeyTerm::kDtos ? 8 : size_t(fields_[size_t(kt.field)].width);
      size_t i = 0;
      while (i < terms_.size() && !(terms_[i].kind == t.kind && terms_[i].field == t.field &&
                                    terms_[i].julian == t.julian))
        ++i;
      if (i == terms_.size()) terms_.push_back(std::move(t));
      mine.push_back(i);
    }
    tag_terms_.push_back(std::move(mine));
  }
}

size_t TagKeySorter::Value(const Term& term, const char* rec, char* out) const {
  const FieldDef& f = fields_[size_t(term.field)];
  const char* p = rec + 1 + f.offset;
  if (term.julian) {
    double jd = 0.0;
    int y, m, d;
    if (f.width >= 8 && ParseDate8(p, &y, &m, &d)) jd = JulianDay(y, m, d);
    memcpy(out, &jd, 8);
    return 8;
  } else if (term.kind == KeyTerm::kDtos) {
    int y, m, d;
    if (f.width == 8 && ParseDate8(p, &y, &m, &d))
      memcpy(out, p, 8);
    else
      memset(out, ' ', 8);
  } else if (term.kind == KeyTerm::kUpper) {
    // Only a field with a lower-case letter outside double-byte characters changes.
    bool lower = false;
    for (size_t i = 0; i < term.width && !lower; ++i) lower = p[i] >= 'a' && p[i] <= 'z';
    if (!lower) {
      memcpy(out, p, term.width);
    } else {
      std::string up = sjis::HankakuToUpperLowerCase(std::string_view(p, size_t(f.width)), 2);
      up.resize(term.width, ' ');
      memcpy(out, up.data(), term.width);
    }
  } else {
    memcpy(out, p, term.width);
  }
  size_t len = term.width;
  while (len > 0 && out[len - 1] == ' ') --len;
  return len;
}

uint32_t TagKeySorter::Intern(Term& term, const char* value, size_t len) {
  const size_t count = term.start.size() - 1;
  if (term.table.size() < 2 * (count + 1)) {
    // Grow the table (kept at most half full) and place every value again.
    size_t cap = std::max<size_t>(64, term.table.size() * 2);
    term.table.assign(cap, {0, 0});
    for (size_t i = 0; i < count; ++i) {
      uint64_t h = Hash(term.values.data() + term.start[i], term.start[i + 1] - term.start[i]);
      size_t s = size_t(h) & (cap - 1);
      while (term.table[s].second != 0) s = (s + 1) & (cap - 1);
      term.table[s] = {uint32_t(h >> 32), uint32_t(i + 1)};
    }
  }
  const size_t cap = term.table.size();
  const uint64_t h = Hash(value, len);
  const uint32_t tag = uint32_t(h >> 32);
  size_t s = size_t(h) & (cap - 1);
  while (term.table[s].second != 0) {
    const uint32_t id = term.table[s].second - 1;
    if (term.table[s].first == tag && term.start[id + 1] - term.start[id] == len &&
        memcmp(term.values.data() + term.start[id], value, len) == 0)
      return id;
    s = (s + 1) & (cap - 1);
  }
  const uint32_t id = uint32_t(count);
  term.values.append(value, len);
  term.start.push_back(term.values.size());
  term.table[s] = {tag, id + 1};
  return id;
}

void TagKeySorter::Add(uint32_t recno, const char* rec) {
  recnos_.push_back(recno);
  for (auto& t : terms_) {
    scratch_.resize(t.width);
    size_t len = Value(t, rec, scratch_.data());
    if (!t.trim) len = t.width;
    t.id.push_back(Intern(t, scratch_.data(), len));
  }
}

void TagKeySorter::Rank(Term& term) {
  if (term.ranked) return;
  term.ranked = true;
  term.table = {};
  term.values.shrink_to_fit();
  term.start.shrink_to_fit();
  const size_t n = term.start.size() - 1;
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = uint32_t(i);
  const char* v = term.values.data();
  const uint64_t* at = term.start.data();
  if (term.julian) {
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
      double x, y;
      memcpy(&x, v + at[a], 8);
      memcpy(&y, v + at[b], 8);
      return x < y;
    });
  } else {
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
      return ComparePadded(v + at[a], at[a + 1] - at[a], v + at[b], at[b + 1] - at[b]) < 0;
    });
  }
  term.rank.assign(n, 0);
  for (size_t i = 0; i < n; ++i) term.rank[order[i]] = uint32_t(i);
}

void TagKeySorter::Reserve(size_t n) {
  recnos_.reserve(n);
  for (auto& t : terms_) t.id.reserve(n);
}

void TagKeySorter::Entries(size_t t, std::string* keys, std::vector<uint32_t>* recnos) {
  const size_t n = Order(t);
  keys->clear();  // no copy of the last tag's keys when the buffer grows
  Lay(0, n, keys, recnos);
}

size_t TagKeySorter::Order(size_t t) {
  // Every term is ranked at the first call: their hash tables go before any keys are laid out.
  for (auto& term : terms_) Rank(term);
  const auto& mine = tag_terms_[t];
  const size_t n = recnos_.size();
  // Stable counting sorts by each term's rank, the last term first: equal keys stay in record
  // order.
  order_.resize(n);
  for (size_t r = 0; r < n; ++r) order_[r] = uint32_t(r);
  for (size_t k = mine.size(); k-- > 0;) {
    Term& term = terms_[mine[k]];
    count_.assign(term.rank.size() + 1, 0);
    for (uint32_t r : order_) ++count_[term.rank[term.id[r]] + 1];
    for (size_t v = 1; v < count_.size(); ++v) count_[v] += count_[v - 1];
    next_.resize(n);
    for (uint32_t r : order_) next_[count_[term.rank[term.id[r]]]++] = r;
    order_.swap(next_);
  }
  ordered_ = t;
  return n;
}

void TagKeySorter::Lay(size_t from, size_t n, std::string* keys,
                       std::vector<uint32_t>* recnos) const {
  const auto& mine = tag_terms_[ordered_];
  const size_t len = size_t(tags_[ordered_].key_len);
  keys->resize(n * len);
  recnos->resize(n);
  char* out = keys->data();
  for (size_t j = 0; j < n; ++j, out += len) {
    const uint32_t r = order_[from + j];
    size_t at = 0;
    for (size_t i : mine) {
      const Term& term = terms_[i];
      const size_t w = std::min(term.width, len - at);
      const uint32_t id = term.id[r];
      const size_t have = std::min<size_t>(term.start[id + 1] - term.start[id], w);
      memcpy(out + at, term.values.data() + term.start[id], have);
      if (have < w) memset(out + at + have, ' ', w - have);
      at += w;
    }
    if (at < len) memset(out + at, ' ', len - at);
    (*recnos)[j] = recnos_[r];
  }
}

}  // namespace sk::store
