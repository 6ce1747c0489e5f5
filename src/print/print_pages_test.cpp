#include "print/print_pages.h"

#include <gtest/gtest.h>

#include "browse/page_selection.h"
#include "store/test_util.h"

namespace sk::print {
namespace {

using store::test::J;

class PrintPagesTest : public store::test::TempDirTest {
 protected:
  // Pages 1-6 titled f a e b d c, categories x y x x y x; page 3 has two lines and pictures.
  void SetUp() override {
    TempDirTest::SetUp();
    store::test::MakePageFile(
        Path("p.dbf"), {{"x", "f", "", "20240101", "", "", ""},
                        {"y", "a", "", "20240102", "", "", ""},
                        {"x", "e", J("副題"), "20240103", J("一行目\r\n二行目\r\n"), "a.jpg;b", ""},
                        {"x", "b", "", "20240104", "", "", ""},
                        {"y", "d", "", "", "", "", ""},
                        {"x", "c", "", "20240106", "", "", ""}});
    ASSERT_TRUE(t_.Open(Path("p.dbf"), store::PageFileOptions()).ok());
  }

  // Title order, category x only: b c e f (records 4 6 3 1).
  void SelectXInTitleOrder() {
    browse::PageSelection sel;
    sel.BunruiSelectMode = true;
    sel.SelBunruiList = {"x"};
    t_.SetFilter(browse::MakeSelectionFilter(sel, t_));
    ASSERT_TRUE(t_.SetFiltered(true).ok());
    ASSERT_TRUE(t_.SetIndexName("T").ok());
  }

  // The titles of the pages collected, the cursor checked to be back where it was.
  std::string Titles(const exchange::ExportRange& r, const store::Table::Progress& progress = {},
                     bool* cancelled = nullptr) {
    const int before = t_.RecNo();
    std::vector<PrintPage> pages;
    bool stopped = false;
    Status st = CollectPrintPages(t_, r, progress, &pages, &stopped);
    EXPECT_TRUE(st.ok()) << st.message();
    EXPECT_EQ(t_.RecNo(), before);
    if (cancelled) *cancelled = stopped;
    std::string s;
    for (const PrintPage& p : pages) s += p.title + " ";
    return s;
  }

  store::Table t_;
};

TEST_F(PrintPagesTest, RangesInTheDisplayOrderAndSelection) {
  SelectXInTitleOrder();
  ASSERT_TRUE(t_.Last().ok());  // f: all pages start at the first whatever page is current
  EXPECT_EQ(Titles({true, 1, false}), "b c e f ");
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(t_.Next().ok());  // c
  EXPECT_EQ(Titles({false, 2, false}), "c e ");
  EXPECT_EQ(Titles({false, 9, false}), "c e f ");  // fewer at the end
  EXPECT_EQ(Titles({false, 0, false}), "");
  EXPECT_EQ(Titles({false, -3, false}), "");
  // Without a selection, in page-number order.
  ASSERT_TRUE(t_.SetFiltered(false).ok());
  ASSERT_TRUE(t_.SetIndexName("").ok());
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Titles({true, 1, false}), "f a e b d c ");
}

TEST_F(PrintPagesTest, FieldsAsTheFileKeepsThem) {
  ASSERT_TRUE(t_.GotoBookmark(3).ok());
  std::vector<PrintPage> pages;
  bool cancelled = true;
  ASSERT_TRUE(CollectPrintPages(t_, {false, 2, false}, {}, &pages, &cancelled).ok());
  EXPECT_FALSE(cancelled);
  ASSERT_EQ(pages.size(), 2u);
  const PrintPage& p = pages[0];
  EXPECT_EQ(p.category, "x");
  EXPECT_EQ(p.subtitle, J("副題"));
  EXPECT_EQ(p.date, "20240103");
  EXPECT_EQ(p.text, J("一行目\r\n二行目\r\n"));
  EXPECT_EQ(p.image_files, "a.jpg;b");
  EXPECT_EQ(pages[1].title, "b");
}

TEST_F(PrintPagesTest, ACancelStopsTheWalkAndPutsTheCursorBack) {
  ASSERT_TRUE(t_.GotoBookmark(5).ok());
  int calls = 0;
  bool cancelled = false;
  EXPECT_EQ(Titles(
                {true, 1, false},
                [&](uint32_t done, uint32_t total) {
                  ++calls;
                  EXPECT_EQ(done, 1u);
                  EXPECT_EQ(total, 6u);
                  return false;
                },
                &cancelled),
            "f ");
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(calls, 1);
}

// The page count box: a whole number, 1 when it holds no number.
TEST(PrintRangeOf, FromTheSettings) {
  PrintSettings s;
  EXPECT_TRUE(PrintRangeOf(s).all);
  s.AllPage = false;
  for (auto [text, count] : {std::pair{"3", 3}, {"3.7", 3}, {"abc", 1}, {"", 1}, {"0", 0}}) {
    s.PageCount = text;
    EXPECT_FALSE(PrintRangeOf(s).all);
    EXPECT_EQ(PrintRangeOf(s).count, count) << text;
  }
}

}  // namespace
}  // namespace sk::print
