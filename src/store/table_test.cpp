#include "store/table.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include "store/check.h"
#include "store/file_io.h"
#include "store/maintenance.h"
#include "store/page_file.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

using test::J;
using test::Page;

// Six pages chosen so that every order differs; titles 1-3 and 5 share a key under UPPER().
std::vector<Page> SixPages() {
  return {
      {J("日記"), "Beta", "x", "20240131", "text one\r\n", "", ""},
      {"memo", "alpha", "y", "", "", "img2", ""},
      {J("日記"), "ALPHA", "x", "20230101", "", "", "A"},
      {"memo", "\xB1", "", "20240101", "", "", ""},
      {"", "alpha", "z", "20230101", J("本文"), "", ""},
      {"memo", J("あ"), "x", "20221231", "", "", ""},
  };
}

class TableTest : public test::TempDirTest {
 protected:
  std::string MakeSix() {
    std::string p = Path("six.dbf");
    test::MakePageFile(p, SixPages());
    return p;
  }
  void OpenOk(Table& t, const std::string& path) {
    Status st = t.Open(path, PageFileOptions());
    ASSERT_TRUE(st.ok()) << st.message();
  }
};

class TableCursor : public TableTest {};
class TableEdit : public TableTest {};
class TableFiles : public TableTest {};

// Checks every cursor move over a set that should visit `want` in this order.
void ExpectCursor(Table& t, const std::vector<int>& want) {
  ASSERT_TRUE(t.First().ok());
  if (want.empty()) {
    EXPECT_TRUE(t.Bof() && t.Eof());
    EXPECT_EQ(t.RecNo(), 0);
    ASSERT_TRUE(t.Next().ok());
    EXPECT_TRUE(t.Bof() && t.Eof());
    ASSERT_TRUE(t.Last().ok());
    EXPECT_TRUE(t.Bof() && t.Eof());
    ASSERT_TRUE(t.MoveBy(-3).ok());
    EXPECT_EQ(t.RecNo(), 0);
    return;
  }
  EXPECT_TRUE(t.Bof());
  EXPECT_FALSE(t.Eof());
  std::vector<int> got;
  for (int guard = 0; guard < 100; ++guard) {
    got.push_back(t.RecNo());
    ASSERT_TRUE(t.Next().ok());
    if (t.Eof()) break;
    EXPECT_FALSE(t.Bof());
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(t.RecNo(), want.back()) << "Next on the last record stays there";

  ASSERT_TRUE(t.Last().ok());
  EXPECT_TRUE(t.Eof());
  got.clear();
  for (int guard = 0; guard < 100; ++guard) {
    got.push_back(t.RecNo());
    ASSERT_TRUE(t.Prior().ok());
    if (t.Bof()) break;
    EXPECT_FALSE(t.Eof());
  }
  std::reverse(got.begin(), got.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(t.RecNo(), want.front()) << "Prior on the first record stays there";

  ASSERT_TRUE(t.MoveBy(2).ok());
  EXPECT_EQ(t.RecNo(), want[std::min<size_t>(2, want.size() - 1)]);
  ASSERT_TRUE(t.MoveBy(100).ok());
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecNo(), want.back());
  ASSERT_TRUE(t.MoveBy(-100).ok());
  EXPECT_TRUE(t.Bof());
  EXPECT_EQ(t.RecNo(), want.front());
}

TEST_F(TableCursor, OrdersFiltersAndGaps) {
  auto memo_only = [](const Table& t) { return t.FieldString("BUNRUI") == "memo"; };
  auto none = [](const Table&) { return false; };
  struct Case {
    const char* name;
    int records;  // the first n of SixPages
    std::string order;
    std::vector<int> deleted;
    Table::Filter filter;
    std::vector<int> want;
  } cases[] = {
      {"physical", 6, "", {}, nullptr, {1, 2, 3, 4, 5, 6}},
      {"physical with gaps", 6, "", {2, 5, 6}, nullptr, {1, 3, 4}},
      {"title: equal keys by record number", 6, "T", {}, nullptr, {2, 3, 5, 1, 6, 4}},
      {"date: blank first", 6, "D", {3}, nullptr, {2, 6, 5, 4, 1}},
      {"category+title", 6, "BT", {}, nullptr, {5, 2, 6, 4, 3, 1}},
      {"subtitle+date", 6, "SD", {}, nullptr, {4, 6, 3, 1, 2, 5}},
      {"filter in tag order", 6, "BT", {}, memo_only, {2, 6, 4}},
      {"filter in physical order with gaps", 6, "", {2}, memo_only, {4, 6}},
      {"single record", 1, "TS", {}, nullptr, {1}},
      {"fully filtered", 6, "", {}, none, {}},
      {"fully filtered in tag order", 6, "T", {}, none, {}},
      {"all deleted", 6, "T", {1, 2, 3, 4, 5, 6}, nullptr, {}},
      {"all deleted physical", 3, "", {1, 2, 3}, nullptr, {}},
      {"empty table", 0, "", {}, nullptr, {}},
      {"empty table in tag order", 0, "D", {}, nullptr, {}},
  };
  // The filter asked as the cursor goes, and its answers marked beforehand in one pass.
  for (bool marked : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (marked ? " (marked)" : ""));
      std::string path = Path(std::string(c.name) + ".dbf");
      auto pages = SixPages();
      pages.resize(size_t(c.records));
      test::MakePageFile(path, pages);
      Table t;
      OpenOk(t, path);
      for (int r : c.deleted) {
        ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(r)).ok());
        ASSERT_TRUE(t.Delete().ok());
      }
      ASSERT_TRUE(t.SetIndexName(c.order).ok());
      if (c.filter) {
        t.SetFilter(c.filter);
        if (marked) {
          ASSERT_TRUE(t.MarkFiltered().ok());
        }
        ASSERT_TRUE(t.SetFiltered(true).ok());
      }
      ExpectCursor(t, c.want);
      ASSERT_TRUE(t.Close().ok());
      EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
    }
  }
}

// With marks the cursor never asks the filter; a record written, added or deleted (with the
// filter on or off) gets its mark again; a cancelled pass changes nothing.  Many marked records
// are walked in the tag, few through their sorted keys.
TEST_F(TableCursor, FilterMarksFollowWrites) {
  for (int spread : {7, 50}) {
    SCOPED_TRACE("one record in " + std::to_string(spread));
    std::vector<Page> pages;
    for (int i = 0; i < 600; ++i)  // 150-byte records: several cross a 32 KB chunk
      pages.push_back(
          {"c" + std::to_string(i % spread), "t" + std::to_string(1000 - i), "", "", "", "", ""});
    std::string path = Path("marks" + std::to_string(spread) + ".dbf");
    test::MakePageFile(path, pages);
    Table t;
    OpenOk(t, path);
    int calls = 0;
    t.SetFilter([&](const Table& x) {
      ++calls;
      return x.FieldString("BUNRUI") == "c0";
    });
    std::vector<int> want;
    for (int r = 1; r <= 600; ++r)
      if ((r - 1) % spread == 0) want.push_back(r);
    auto title_order = [&](std::vector<int> v) {  // titles fall as record numbers rise
      std::sort(v.begin(), v.end(),
                [](int a, int b) { return std::to_string(1001 - a) < std::to_string(1001 - b); });
      return v;
    };
    auto walk_both_ways = [&] {
      std::vector<int> v = test::WalkRecNos(t);
      std::vector<int> back;
      EXPECT_TRUE(t.Last().ok());
      while (!t.Bof() && back.size() < 1000) {
        back.insert(back.begin(), t.RecNo());
        EXPECT_TRUE(t.Prior().ok());
      }
      EXPECT_EQ(back, v);
      return v;
    };

    // A cancelled pass: no marks, the filter off, the cursor where it was.
    ASSERT_TRUE(t.GotoBookmark(5).ok());
    bool cancelled = false;
    ASSERT_TRUE(t.MarkFiltered([](uint32_t, uint32_t) { return false; }, &cancelled).ok());
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(t.HasMarks());
    EXPECT_FALSE(t.Filtered());
    EXPECT_EQ(t.RecNo(), 5);

    uint32_t last_done = 0, total = 0;
    ASSERT_TRUE(t.MarkFiltered(
                     [&](uint32_t done, uint32_t all) {
                       EXPECT_GE(done, last_done);
                       last_done = done, total = all;
                       return true;
                     },
                     &cancelled)
                    .ok());
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(last_done, 600u);
    EXPECT_EQ(total, 600u);
    EXPECT_EQ(t.MarkedCount(), want.size());
    EXPECT_EQ(t.RecNo(), 5);
    ASSERT_TRUE(t.SetFiltered(true).ok());
    calls = 0;
    EXPECT_EQ(walk_both_ways(), want);
    ASSERT_TRUE(t.SetIndexName("T").ok());
    EXPECT_EQ(walk_both_ways(), title_order(want));
    EXPECT_EQ(calls, 0) << "the cursor asked the filter";

    auto rewrite = [&](int r, const char* bunrui) {
      ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(r)).ok());
      ASSERT_TRUE(t.Edit().ok());
      ASSERT_TRUE(t.SetFieldString("BUNRUI", bunrui).ok());
      ASSERT_TRUE(t.Post().ok());
    };
    const std::vector<int> ordered = title_order(want);
    const size_t mid = ordered.size() / 2;
    const int out = ordered[mid], gone = ordered[mid + 2];
    rewrite(out, "x");
    // Steps from a record that has just left the selection land on its neighbours.
    ASSERT_TRUE(t.Next().ok());
    EXPECT_EQ(t.RecNo(), ordered[mid + 1]);
    ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(out)).ok());
    ASSERT_TRUE(t.Prior().ok());
    EXPECT_EQ(t.RecNo(), ordered[mid - 1]);
    rewrite(2, "c0");  // in
    ASSERT_TRUE(t.SetFiltered(false).ok());
    rewrite(3, "c0");  // in, while the filter is off
    ASSERT_TRUE(t.Append().ok());
    ASSERT_TRUE(t.SetFieldString("BUNRUI", "c0").ok());
    ASSERT_TRUE(t.SetFieldString("TITLE", "t400").ok());
    ASSERT_TRUE(t.Post().ok());  // record 601, in
    ASSERT_TRUE(t.SetFiltered(true).ok());
    ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(gone)).ok());
    ASSERT_TRUE(t.Delete().ok());
    std::erase(want, out);
    std::erase(want, gone);
    want.insert(want.begin() + 1, {2, 3});
    want.push_back(601);
    EXPECT_EQ(t.MarkedCount(), want.size());
    calls = 0;
    ASSERT_TRUE(t.SetIndexName("").ok());
    EXPECT_EQ(walk_both_ways(), want);
    ASSERT_TRUE(t.SetIndexName("T").ok());
    EXPECT_EQ(walk_both_ways(), title_order(want));
    EXPECT_EQ(calls, 0);

    // A selected page given another title takes its new place in the order at once.
    ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(601)).ok());
    ASSERT_TRUE(t.Edit().ok());
    ASSERT_TRUE(t.SetFieldString("TITLE", "t0").ok());  // from t400 to the very front
    ASSERT_TRUE(t.Post().ok());
    std::vector<int> retitled = title_order(want);
    std::erase(retitled, 601);
    retitled.insert(retitled.begin(), 601);
    calls = 0;
    EXPECT_EQ(walk_both_ways(), retitled);
    EXPECT_EQ(calls, 0);

    // Nothing marked: the ends are known without walking, and a new filter drops the marks.
    t.SetFilter([&](const Table&) { return ++calls < 0; });
    EXPECT_FALSE(t.HasMarks());
    ASSERT_TRUE(t.MarkFiltered().ok());
    EXPECT_EQ(t.MarkedCount(), 0u);
    calls = 0;
    for (const char* order : {"", "T"}) {
      ASSERT_TRUE(t.SetIndexName(order).ok());
      ASSERT_TRUE(t.Last().ok());
      EXPECT_TRUE(t.IsEmpty());
      ASSERT_TRUE(t.First().ok());
      EXPECT_TRUE(t.Bof() && t.Eof());
    }
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(t.Close().ok());
    EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
  }
}

TEST_F(TableCursor, DeleteMovesToNextElsePrevious) {
  struct Case {
    std::string order;
    int del;
    int then;  // the current record afterwards
  } cases[] = {
      {"", 3, 4}, {"", 6, 5}, {"T", 3, 5}, {"T", 4, 6}, {"D", 1, 4}, {"D", 2, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order + " delete " + std::to_string(c.del));
    std::string copy = Path("del" + c.order + std::to_string(c.del) + ".dbf");
    test::MakePageFile(copy, SixPages());
    Table t;
    OpenOk(t, copy);
    ASSERT_TRUE(t.SetIndexName(c.order).ok());
    ASSERT_TRUE(t.GotoBookmark(Table::Bookmark(c.del)).ok());
    ASSERT_TRUE(t.Delete().ok());
    EXPECT_EQ(t.RecNo(), c.then);
    EXPECT_FALSE(t.Eof() || t.Bof());
    EXPECT_FALSE(t.GotoBookmark(Table::Bookmark(c.del)).ok());
    ASSERT_TRUE(t.Close().ok());
    EXPECT_EQ(CheckTableFiles(copy), std::vector<std::string>{});
  }
}

TEST_F(TableEdit, AppendRecNoAndUnmodifiedDrop) {
  std::string path = MakeSix();
  Table t;
  OpenOk(t, path);
  ASSERT_TRUE(t.SetIndexName("T").ok());
  ASSERT_TRUE(t.Last().ok());
  // An unmodified new record is dropped when the cursor moves.
  ASSERT_TRUE(t.Append().ok());
  EXPECT_EQ(t.RecNo(), -1);
  ASSERT_TRUE(t.First().ok());
  EXPECT_EQ(t.RecordCount(), 6u);
  EXPECT_EQ(t.RecNo(), 2);
  // A modified one is written by the move and gets the next physical number.
  ASSERT_TRUE(t.Append().ok());
  EXPECT_EQ(t.RecNo(), -1);
  ASSERT_TRUE(t.SetFieldString("TITLE", "ALPHA").ok());
  ASSERT_TRUE(t.Next().ok());
  EXPECT_EQ(t.RecordCount(), 7u);
  EXPECT_EQ(t.RecNo(), 1);  // title order is now 2 3 5 7 1 6 4
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
}

TEST_F(TableEdit, ImplicitWrite) {
  struct Case {
    const char* name;
    std::function<Status(Table&)> action;
  } cases[] = {
      {"Next", [](Table& t) { return t.Next(); }},
      {"Prior", [](Table& t) { return t.Prior(); }},
      {"MoveBy", [](Table& t) { return t.MoveBy(2); }},
      {"First", [](Table& t) { return t.First(); }},
      {"SetIndexName same", [](Table& t) { return t.SetIndexName(t.IndexName()); }},
      {"SetIndexName other", [](Table& t) { return t.SetIndexName("D"); }},
      {"SetFiltered same", [](Table& t) { return t.SetFiltered(t.Filtered()); }},
      {"GotoBookmark", [](Table& t) { return t.GotoBookmark(1); }},
      {"Close", [](Table& t) { return t.Close(); }},
  };
  for (const auto& c : cases) {
    for (bool append : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (append ? " after Append" : " after Edit"));
      std::string path = Path("w.dbf");
      test::MakePageFile(path, SixPages());
      Table t;
      OpenOk(t, path);
      ASSERT_TRUE(t.SetIndexName("T").ok());
      ASSERT_TRUE(t.GotoBookmark(3).ok());
      ASSERT_TRUE(append ? t.Append().ok() : t.Edit().ok());
      ASSERT_TRUE(t.SetFieldString("TITLE", "changed").ok());
      ASSERT_TRUE(t.SetFieldString("TEXT", "new text").ok());
      ASSERT_TRUE(c.action(t).ok());
      if (t.is_open()) {
        EXPECT_EQ(t.state(), Table::State::kBrowse);
        t.Cancel();  // would drop an edit that was not written
        ASSERT_TRUE(t.Close().ok());
      }
      OpenOk(t, path);
      ASSERT_TRUE(t.GotoBookmark(append ? 7 : 3).ok());
      EXPECT_EQ(t.FieldString("TITLE"), "changed");
      EXPECT_EQ(t.FieldString("TEXT"), "new text");
      EXPECT_EQ(t.RecordCount(), append ? 7u : 6u);
      ASSERT_TRUE(t.Close().ok());
      EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
    }
  }
}

TEST_F(TableCursor, OrderSwitchKeepsRecordAndBookmarks) {
  Table t;
  OpenOk(t, MakeSix());
  ASSERT_TRUE(t.GotoBookmark(3).ok());
  ASSERT_TRUE(t.SetIndexName("T").ok());
  EXPECT_EQ(t.IndexName(), "T");
  EXPECT_EQ(t.RecNo(), 3);
  ASSERT_TRUE(t.Next().ok());
  EXPECT_EQ(t.RecNo(), 5);
  ASSERT_TRUE(t.SetIndexName("").ok());
  EXPECT_EQ(t.RecNo(), 5);
  ASSERT_TRUE(t.Next().ok());
  EXPECT_EQ(t.RecNo(), 6);
  ASSERT_TRUE(t.SetIndexName("D").ok());
  Table::Bookmark b = t.GetBookmark();
  ASSERT_TRUE(t.Last().ok());
  EXPECT_EQ(t.RecNo(), 1);
  ASSERT_TRUE(t.GotoBookmark(b).ok());
  t.FreeBookmark(b);
  EXPECT_EQ(t.RecNo(), 6);
  ASSERT_TRUE(t.Next().ok());
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_FALSE(t.SetIndexName("NOPE").ok());
  EXPECT_FALSE(t.GotoBookmark(99).ok());
  // Filtering out the current record moves to the next accepted one.
  t.SetFilter([](const Table& x) { return x.FieldString("DATE") != "20230101"; });
  ASSERT_TRUE(t.SetFiltered(true).ok());
  EXPECT_EQ(t.RecNo(), 4);
}

TEST_F(TableEdit, FieldsCutBlankDatesAndLongMemos) {
  std::string path = Path("f.dbf");
  ASSERT_TRUE(CreatePageFile(path).ok());
  Table t;
  OpenOk(t, path);
  // An empty table: First gives EOF and Edit starts a new record.
  EXPECT_TRUE(t.Eof());
  ASSERT_TRUE(t.Edit().ok());
  EXPECT_EQ(t.RecNo(), -1);
  const std::string a = J("あ");
  struct Cut {
    const char* field;
    std::string value, stored;
  } cuts[] = {
      {"TITLE", "a" + std::string(50, 'b'), "a" + std::string(49, 'b')},
      {"TITLE",
       [&] {
         std::string s = "a";
         for (int i = 0; i < 25; ++i) s += a;
         return s;
       }(),
       [&] {
         std::string s = "a";
         for (int i = 0; i < 24; ++i) s += a;
         return s;
       }()},
      {"BUNRUI", std::string(19, 'x') + a, std::string(19, 'x')},
      {"SUBTITLE", "  lead kept, trail cut   ", "  lead kept, trail cut"},
      {"KEY", a, ""},
  };
  for (const auto& c : cuts) {
    SCOPED_TRACE(c.field);
    ASSERT_TRUE(t.SetFieldString(c.field, c.value).ok());
    EXPECT_EQ(t.FieldString(c.field), c.stored);
  }
  EXPECT_FALSE(t.SetFieldString("DATE", "20230230").ok());
  EXPECT_FALSE(t.SetFieldString("NOPE", "x").ok());
  ASSERT_TRUE(t.SetFieldDate("DATE", std::nullopt).ok());
  std::string big;
  for (int i = 0; big.size() < 100 * 1024; ++i) big += J("行") + std::to_string(i) + "\r\n";
  ASSERT_TRUE(t.SetFieldString("TEXT", big).ok());
  ASSERT_TRUE(t.SetFieldString("IMAGEFILE", "a.jpg\r\n").ok());
  ASSERT_TRUE(t.Post().ok());
  // A second record with a date, then reopen.
  ASSERT_TRUE(t.Append().ok());
  ASSERT_TRUE(t.SetFieldDate("DATE", Date{2024, 2, 29}).ok());
  ASSERT_TRUE(t.Close().ok());

  OpenOk(t, path);
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_EQ(t.FieldString("DATE"), "");
  EXPECT_EQ(t.FieldDate("DATE"), std::nullopt);
  EXPECT_EQ(t.FieldString("TEXT"), big);
  EXPECT_EQ(t.FieldString("IMAGEFILE"), "a.jpg\r\n");
  EXPECT_EQ(t.FieldString("TITLE"), cuts[1].stored);
  EXPECT_EQ(t.FieldString("KEY"), "");
  ASSERT_TRUE(t.Next().ok());
  EXPECT_EQ(t.FieldDate("DATE"), (Date{2024, 2, 29}));
  EXPECT_EQ(t.FieldString("TEXT"), "");
  // A changed memo goes to new blocks: the old text stays readable at its old block.
  ASSERT_TRUE(t.First().ok());
  std::string before = test::ReadBytes(SiblingPath(path, "dbt")).substr(512, 4096);
  ASSERT_TRUE(t.Edit().ok());
  ASSERT_TRUE(t.SetFieldString("TEXT", "short").ok());
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(test::ReadBytes(SiblingPath(path, "dbt")).substr(512, 4096), before);
  OpenOk(t, path);
  EXPECT_EQ(t.FieldString("TEXT"), "short");
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
}

TEST_F(TableFiles, Dbase3Memos) {
  // A dBASE III table: memos without a header, each ended by 1A 1A.
  std::vector<FieldDef> fields = {{"TITLE", 'C', 10}, {"TEXT", 'M', 10}};
  fields[1].offset = 10;
  std::string path = Path("old.dbf");
  std::string dbt(512, '\0');
  dbt[16] = 0x03;
  auto add_memo = [&](const std::string& text) {
    uint32_t block = uint32_t(dbt.size() / 512);
    dbt += text + "\x1A\x1A";
    dbt.resize((dbt.size() + 511) / 512 * 512, '\0');
    char ptr[16];
    snprintf(ptr, sizeof ptr, "%10u", block);
    return std::string(ptr);
  };
  const std::string across = std::string(4095, 'x');  // end mark across a 4 KiB read step
  const std::string memos[] = {"hello\r\nworld", std::string(700, 'y') + "\x1A" + "z", across};
  std::string recs;
  for (int i = 0; i < 3; ++i)
    recs += " " + std::string("title" + std::to_string(i)).append(4, ' ') + add_memo(memos[i]);
  recs += " nomemo" + std::string(14, ' ');
  recs += "\x1A";
  uint32_t next = uint32_t(dbt.size() / 512);
  Put32(reinterpret_cast<unsigned char*>(dbt.data()), next);
  test::WriteBytes(path, BuildDbfHeader(0x83, fields, false, 4) + recs);
  test::WriteBytes(Path("old.dbt"), dbt);

  Table t;
  Status st = t.Open(path);
  ASSERT_TRUE(st.ok()) << st.message();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.FieldString("TEXT"), memos[i]) << i;
    ASSERT_TRUE(t.Next().ok());
  }
  EXPECT_EQ(t.FieldString("TITLE"), "nomemo");
  EXPECT_EQ(t.FieldString("TEXT"), "");
  // Written back in its own form.
  ASSERT_TRUE(t.Edit().ok());
  ASSERT_TRUE(t.SetFieldString("TEXT", "added").ok());
  ASSERT_TRUE(t.Close().ok());
  std::string d = test::ReadBytes(Path("old.dbt"));
  EXPECT_EQ(d.substr(size_t(next) * 512, 7), "added\x1A\x1A");
  ASSERT_TRUE(t.Open(path).ok());
  ASSERT_TRUE(t.Last().ok());
  EXPECT_EQ(t.FieldString("TEXT"), "added");
  ASSERT_TRUE(t.First().ok());
  EXPECT_EQ(t.FieldString("TEXT"), memos[0]);
}

TEST_F(TableFiles, BatchCopyAddIndexAndRename) {
  std::string path = MakeSix();
  Table src;
  OpenOk(src, path);
  ASSERT_TRUE(src.SetIndexName("T").ok());
  src.SetFilter([](const Table& t) { return t.FieldString("BUNRUI") != "memo"; });
  ASSERT_TRUE(src.SetFiltered(true).ok());
  ASSERT_TRUE(src.GotoBookmark(5).ok());
  std::string copy = Path("copy.dbf");
  int n = 0;
  ASSERT_TRUE(BatchCopy(src, copy, BatchMode::kCopy, &n).ok());
  EXPECT_EQ(n, 3);
  EXPECT_EQ(src.RecNo(), 5);
  EXPECT_FALSE(std::filesystem::exists(Path("copy.mdx")));
  const auto pages = SixPages();
  {
    Table t;
    ASSERT_TRUE(t.Open(copy).ok());
    EXPECT_TRUE(t.TagNames().empty());
    std::vector<Page> got;
    ASSERT_TRUE(t.First().ok());
    while (!t.Eof()) {
      got.push_back(test::ReadPage(t));
      ASSERT_TRUE(t.Next().ok());
    }
    EXPECT_EQ(got, (std::vector<Page>{pages[2], pages[4], pages[0]}));
  }
  // Append mode: all six (unfiltered, physical) after the three.
  ASSERT_TRUE(src.SetFiltered(false).ok());
  ASSERT_TRUE(src.SetIndexName("").ok());
  ASSERT_TRUE(BatchCopy(src, copy, BatchMode::kAppend, &n).ok());
  EXPECT_EQ(n, 6);
  ASSERT_TRUE(src.Close().ok());

  ASSERT_TRUE(AddIndex(copy).ok());
  Table t;
  OpenOk(t, copy);
  EXPECT_EQ(t.TakeNotices(), std::vector<std::string>{});
  EXPECT_EQ(t.TagNames(),
            (std::vector<std::string>{"T", "S", "D", "BT", "BS", "BD", "TS", "TD", "SD", "B"}));
  EXPECT_EQ(t.FirstTagExpression(), "UPPER(TITLE)");
  EXPECT_EQ(t.RecordCount(), 9u);
  ASSERT_TRUE(t.SetIndexName("D").ok());
  EXPECT_EQ(test::WalkRecNos(t), (std::vector<int>{5, 9, 1, 2, 6, 8, 7, 3, 4}));
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(CheckTableFiles(copy), std::vector<std::string>{});

  // Rename moves all three files; the renamed file opens clean.
  std::string renamed = Path("renamed.dbf");
  ASSERT_TRUE(RenamePageFile(copy, renamed).ok());
  for (const char* gone : {"copy.dbf", "copy.dbt", "copy.mdx"})
    EXPECT_FALSE(std::filesystem::exists(Path(gone))) << gone;
  for (const char* there : {"renamed.dbf", "renamed.dbt", "renamed.mdx"})
    EXPECT_TRUE(std::filesystem::exists(Path(there))) << there;
  OpenOk(t, renamed);
  EXPECT_EQ(t.TakeNotices(), std::vector<std::string>{});
  ASSERT_TRUE(t.SetIndexName("T").ok());
  EXPECT_EQ(test::WalkRecNos(t).size(), 9u);
  ASSERT_TRUE(t.Close().ok());
  EXPECT_EQ(CheckTableFiles(renamed), std::vector<std::string>{});
  EXPECT_EQ(test::ReadBytes(Path("renamed.dbt")).substr(8, 8), "renamed ");
}

TEST_F(TableFiles, BatchAppendIntoOpenPageFile) {
  // The open page file takes every page of another in its page-number order; its tags stay
  // current and the cursor stands on the last page taken.
  std::string main_path = MakeSix();
  std::string other = Path("other.dbf");
  const auto pages = SixPages();
  test::MakePageFile(other, {pages[3], pages[1], pages[5]});
  Table main_table, sub;
  OpenOk(main_table, main_path);
  ASSERT_TRUE(main_table.SetIndexName("T").ok());
  OpenOk(sub, other);
  int n = 0;
  ASSERT_TRUE(BatchAppend(sub, main_table, &n).ok());
  EXPECT_EQ(n, 3);
  EXPECT_EQ(main_table.RecNo(), 9);
  EXPECT_EQ(test::ReadPage(main_table), pages[5]);
  ASSERT_TRUE(main_table.SetIndexName("").ok());
  ASSERT_TRUE(main_table.Last().ok());
  EXPECT_EQ(main_table.RecNo(), 9);
  ASSERT_TRUE(main_table.Prior().ok());
  EXPECT_EQ(test::ReadPage(main_table), pages[1]);
  ASSERT_TRUE(sub.Close().ok());
  ASSERT_TRUE(main_table.Close().ok());
  EXPECT_EQ(CheckTableFiles(main_path), std::vector<std::string>{});
}

TEST_F(TableFiles, OpenIsExclusive) {
  std::string path = MakeSix();
  Table t;
  OpenOk(t, path);
  Table second;
  EXPECT_FALSE(second.Open(path, PageFileOptions()).ok());
  EXPECT_FALSE(second.Open(path, PageFileOptions(true)).ok());
  EXPECT_FALSE(CheckTableFiles(path).empty());
  // Nor can a new page file replace it, or a rename take it away.
  std::string before = test::ReadBytes(path);
  EXPECT_FALSE(CreatePageFile(path).ok());
  EXPECT_EQ(test::ReadBytes(path), before);
  EXPECT_FALSE(RenamePageFile(path, Path("moved.dbf")).ok());
  EXPECT_TRUE(std::filesystem::exists(path));
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    Table child;
    _exit(child.Open(path, PageFileOptions()).ok() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child opened a file held by its parent";
  EXPECT_EQ(t.RecNo(), 1);  // the failed opens left the first table as it was
  ASSERT_TRUE(t.Close().ok());
  EXPECT_TRUE(second.Open(path, PageFileOptions()).ok());
  EXPECT_FALSE(Table().Open(Path("missing.dbf")).ok());
}

TEST_F(TableFiles, IndexRebuiltAtOpen) {
  struct Case {
    const char* name;
    std::function<void(const std::string& mdx, const std::string& dbf)> spoil;
  } cases[] = {
      {"older than the table",
       [](const std::string& mdx, const std::string& dbf) {
         std::filesystem::last_write_time(
             mdx, std::filesystem::last_write_time(dbf) - std::chrono::seconds(10));
       }},
      {"missing", [](const std::string& mdx, const std::string&) { std::filesystem::remove(mdx); }},
      {"being-written marker set",
       [](const std::string& mdx, const std::string&) { test::Patch(mdx, 52, "\x01"); }},
      {"record count behind the table",
       [](const std::string& mdx, const std::string&) {
         test::Patch(mdx, 56, std::string("\x02\0\0\0", 4));
       }},
      {"not a production index",
       [](const std::string& mdx, const std::string&) { test::WriteBytes(mdx, "garbage"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = MakeSix();
    std::string mdx = SiblingPath(path, "mdx");
    c.spoil(mdx, path);
    std::string dbf_before = test::ReadBytes(path);
    Table t;
    OpenOk(t, path);
    auto notices = t.TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("six.mdx"), std::string::npos) << notices[0];
    EXPECT_TRUE(t.TakeNotices().empty());
    ASSERT_TRUE(t.SetIndexName("T").ok());
    EXPECT_EQ(test::WalkRecNos(t), (std::vector<int>{2, 3, 5, 1, 6, 4}));
    ASSERT_TRUE(t.Close().ok());
    EXPECT_EQ(test::ReadBytes(path), dbf_before);
    EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
    OpenOk(t, path);
    EXPECT_TRUE(t.TakeNotices().empty());
    ASSERT_TRUE(t.Close().ok());
  }
}

// A record that crosses a 4 KB page of the file can be cut by a kill between the pages; its
// write goes through the journal, and the next writable open finishes it.
TEST_F(TableFiles, RecordWriteCutAtAPageIsFinishedFromTheJournal) {
  constexpr uint32_t kHeader = 257, kRecLen = 150, kCrossing = 26;  // bytes 4007..4156
  const uint64_t off = kHeader + uint64_t(kCrossing - 1) * kRecLen;
  ASSERT_NE(off / 4096, (off + kRecLen - 1) / 4096);
  struct Case {
    const char* name;
    std::function<std::string(const std::string& entry)> journal;
    bool finished;
  } cases[] = {
      {"whole entry", [](const std::string& e) { return e; }, true},
      {"entry cut short", [](const std::string& e) { return e.substr(0, e.size() - 5); }, false},
      {"entry spoilt",
       [](const std::string& e) {
         std::string x = e;
         x[40] ^= 0x55;
         return x;
       },
       false},
      {"empty", [](const std::string&) { return std::string(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = Path(std::string("torn_") + std::to_string(&c - cases) + ".dbf");
    std::vector<test::Page> pages;
    for (int i = 0; i < 30; ++i)
      pages.push_back({"b", "title" + std::to_string(i), "s", "20240101", "t", "", ""});
    test::MakePageFile(path, pages);
    std::string dbf = test::ReadBytes(path);
    std::string old_rec = dbf.substr(off, kRecLen);
    std::string new_rec = old_rec;
    new_rec.replace(1 + 20, 9, "NEW TITLE");  // in the first page
    new_rec.replace(1 + 120, 8, "20991231");  // DATE, in the second page
    // Killed inside the index's being-written bracket: with a whole journal entry, after the
    // first page of the record was written; with a spoilt one, while writing the journal.
    test::WriteBytes(JournalPath(path), c.journal(EncodeJournal(off, new_rec)));
    size_t first_part = 4096 - off % 4096;
    std::string torn = new_rec.substr(0, first_part) + old_rec.substr(first_part);
    if (c.finished) test::Patch(path, off, torn);
    test::Patch(SiblingPath(path, "mdx"), 52, "\x01");

    Table t;
    OpenOk(t, path);
    EXPECT_FALSE(std::filesystem::exists(JournalPath(path)));
    ASSERT_TRUE(t.GotoBookmark(kCrossing).ok());
    EXPECT_EQ(t.FieldString("DATE"), c.finished ? "20991231" : "20240101");
    EXPECT_EQ(test::ReadBytes(path).substr(off, kRecLen), c.finished ? new_rec : old_rec);
    EXPECT_EQ(t.TakeNotices().size(), c.finished ? 2u : 1u);  // the record, the index
    ASSERT_TRUE(t.Close().ok());
    EXPECT_EQ(CheckTableFiles(path), std::vector<std::string>{});
  }

  // An ordinary write of that record leaves no journal behind.
  std::string path = Path("torn_0.dbf");
  Table t;
  OpenOk(t, path);
  ASSERT_TRUE(t.GotoBookmark(kCrossing).ok());
  ASSERT_TRUE(t.Edit().ok());
  ASSERT_TRUE(t.SetFieldString("TITLE", "again").ok());
  ASSERT_TRUE(t.Post().ok());
  EXPECT_TRUE(std::filesystem::exists(JournalPath(path)));             // kept open while in use
  EXPECT_EQ(test::ReadBytes(JournalPath(path)).substr(0, 4), "SKJ0");  // its entry done
  ASSERT_TRUE(t.Close().ok());
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path)));
  OpenOk(t, path);
  ASSERT_TRUE(t.GotoBookmark(kCrossing).ok());
  EXPECT_EQ(t.FieldString("TITLE"), "again");
  ASSERT_TRUE(t.Close().ok());
}

}  // namespace
}  // namespace sk::store
