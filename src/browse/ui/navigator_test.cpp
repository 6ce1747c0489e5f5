// Moving between pages in the window: the commands through their actions, the page history, the
// header fields, adding and deleting pages, the page list, the selection and the display orders.
#include "browse/ui/navigator.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <map>

#include "app/ui/test_window.h"
#include "browse/ui/add_page_form.h"
#include "browse/ui/page_list_form.h"
#include "browse/ui/page_selector.h"
#include "store/page_file.h"
#include "store/test_util.h"

namespace sk::browse {
namespace {

using app::test::J;
using store::test::Page;

// Six pages, 2 and 4 deleted; titles t1..t6, dated 2001/1/n.
std::vector<Page> Pages(int n) {
  std::vector<Page> v;
  for (int i = 1; i <= n; ++i)
    v.push_back(Page{J("日記"), "t" + std::to_string(i), "",
                     "200101" + std::string(i < 10 ? "0" : "") + std::to_string(i),
                     "text " + std::to_string(i), "", ""});
  return v;
}

class NavigatorTest : public app::test::MainFormTest {
 protected:
  // A page file of these pages with some deleted, opened in the window.
  app::TSDIAppForm& OpenPages(const std::vector<Page>& pages, std::vector<int> deleted = {}) {
    path_ = Path("nav.dbf");
    store::test::MakePageFile(path_.toStdString(), pages);
    if (!deleted.empty()) {
      store::Table t;
      EXPECT_TRUE(t.Open(path_.toStdString(), store::PageFileOptions()).ok());
      for (int r : deleted) {
        EXPECT_TRUE(t.GotoBookmark(store::Table::Bookmark(r)).ok());
        EXPECT_TRUE(t.Delete().ok());
      }
      EXPECT_TRUE(t.Close().ok());
    }
    return Start({path_});
  }
  int Rec() { return form_->session().table().RecNo(); }
  void Go(int n) {
    ASSERT_TRUE(NavOf().GotoRecNo(n)) << n;
    NavOf().AfterMove(true, true);
  }
  int Messages() {
    int n = 0;
    for (const QString& s : prompter_.shown) n += s.startsWith("お知らせ|");
    return n;
  }
  QString LastShown() { return prompter_.shown.empty() ? QString() : prompter_.shown.back(); }
  void Select(const std::function<void(PageSelection&)>& fn) {
    PageSelection s;
    fn(s);
    SelectorOf().ApplySelection(s);
  }

  QString path_;
};

TEST_F(NavigatorTest, StepsOverGapsAndStopsAtTheEnds) {
  app::TSDIAppForm& f = OpenPages(Pages(6), {2, 4});
  struct Case {
    int from;
    const char* item;
    int to;
  } cases[] = {
      {1, "NextItem", 3},     {3, "NextItem", 5},  {6, "NextItem", 6}, {3, "PriorItem", 1},
      {1, "PriorItem", 1},    {5, "FirstItem", 1}, {1, "LastItem", 6}, {1, "TenNextItem", 6},
      {6, "TenPriorItem", 1}, {6, "LastItem", 6},
  };
  for (const Case& c : cases) {
    Go(c.from);
    f.StatusPanels[2]->setText("x");
    Trigger(c.item);
    EXPECT_EQ(Rec(), c.to) << c.item << " from " << c.from;
    EXPECT_EQ(f.RecNoLabel->text(), QString::number(c.to) + " ");
    EXPECT_EQ(f.TitleEdit->text().toStdString(), "t" + std::to_string(c.to));
    // A command that cannot move does not show the page again.
    EXPECT_EQ(f.StatusPanels[2]->text().isEmpty(), c.from != c.to) << c.item << " from " << c.from;
  }
  EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(NavigatorTest, SkipWithFewerPagesThanTheCountLandsOnTheLast) {
  OpenPages(Pages(5));
  ASSERT_EQ(form_->conf().MiddleSkipPageCount, 10);
  Trigger("TenNextItem");
  EXPECT_EQ(Rec(), 5);
}

TEST_F(NavigatorTest, JumpToAPageNumber) {
  app::TSDIAppForm& f = OpenPages(Pages(6), {2});
  struct Case {
    std::optional<QString> input;
    int to;
    const char* message;  // "" none
  } cases[] = {
      {"5", 5, ""},
      {" 3 ", 3, ""},
      {"2", 3, "2ページは現在選択されていないので，表示できません。"},
      {"99", 3, "99ページは現在選択されていないので，表示できません。"},
      {"abc", 3, "abc は整数値ではありません。"},
      {"1.5", 3, "1.5 は整数値ではありません。"},
      {std::nullopt, 3, ""},
      {"6", 6, ""},
  };
  for (const Case& c : cases) {
    prompter_.shown.clear();
    prompter_.inputs.push_back(c.input);
    Trigger("JumpPageNumItem");
    EXPECT_EQ(Rec(), c.to) << (c.input ? c.input->toStdString() : "cancel");
    EXPECT_EQ(f.TitleEdit->text().toStdString(), "t" + std::to_string(c.to));
    QString want = QString::fromUtf8(c.message);
    EXPECT_EQ(prompter_.shown.back(),
              want.isEmpty() ? QString("input|ページ番号へジャンプ") : "お知らせ|" + want);
  }
  // A page the selection hides cannot be reached either.
  Select([](PageSelection& s) {
    s.TitleSelectMode = true;
    s.SelTitle = "t1";
  });
  ASSERT_EQ(Rec(), 1);
  prompter_.inputs.push_back("6");
  Trigger("JumpPageNumItem");
  EXPECT_EQ(Rec(), 1);
  EXPECT_EQ(LastShown(), "お知らせ|6ページは現在選択されていないので，表示できません。");
}

TEST_F(NavigatorTest, OneYearBackAndForward) {
  struct Case {
    std::vector<const char*> dates;  // page 1 is the one we start from
    const char* item;
    const char* lands_on;
  } cases[] = {
      {{"20040229", "20030301", "20030201", "20020505"}, "ToLastYearItem", "20030301"},
      {{"20040229", "20030401", "20030201"}, "ToLastYearItem", "20030201"},
      {{"20040229", "20030501", "20030901"}, "ToLastYearItem", "20030501"},
      {{"20040229", "20050302", "20050301", "20050228"}, "ToNextYearItem", "20050301"},
      {{"20040229", "20030101"}, "ToNextYearItem", "20040229"},
  };
  for (const Case& c : cases) {
    std::vector<Page> pages;
    for (const char* d : c.dates) pages.push_back(Page{"", d, "", d, "", "", ""});
    OpenPages(pages);
    SelectorOf().ReOrder(1);  // title order stays in force afterwards
    Go(1);
    Trigger(c.item);
    EXPECT_EQ(form_->session().table().FieldString("DATE"), c.lands_on) << c.item << " " << c.dates[1];
    EXPECT_EQ(form_->session().table().IndexName(), "T");
    EXPECT_TRUE(form_->Action("TOrderItem")->isChecked());
    Stop();
  }
}

TEST_F(NavigatorTest, OneYearFromAPageWithoutADate) {
  OpenPages({Page{"", "a", "", "", "", "", ""}, Page{"", "b", "", "20030101", "", "", ""}});
  Trigger("ToLastYearItem");
  EXPECT_EQ(Rec(), 1);
  EXPECT_EQ(LastShown(),
            "お知らせ|このページには日付がないので，１年前のページへは移動できません。");
}

TEST_F(NavigatorTest, HistoryBackForwardAndDrop) {
  app::TSDIAppForm& f = OpenPages(Pages(9));
  auto jump = [&](int n) {
    prompter_.inputs.push_back(QString::number(n));
    Trigger("JumpPageNumItem");
    ASSERT_EQ(Rec(), n);
  };
  EXPECT_FALSE(f.ToolButton("ModoruButton")->isEnabled());
  jump(5);
  jump(9);
  EXPECT_TRUE(f.ToolButton("ModoruButton")->isEnabled());
  Trigger("PageRirekiBackItem");
  EXPECT_EQ(Rec(), 5);
  Trigger("PageRirekiBackItem");
  EXPECT_EQ(Rec(), 1);
  EXPECT_FALSE(f.Action("PageRirekiBackItem")->isEnabled());
  EXPECT_TRUE(f.Action("PageRirekiForwardItem")->isEnabled());
  Trigger("PageRirekiForwardItem");
  EXPECT_EQ(Rec(), 5);
  jump(7);  // drops 9 from the forward part
  EXPECT_FALSE(f.ToolButton("SusumuButton")->isEnabled());
  Trigger("PageRirekiForwardItem");
  EXPECT_EQ(Rec(), 7);
  Trigger("PageRirekiBackItem");
  EXPECT_EQ(Rec(), 5);
  // An entry whose page has gone is passed over silently.
  jump(2);
  jump(4);
  jump(6);
  ASSERT_TRUE(f.session().table().GotoBookmark(4).ok());
  ASSERT_TRUE(f.session().table().Delete().ok());
  Go(6);
  prompter_.shown.clear();
  Trigger("PageRirekiBackItem");
  EXPECT_EQ(Rec(), 2);
  EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(NavigatorTest, CaretPositionIsRememberedPerPage) {
  app::TSDIAppForm& f = OpenPages(Pages(3));
  f.TextMemo->SetSelStart(3);
  f.TextMemo->SetSelLength(2);
  Trigger("NextItem");
  EXPECT_EQ(f.TextMemo->SelStart(), 0);
  Trigger("PriorItem");
  EXPECT_EQ(f.TextMemo->SelStart(), 3);
  EXPECT_EQ(f.TextMemo->SelLength(), 2);
}

TEST_F(NavigatorTest, ANewPageShowsAddedUntilItIsWritten) {
  app::TSDIAppForm& f = OpenPages(Pages(2));
  f.conf().AddPageMode = "0000000";
  prompter_.dialogs.push_back([](QDialog& d) {
    static_cast<TAddPageForm&>(d).OkBitBtnClick();
    return true;
  });
  Trigger("RecordAppendItem");
  EXPECT_EQ(Rec(), 3);
  EXPECT_EQ(f.RecNoLabel->text(), "3 ");
  // A page appended but not yet written reads "(追加)".
  ASSERT_TRUE(f.session().table().Append().ok());
  NavOf().AfterMove(true, true);
  EXPECT_EQ(f.RecNoLabel->text(), "(追加)");
  f.TitleEdit->setText("new");
  Trigger("FirstItem");
  Trigger("LastItem");
  EXPECT_EQ(Rec(), 4);
  EXPECT_EQ(f.TitleEdit->text(), "new");
}

TEST_F(NavigatorTest, AddPageModes) {
  struct Case {
    std::string mode;
    bool current_has_view_mode;
    bool cancel;
    Page want;  // date "today" is filled in
  } cases[] = {
      {"0000000", false, false, Page{"", "", "", "today", "", "", ""}},
      // The dialog takes over the view mode unless told not to.
      {"0000000", true, false, Page{"", "", "", "today", "", "", "1"}},
      {"0000001", true, false, Page{"", "", "", "today", "", "", "1"}},
      {"0000001", false, false, Page{"", "", "", "today", "", "", ""}},
      {"1", false, false, Page{"", "", "", "today", "", "", ""}},
      {"1111110", false, false, Page{J("日記"), "edited", "sub", "20010101", "typed", "", ""}},
      {"1000010", false, false, Page{"", "", "", "20010101", "", "", ""}},
      {"0000000", false, true, Page{}},
  };
  QDate today = QDate::currentDate();
  std::string today_s = today.toString("yyyyMMdd").toStdString();
  for (const Case& c : cases) {
    std::vector<Page> pages = Pages(1);
    pages[0].key = c.current_has_view_mode ? "1" : "";
    app::TSDIAppForm& f = OpenPages(pages);
    f.conf().AddPageMode = c.mode;
    // Unsaved edits of the page on show.
    f.TitleEdit->setText("edited");
    f.ChoshaEdit->setText("sub");
    f.TextMemo->SetText("typed");
    f.TextMemo->SetModified(true);
    prompter_.dialogs.push_back([&](QDialog& d) {
      if (c.cancel) return false;
      static_cast<TAddPageForm&>(d).OkBitBtnClick();
      return true;
    });
    Trigger("RecordAppendItem");
    store::Table& t = f.session().table();
    if (c.cancel) {
      EXPECT_EQ(Rec(), 1);
      EXPECT_EQ(f.conf().AddPageMode, c.mode);
      Stop();
      store::Table check;
      ASSERT_TRUE(check.Open(path_.toStdString(), store::PageFileOptions(true)).ok());
      EXPECT_EQ(store::test::WalkRecNos(check), std::vector<int>{1});
      continue;
    }
    ASSERT_EQ(Rec(), 2) << c.mode;
    Page want = c.want;
    if (want.date == "today") want.date = today_s;
    EXPECT_EQ(store::test::ReadPage(t), want) << c.mode;
    // The page left behind keeps its edits in every mode.
    ASSERT_TRUE(NavOf().GotoRecNo(1));
    EXPECT_EQ(t.FieldString("TITLE"), "edited") << c.mode;
    Stop();
  }
}

TEST_F(NavigatorTest, DeleteAsksFirst) {
  app::TSDIAppForm& f = OpenPages(Pages(3));
  Go(2);
  f.TitleEdit->setText("unsaved");
  prompter_.answers.push_back(false);
  Trigger("RecordDeleteItem");
  EXPECT_EQ(Rec(), 2);
  EXPECT_EQ(prompter_.shown.back(), "ページ削除の確認|現在のページを削除してもよいですか。");
  prompter_.answers.push_back(true);
  Trigger("RecordDeleteItem");
  EXPECT_EQ(Rec(), 3);
  EXPECT_EQ(VisitAll(), (std::vector<int>{1, 3}));
}

TEST_F(NavigatorTest, PageListJumpsOrReturns) {
  app::TSDIAppForm& f = OpenPages(Pages(5));
  Go(2);
  for (bool ok : {false, true}) {
    prompter_.dialogs.push_back([&, ok](QDialog& d) {
      auto& list = static_cast<TPageListForm&>(d);
      d.show();
      QTest::keyClick(list.DBGrid, Qt::Key_Down);
      QTest::keyClick(list.DBGrid, Qt::Key_Down);
      d.done(ok ? QDialog::Accepted : QDialog::Rejected);
      return ok;
    });
    Trigger("PageListItem");
    EXPECT_EQ(Rec(), ok ? 4 : 2) << ok;
    EXPECT_EQ(f.TitleEdit->text().toStdString(), ok ? "t4" : "t2");
  }
}

TEST_F(NavigatorTest, EveryCommandOnAnEmptyFile) {
  app::TSDIAppForm& f = OpenPages({});
  EXPECT_EQ(f.RecNoLabel->text(), "(追加)");
  for (const char* item :
       {"NextItem", "PriorItem", "FirstItem", "LastItem", "TenNextItem", "TenPriorItem",
        "ToLastYearItem", "ToNextYearItem", "PageRirekiBackItem", "PageRirekiForwardItem",
        "PageListItem", "PageListItem", "SelectRecordItem", "TOrderItem", "DOrderItem",
        "PageOrderItem", "RecordDeleteItem", "JumpPageNumItem"}) {
    prompter_.answers.push_back(true);
    prompter_.inputs.push_back("1");
    prompter_.dialogs.push_back([](QDialog& d) {
      d.show();
      d.accept();
      return true;
    });
    Trigger(item);
    EXPECT_EQ(f.RecNoLabel->text(), "(追加)") << item;
    EXPECT_TRUE(f.session().table().IsEmpty() || Rec() == -1) << item;
    prompter_.answers.clear();
    prompter_.inputs.clear();
    prompter_.dialogs.clear();
  }
  // Typing makes it a page.
  f.TitleEdit->setText("first");
  Trigger("NextItem");
  EXPECT_EQ(Rec(), 1);
  EXPECT_EQ(f.RecNoLabel->text(), "1 ");
}

TEST_F(NavigatorTest, APageEditedOutOfTheSelection) {
  const QString warning =
      "お知らせ|"
      "このページは，現在のページ選択条件を満たさないので，\n\n移動すると，表示対象からはずれます。"
      "\n\n"
      "表示するためには，ページ選択条件を変更してください。";
  struct Case {
    int edit;
    const char* item;
    int lands_on;
  } cases[] = {
      {2, "NextItem", 3},  {2, "PriorItem", 1}, {3, "NextItem", 2},
      {1, "PriorItem", 2}, {2, "LastItem", 3},  {2, "FirstItem", 1},
  };
  for (const Case& c : cases) {
    std::vector<Page> pages = Pages(4);
    pages[3].title = "zzz";  // page 4 is never selected
    app::TSDIAppForm& f = OpenPages(pages);
    Select([](PageSelection& s) {
      s.TitleSelectMode = true;
      s.SelTitle = "t";
    });
    Go(c.edit);
    f.TitleEdit->setText("gone");
    prompter_.shown.clear();
    Trigger(c.item);
    EXPECT_EQ(prompter_.shown, std::vector<QString>{warning}) << c.item << " from " << c.edit;
    EXPECT_EQ(Rec(), c.lands_on) << c.item << " from " << c.edit;
    // The edit was written, and the page is no longer visited.
    std::vector<int> visited = VisitAll();
    EXPECT_EQ(std::count(visited.begin(), visited.end(), c.edit), 0);
    Stop();
    store::Table t;
    ASSERT_TRUE(t.Open(path_.toStdString(), store::PageFileOptions(true)).ok());
    ASSERT_TRUE(t.GotoBookmark(store::Table::Bookmark(c.edit)).ok());
    EXPECT_EQ(t.FieldString("TITLE"), "gone");
  }
}

TEST_F(NavigatorTest, TheLastSelectedPageEditedOut) {
  app::TSDIAppForm& f = OpenPages(Pages(3));
  Select([](PageSelection& s) {
    s.TitleSelectMode = true;
    s.SelTitle = "t2";
  });
  ASSERT_EQ(Rec(), 2);
  f.TitleEdit->setText("x");
  Trigger("NextItem");
  EXPECT_EQ(prompter_.shown.back(),
            "お知らせ|選択されたページがありませんので，ページ選択をリセットします。");
  EXPECT_FALSE(f.session().table().Filtered());
  EXPECT_EQ(Rec(), 3);
}

TEST_F(NavigatorTest, SelectionsInTheWindow) {
  std::vector<Page> pages = Pages(5);
  pages[0].title = "xABCx";
  pages[1].title = "abc";
  pages[2].title = "a bc";
  pages[3].bunrui = "Memo";
  pages[4].bunrui = "memo";
  app::TSDIAppForm& f = OpenPages(pages);
  Go(3);
  struct Case {
    std::function<void(PageSelection&)> set;
    std::vector<int> visited;
    bool reset;  // nothing selected: the message and the filter off
  } cases[] = {
      {[](PageSelection& s) { s.TitleSelectMode = true, s.SelTitle = "abc"; }, {1, 2}, false},
      {[](PageSelection& s) { s.BunruiSelectMode = true, s.SelBunruiList = {"MEMO"}; },
       {4, 5},
       false},
      {[](PageSelection& s) {
         s.DateSelectMode = true, s.SelEndDate = {2001, 1, 2};
       },
       {1, 2},
       false},
      {[](PageSelection& s) {
         s.DateSelectMode = true, s.SelStartDate = {2001, 1, 4}, s.SelEndDate = {2001, 1, 2};
       },
       {1, 2, 3, 4, 5},
       true},
      {[](PageSelection&) {}, {1, 2, 3, 4, 5}, false},
  };
  for (const Case& c : cases) {
    prompter_.shown.clear();
    Select(c.set);
    EXPECT_EQ(VisitAll(), c.visited);
    EXPECT_EQ(f.session().table().Filtered(), !c.reset && c.visited.size() < 5);
    if (c.reset) {
      EXPECT_EQ(prompter_.shown.front(),
                "お知らせ|選択されているページがありません。\n\nページ選択を解除します。");
    }
    Select([](PageSelection&) {});
  }
  // The page on show stays when the selection keeps it, else the first selected page.
  Go(2);
  Select([](PageSelection& s) { s.TitleSelectMode = true, s.SelTitle = "abc"; });
  EXPECT_EQ(Rec(), 2);
  Select([](PageSelection& s) { s.BunruiSelectMode = true, s.SelBunruiList = {"memo"}; });
  EXPECT_EQ(Rec(), 4);
}

TEST_F(NavigatorTest, OrderSwitchesKeepThePage) {
  app::TSDIAppForm& f = OpenPages(Pages(5));
  Go(3);
  for (const PageOrder& o : kPageOrders) {
    SelectorOf().ReOrder(o.code);
    EXPECT_EQ(Rec(), 3) << o.tag;
    EXPECT_EQ(f.session().table().IndexName(), o.tag);
    EXPECT_TRUE(f.Action(o.item)->isChecked()) << o.item;
  }
  // A page edited out of the selection: the first page of the new order.
  Select([](PageSelection& s) { s.TitleSelectMode = true, s.SelTitle = "t"; });
  Go(3);
  f.TitleEdit->setText("x");
  Trigger("DOrderItem");
  EXPECT_EQ(Rec(), 1);
  // Page-number order tests the pages as it reaches them, in file order; a tag's order marks the
  // selected pages first, so that its steps read no record to test it.
  Trigger("PageOrderItem");
  Select([](PageSelection& s) { s.TitleSelectMode = true, s.SelTitle = "t"; });
  EXPECT_FALSE(f.session().table().HasMarks());
  Trigger("TOrderItem");
  EXPECT_TRUE(f.session().table().HasMarks());
  EXPECT_EQ(VisitAll(), (std::vector<int>{1, 2, 4, 5}));
}

TEST_F(NavigatorTest, TheWindowVisitsPagesInTheOrderOfEveryTag) {
  QString path = Sample("Orders");
  // The tool first: the window holds the file for itself.
  std::map<int, std::vector<int>> dumps;
  for (const PageOrder& o : kPageOrders) {
    if (o.code < 0) continue;
    QProcess tool;
    tool.start(SORAKUMO_TOOL, {"dump", path, "--order",
                               QString::fromLatin1(o.tag.data(), qsizetype(o.tag.size()))});
    ASSERT_TRUE(tool.waitForFinished(30000));
    for (const QByteArray& line : tool.readAllStandardOutput().split('\n'))
      if (!line.isEmpty()) dumps[o.code].push_back(line.split('\t').front().toInt());
    ASSERT_EQ(dumps[o.code].size(), 33u) << o.tag;
  }
  Start({path});
  for (const auto& [code, dumped] : dumps) {
    SelectorOf().ReOrder(code);
    const PageOrder& o = OrderOfCode(code);
    EXPECT_EQ(VisitAll(), dumped) << o.tag;
  }
}

TEST_F(NavigatorTest, CategoryListMergesThePagesCategories) {
  std::vector<Page> pages = Pages(5);
  pages[0].bunrui = J("旅行");
  pages[1].bunrui = J(" 料理 ");
  pages[2].bunrui = J("旅行");
  pages[3].bunrui = "Memo";
  pages[4].bunrui = "memo";
  path_ = Path("nav.dbf");
  store::test::MakePageFile(path_.toStdString(), pages);
  WriteRoot([](settings::SettingsStore&) {});
  {
    settings::SettingsStore s = Store();
    s.OpenKey(settings::PerFileKeyPath("nav.dbf"), true);
    s.WriteStringList("Bunrui", {J("MYメモ")});
    ASSERT_TRUE(s.Sync().ok());
  }
  app::TSDIAppForm& f = Start({path_});
  std::vector<std::string> want = {J("MYメモ"), J("旅行"), J("料理"), "Memo", "memo"};
  EXPECT_EQ(NavOf().CategoryList(), want);
  EXPECT_EQ(f.BunruiComboBox->count(), 5);
  Stop();
  settings::SettingsStore s = Store();
  s.OpenKey(settings::PerFileKeyPath("nav.dbf"), true);
  EXPECT_EQ(s.ReadStringList("Bunrui"), want);
}

TEST_F(NavigatorTest, ANewFileOffersTheDefaultCategories) {
  app::TSDIAppForm& f = Start();
  prompter_.files.push_back(Path("new.dbf"));
  Trigger("NewItem");
  ASSERT_TRUE(f.FileIsOpen());
  std::vector<std::string> want = {J("MYメモ"), J("MY日記"), J("MY詩歌"), J("新聞切抜き"),
                                   J("そらくも")};
  EXPECT_EQ(NavOf().CategoryList(), want);
}

TEST_F(NavigatorTest, MyCategoriesTakeTheUsersName) {
  WriteRoot([](settings::SettingsStore& s) { s.WriteString("MyName", J("山田")); });
  app::TSDIAppForm& f = OpenPages(Pages(1));
  struct Case {
    const char* category;
    bool takes_name;
  } cases[] = {{"MY日記", true}, {"My Notes", true}, {"ｍｙ", true}, {"mｙ", true},
               {"Memo", false},  {"ＭＹ", false},    {"日記", false}};
  for (const Case& c : cases) {
    f.BunruiComboBox->addItem(QString::fromUtf8(c.category));
    f.BunruiComboBox->setCurrentText(QString::fromUtf8(c.category));
    f.ChoshaEdit->setText("typed");
    NavOf().BunruiComboBoxExit();
    EXPECT_EQ(f.ChoshaEdit->text(), c.takes_name ? "山田" : "typed") << c.category;
  }
}

TEST_F(NavigatorTest, EscapeKeepsWhatWasTypedAndTheCalendarSetsTheDate) {
  app::TSDIAppForm& f = OpenPages(Pages(2));
  f.TitleEdit->setText("typed");
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(f.TitleEdit, &esc);
  EXPECT_EQ(f.session().table().FieldString("TITLE"), "typed");
  EXPECT_EQ(f.session().FocusedArea(), 3);
  f.TitleEdit->setFocus();
  QApplication::processEvents();
  if (f.TitleEdit->hasFocus()) {
    EXPECT_EQ(f.session().FocusedArea(), 1);
  }

  NavOf().DateTimePickerCloseUp(store::Date{2020, 1, 2});
  EXPECT_EQ(f.session().table().FieldString("DATE"), "20200102");
  EXPECT_EQ(f.DateEdit->text(), "2020/1/2(木)");
  Trigger("NextItem");
  Trigger("PriorItem");
  EXPECT_EQ(f.DateEdit->text(), "2020/1/2(木)");
}

TEST_F(NavigatorTest, TitleLengthIsCountedInBytes) {
  app::TSDIAppForm& f = OpenPages(Pages(1));
  f.TitleEdit->setFocus();
  for (int i = 0; i < 30; ++i) {  // あ x 30 = 60 bytes
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0x3042)));
    QApplication::sendEvent(f.TitleEdit, &key);
  }
  EXPECT_EQ(app::B(f.TitleEdit->text()).size(), 50u);
}

}  // namespace
}  // namespace sk::browse
