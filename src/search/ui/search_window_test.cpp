// The searches and the replace in the window: across pages in two orders and a selection, within
// the page, the field searches, the date search, the replace with its buttons, and cancelled runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

#include "app/ui/test_window.h"
#include "browse/page_selection.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/ui/image_side.h"
#include "search/ui/find_form.h"
#include "search/ui/replace_form.h"
#include "search/ui/search_controller.h"
#include "store/test_util.h"

namespace sk::search {
namespace {

using app::test::J;
using store::test::Page;

// Six pages.  Title order: a4(6), abc(5), xABCx(2), 昼(3), 朝の散歩(1), 夜(4).
std::vector<Page> Pages() {
  return {
      {J("日記"), J("朝の散歩"), "", "20240101", J("今日は abc を見た。\r\nABC もあった。abc"), "",
       ""},
      {J("メモ"), "xABCx", J("出典"), "20240105", J("何もなし"), "", ""},
      {J("日記"), J("昼"), J("abc書房"), "20240103", J("abc と de"), "a.jpg", ""},
      {J("日記"), J("夜"), "", "20240102", J("de だけ"), "img_01.jpg;photo.jpg", ""},
      {J("メモ"), "abc", "", "20240104", J("表示 abc"), "", ""},
      {J("メモ"), "a4", "", "20240106", "aaaa", "", ""},
  };
}

class SearchWindowTest : public app::test::MainFormTest {
 protected:
  app::TSDIAppForm& Open() {
    const QString path = Path("search.dbf");
    store::test::MakePageFile(path.toStdString(), Pages());
    app::TSDIAppForm& f = Start({path});
    f.conf().NotFoundMode = 1;
    return f;
  }
  int Rec() { return form_->session().table().RecNo(); }
  void Go(int n) {
    ASSERT_TRUE(NavOf().GotoRecNo(n)) << n;
    NavOf().AfterMove(true, true);
  }
  std::pair<int, int> Sel() { return {form_->TextMemo->SelStart(), form_->TextMemo->SelLength()}; }
  // The next search dialog answered with this input and settings.
  void Answer(const char* input, const char* direction = "NextRadioButton", bool match_case = false,
              bool in_page = false) {
    prompter_.dialogs.push_back([=](QDialog& d) {
      auto& form = static_cast<TFindForm&>(d);
      form.FindMojiEdit->setEditText(QString::fromUtf8(input));
      form.findChild<QRadioButton*>(QLatin1String(direction))->setChecked(true);
      form.MatchCaseCheckBox->setChecked(match_case);
      form.OnlyOnePageCheckBox->setChecked(in_page);
      return true;
    });
  }
  QString Last() { return prompter_.shown.empty() ? QString() : prompter_.shown.back(); }
  SearchController& S() { return SearchOf(); }
};

TEST_F(SearchWindowTest, AcrossPagesInTwoOrdersWithASelection) {
  app::TSDIAppForm& f = Open();
  ASSERT_EQ(Rec(), 1);
  Answer("abc");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 1);  // the current page is searched first
  EXPECT_EQ(Sel(), std::make_pair(7, 3));
  Trigger("NextFindItem");  // the next page with a hit, not the next hit
  EXPECT_EQ(Rec(), 3);
  EXPECT_EQ(Sel(), std::make_pair(0, 3));
  Trigger("NextFindItem");
  EXPECT_EQ(Rec(), 5);
  EXPECT_EQ(Sel(), std::make_pair(5, 3));
  f.TextMemo->SetSelStart(2);
  f.TextMemo->SetSelLength(2);
  Trigger("NextFindItem");  // runs off the end: back where it started, selection kept
  EXPECT_EQ(Rec(), 5);
  EXPECT_EQ(Sel(), std::make_pair(2, 2));
  EXPECT_EQ(Last(), "お知らせ|\"abc\" は見つかりませんでした。");
  EXPECT_EQ(S().NotFoundSignals(), 1);
  // The status bar says it too, whatever NotFoundMode is.
  EXPECT_EQ(f.StatusPanels[3]->text(), "「abc」は見つかりませんでした。");
  f.conf().NotFoundMode = 0;
  prompter_.shown.clear();
  f.StatusPanels[3]->clear();
  Trigger("NextFindItem");
  EXPECT_TRUE(prompter_.shown.empty());
  EXPECT_EQ(f.StatusPanels[3]->text(), "「abc」は見つかりませんでした。");
  EXPECT_EQ(S().NotFoundSignals(), 2);
  f.conf().NotFoundMode = 1;
  Trigger("PriorFindItem");
  EXPECT_EQ(Rec(), 3);

  // Title order, only the diary pages (3, 1, 4 in that order).
  SelectorOf().ReOrder(1);
  browse::PageSelection sel;
  sel.BunruiSelectMode = true;
  sel.SelBunruiList = {J("日記")};
  SelectorOf().ApplySelection(sel);
  Answer("abc", "FromTopRadioButton");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 3);
  Trigger("NextFindItem");
  EXPECT_EQ(Rec(), 1);
  Trigger("NextFindItem");  // page 5 has it but is no diary page
  EXPECT_EQ(Rec(), 1);
  EXPECT_EQ(S().NotFoundSignals(), 3);
  Answer("de", "FromLastRadioButton");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 4);
  Trigger("PriorFindItem");  // 1 has none
  EXPECT_EQ(Rec(), 3);
  EXPECT_EQ(Sel(), std::make_pair(7, 2));
  // "|" any of them, "&" all of them on one page (the earliest of either selected).
  Answer("zz|de", "FromTopRadioButton");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 3);
  Answer("de&abc", "FromTopRadioButton");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 3);
  EXPECT_EQ(Sel(), std::make_pair(0, 3));
  Trigger("NextFindItem");  // 1 and 4 have only one of the two
  EXPECT_EQ(Rec(), 3);
}

TEST_F(SearchWindowTest, APageThatLeftTheSelectionIsNotSearched) {
  app::TSDIAppForm& f = Open();
  browse::PageSelection sel;
  sel.BunruiSelectMode = true;
  sel.SelBunruiList = {J("日記")};
  SelectorOf().ApplySelection(sel);
  Go(3);
  f.BunruiComboBox->setCurrentText(QString::fromUtf8("メモ"));  // page 3 leaves the selection
  Answer("de");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 4);  // not page 3, though it holds "de"
  EXPECT_EQ(Sel(), std::make_pair(0, 2));
}

TEST_F(SearchWindowTest, WithinThePage) {
  app::TSDIAppForm& f = Open();
  // "今日は abc を見た。\r\nABC もあった。abc": abc at 7, ABC at 21, abc at 35.
  Answer("abc", "FromTopRadioButton", false, true);
  Trigger("MojiFindItem");
  EXPECT_EQ(Sel(), std::make_pair(7, 3));
  Trigger("DownFindItem");
  EXPECT_EQ(Sel(), std::make_pair(21, 3));
  Trigger("DownFindItem");
  EXPECT_EQ(Sel(), std::make_pair(35, 3));
  Trigger("DownFindItem");  // nothing further: the selection stays
  EXPECT_EQ(Sel(), std::make_pair(35, 3));
  EXPECT_EQ(S().NotFoundSignals(), 1);
  Trigger("UpFindItem");
  EXPECT_EQ(Sel(), std::make_pair(21, 3));
  Trigger("UpFindItem");
  EXPECT_EQ(Sel(), std::make_pair(7, 3));
  // Match case; and after an "AND" search the page continuations look for either string.
  Answer("ABC", "FromTopRadioButton", true, true);
  Trigger("MojiFindItem");
  EXPECT_EQ(Sel(), std::make_pair(21, 3));
  Answer("見た&もあった", "FromLastRadioButton", false, true);
  Trigger("MojiFindItem");
  EXPECT_EQ(f.TextMemo->SelText(), J("もあった"));
  Trigger("UpFindItem");
  EXPECT_EQ(f.TextMemo->SelText(), J("見た"));
  // Overlapping hits: one character after the start of the selection.
  Go(6);
  Answer("aa", "FromTopRadioButton", false, true);
  Trigger("MojiFindItem");
  EXPECT_EQ(Sel(), std::make_pair(0, 2));
  Trigger("DownFindItem");
  EXPECT_EQ(Sel(), std::make_pair(1, 2));
  // Ctrl+U and Ctrl+D do nothing after a search that is not a text search.
  Answer("abc");
  Trigger("TitleFindItem");
  const auto before = Sel();
  const int beeps = S().NotFoundSignals();
  Trigger("DownFindItem");
  EXPECT_EQ(S().NotFoundSignals(), beeps);
  EXPECT_EQ(Sel(), before);
}

TEST_F(SearchWindowTest, FieldSearches) {
  app::TSDIAppForm& f = Open();
  Answer("abc");
  Trigger("TitleFindItem");
  EXPECT_EQ(Rec(), 2);
  EXPECT_EQ(f.TitleEdit->selectedText(), "ABC");
  EXPECT_EQ(f.TitleEdit->selectionStart(), 1);
  EXPECT_EQ(S().FindForm().windowTitle(),
            QString::fromStdString(f.FieldCaptionsUtf8()[1]) + "検索");
  EXPECT_TRUE(S().FindForm().OnlyOnePageCheckBox->isVisible() ||
              !S().FindForm().isVisible());  // shown again afterwards
  Trigger("NextFindItem");
  EXPECT_EQ(Rec(), 5);
  EXPECT_EQ(f.TitleEdit->selectedText(), "abc");
  Answer("ABC書", "FromTopRadioButton");
  Trigger("ChoshaFindItem");
  EXPECT_EQ(Rec(), 3);
  EXPECT_EQ(f.ChoshaEdit->selectedText(), QString::fromUtf8("abc書"));
  // Image names without regard to case, whatever the hidden box holds: the images are shown from
  // the name found.
  Go(1);
  Answer("PHOTO", "NextRadioButton", true);
  Trigger("ImageFileNameFindItem");
  EXPECT_EQ(Rec(), 4);
  EXPECT_EQ(ImagesOf().ImageNum(), 1);
  // All fields: a hit in the subtitle lands there, then the text is searched and gives the signal.
  Go(1);
  const int beeps = S().NotFoundSignals();
  Answer("出典");
  Trigger("AllFindItem");
  EXPECT_EQ(Rec(), 2);
  EXPECT_EQ(S().NotFoundSignals(), beeps + 1);
  Answer("表示");
  Trigger("AllFindItem");
  EXPECT_EQ(Rec(), 5);
  EXPECT_EQ(f.TextMemo->SelText(), J("表示"));
  // The histories keep the inputs per kind, newest first, without case duplicates.
  Answer("ABC");
  Trigger("TitleFindItem");
  f.reg().OpenKey(settings::kRootKey, false);
  EXPECT_EQ(f.reg().ReadStringList("FindTitle"), (std::vector<std::string>{"ABC"}));
  EXPECT_EQ(f.reg().ReadStringList("FindChosha"), (std::vector<std::string>{J("ABC書")}));
  f.reg().CloseKey();
}

// The direction buttons name the cursor or the pages: the text search and the image file name
// search by the "current page only" box as the text search left it, the title and subtitle
// searches always the pages.
TEST_F(SearchWindowTest, DirectionLabelsFollowTheKind) {
  Open();
  struct Case {
    const char* command;
    bool in_page;  // the box as the text search leaves it
    const char* next_label;
  } cases[] = {
      {"MojiFindItem", true, "カーソル位置から下方へ"},
      {"ImageFileNameFindItem", true, "カーソル位置から下方へ"},
      {"TitleFindItem", true, "現ページ（含む）から末尾方向へ"},
      {"ChoshaFindItem", true, "現ページ（含む）から末尾方向へ"},
      {"MojiFindItem", false, "現ページ（含む）から末尾方向へ"},
      {"ImageFileNameFindItem", false, "現ページ（含む）から末尾方向へ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    QString label;
    prompter_.dialogs.push_back([&](QDialog& d) {
      auto& form = static_cast<TFindForm&>(d);
      label = form.NextRadioButton->text();
      return false;
    });
    // The text search's box as the user left it.
    S().FindForm().OnlyOnePageCheckBox->setChecked(c.in_page);
    Trigger(c.command);
    EXPECT_EQ(label, QString::fromUtf8(c.next_label));
  }
}

TEST_F(SearchWindowTest, DateSearch) {
  Open();
  Answer("2024/1/3");
  Trigger("DateFindItem");
  EXPECT_EQ(Rec(), 3);
  Trigger("NextFindItem");  // a date search is not continued
  EXPECT_EQ(Rec(), 3);
  Answer("2024/01/04");
  Trigger("DateFindItem");
  EXPECT_EQ(Rec(), 5);
  Answer("2024/13/40");
  Trigger("DateFindItem");
  EXPECT_EQ(Rec(), 5);
  EXPECT_EQ(Last(), "error:入力ミス|2024/13/40 は日付データではありません。");
  EXPECT_FALSE(S().FindForm().MatchCaseCheckBox->isHidden());  // the layout is back
  // A cancelled dialog keeps the kind of the last search.
  Answer("abc");
  Trigger("MojiFindItem");
  prompter_.dialogs.push_back([](QDialog&) { return false; });
  Trigger("TitleFindItem");
  EXPECT_EQ(S().FindKind(), 1);
}

TEST_F(SearchWindowTest, ConfirmedReplaceStoppedAtTheThirdHit) {
  app::TSDIAppForm& f = Open();
  prompter_.dialogs.push_back([](QDialog& d) {
    auto& r = static_cast<TReplaceForm&>(d);
    r.KensakuEdit->setEditText("abc");
    r.ChikanEdit->setEditText("XY");
    return true;
  });
  Trigger("ReplaceItem");
  ASSERT_TRUE(S().ReplaceWaiting());
  EXPECT_EQ(Sel(), std::make_pair(7, 3));
  EXPECT_TRUE(SearchOf().ReplaceButton(0)->isVisible());
  EXPECT_EQ(SearchOf().ReplaceButton(3)->text(), "中止");
  EXPECT_TRUE(f.TextMemo->isReadOnly());
  EXPECT_FALSE(f.Action("NextItem")->isEnabled());
  f.TitleEdit->setText(QString::fromUtf8("朝の散歩（改）"));  // typed while the run waits
  SearchOf().ReplaceButton(0)->click();                               // replace, then the next
  EXPECT_EQ(TextOf(), J("今日は XY を見た。\r\nABC もあった。abc"));
  EXPECT_EQ(f.session().table().FieldString("TITLE"), J("朝の散歩（改）"));
  EXPECT_EQ(Sel(), std::make_pair(20, 3));
  SearchOf().ReplaceButton(0)->click();
  EXPECT_EQ(Sel(), std::make_pair(33, 3));
  SearchOf().ReplaceButton(3)->click();  // stop at the third
  EXPECT_FALSE(S().ReplaceWaiting());
  EXPECT_EQ(Last(), "お知らせ|2 個の文字列を置換しました。");
  EXPECT_EQ(TextOf(), J("今日は XY を見た。\r\nXY もあった。abc"));
  EXPECT_EQ(Sel(), std::make_pair(33, 3));
  EXPECT_FALSE(f.TextMemo->isReadOnly());
  EXPECT_FALSE(SearchOf().ReplaceButton(0)->isVisible());
  EXPECT_TRUE(f.Action("NextItem")->isEnabled());
  // Undo takes the replacements back one by one, to the text as it was (its case too).
  EditorOf().Undo();
  EXPECT_EQ(TextOf(), J("今日は XY を見た。\r\nABC もあった。abc"));
  EditorOf().Undo();
  EXPECT_EQ(TextOf(), J("今日は abc を見た。\r\nABC もあった。abc"));
  // The page's field holds the replaced text (the undo is the text area's).
  EXPECT_EQ(f.session().table().FieldString("TEXT"), J("今日は XY を見た。\r\nXY もあった。abc"));
}

TEST_F(SearchWindowTest, UpwardAndEmptyReplacements) {
  app::TSDIAppForm& f = Open();
  auto answer = [this](const char* direction, bool confirm) {
    prompter_.dialogs.push_back([=](QDialog& d) {
      auto& r = static_cast<TReplaceForm&>(d);
      r.KensakuEdit->setEditText("abc");
      r.ChikanEdit->setEditText("");
      r.OnePageRadioButton->setChecked(true);
      r.findChild<QRadioButton*>(QLatin1String(direction))->setChecked(true);
      r.KakuninCheckBox->setChecked(confirm);
      return true;
    });
  };
  // From the caret towards the start, the nearest first: "ABC" at 21, then "abc" at 7.
  f.TextMemo->SetSelStart(29);
  answer("ToTopRadioButton", false);
  Trigger("ReplaceItem");
  EXPECT_EQ(TextOf(), J("今日は  を見た。\r\n もあった。abc"));
  EXPECT_EQ(Last(), "お知らせ|2 個の文字列を置換しました。");
  EXPECT_EQ(Sel(), std::make_pair(7, 0));
  EditorOf().Undo();
  EditorOf().Undo();
  // With confirmation: skip the first, replace the second, stop at the third.
  NavOf().MainTablePost();
  Go(1);
  answer("FromTopToDownRadioButton", true);
  Trigger("ReplaceItem");
  EXPECT_EQ(Sel(), std::make_pair(7, 3));
  SearchOf().ReplaceButton(1)->click();
  EXPECT_EQ(Sel(), std::make_pair(21, 3));
  SearchOf().ReplaceButton(0)->click();
  EXPECT_EQ(Sel(), std::make_pair(32, 3));
  SearchOf().ReplaceButton(3)->click();
  EXPECT_EQ(Last(), "お知らせ|1 個の文字列を置換しました。");
  EXPECT_EQ(TextOf(), J("今日は abc を見た。\r\n もあった。abc"));
}

TEST_F(SearchWindowTest, ReplaceWithoutConfirmationAndAcrossPages) {
  app::TSDIAppForm& f = Open();
  Go(6);
  auto answer = [this](const char* from, const char* to, const char* range, bool confirm) {
    prompter_.dialogs.push_back([=](QDialog& d) {
      auto& r = static_cast<TReplaceForm&>(d);
      r.KensakuEdit->setEditText(QString::fromUtf8(from));
      r.ChikanEdit->setEditText(QString::fromUtf8(to));
      r.findChild<QRadioButton*>(QLatin1String(range))->setChecked(true);
      r.FromTopToDownRadioButton->setChecked(true);
      r.KakuninCheckBox->setChecked(confirm);
      return true;
    });
  };
  answer("aa", "a", "OnePageRadioButton", false);
  Trigger("ReplaceItem");
  EXPECT_EQ(TextOf(), "aa");  // the search goes on after what was put in
  EXPECT_EQ(Last(), "お知らせ|2 個の文字列を置換しました。");
  EXPECT_TRUE(EditorOf().CanUndo());

  // Across pages: the warning first; cancelling it changes nothing.
  answer("de", "DE", "AllPageRadioButton", false);
  prompter_.answers = {false};
  Trigger("ReplaceItem");
  EXPECT_EQ(f.session().table().RecNo(), 6);
  answer("de", "DE", "AllPageRadioButton", false);
  prompter_.answers = {true};
  Trigger("ReplaceItem");
  EXPECT_EQ(Last(), "お知らせ|2 個の文字列を置換しました。");
  EXPECT_EQ(Rec(), 4);  // the page of the last hit
  EXPECT_EQ(TextOf(), J("DE だけ"));
  EXPECT_EQ(Sel(), std::make_pair(0, 2));
  EXPECT_FALSE(EditorOf().CanUndo());
  Go(3);
  EXPECT_EQ(TextOf(), J("abc と DE"));
  // A replacement the page file cannot hold is refused before anything changes.
  answer("abc", "😀", "OnePageRadioButton", false);
  Trigger("ReplaceItem");
  EXPECT_EQ(TextOf(), J("abc と DE"));
  EXPECT_TRUE(Last().contains("ページに保存できない文字"));
}

TEST_F(SearchWindowTest, CancelledRunsLeaveThePageAndTheFileWhole) {
  app::TSDIAppForm& f = Open();
  Go(2);
  f.TextMemo->SetSelStart(4);
  S().SetProgressForTest([](uint32_t, uint32_t) { return false; });
  Answer("見つからない");
  Trigger("MojiFindItem");
  EXPECT_EQ(Rec(), 2);
  EXPECT_EQ(Sel(), std::make_pair(4, 0));
  EXPECT_EQ(S().NotFoundSignals(), 0);  // a cancel is no "not found"
  // A cancelled replace across pages keeps and reports what it replaced.
  int calls = 0;
  S().SetProgressForTest([&](uint32_t, uint32_t) { return ++calls < 2; });
  Go(1);
  prompter_.dialogs.push_back([](QDialog& d) {
    auto& r = static_cast<TReplaceForm&>(d);
    r.KensakuEdit->setEditText("abc");
    r.ChikanEdit->setEditText("Q");
    r.AllPageRadioButton->setChecked(true);
    r.FromTopToDownRadioButton->setChecked(true);
    r.KakuninCheckBox->setChecked(false);
    return true;
  });
  prompter_.answers = {true};
  Trigger("ReplaceItem");
  EXPECT_EQ(Last(), "お知らせ|3 個の文字列を置換しました。");
  store::Table& t = f.session().table();
  ASSERT_TRUE(NavOf().GotoRecNo(3));
  EXPECT_EQ(t.FieldString("TEXT"), J("abc と de"));  // not reached
  ASSERT_TRUE(NavOf().GotoRecNo(1));
  EXPECT_EQ(t.FieldString("TEXT"), J("今日は Q を見た。\r\nQ もあった。Q"));
}

// The pages `sorakumo-tool search` lists, and the pages the window's search visits from the first
// page on with Ctrl+N, are the same, in the same order.
class ToolAgreementTest : public SearchWindowTest {
 protected:
  std::vector<int> ToolPages(const QString& path, const QString& input, const QStringList& more) {
    QProcess tool;
    tool.start(SORAKUMO_TOOL, QStringList{"search", path, input} + more);
    EXPECT_TRUE(tool.waitForFinished(60000));
    std::vector<int> pages;
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split('\n'))
      if (!line.isEmpty()) pages.push_back(line.section('\t', 0, 0).toInt());
    EXPECT_EQ(tool.exitCode(), pages.empty() ? 1 : 0) << input.toStdString();
    return pages;
  }
  std::vector<int> WindowPages(const char* input, const char* menu_item, bool match_case) {
    std::vector<int> pages;
    Answer(input, "FromTopRadioButton", match_case);
    const int beeps = S().NotFoundSignals();
    Trigger(menu_item);
    while (S().NotFoundSignals() == beeps && pages.size() < 1000) {
      pages.push_back(Rec());
      Trigger("NextFindItem");
    }
    return pages;
  }
};

TEST_F(ToolAgreementTest, SampleAndGeneratedFile) {
  const QString generated = Path("gen.dbf");
  QProcess gen;
  gen.start(SORAKUMO_TOOL, {"generate", generated, "--pages", "300", "--seed", "7"});
  ASSERT_TRUE(gen.waitForFinished(60000));
  ASSERT_EQ(gen.exitCode(), 0);
  struct Case {
    const char* input;
    const char* item;
    const char* fields;
    bool match_case;
  };
  const Case cases[] = {
      {"画像|京都", "MojiFindItem", "text", false}, {"linux|ページ", "MojiFindItem", "text", false},
      {"A&e", "MojiFindItem", "text", true},        {"京都&dBASE", "MojiFindItem", "text", true},
      {"の", "TitleFindItem", "title", false},      {"JPG", "ImageFileNameFindItem", "image", true},
      {"\\section", "AllFindItem", "all", false},  // a backslash that is no escape
  };

  size_t hits = 0;
  for (const QString& file : {Sample("agree"), generated}) {
    // The tool first: the window holds the file for itself while it is open.
    std::vector<std::vector<int>> tool;
    for (const Case& c : cases) {
      QStringList more{"--fields", c.fields};
      if (c.match_case) more << "--match-case";
      tool.push_back(ToolPages(file, QString::fromUtf8(c.input), more));
      hits += !tool.back().empty();
    }
    Start({file});
    for (size_t i = 0; i < std::size(cases); ++i) {
      SCOPED_TRACE(file.toStdString() + " " + cases[i].input);
      EXPECT_EQ(WindowPages(cases[i].input, cases[i].item, cases[i].match_case), tool[i]);
    }
    Stop();
  }
  EXPECT_GE(hits, 11u);  // nearly every case finds pages, so the comparison means something
}

}  // namespace
}  // namespace sk::search
