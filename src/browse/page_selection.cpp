#include "browse/page_selection.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>

#include "convert/sjis.h"
#include "store/keys.h"

namespace sk::browse {

namespace {

constexpr size_t npos = std::string_view::npos;

// C fields are stored padded with blanks (older writers pad with NULs).
std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) { return sjis::ToLowerKeepLength(TrimRight(s)); }

bool Before(const store::Date& a, const store::Date& b) {
  return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

bool Contains(std::string_view field, std::string_view needle) {
  return sjis::Find(Lower(field), needle) != npos;
}

// ---- the filter on raw record bytes ----
//
// A stored field is compared with a lower-cased pattern without lower-casing the field: the case
// mapping keeps byte lengths, never changes a lead byte, maps single bytes to single bytes and
// trail bytes to trail bytes, so a field and its lower-cased form have the same character
// boundaries, and "lower(field)[p..p+n) == pattern" holds exactly when every raw byte in that
// window is one of the raw forms of the pattern byte at its place.  The pattern is walked on its
// own to find those forms: a single byte c allows every byte that lowers to c, a double-byte
// character allows its lead byte and every trail byte that gives the character with that lead.

// The lower-cased form of every single byte, from the program's own case mapping.
const std::array<unsigned char, 256>& SingleLower() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b)
      t[size_t(b)] =
          static_cast<unsigned char>(sjis::ToLowerKeepLength(std::string(1, char(b)))[0]);
    return t;
  }();
  return table;
}

class FoldedPattern {
 public:
  explicit FoldedPattern(std::string_view pattern) : n_(pattern.size()) {
    allowed_.resize(n_);
    const auto& lower1 = SingleLower();
    size_t i = 0, last = 0;
    while (i < n_) {
      last = i;
      size_t len = sjis::CharLen(pattern, i);
      auto c = static_cast<unsigned char>(pattern[i]);
      if (len == 1) {
        for (int b = 0; b < 256; ++b)
          if (lower1[size_t(b)] == c) allowed_[i][size_t(b)] = true;
      } else {
        allowed_[i][c] = true;
        std::string pair(pattern.substr(i, 2));
        std::string raw = pair;
        for (int t = 0x40; t <= 0xFC; ++t) {
          if (!sjis::IsTrailByte(static_cast<unsigned char>(t))) continue;
          raw[1] = char(t);
          if (sjis::ToLowerKeepLength(raw) == pair) allowed_[i + 1][size_t(t)] = true;
        }
      }
      i += len;
    }
    lone_lead_end_ =
        n_ > 0 && last == n_ - 1 && sjis::IsLeadByte(static_cast<unsigned char>(pattern[last]));
    // Single raw forms at a place: the search jumps to one with memchr, and compares the window
    // with memcmp when every place has one.
    plain_ = !never_;
    int fallback = -1;
    for (size_t k = 0; k < n_; ++k) {
      int count = 0, only = 0;
      for (int b = 0; b < 256; ++b)
        if (allowed_[k][size_t(b)]) ++count, only = b;
      if (count == 0) never_ = true;
      if (count != 1) {
        plain_ = false;
        continue;
      }
      raw_.push_back(char(only));
      // Blanks and the lead bytes of kana and symbols are everywhere in Japanese titles; any
      // other byte makes a better place to jump to.
      bool common = only == ' ' || (only >= 0x81 && only <= 0x83);
      if (!common && anchor_ < 0) anchor_ = int(k);
      if (fallback < 0) fallback = int(k);
    }
    if (anchor_ < 0) anchor_ = fallback;
    if (anchor_ >= 0) anchor_byte_ = FirstAllowed(size_t(anchor_));
  }

  // lower(field) == pattern.
  bool Equals(std::string_view field) const {
    return !never_ && field.size() == n_ && WindowMatches(field, 0);
  }

  // lower(field) contains the pattern starting on a character boundary (sjis::Find); an empty
  // pattern is found nowhere.  `stored` is the field as the record holds it: the padding after
  // the text is cut only when a candidate is found, so that most records cost one memchr.
  bool FoundIn(std::string_view stored) const {
    if (never_ || n_ == 0 || stored.size() < n_) return false;
    const char* h = stored.data();
    const size_t last_start = stored.size() - n_;
    size_t text_end = npos;  // the length without the padding, once needed
    size_t walker = 0;       // a character boundary at or before every candidate tried so far
    // 1: found; 0: not at p; -1: neither at p nor later.
    auto settle = [&](size_t p) {
      if (text_end == npos) text_end = TrimRight(stored).size();
      size_t end = p + n_;
      if (end > text_end) return -1;  // reaches into the padding, as every later candidate does
      while (walker < p) walker += sjis::CharLen(stored.substr(0, text_end), walker);
      if (walker != p) return 0;
      if (lone_lead_end_ && end < text_end && sjis::IsTrailByte(static_cast<unsigned char>(h[end])))
        return 0;
      return 1;
    };
    if (anchor_ >= 0) {
      const size_t a = size_t(anchor_);
      for (size_t p = 0; p <= last_start;) {
        const void* hit = memchr(h + p + a, anchor_byte_, last_start - p + 1);
        if (!hit) return false;
        size_t q = size_t(static_cast<const char*>(hit) - h) - a;
        bool window = plain_ ? memcmp(h + q, raw_.data(), n_) == 0 : WindowMatches(stored, q);
        if (window) {
          int r = settle(q);
          if (r != 0) return r > 0;
        }
        p = q + 1;
      }
      return false;
    }
    for (size_t p = 0; p <= last_start; ++p) {
      if (!WindowMatches(stored, p)) continue;
      int r = settle(p);
      if (r != 0) return r > 0;
    }
    return false;
  }

 private:
  bool WindowMatches(std::string_view field, size_t p) const {
    const auto* h = reinterpret_cast<const unsigned char*>(field.data()) + p;
    for (size_t k = 0; k < n_; ++k)
      if (!allowed_[k][h[k]]) return false;
    return true;
  }

  char FirstAllowed(size_t k) const {
    for (int b = 0; b < 256; ++b)
      if (allowed_[k][size_t(b)]) return char(b);
    return 0;
  }

  size_t n_;
  std::vector<std::array<bool, 256>> allowed_;
  bool never_ = false;
  bool lone_lead_end_ = false;
  bool plain_ = false;
  std::string raw_;  // the pattern's raw bytes when every place has one form
  int anchor_ = -1;
  char anchor_byte_ = 0;
};

struct FieldSlice {
  int offset = -1;  // after the deletion byte; -1 when the table has no such field
  int width = 0;
};

// The selection compiled against one table's record layout.
class CompiledSelection {
 public:
  CompiledSelection(const PageSelection& sel, const store::Table& table) : sel_(sel) {
    const auto& fields = table.fields();
    reclen_ = 1;
    for (const auto& f : fields) reclen_ += size_t(f.width);
    bool fast = true;
    auto slice = [&](const char* name, char type) {
      FieldSlice s;
      int i = store::FindField(fields, name);
      if (i < 0) return s;
      const auto& f = fields[size_t(i)];
      if (f.type != type) fast = false;  // read through the table, as the slow path does
      s.offset = f.offset;
      s.width = f.width;
      return s;
    };
    bunrui_ = slice("BUNRUI", 'C');
    title_ = slice("TITLE", 'C');
    chosha_ = slice("SUBTITLE", 'C');
    date_ = slice("DATE", 'D');
    fast_ = fast;
    if (sel.BunruiSelectMode)
      for (const auto& b : sel.SelBunruiList) bunrui_list_.emplace_back(Lower(b));
    if (sel.TitleSelectMode) title_pattern_ = std::make_unique<FoldedPattern>(sel.SelTitle);
    if (sel.ChoshaSelectMode) chosha_pattern_ = std::make_unique<FoldedPattern>(sel.SelChosha);
  }

  bool Test(const store::Table& t) const {
    std::string_view rec = fast_ ? t.CurrentRecordBytes() : std::string_view();
    if (rec.size() != reclen_) {
      return sel_.Matches(t.FieldString("BUNRUI"), t.FieldDate("DATE"), t.FieldString("TITLE"),
                          t.FieldString("SUBTITLE"));
    }
    if (sel_.BunruiSelectMode) {
      std::string_view b = Field(rec, bunrui_);
      bool any = false;
      for (const auto& p : bunrui_list_)
        if ((any = p.Equals(b))) break;
      if (!any) return false;
    }
    if (sel_.DateSelectMode) {
      if (date_.offset < 0 || date_.width != 8) return false;
      store::Date d;
      if (!store::ParseDate8(rec.data() + 1 + date_.offset, &d.year, &d.month, &d.day))
        return false;
      if (Before(d, sel_.SelStartDate) || Before(sel_.SelEndDate, d)) return false;
    }
    if (title_pattern_ && !title_pattern_->FoundIn(Stored(rec, title_))) return false;
    if (chosha_pattern_ && !chosha_pattern_->FoundIn(Stored(rec, chosha_))) return false;
    return true;
  }

 private:
  // A field's bytes with their padding; without it.
  static std::string_view Stored(std::string_view rec, FieldSlice s) {
    if (s.offset < 0) return {};
    return rec.substr(size_t(1 + s.offset), size_t(s.width));
  }
  static std::string_view Field(std::string_view rec, FieldSlice s) {
    return TrimRight(Stored(rec, s));
  }

  PageSelection sel_;
  size_t reclen_ = 0;
  bool fast_ = false;
  FieldSlice bunrui_, title_, chosha_, date_;
  std::vector<FoldedPattern> bunrui_list_;
  std::unique_ptr<FoldedPattern> title_pattern_, chosha_pattern_;
};

}  // namespace

bool PageSelection::Matches(std::string_view bunrui, const std::optional<store::Date>& date,
                            std::string_view title, std::string_view chosha) const {
  if (BunruiSelectMode) {
    std::string b = Lower(bunrui);
    bool any = false;
    for (const auto& s : SelBunruiList)
      if ((any = Lower(s) == b)) break;
    if (!any) return false;
  }
  if (DateSelectMode) {
    if (!date || Before(*date, SelStartDate) || Before(SelEndDate, *date)) return false;
  }
  if (TitleSelectMode && !Contains(title, SelTitle)) return false;
  if (ChoshaSelectMode && !Contains(chosha, SelChosha)) return false;
  return true;
}

store::Table::Filter MakeSelectionFilter(const PageSelection& selection,
                                         const store::Table& table) {
  auto compiled = std::make_shared<const CompiledSelection>(selection, table);
  return [compiled](const store::Table& t) { return compiled->Test(t); };
}

std::optional<store::Date> ParseSelectionDate(std::string_view text) {
  size_t a = text.find_first_not_of(" \t");
  if (a == npos) return std::nullopt;
  text = text.substr(a, text.find_last_not_of(" \t") - a + 1);
  int parts[3] = {0, 0, 0};
  const size_t max_digits[3] = {4, 2, 2};
  size_t i = 0;
  for (int k = 0; k < 3; ++k) {
    if (k > 0) {
      if (i >= text.size() || text[i] != '/') return std::nullopt;
      ++i;
    }
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < max_digits[k]) {
      parts[k] = parts[k] * 10 + (text[i] - '0');
      ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  char d8[16];
  snprintf(d8, sizeof d8, "%04d%02d%02d", parts[0], parts[1], parts[2]);
  store::Date d;
  if (!store::ParseDate8(d8, &d.year, &d.month, &d.day)) return std::nullopt;
  return d;
}

std::string FormatSelectionDate(const store::Date& d) {
  return std::to_string(d.year) + "/" + std::to_string(d.month) + "/" + std::to_string(d.day);
}

void PushHistory(std::vector<std::string>& history, const std::string& text) {
  constexpr size_t kMax = 20;
  const std::string key = sjis::ToLowerKeepLength(text);
  std::erase_if(history, [&](const std::string& h) { return sjis::ToLowerKeepLength(h) == key; });
  history.insert(history.begin(), text);
  if (history.size() > kMax) history.resize(kMax);
}

const PageOrder& OrderOfCode(int code) {
  for (const PageOrder& o : kPageOrders)
    if (o.code == code) return o;
  return kPageOrders[0];
}

const PageOrder& OrderOfTag(std::string_view tag) {
  for (const PageOrder& o : kPageOrders)
    if (o.tag == tag) return o;
  return kPageOrders[0];
}

}  // namespace sk::browse
