#include "browse/page_history.h"

#include <gtest/gtest.h>

#include <set>

namespace sk::browse {
namespace {

std::vector<int> Entries(const PageHistory& h) {
  std::vector<int> v;
  for (int i = 0; i < h.count(); ++i) v.push_back(h.at(i));
  return v;
}

TEST(PageHistoryTest, RecordsDropTheForwardPartAndTheOldest) {
  PageHistory h;
  for (int i = 1; i <= 130; ++i) h.Record(i, false);
  EXPECT_EQ(h.count(), 100);
  EXPECT_EQ(h.pos(), 99);
  EXPECT_EQ(h.at(0), 31);
  EXPECT_EQ(h.at(99), 130);
  // The same page twice in a row is one entry.
  h.Record(130, false);
  EXPECT_EQ(h.count(), 100);

  PageHistory g;
  for (int p : {1, 5, 9}) g.Record(p, false);
  auto all = [](int) { return true; };
  EXPECT_TRUE(g.Back(all));
  EXPECT_EQ(g.at(g.pos()), 5);
  g.Record(5, true);  // leaving 5 while stepping back changes nothing
  EXPECT_EQ(g.count(), 3);
  g.Record(5, false);  // leaving it for an ordinary move drops the forward part
  EXPECT_EQ(Entries(g), (std::vector<int>{1, 5}));
  EXPECT_FALSE(g.CanForward());
}

TEST(PageHistoryTest, StepsPassOverPagesThatCannotBeShown) {
  struct Case {
    std::vector<int> entries;
    int pos;
    bool back;
    std::set<int> gone;
    std::vector<int> left;
    int shown;  // -1: none could be shown
  } cases[] = {
      {{1, 2, 3, 4}, 3, true, {3}, {1, 2, 4}, 2},     {{1, 2, 3, 4}, 3, true, {1, 2, 3}, {4}, 4},
      {{1, 2, 3, 4}, 3, true, {1, 2, 3, 4}, {}, -1},  {{1, 2, 3, 4}, 0, false, {2, 3}, {1, 4}, 4},
      {{1, 2, 3, 4}, 1, false, {3, 4}, {1, 2}, 2},    {{1, 2, 3, 4}, 1, false, {2, 3, 4}, {1}, 1},
      {{1, 2, 3, 4}, 1, false, {1, 2, 3, 4}, {}, -1},
  };
  for (const Case& c : cases) {
    PageHistory h;
    for (int p : c.entries) h.Record(p, false);
    auto ok = [](int) { return true; };
    while (h.pos() > c.pos) h.Back(ok);
    auto go = [&](int p) { return c.gone.count(p) == 0; };
    EXPECT_TRUE(c.back ? h.Back(go) : h.Forward(go));
    EXPECT_EQ(Entries(h), c.left);
    EXPECT_EQ(h.pos() < 0 ? -1 : h.at(h.pos()), c.shown);
  }
}

TEST(PageHistoryTest, RemovingTheCurrentEntryKeepsThePositionInRange) {
  PageHistory h;
  for (int p : {1, 2, 3}) h.Record(p, false);
  h.RemoveCurrent();
  EXPECT_EQ(Entries(h), (std::vector<int>{1, 2}));
  EXPECT_EQ(h.pos(), 1);
  h.RemoveCurrent();
  h.RemoveCurrent();
  EXPECT_EQ(h.pos(), -1);
  EXPECT_FALSE(h.CanBack());
}

TEST(PagePositionListTest, KeepsThe200NewestPages) {
  PagePositionList l;
  for (int i = 1; i <= 250; ++i) l.Remember({i, i * 2, 1, 0});
  EXPECT_EQ(l.entries().size(), 200u);
  EXPECT_EQ(l.Find(50), nullptr);
  ASSERT_NE(l.Find(51), nullptr);
  l.Remember({51, 7, 0, 2});
  EXPECT_EQ(*l.Find(51), (PagePosition{51, 7, 0, 2}));
  EXPECT_EQ(l.entries().size(), 200u);
}

// Slimming renumbers the pages: entries follow their pages, pages that are gone drop out, and
// the position stays on the same page.
TEST(PageHistoryTest, RenumberFollowsThePages) {
  PageHistory h;
  for (int n : {6, 2, 4, 2, 5}) h.Record(n, false);
  ASSERT_TRUE(h.Back([](int) { return true; }));  // on the second visit of page 2
  ASSERT_TRUE(h.Back([](int) { return true; }));  // on page 4
  // Pages 2 and 5 deleted: 1->1, 3->2, 4->3, 6->4.
  auto map = [](int n) { return std::array<int, 7>{0, 1, 0, 2, 3, 0, 4}[size_t(n)]; };
  h.Renumber(map);
  ASSERT_EQ(h.count(), 2);
  EXPECT_EQ(h.at(0), 4);
  EXPECT_EQ(h.at(1), 3);
  EXPECT_EQ(h.pos(), 1);
  EXPECT_EQ(h.at(h.pos()), 3);  // page 4 is now page 3

  PagePositionList list;
  list.Remember({6, 1, 2, 0});
  list.Remember({5, 3, 4, 0});
  list.Remember({4, 5, 6, 1});
  list.Renumber(map);
  ASSERT_EQ(list.entries().size(), 2u);
  EXPECT_EQ(list.Find(4)->sel_start, 1);
  EXPECT_EQ(list.Find(3)->image_num, 1);
  EXPECT_EQ(list.Find(6), nullptr);
}

}  // namespace
}  // namespace sk::browse
