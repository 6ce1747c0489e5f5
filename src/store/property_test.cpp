// A seeded random run of table operations against a plain in-memory model of the pages and of
// the cursor.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <set>

#include "convert/sjis.h"
#include "store/check.h"
#include "store/page_file.h"
#include "store/table.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

using test::J;
using test::Page;

const char* const kOrders[] = {"", "SD", "TD", "BD", "S", "T", "B", "D", "BT", "BS", "TS"};

// The field as stored and read back: cut to its width on a character boundary, no trailing
// spaces.
std::string Stored(const std::string& v, size_t width) {
  std::string s = v.substr(0, sjis::CutLength(v, width));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// UPPER() of a field padded to its width: half-width a-z only, double-byte characters kept.
std::string Up(const std::string& v, size_t width) {
  std::string r;
  for (size_t i = 0; i < v.size();) {
    auto c = static_cast<unsigned char>(v[i]);
    if (sjis::IsLeadByte(c) && i + 1 < v.size() &&
        sjis::IsTrailByte(static_cast<unsigned char>(v[i + 1]))) {
      r += v.substr(i, 2);
      i += 2;
    } else {
      r += char(c >= 'a' && c <= 'z' ? c - 32 : c);
      ++i;
    }
  }
  r.resize(width, ' ');
  return r;
}

std::string ModelKey(const std::string& order, const Page& p) {
  std::string k;
  if (order == "D") return p.date;  // blank ("") first
  for (char c : order) {
    if (c == 'B') k += Up(p.bunrui, 20);
    if (c == 'T') k += Up(p.title, 50);
    if (c == 'S') k += Up(p.subtitle, 50);
    if (c == 'D') k += p.date.empty() ? std::string(8, ' ') : p.date;
  }
  return k;
}

class Model {
 public:
  void SetOrder(const std::string& order) {
    order_ = order;
    sorted_.clear();
    for (const auto& [r, p] : pages_) sorted_.insert({ModelKey(order_, p), r});
  }
  void Put(uint32_t r, const Page& p) {
    auto it = pages_.find(r);
    if (it != pages_.end()) sorted_.erase({ModelKey(order_, it->second), r});
    pages_[r] = p;
    sorted_.insert({ModelKey(order_, p), r});
  }
  // Removes the current record; the cursor goes to the next one, else the one before.
  void Delete() {
    auto it = Find();
    auto next = std::next(it);
    uint32_t to = next != sorted_.end()   ? next->second
                  : it != sorted_.begin() ? std::prev(it)->second
                                          : 0;
    sorted_.erase(it);
    pages_.erase(cur);
    cur = to;
  }
  void First() { cur = sorted_.empty() ? 0 : sorted_.begin()->second; }
  void Last() { cur = sorted_.empty() ? 0 : sorted_.rbegin()->second; }
  void Next() {
    if (cur == 0) return;
    auto it = std::next(Find());
    if (it != sorted_.end()) cur = it->second;
  }
  void Prior() {
    if (cur == 0) return;
    auto it = Find();
    if (it != sorted_.begin()) cur = std::prev(it)->second;
  }
  std::vector<int> Walk() const {
    std::vector<int> v;
    for (const auto& e : sorted_) v.push_back(int(e.second));
    return v;
  }
  const Page& Current() const { return pages_.at(cur); }
  const std::map<uint32_t, Page>& pages() const { return pages_; }

  uint32_t cur = 0;
  uint32_t count = 0;

 private:
  std::set<std::pair<std::string, uint32_t>>::iterator Find() {
    return sorted_.find({ModelKey(order_, pages_.at(cur)), cur});
  }
  std::string order_;
  std::map<uint32_t, Page> pages_;
  std::set<std::pair<std::string, uint32_t>> sorted_;
};

class TableProperty : public test::TempDirTest {};

TEST_F(TableProperty, RandomOperationsMatchModel) {
  std::mt19937 rng(20240131);
  auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
  auto chance = [&](int percent) { return int(rng() % 100) < percent; };
  std::string a26;
  for (int i = 0; i < 26; ++i) a26 += J("あ");
  const std::vector<std::string> titles = {
      "alpha",   "ALPHA",     "Alpha",         "beta",
      J("日記"), J("日記帳"), J("ソース表示"), "\xB1\xB2\xB3",
      "",        a26,         "a" + a26,       "mixed " + J("漢字") + " z",
      "x"};
  const std::vector<std::string> bunrui = {"",        "memo",    "MEMO",
                                           J("日記"), J("仕事"), std::string(19, 'c') + J("い")};
  const std::vector<std::string> subs = {"", "x", "X", J("著者"), "source " + J("ソ"), a26};
  const std::vector<std::string> dates = {"20240131", "20230101", "19991231", "20240229",
                                          "20000101"};
  const std::vector<std::string> words = {"word ", J("言葉"), "\r\n", J("ソ表"), "\xB1", "z"};
  auto memo = [&]() {
    if (chance(50)) return std::string();
    size_t n = chance(5) ? 6000 : rng() % 800;
    std::string s;
    while (s.size() < n) s += pick(words);
    return s;
  };
  auto random_page = [&]() {
    Page p{pick(bunrui), pick(titles), pick(subs), chance(40) ? "" : pick(dates),
           memo(),       memo(),       ""};
    if (chance(30)) p.key = EncodeKey({true, chance(50), int(rng() % 7) - 2, chance(50)});
    return p;
  };
  auto stored = [](Page p) {
    p.bunrui = Stored(p.bunrui, 20);
    p.title = Stored(p.title, 50);
    p.subtitle = Stored(p.subtitle, 50);
    return p;
  };

  const std::string path = Path("prop.dbf");
  ASSERT_TRUE(CreatePageFile(path).ok());
  Table t;
  ASSERT_TRUE(t.Open(path, PageFileOptions()).ok());
  Model m;
  m.SetOrder("");
  auto ok = [](const Status& st) { ASSERT_TRUE(st.ok()) << st.message(); };

  for (int op = 0; op < 10000; ++op) {
    SCOPED_TRACE("operation " + std::to_string(op));
    int kind = int(rng() % 100);
    if (kind < 25) {  // append, written by Post or by the next move
      Page p = random_page();
      ok(t.Append());
      ok(test::SetPage(t, p));
      m.Put(++m.count, stored(p));
      m.cur = m.count;
      int how = int(rng() % 3);
      if (how == 0) ok(t.Post());
      if (how == 1) {
        ok(t.Next());
        m.Next();
      }
      if (how == 2) ok(t.SetIndexName(t.IndexName()));
    } else if (kind < 27) {  // an unmodified new record is dropped
      ok(t.Append());
      ok(t.Prior());
      m.Prior();
    } else if (kind < 45 && m.cur != 0) {  // edit some fields
      Page p = m.Current();
      Page fresh = random_page();
      ok(t.Edit());
      for (int f = 0, n = 1 + int(rng() % 3); f < n; ++f) {
        static const std::pair<const char*, std::string Page::*> kFields[] = {
            {"BUNRUI", &Page::bunrui}, {"TITLE", &Page::title}, {"SUBTITLE", &Page::subtitle},
            {"DATE", &Page::date},     {"TEXT", &Page::text},   {"IMAGEFILE", &Page::image}};
        const auto& [name, member] = kFields[rng() % 6];
        p.*member = fresh.*member;
        ok(t.SetFieldString(name, p.*member));
      }
      m.Put(m.cur, stored(p));
      int how = int(rng() % 3);
      if (how == 0) ok(t.Post());
      if (how == 1) ok(t.SetFiltered(false));
      if (how == 2) {
        ok(t.Prior());
        m.Prior();
      }
    } else if (kind < 53 && m.cur != 0) {
      ok(t.Delete());
      m.Delete();
    } else if (kind < 58) {
      std::string order = kOrders[rng() % std::size(kOrders)];
      ok(t.SetIndexName(order));
      m.SetOrder(order);
    } else {  // walks
      int n = 1 + int(rng() % 5);
      switch (rng() % 5) {
        case 0:
          for (int i = 0; i < n; ++i) {
            ok(t.Next());
            m.Next();
          }
          break;
        case 1:
          for (int i = 0; i < n; ++i) {
            ok(t.Prior());
            m.Prior();
          }
          break;
        case 2:
          ok(t.First());
          m.First();
          break;
        case 3:
          ok(t.Last());
          m.Last();
          break;
        case 4:
          ok(t.MoveBy(n - 3));
          for (int i = 0; i < n - 3; ++i) m.Next();
          for (int i = 0; i > n - 3; --i) m.Prior();
          break;
      }
    }
    if (HasFatalFailure()) return;
    ASSERT_EQ(t.RecNo(), int(m.cur));
    if (op % 97 == 0 && m.cur != 0) {
      EXPECT_EQ(test::ReadPage(t), m.Current());
    }
    if (op % 300 == 299) {
      ASSERT_EQ(test::WalkRecNos(t), m.Walk()) << "order " << t.IndexName();
      m.Last();
      ASSERT_EQ(t.RecNo(), int(m.cur));
    }
  }
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});

  ok(t.Open(path, PageFileOptions()));
  EXPECT_TRUE(t.TakeNotices().empty());
  EXPECT_EQ(t.RecordCount(), m.count);
  for (const char* order : kOrders) {
    ok(t.SetIndexName(order));
    m.SetOrder(order);
    EXPECT_EQ(test::WalkRecNos(t), m.Walk()) << "order " << order;
  }
  ok(t.SetIndexName(""));
  ok(t.First());
  for (const auto& [r, p] : m.pages()) {
    ASSERT_EQ(t.RecNo(), int(r));
    EXPECT_EQ(test::ReadPage(t), p) << "record " << r;
    ok(t.Next());
  }
  EXPECT_TRUE(t.Eof());
}

}  // namespace
}  // namespace sk::store
