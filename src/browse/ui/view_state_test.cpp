// The view of a page file kept across closing and opening it in the window: page, text selection,
// display order and page selection.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>

#include "app/ui/test_window.h"
#include "browse/ui/date_range_input_box.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "store/test_util.h"

namespace sk::browse {
namespace {

using store::test::Page;

// n pages: category "A" on even pages, "B" on odd ones; titles fall as page numbers rise, so title
// order is the reverse of page-number order; page i is dated 2001/1/i.
std::vector<Page> Pages(int n) {
  std::vector<Page> v;
  for (int i = 1; i <= n; ++i) {
    char date[16];
    snprintf(date, sizeof date, "200101%02d", i);
    v.push_back(Page{i % 2 ? "B" : "A", "t" + std::to_string(100 - i), "", date,
                     "text of page " + std::to_string(i), "", ""});
  }
  return v;
}

class ViewStateWindowTest : public app::test::MainFormTest {
 protected:
  app::TSDIAppForm& Open(int pages) {
    path_ = Path("view.dbf");
    store::test::MakePageFile(path_.toStdString(), Pages(pages));
    return Start({path_});
  }
  app::TSDIAppForm& Reopen() {
    Stop();
    return Start({path_});
  }
  int Rec() { return form_->session().table().RecNo(); }
  void Go(int n) {
    ASSERT_TRUE(NavOf().GotoRecNo(n)) << n;
    NavOf().AfterMove(true, true);
  }
  std::string CheckedOrder() {
    std::string items;
    for (const PageOrder& o : kPageOrders)
      if (form_->Action(o.item)->isChecked()) items += std::string(o.item) + " ";
    return items;
  }

  QString path_;
};

TEST_F(ViewStateWindowTest, PageOrderSelectionAndTextSelectionComeBack) {
  app::TSDIAppForm& f = Open(20);
  SelectorOf().ReOrder(1);
  PageSelection sel;
  sel.BunruiSelectMode = true;
  sel.SelBunruiList = {"A"};
  sel.SelBunruiNumList = {"0"};
  sel.DateSelectMode = true;
  sel.SelEndDate = {2001, 1, 14};
  SelectorOf().ApplySelection(sel);
  Go(12);
  f.TextMemo->SetSelStart(5);
  f.TextMemo->SetSelLength(4);
  // A dialog filled in and cancelled changes nothing, even though its boxes keep what was typed.
  prompter_.dialogs.push_back([](QDialog& d) {
    auto& box = static_cast<TDateRangeInputBox&>(d);
    box.FromDateEdit->setText("2001/1/1");
    box.ToDateEdit->setText("2001/1/3");
    return false;
  });
  Trigger("SelectRecordItem");
  ASSERT_EQ(Rec(), 12);

  app::TSDIAppForm& g = Reopen();
  EXPECT_EQ(Rec(), 12);
  EXPECT_EQ(g.TitleEdit->text(), "t88");
  EXPECT_EQ(g.session().table().IndexName(), "T");
  EXPECT_EQ(CheckedOrder(), "TOrderItem ");
  EXPECT_TRUE(g.session().table().Filtered());
  EXPECT_TRUE(g.session().table().HasMarks()) << "steps in title order would read records to test them";
  EXPECT_EQ(SelectorOf().selection().SelBunruiList, std::vector<std::string>{"A"});
  EXPECT_EQ(SelectorOf().selection().SelBunruiNumList, std::vector<std::string>{"0"});
  EXPECT_EQ(g.TextMemo->SelStart(), 5);
  EXPECT_EQ(g.TextMemo->SelLength(), 4);
  EXPECT_EQ(VisitAll(), (std::vector<int>{14, 12, 10, 8, 6, 4, 2}));
}

TEST_F(ViewStateWindowTest, ANewPageNotYetWrittenIsWrittenAndShownAgain) {
  app::TSDIAppForm& f = Open(5);
  SelectorOf().ReOrder(1);
  PageSelection sel;
  sel.TitleSelectMode = true;
  sel.SelTitle = "t";
  SelectorOf().ApplySelection(sel);
  ASSERT_TRUE(f.session().table().Append().ok());
  NavOf().AfterMove(true, true);
  f.TitleEdit->setText("t new");
  app::TSDIAppForm& g = Reopen();
  EXPECT_EQ(Rec(), 6);
  EXPECT_EQ(g.TitleEdit->text(), "t new");
  EXPECT_EQ(g.session().table().IndexName(), "T");
  EXPECT_TRUE(g.session().table().Filtered());
}

TEST_F(ViewStateWindowTest, APageEditedOutOfTheSelectionOpensWithTheSelectionOff) {
  app::TSDIAppForm& f = Open(5);
  PageSelection sel;
  sel.TitleSelectMode = true;
  sel.SelTitle = "t";
  SelectorOf().ApplySelection(sel);
  Go(2);
  f.TitleEdit->setText("gone");
  app::TSDIAppForm& g = Reopen();
  EXPECT_FALSE(g.session().table().Filtered());
  EXPECT_EQ(Rec(), 2);
  EXPECT_EQ(g.TitleEdit->text(), "gone");
  EXPECT_EQ(VisitAll(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(ViewStateWindowTest, AFileOpenedForTheFirstTimeStartsPlain) {
  app::TSDIAppForm& f = Open(5);
  SelectorOf().ReOrder(1);
  PageSelection sel;
  sel.TitleSelectMode = true;
  sel.SelTitle = "t9";
  SelectorOf().ApplySelection(sel);
  Go(3);
  QString other = Path("other.dbf");
  store::test::MakePageFile(other.toStdString(), Pages(4));
  prompter_.files.push_back(other);
  Trigger("OpenItem");
  ASSERT_EQ(f.session().Path(), other);
  EXPECT_EQ(Rec(), 1);
  EXPECT_EQ(f.session().table().IndexName(), "");
  EXPECT_EQ(CheckedOrder(), "PageOrderItem ");
  EXPECT_FALSE(f.session().table().Filtered());
  EXPECT_FALSE(SelectorOf().selection().AnyActive());
  EXPECT_TRUE(SelectorOf().dialog().SelectAllRadioButton->isChecked());
  EXPECT_TRUE(SelectorOf().dialog().FromDateEdit->text().isEmpty());
}

TEST_F(ViewStateWindowTest, SaveKeepsThePageAndTheOrder) {
  app::TSDIAppForm& f = Open(6);
  Trigger("TOrderItem");
  Go(4);
  Trigger("SaveItem");
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(Rec(), 4);
  EXPECT_EQ(f.session().table().IndexName(), "T");
  EXPECT_EQ(CheckedOrder(), "TOrderItem ");
  Trigger("NextItem");
  EXPECT_EQ(Rec(), 3);
}

TEST_F(ViewStateWindowTest, StoredViewsThatNoLongerFit) {
  struct Case {
    const char* name;
    std::function<void(settings::SettingsStore&)> stored;
    int page;
    bool filtered;
    const char* order;
  } cases[] = {
      {"a selection that selects nothing: off, last page",
       [](settings::SettingsStore& s) {
         s.WriteBool("Filtered", true), s.WriteBool("TitleSelectMode", true);
         s.WriteString("SelTitle", "zzz"), s.WriteInteger("RecNo", 3);
       },
       5, false, "PageOrderItem "},
      {"a page outside the selection: the last selected page",
       [](settings::SettingsStore& s) {
         s.WriteBool("Filtered", true), s.WriteBool("BunruiSelectMode", true);
         s.WriteString("SelBunruiList", "a\r\n"), s.WriteInteger("RecNo", 3);
         s.WriteString("IndexName", "t");
       },
       2, true, "TOrderItem "},
      {"a page that is not there", [](settings::SettingsStore& s) { s.WriteInteger("RecNo", 99); },
       1, false, "PageOrderItem "},
      {"an order the file lacks",
       [](settings::SettingsStore& s) {
         s.WriteString("IndexName", "NOSUCH"), s.WriteInteger("RecNo", 2);
       },
       2, false, "PageOrderItem "},
  };
  path_ = Path("view.dbf");
  store::test::MakePageFile(path_.toStdString(), Pages(5));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      settings::SettingsStore s = Store();
      s.OpenKey(settings::PerFileKeyPath("view.dbf"), true);
      for (const char* flag : {"Filtered", "BunruiSelectMode", "TitleSelectMode"})
        s.WriteBool(flag, false);
      s.WriteString("IndexName", "");
      c.stored(s);
      s.CloseKey();
      ASSERT_TRUE(s.Sync().ok());
    }
    app::TSDIAppForm& f = Start({path_});
    EXPECT_EQ(Rec(), c.page);
    EXPECT_EQ(f.session().table().Filtered(), c.filtered);
    EXPECT_EQ(CheckedOrder(), c.order);
    EXPECT_TRUE(prompter_.shown.empty()) << prompter_.shown.front().toStdString();
    Stop();
  }
}

}  // namespace
}  // namespace sk::browse
