#include "search/date_find.h"

#include <gtest/gtest.h>

#include "store/page_file.h"
#include "store/test_util.h"

namespace sk::search {
namespace {

using store::test::Page;

class DateFindTest : public store::test::TempDirTest {};

TEST_F(DateFindTest, LandsOnTheDayOrTheLastPageBeforeIt) {
  // Record numbers: 1 blank date, 2 2003/2/1, 3 2003/3/1 (deleted), 4 2003/5/1, 5 2003/5/1,
  // 6 2004/2/29.
  std::string path = Path("d.dbf");
  std::vector<Page> pages;
  for (const char* d : {"", "20030201", "20030301", "20030501", "20030501", "20040229"})
    pages.push_back(Page{"", "", "", d, "", "", ""});
  store::test::MakePageFile(path, pages);
  store::Table t;
  ASSERT_TRUE(t.Open(path, store::PageFileOptions()).ok());
  ASSERT_TRUE(t.GotoBookmark(3).ok());
  ASSERT_TRUE(t.Delete().ok());
  ASSERT_TRUE(t.SetIndexName("D").ok());
  struct Case {
    store::Date target;
    int recno;
  } cases[] = {
      {{2003, 5, 1}, 4}, {{2003, 3, 1}, 2}, {{2003, 4, 30}, 2}, {{2004, 2, 29}, 6},
      {{2005, 1, 1}, 6}, {{2003, 2, 1}, 2}, {{2003, 1, 1}, 1},  {{1900, 1, 1}, 1},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(MoveToDate(t, c.target).ok());
    EXPECT_EQ(t.RecNo(), c.recno) << c.target.year << "/" << c.target.month << "/" << c.target.day;
  }
  // A filter hides the page that would be found: the next visible one counts.
  t.SetFilter([](const store::Table& r) { return r.RecNo() != 4 && r.RecNo() != 5; });
  ASSERT_TRUE(t.SetFiltered(true).ok());
  ASSERT_TRUE(MoveToDate(t, {2003, 5, 1}).ok());
  EXPECT_EQ(t.RecNo(), 2);
  // Physical order has no date order to search.
  ASSERT_TRUE(t.SetIndexName("").ok());
  EXPECT_FALSE(MoveToDate(t, {2003, 5, 1}).ok());
}

}  // namespace
}  // namespace sk::search
