#include "search/page_search.h"

#include <gtest/gtest.h>

#include "store/page_file.h"
#include "store/test_util.h"

namespace sk::search {
namespace {

using store::Table;
using store::test::Page;

class PageSearchTest : public store::test::TempDirTest {
 protected:
  // Pages 1-5: titles c a b d e (title order 2 3 1 4 5); "XX" in the text of pages 2, 3 and 5.
  void SetUp() override {
    TempDirTest::SetUp();
    path_ = Path("p.dbf");
    store::test::MakePageFile(path_, {{"k", "c", "", "20240101", "alpha", "", ""},
                                      {"k", "a", "", "20240102", "beta XX", "", ""},
                                      {"m", "b", "", "20240103", "gamma XX", "", ""},
                                      {"k", "d", "", "20240104", "delta", "", ""},
                                      {"k", "e", "", "20240105", "XX", "", ""}});
    ASSERT_TRUE(t_.Open(path_, store::PageFileOptions()).ok());
  }

  // Each page with a hit, as record number and hit position, walking from where the cursor
  // stands until nothing more is found.
  std::vector<std::pair<int, size_t>> Walk(const std::string& input, bool forward,
                                           SearchFields fields = SearchFields::kText) {
    const SearchStrings s = SetKensakuMojiList(input, false);
    std::vector<std::pair<int, size_t>> hits;
    PageWalk walk;
    walk.forward = forward;
    for (int i = 0; i < 10; ++i) {
      PageWalkResult r;
      Status st = ScanPages(t_, s, fields, walk, &r);
      EXPECT_TRUE(st.ok()) << st.message();
      if (!r.hit.found()) {
        EXPECT_TRUE(forward ? t_.Eof() : t_.Bof());
        break;
      }
      hits.push_back({t_.RecNo(), r.hit.position});
      walk.step_first = true;
    }
    return hits;
  }

  std::string path_;
  Table t_;
};

using Hits = std::vector<std::pair<int, size_t>>;

TEST_F(PageSearchTest, WalksForwardAndBackward) {
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("xx", true), (Hits{{2, 5}, {3, 6}, {5, 0}}));
  ASSERT_TRUE(t_.Last().ok());
  EXPECT_EQ(Walk("xx", false), (Hits{{5, 0}, {3, 6}, {2, 5}}));
  // A continued search leaves the current page even when it has a hit.
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(t_.Next().ok());
  PageWalk walk;
  walk.step_first = true;
  PageWalkResult r;
  ASSERT_TRUE(ScanPages(t_, SetKensakuMojiList("xx", false), SearchFields::kText, walk, &r).ok());
  EXPECT_EQ(t_.RecNo(), 3);
  EXPECT_EQ(r.pages, 1u);
  // Nothing found: every page scanned, the cursor past the end.
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(
      ScanPages(t_, SetKensakuMojiList("zz", false), SearchFields::kText, PageWalk{}, &r).ok());
  EXPECT_FALSE(r.hit.found());
  EXPECT_EQ(r.pages, 5u);
  EXPECT_TRUE(t_.Eof());
}

TEST_F(PageSearchTest, FollowsTheOrderAndTheSelection) {
  ASSERT_TRUE(t_.SetIndexName("T").ok());
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("xx|alpha", true), (Hits{{2, 5}, {3, 6}, {1, 0}, {5, 0}}));

  ASSERT_TRUE(t_.SetIndexName("").ok());
  t_.SetFilter([](const Table& x) { return x.FieldString("BUNRUI") == "k"; });
  ASSERT_TRUE(t_.SetFiltered(true).ok());
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("xx", true), (Hits{{2, 5}, {5, 0}}));
  ASSERT_TRUE(t_.SetFiltered(false).ok());

  // A deleted page is passed over.
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(t_.Next().ok());
  ASSERT_TRUE(t_.Delete().ok());
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("xx", true), (Hits{{3, 6}, {5, 0}}));
}

TEST_F(PageSearchTest, SearchedFields) {
  ASSERT_TRUE(t_.Close().ok());
  store::test::MakePageFile(path_, {{"cat", "ab", "cd", "", "body", "img_01.jpg;X.png", ""},
                                    {"cat", "", "", "", "", "", ""}});
  ASSERT_TRUE(t_.Open(path_, store::PageFileOptions()).ok());
  ASSERT_TRUE(t_.First().ok());
  const std::pair<SearchFields, std::string> cases[] = {
      {SearchFields::kText, "body"},
      {SearchFields::kTitle, "ab"},
      {SearchFields::kSubtitle, "cd"},
      {SearchFields::kImage, "img_01.jpg;X.png"},
      {SearchFields::kAll,
       "ab\x01"
       "cd\x01img_01.jpg;X.png\x01"
       "body"},
  };
  std::string text = "old";
  for (const auto& [fields, want] : cases) {
    ASSERT_TRUE(PageSearchText(t_, fields, &text).ok());
    EXPECT_EQ(text, want);
  }
  ASSERT_TRUE(t_.Next().ok());
  ASSERT_TRUE(PageSearchText(t_, SearchFields::kAll, &text).ok());
  EXPECT_EQ(text, "\x01\x01\x01");

  // No hit spans two fields; the image names are searched without case.
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("bc", true, SearchFields::kAll), Hits{});
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("dimg", true, SearchFields::kAll), Hits{});
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("IMG|x.PNG", true, SearchFields::kImage), (Hits{{1, 0}}));
  ASSERT_TRUE(t_.First().ok());
  EXPECT_EQ(Walk("ab", true, SearchFields::kSubtitle), Hits{});
}

TEST_F(PageSearchTest, ProgressCanCancel) {
  ASSERT_TRUE(t_.Close().ok());
  ASSERT_TRUE(store::CreatePageFile(path_).ok());
  Table::OpenOptions bulk = store::PageFileOptions();
  bulk.bulk = true;  // no sync per page
  ASSERT_TRUE(t_.Open(path_, bulk).ok());
  for (int i = 1; i <= 600; ++i)
    ASSERT_TRUE(
        store::test::AppendPage(t_, Page{"k", "t", "", "", i == 600 ? "found" : "text", "", ""})
            .ok());
  ASSERT_TRUE(t_.Close().ok());
  ASSERT_TRUE(t_.Open(path_, store::PageFileOptions()).ok());
  const SearchStrings s = SetKensakuMojiList("found", false);

  std::vector<std::pair<uint32_t, uint32_t>> calls;
  PageWalk walk;
  walk.progress = [&](uint32_t done, uint32_t total) {
    calls.push_back({done, total});
    return true;
  };
  PageWalkResult r;
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(ScanPages(t_, s, SearchFields::kText, walk, &r).ok());
  EXPECT_TRUE(r.hit.found());
  EXPECT_EQ(r.pages, 600u);
  EXPECT_EQ(t_.RecNo(), 600);
  EXPECT_EQ(calls,
            (std::vector<std::pair<uint32_t, uint32_t>>{{1, 600}, {257, 600}, {513, 600}}));

  walk.progress = [](uint32_t, uint32_t) { return false; };
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(ScanPages(t_, s, SearchFields::kText, walk, &r).ok());
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.hit.found());
  EXPECT_EQ(r.pages, 1u);
  EXPECT_EQ(t_.RecNo(), 1);
}

TEST_F(PageSearchTest, EmptyTableAndEmptyInput) {
  PageWalkResult r;
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(
      ScanPages(t_, SetKensakuMojiList("|", false), SearchFields::kText, PageWalk{}, &r).ok());
  EXPECT_FALSE(r.hit.found());
  EXPECT_TRUE(t_.Eof());

  ASSERT_TRUE(t_.Close().ok());
  store::test::MakePageFile(path_, {});
  ASSERT_TRUE(t_.Open(path_, store::PageFileOptions()).ok());
  ASSERT_TRUE(t_.First().ok());
  ASSERT_TRUE(
      ScanPages(t_, SetKensakuMojiList("a", false), SearchFields::kText, PageWalk{}, &r).ok());
  EXPECT_FALSE(r.hit.found());
  EXPECT_EQ(r.pages, 0u);
}

}  // namespace
}  // namespace sk::search
