// The exports and imports in the window: the text export's page range with a selection, the
// repeat command, a cancelled or refused export, pages to and from another page file, and the
// text imports.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <filesystem>

#include "app/ui/test_window.h"
#include "browse/page_selection.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "exchange/text_import.h"
#include "exchange/ui/exchange_controller.h"
#include "store/test_util.h"

namespace sk::exchange {
namespace {

using app::B;
using app::test::J;
using store::test::Page;
using store::test::ReadBytes;
using store::test::WriteBytes;

// Ten pages: categories 日記/メモ alternating, dated 2024-01-10 back to 2024-01-01.
std::vector<Page> TenPages() {
  std::vector<Page> v;
  for (int i = 1; i <= 10; ++i) {
    char date[9];
    snprintf(date, sizeof date, "202401%02d", 11 - i);
    v.push_back({J(i % 2 ? "日記" : "メモ"), J("第") + std::to_string(i), "", date,
                 J("本文") + std::to_string(i) + "\r\n" + J("二行目"), i == 3 ? "a.jpg" : "",
                 i == 3 ? std::string(1, char(1 + 64)) : ""});
  }
  return v;
}

class ExchangeWindowTest : public app::test::MainFormTest {
 protected:
  app::TSDIAppForm& Open(const std::vector<Page>& pages = TenPages()) {
    const QString path = Path("ex.dbf");
    store::test::MakePageFile(path.toStdString(), pages);
    return Start({path});
  }
  int Rec() { return form_->session().table().RecNo(); }
  void Go(int n) {
    ASSERT_TRUE(NavOf().GotoRecNo(n)) << n;
    NavOf().AfterMove(true, true);
  }
  // Date order with only the 日記 pages: 9 7 5 3 1.
  void SelectDiaryInDateOrder() {
    SelectorOf().ReOrder(3);
    browse::PageSelection sel;
    sel.BunruiSelectMode = true;
    sel.SelBunruiList = {J("日記")};
    SelectorOf().ApplySelection(sel);
  }
  // The next export dialog closes with OK and the settings as they stand.
  void AcceptDialog() {
    prompter_.dialogs.push_back([](QDialog&) { return true; });
  }
  std::string Golden(const char* name) {
    return ReadBytes(std::string(SORAKUMO_SOURCE_DIR) + "/src/exchange/testdata/" + name);
  }
  // The pages of a page file in page-number order; the window's own file is read through its
  // table (it holds the file), whose order, selection and page are put back.
  std::vector<Page> PagesOf(const QString& path) {
    std::vector<Page> v;
    auto walk = [&v](store::Table& t) {
      for (Status st = t.First(); st.ok() && !t.Eof(); st = t.Next())
        v.push_back(store::test::ReadPage(t));
    };
    if (form_ && path == form_->session().Path()) {
      store::Table& t = form_->session().table();
      const store::Table::Bookmark here = t.GetBookmark();
      const std::string tag = t.IndexName();
      const bool filtered = t.Filtered();
      EXPECT_TRUE(t.SetFiltered(false).ok());
      EXPECT_TRUE(t.SetIndexName("").ok());
      walk(t);
      EXPECT_TRUE(t.SetIndexName(tag).ok());
      EXPECT_TRUE(t.SetFiltered(filtered).ok());
      if (here != 0) {
        EXPECT_TRUE(t.GotoBookmark(here).ok());
      }
      return v;
    }
    store::Table t;
    EXPECT_TRUE(t.Open(path.toStdString(), store::PageFileOptions(true)).ok());
    walk(t);
    return v;
  }
  QString Hint() { return form_->StatusPanels[3]->text(); }
};

TEST_F(ExchangeWindowTest, TextExportFromTheCurrentPageWithASelection) {
  app::TSDIAppForm& f = Open();
  SelectDiaryInDateOrder();
  Go(3);  // second to last of 9 7 5 3 1
  TextExportSettings& s = ExchangeOf().TextSettings();
  s.FileName = B(Path("out.txt"));
  s.AllPage = false;
  s.PageCount = 5;
  AcceptDialog();
  Trigger("ToTextFileItem");
  EXPECT_EQ(ReadBytes(Path("out.txt").toStdString()), Golden("window_from_current.txt"));
  EXPECT_EQ(Rec(), 3);  // back on the page that was on show
  EXPECT_EQ(Hint(), "2ページを " + Path("out.txt") + " に書き出しました。");
  EXPECT_EQ(ExchangeOf().LastExportKind(), 1);
  // The settings went back to the store when the dialog closed.
  settings::SettingsStore reg = Store();
  reg.OpenKey(settings::kRootKey, false);
  EXPECT_EQ(reg.ReadInteger("SaveTextPageCount", 0), 5);
  reg.CloseKey();
  f.FileMenuClick();
  EXPECT_EQ(f.Action("FileOutPutItem")->text(),
            QStringLiteral("前回と同一条件でテキストファイルを出力(&T)"));
  EXPECT_TRUE(f.Action("FileOutPutItem")->isEnabled());

  // A page that has just left the selection: the export starts on its neighbour.
  f.BunruiComboBox->setCurrentText(QStringLiteral("メモ"));
  s.PageCount = 1;
  f.conf().AskOverWrite = false;
  ExchangeOf().SetRepeatExport(true);
  ExchangeOf().ToTextFileItemClick();
  EXPECT_EQ(ReadBytes(Path("out.txt").toStdString()).substr(0, 13),
            "\x81\x9c"
            "2024/01/10\n");
}

TEST_F(ExchangeWindowTest, RepeatExportSkipsTheDialogAndAsksBeforeOverwriting) {
  app::TSDIAppForm& f = Open();
  TextExportSettings& s = ExchangeOf().TextSettings();
  s.FileName = B(Path("all.txt"));
  AcceptDialog();
  Trigger("ToTextFileItem");
  const std::string first = ReadBytes(Path("all.txt").toStdString());
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 10 * 9);
  WriteBytes(Path("all.txt").toStdString(), "keep");
  const size_t dialogs = prompter_.shown.size();
  prompter_.answers = {false};
  Trigger("FileOutPutItem");  // No: nothing written
  EXPECT_EQ(ReadBytes(Path("all.txt").toStdString()), "keep");
  EXPECT_EQ(prompter_.shown.size(), dialogs + 1);  // the question only, no dialog
  EXPECT_EQ(prompter_.shown.back(),
            QStringLiteral("お尋ね|同名のファイルが存在します。上書きしますか？"));
  prompter_.answers = {true};
  Trigger("FileOutPutItem");
  EXPECT_EQ(ReadBytes(Path("all.txt").toStdString()), first);
  EXPECT_FALSE(ExchangeOf().RepeatExport());
  (void)f;
}

TEST_F(ExchangeWindowTest, CancelledAndRefusedExportsLeaveNoFile) {
  Open();
  Go(4);
  HtmlSettings& h = ExchangeOf().HTMLSettings();
  h.HTMLFileName = B(Path("out.html"));
  ExchangeOf().SetProgressForTest([](uint32_t, uint32_t) { return false; });
  AcceptDialog();
  Trigger("HTMLFileItem");
  EXPECT_FALSE(QFile::exists(Path("out.html")));
  EXPECT_TRUE(Hint().startsWith(QStringLiteral("出力を中止しました。")));
  EXPECT_EQ(Rec(), 4);
  EXPECT_EQ(ExchangeOf().LastExportKind(), 2);
  ExchangeOf().SetProgressForTest({});
  // A folder that does not exist: the message, nothing written, the page unchanged.
  TexSettings& t = ExchangeOf().TeXSettings();
  t.TeXFileName = B(Path("no/such/out.tex"));
  AcceptDialog();
  Trigger("TeXFileItem");
  ASSERT_FALSE(prompter_.shown.empty());
  EXPECT_TRUE(prompter_.shown.back().startsWith(QStringLiteral(
      "お知らせ|指定されたファイルが開けません。\n\n他のアプリケーションで開かれているか，"
      "書き込み禁止ファイルです。")))
      << prompter_.shown.back().toStdString();
  EXPECT_EQ(Rec(), 4);
  // Cancelling a dialog writes nothing and keeps the last kind.
  Trigger("ToTextFileItem");
  EXPECT_EQ(ExchangeOf().LastExportKind(), 3);
}

TEST_F(ExchangeWindowTest, HtmlExportFindsPicturesAndTheirSizes) {
  app::TSDIAppForm& f = Open();
  // Page 3 lists a.jpg; beside the page file lies A.JPG (named in another case, as a page
  // written on Windows does): 400 x 300 pixels.
  QImage picture(400, 300, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(Path("A.JPG"), "JPEG"));
  HtmlSettings& h = ExchangeOf().HTMLSettings();
  h.HTMLFileName = B(Path("out.html"));
  h.GazoToSmall = true;
  h.GazoMaxWidth = 25.4;  // one inch: the screen's pixels per inch
  AcceptDialog();
  Trigger("HTMLFileItem");
  const std::string html = ReadBytes(Path("out.html").toStdString());
  const int max = HtmlImagePixels(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 25.4);
  ASSERT_LT(max, 400);
  const std::string img = "<IMG SRC=\"" + B(Path("A.JPG")) + "\" WIDTH=" + std::to_string(max) +
                          " HEIGHT=" + std::to_string(max * 300 / 400) + "></TD></TR>";
  EXPECT_NE(html.find(img), std::string::npos) << html.substr(0, 2000);
  EXPECT_NE(
      html.find("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">"),
      std::string::npos);
  EXPECT_NE(html.find("<TITLE>" + J("そらくも帖（ex.dbf）") + "</TITLE>"), std::string::npos);
  (void)f;
}

TEST_F(ExchangeWindowTest, PagesOfAnotherPageFileAreAppended) {
  const QString other = Path("other.dbf");
  store::test::MakePageFile(
      other.toStdString(),
      {{J("旅行"), J("一"), J("副"), "20230101", J("あ"), "x.jpg;y.jpg", ""},
       {J("旅行"), J("二"), "", "20230102", J("い"), "", std::string(1, char(1 + 32))},
       {J("日記"), J("三"), "", "", "", "", ""}});
  app::TSDIAppForm& f = Open();
  SelectDiaryInDateOrder();
  prompter_.files = {other};
  Trigger("APPendDBFItem");
  EXPECT_EQ(Rec(), 13);
  EXPECT_EQ(f.session().table().IndexName(), "");
  EXPECT_FALSE(f.session().table().Filtered());
  std::vector<Page> pages = PagesOf(Path("ex.dbf"));
  ASSERT_EQ(pages.size(), 13u);
  EXPECT_EQ(pages[10].image, "x.jpg;y.jpg");
  EXPECT_EQ(pages[11].key, std::string(1, char(1 + 32)));
  EXPECT_EQ(pages[12].title, J("三"));
  const auto& cats = NavOf().CategoryList();
  EXPECT_NE(std::find(cats.begin(), cats.end(), J("旅行")), cats.end());
  settings::SettingsStore reg = Store();
  // The page file itself cannot be taken in: it is held by the window.
  prompter_.files = {Path("ex.dbf")};
  Trigger("APPendDBFItem");
  EXPECT_TRUE(prompter_.shown.back().contains(QStringLiteral("を開くことができません。")));
  EXPECT_EQ(PagesOf(Path("ex.dbf")).size(), 13u);
  // A source whose memo file ends early: none of its pages come in.
  std::vector<Page> many(40, Page{"", "long", "", "", std::string(2000, 'x'), "", ""});
  store::test::MakePageFile(Path("damaged.dbf").toStdString(), many);
  std::filesystem::resize_file(Path("damaged.dbt").toStdString(), 512 * 60);
  prompter_.files = {Path("damaged.dbf")};
  Trigger("APPendDBFItem");
  EXPECT_TRUE(prompter_.shown.back().contains(QStringLiteral("追加の前のままです")))
      << prompter_.shown.back().toStdString();
  EXPECT_TRUE(prompter_.shown.back().contains(QStringLiteral("damaged.dbt")));
  EXPECT_EQ(PagesOf(Path("ex.dbf")).size(), 13u);
  EXPECT_EQ(Rec(), 13);
}

TEST_F(ExchangeWindowTest, SelectedPagesGoToANewPageFile) {
  app::TSDIAppForm& f = Open();
  SelectorOf().ReOrder(3);
  browse::PageSelection sel;
  sel.DateSelectMode = true;
  sel.SelStartDate = {2024, 1, 3};
  sel.SelEndDate = {2024, 1, 6};
  SelectorOf().ApplySelection(sel);  // pages 8 7 6 5 in date order
  Go(6);
  const QString target = Path("four.dbf");
  prompter_.files = {target};
  Trigger("ToDBFItem");
  std::vector<Page> pages = PagesOf(target);
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[0].title, J("第8"));
  EXPECT_EQ(pages[3].title, J("第5"));
  EXPECT_EQ(Hint(), "4ページを " + target + " に書き出しました。");
  EXPECT_EQ(Rec(), 6);  // the window stays where it was
  EXPECT_TRUE(f.session().table().Filtered());
  settings::SettingsStore reg = Store();
  ASSERT_TRUE(reg.OpenKey(settings::PerFileKeyPath("four.dbf"), false));
  EXPECT_EQ(reg.ReadStringList("Caption"), f.field_captions());
  reg.CloseKey();
  EXPECT_EQ(ExchangeOf().LastExportKind(), 4);
  // Repeating asks before overwriting, whatever the setting says.
  f.conf().AskOverWrite = false;
  SelectorOf().ApplySelection(browse::PageSelection{});
  Go(1);
  prompter_.answers = {false};
  Trigger("FileOutPutItem");
  EXPECT_EQ(PagesOf(target).size(), 4u);
  prompter_.answers = {true};
  Trigger("FileOutPutItem");
  EXPECT_EQ(PagesOf(target).size(), 10u);
  // The open file itself as the target: nothing happens.
  prompter_.files = {Path("ex.dbf")};
  Trigger("ToDBFItem");
  EXPECT_EQ(PagesOf(Path("ex.dbf")).size(), 10u);
}

TEST_F(ExchangeWindowTest, TextImportInNewPagesSplitsALongFile) {
  app::TSDIAppForm& f = Open();
  std::string file;
  for (int i = 0; file.size() < 70000; ++i)
    file += "line " + std::to_string(i) + " " + std::string(60, 'x') + "\n";
  WriteBytes(Path("long.txt").toStdString(), file);
  prompter_.files = {Path("long.txt")};
  Trigger("AppendTextToNewRecordItem");
  EXPECT_EQ(prompter_.last_spec.title, "インポートするファイル名");
  EXPECT_EQ(prompter_.last_spec.filter, "テキストファイル (*.txt *.htm* *.tex);;すべて (*.*)");
  std::vector<Page> pages = PagesOf(Path("ex.dbf"));
  ASSERT_EQ(pages.size(), 13u);
  size_t total = 0;
  for (size_t i = 10; i < 13; ++i) {
    EXPECT_EQ(pages[i].title, "long.txt");
    EXPECT_LE(pages[i].text.size(), kPageLimit);
    total += pages[i].text.size();
  }
  EXPECT_EQ(total, file.size() + std::count(file.begin(), file.end(), '\n'));  // CR LF
  EXPECT_EQ(Rec(), 13);
  EXPECT_EQ(prompter_.shown.back(),
            QStringLiteral(
                "お知らせ|ファイルのデータが長すぎたので，ページを分割してインプットしました。"));
  EXPECT_EQ(Hint(), QStringLiteral("Shift-JIS として読み込みました"));
  // A missing file.
  prompter_.files = {Path("none.txt")};
  Trigger("AppendTextToNewRecordItem");
  EXPECT_EQ(prompter_.shown.back(),
            QStringLiteral("お知らせ|") + Path("none.txt") + QStringLiteral(" は存在しません。"));
  // A program is no text: refused, naming it, in either mode; nothing is added or changed.
  WriteBytes(Path("ls").toStdString(), ReadBytes("/bin/ls"));
  const std::vector<Page> pages_before = PagesOf(Path("ex.dbf"));
  for (const char* item : {"AppendTextToNewRecordItem", "AppendTextToOneRecordItem"}) {
    prompter_.files = {Path("ls")};
    Trigger(item);
    EXPECT_TRUE(
        prompter_.shown.back().contains(Path("ls") + QStringLiteral(" はテキストファイルではない")))
        << prompter_.shown.back().toStdString();
  }
  EXPECT_EQ(PagesOf(Path("ex.dbf")), pages_before);
  // Half-width katakana in Shift-JIS, valid as UTF-8 too, is read as Shift-JIS.
  WriteBytes(Path("kana.txt").toStdString(), "\xCA\xB2\x20\xC3\xBD\r\n");
  prompter_.files = {Path("kana.txt")};
  Trigger("AppendTextToNewRecordItem");
  EXPECT_EQ(PagesOf(Path("ex.dbf")).back().text, "\xCA\xB2\x20\xC3\xBD\r\n");
  EXPECT_EQ(Hint(), QStringLiteral("Shift-JIS として読み込みました"));
  (void)f;
}

TEST_F(ExchangeWindowTest, TextImportAtTheEndOfThePage) {
  app::TSDIAppForm& f = Open();
  Go(2);
  // A UTF-8 file without a final line break: one edit, undone in one step.
  WriteBytes(Path("u.txt").toStdString(), "追記です\n二行目 😀");
  prompter_.files = {Path("u.txt")};
  Trigger("AppendTextToOneRecordItem");
  const std::string before = J("本文2") + "\r\n" + J("二行目");
  EXPECT_EQ(TextOf(), before + J("追記です") + "\r\n" + J("二行目 〓") + "\r\n");
  EXPECT_EQ(f.TextMemo->SelStart(), int(TextOf().size()));
  EXPECT_TRUE(Hint().contains(QStringLiteral("UTF-8")));
  EXPECT_TRUE(Hint().contains(QStringLiteral("1 文字")));
  EditorOf().Undo();
  EXPECT_EQ(TextOf(), before);
  EditorOf().UndoUndo();

  // Near the limit: the page fills up, the rest goes to a page titled '(追加1)'.
  const std::string big(29000, 'a');
  NavOf().BeforeMove();
  ASSERT_TRUE(f.session().table().Edit().ok());
  ASSERT_TRUE(f.session().table().SetFieldString("TEXT", big + "\r\n").ok());
  ASSERT_TRUE(f.session().table().Post().ok());
  NavOf().AfterMove(true, true);
  std::string file;
  for (int i = 0; i < 40; ++i) file += std::string(98, 'b') + "\r\n";
  WriteBytes(Path("b.txt").toStdString(), file);
  prompter_.files = {Path("b.txt")};
  Trigger("AppendTextToOneRecordItem");
  std::vector<Page> pages = PagesOf(Path("ex.dbf"));
  ASSERT_EQ(pages.size(), 11u);
  EXPECT_LE(pages[1].text.size(), kPageLimit);
  EXPECT_EQ(pages[1].text.substr(0, big.size()), big);
  EXPECT_EQ(pages[10].title, J("第2(追加1)"));
  EXPECT_EQ(pages[10].bunrui, pages[1].bunrui);
  EXPECT_EQ(pages[10].date, pages[1].date);
  EXPECT_EQ(pages[1].text.size() + pages[10].text.size(), big.size() + 2 + file.size());
  EXPECT_EQ(Rec(), 11);
}

}  // namespace
}  // namespace sk::exchange
