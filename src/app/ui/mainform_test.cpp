// The main window driven as a user would: commands through their actions, every dialog answered
// by a scripted prompter, settings in a temporary folder.
#include "app/ui/mainform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <filesystem>

#include "app/shell_logic.h"
#include "app/ui/about_box.h"
#include "shell/prompter.h"
#include "app/ui/test_window.h"
#include "shell/file_checks.h"
#include "browse/ui/navigator.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"
#include "exchange/export_run.h"
#include "settings/settings_store.h"
#include "store/check.h"
#include "store/file_io.h"
#include "store/page_file.h"
#include "store/test_util.h"

namespace sk::app {
namespace {

using test::J;
using test::MainFormTest;
using test::ScriptedPrompter;
namespace fs = std::filesystem;

TEST_F(MainFormTest, FirstStartWithAnEmptyStore) {
  TSDIAppForm& f = Start();
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  WindowRect want = FitWindowToScreen({}, screen.width(), screen.height());
  EXPECT_EQ(f.pos(), QPoint(want.left, want.top));
  EXPECT_EQ(f.size(), QSize(want.width, want.height));
  QList<int> widths = f.Panel1->sizes();
  ASSERT_EQ(widths.size(), 5);
  EXPECT_EQ(widths.mid(0, 3), (QList<int>{83, 146, 146}));
  // The date field is never narrower than the widest date in its font.
  EXPECT_EQ(widths[3], std::max(119, f.DatePanel->minimumSizeHint().width()));
  EXPECT_TRUE(f.StatusBar->isVisible());
  EXPECT_EQ(f.StatusPanels[1]->text(), "挿入");
  EXPECT_TRUE(f.Panel3->isHidden());
  EXPECT_EQ(f.RecNoLabel->text(), "0 ");
  EXPECT_EQ(f.windowTitle(), "SoraKumo");
  std::string welcome = QString::fromStdString(WelcomeText()).replace("\n", "\r\n").toStdString();
  EXPECT_EQ(cp932::ToUtf8(TextOf()), welcome);
  EXPECT_EQ(f.Labels[0]->text(), "分類");
  EXPECT_EQ(f.Action("DateFindItem")->text(), "日付検索(&Y)");
  EXPECT_EQ(prompter_.file_dialogs, 0);
  Stop();

  // Every value of the two root-key tables is stored by the shutdown.
  settings::SettingsStore s = Store();
  ASSERT_TRUE(s.OpenKey(settings::kRootKey, false));
  const char* names[] = {"DisplayStatusBar",
                         "Top",
                         "Left",
                         "Height",
                         "Width",
                         "TextImageLocation",
                         "TextImageWH",
                         "ImageForm",
                         "BunruiWidth",
                         "TitleWidth",
                         "ChoshaWidth",
                         "DateWidth",
                         "SmallCaptionDisp",
                         "SmallWindowFontName",
                         "SmallWindowFontSize",
                         "SmallWindowFontColor",
                         "SmallWindowFontStyle",
                         "FontName",
                         "TextFontSizeB",
                         "FontColor",
                         "FontStyle",
                         "TextBackColor",
                         "ImageBackColor",
                         "LastAccessedDBFileName",
                         "LastAccessedTxtFileName",
                         "RecentOpenedImageFileName",
                         "RecentOpenedImageFileDir",
                         "RecentOpenedTextFileName",
                         "RecentOpenedDBFAppendFileName",
                         "VScrollBarMode",
                         "WordWrapMode",
                         "TextFileWildCard",
                         "TopMargin",
                         "LeftMargin",
                         "RightMargin",
                         "MaxOrikaeshiHabaCm",
                         "ItemizeMode",
                         "ItemChar",
                         "ItemIndent",
                         "MiddleSkipPageCount",
                         "TabCount",
                         "AskOverWrite",
                         "ParIndent",
                         "CurSorPosAfterPaste",
                         "NotFoundMode",
                         "DispMemorialDay",
                         "ColorOfMemorialDay",
                         "HLComment",
                         "HLKakko",
                         "HLCommand",
                         "HLKeyWordA",
                         "HLKeyWordB",
                         "HLKeyWordKanA",
                         "HLKeyWordKanB",
                         "HLKeyWordKigoA",
                         "HLKeyWordKigoB",
                         "HLCommentStyle",
                         "HLKakkoStyle",
                         "HLCommandStyle",
                         "HLKeyWordAStyle",
                         "HLKeyWordBStyle",
                         "HLCommentColor",
                         "HLKakkoColor",
                         "HLCommandColor",
                         "HLKeyWordAColor",
                         "HLKeyWordBColor",
                         "HighLight",
                         "UnselectAfterCopy",
                         "DeleteSelectedStr",
                         "AddPageMode",
                         "OpenIME",
                         "BackUp",
                         "DoGazoRefresh",
                         "GazoRefreshInterval",
                         "FusenAutoRead",
                         "URLMail",
                         "AutoOpenFile",
                         "BackUpDeapth",
                         "OpenCountOfFileSlim",
                         "HideImageArea",
                         "TypeOfDateForTextOutput"};
  for (const char* n : names) EXPECT_TRUE(s.ValueExists(n)) << n;
  EXPECT_EQ(s.ReadInteger("BunruiWidth"), 83);
  EXPECT_EQ(s.ReadInteger("Top"), want.top);
  EXPECT_EQ(s.ReadInteger("TextImageWH"), DeriveTextImageWH(2, want.width, want.height));
  s.CloseKey();

  // The welcome text is shown once only.
  Start();
  EXPECT_EQ(TextOf(), "");
}

TEST_F(MainFormTest, StoredWindowLargerThanTheScreenIsPulledBack) {
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  WriteRoot([&](settings::SettingsStore& s) {
    s.WriteInteger("Top", 100);
    s.WriteInteger("Height", screen.height() + 50);
    s.WriteInteger("Left", 300);
    s.WriteInteger("Width", screen.width());
    s.WriteInteger("DisplayStatusBar", 1);
    s.WriteInteger("MiddleSkipPageCount", 5);
    s.WriteBool("SmallCaptionDisp", false);
  });
  TSDIAppForm& f = Start();
  EXPECT_EQ(f.pos(), QPoint(50, 10));
  EXPECT_EQ(f.size(), QSize(screen.width() - 100, screen.height() - 20));
  EXPECT_FALSE(f.StatusBar->isVisible());
  EXPECT_EQ(TextOf(), "");  // not a first run
  EXPECT_EQ(f.Action("TenPriorItem")->text(), "5ページ戻る(&Q)");
  EXPECT_EQ(f.Action("TenPriorItem")->shortcut(), QKeySequence(Qt::Key_F9));
  EXPECT_EQ(f.Action("TenNextItem")->text(), "5ページ進む(&M)");
  EXPECT_EQ(f.ToolButton("TenNextSpeedButton")->toolTip(), "5ページ進む (F12)");
  EXPECT_FALSE(f.Labels[0]->isVisible());
  EXPECT_EQ(f.Panel1->height(), 21);
  // The window never becomes smaller than 445 x 200.
  f.resize(100, 100);
  QApplication::processEvents();
  EXPECT_EQ(f.size(), QSize(445, 200));
}

TEST_F(MainFormTest, ArgumentOpensWithoutADialogAndShowsTheFirstPage) {
  QString path = Sample("Diary");
  TSDIAppForm& f = Start({path});
  EXPECT_EQ(prompter_.file_dialogs, 0);
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.windowTitle(), QString::fromStdString(WindowCaption("SoraKumo", path.toStdString())));
  EXPECT_TRUE(f.windowTitle().endsWith("/Diary.dbf）"));
  EXPECT_EQ(f.RecNoLabel->text(), "1 ");
  store::Table t;
  ASSERT_FALSE(t.Open(path.toStdString()).ok());  // held exclusively while open
  EXPECT_EQ(f.TitleEdit->text().toStdString().empty(), false);
  EXPECT_FALSE(TextOf().empty());
  EXPECT_TRUE(f.Action("NextItem")->isEnabled());
  EXPECT_FALSE(f.Panel3->isHidden());  // the image side shows with a page
  Stop();
  settings::SettingsStore s = Store();
  s.OpenKey(settings::kRootKey, false);
  EXPECT_EQ(cp932::ToUtf8(s.ReadString("LastAccessedDBFileName")), path.toStdString());
  EXPECT_EQ(cp932::ToUtf8(s.ReadString("DBFileName")), path.toStdString());
  s.OpenKey(settings::PerFileKeyPath("diary.dbf"), false);
  EXPECT_EQ(s.ReadInteger("OpenCount"), 1);
  EXPECT_EQ(s.ReadStringList("Caption").size(), 5u);
}

TEST_F(MainFormTest, AutoOpenFile) {
  // Set with an empty last file: nothing opens and nothing is asked.
  WriteRoot([](settings::SettingsStore& s) { s.WriteBool("AutoOpenFile", true); });
  TSDIAppForm& f = Start();
  EXPECT_FALSE(f.FileIsOpen());
  EXPECT_EQ(prompter_.file_dialogs, 0);
  EXPECT_TRUE(prompter_.shown.empty());
  Stop();
  // Set with a last file: it opens.
  QString path = Sample("Auto");
  WriteRoot([&](settings::SettingsStore& s) {
    s.WriteString("LastAccessedDBFileName", path.toStdString());
  });
  EXPECT_TRUE(Start().FileIsOpen());
  Stop();
  // Not set: the last file is only offered in the dialog.
  WriteRoot([](settings::SettingsStore& s) { s.WriteBool("AutoOpenFile", false); });
  EXPECT_FALSE(Start().FileIsOpen());
}

TEST_F(MainFormTest, OpenFailuresKeepTheOpenFile) {
  QString good = Sample("Good");
  Sample("Other");
  QFile::copy(good, Path("notes.txt"));
  TSDIAppForm& f = Start({good});
  ASSERT_TRUE(f.FileIsOpen());

  // Another program holds the file.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    int fd = ::open(Path("Other.dbf").toLocal8Bit().constData(), O_RDWR);
    flock(fd, LOCK_EX);
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);

  QDir().mkdir(Path("a.dbf"));
  {
    QFile text(Path("notes.dbf"));  // a text file that only looks like a page file by its name
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("買い物: 牛乳, 卵, 食パン, コーヒー豆\n");
  }
  const QString cannot =
      " を開くことができません。\n\nすでに開かれているか，または存在しないものと思われます。\n\n";
  const QString held = "このプログラムまたは他のプログラムがすでに開いています。";
  struct Case {
    QString path;
    QString message;
  } cases[] = {
      {Path("notes.txt"), "お知らせ|拡張子が \"dbf\" でないので，オープンできません。"},
      {Path("missing.dbf"),
       "お知らせ|" + Path("missing.dbf") + cannot + "そのファイルは存在しません。"},
      {Path("a.dbf"),
       "お知らせ|" + Path("a.dbf") + cannot + "それはフォルダで，ページファイルではありません。"},
      {Path("notes.dbf"), "お知らせ|" + Path("notes.dbf") + cannot +
                              "dBASE のファイル（ページファイル）ではありません。"},
      {Path("Other.dbf"), "お知らせ|" + Path("Other.dbf") + cannot + held},
      {good, "お知らせ|" + good + cannot + held},  // this very file, already open here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    prompter_.shown.clear();
    prompter_.files.push_back(c.path);
    Trigger("OpenItem");
    EXPECT_EQ(prompter_.last_title, "オープンするファイル名");
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0], c.message);
    EXPECT_TRUE(f.FileIsOpen());
    EXPECT_EQ(f.session().Path(), good);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);

  // Cancelling the dialog changes nothing.
  prompter_.files.push_back(std::nullopt);
  Trigger("OpenItem");
  EXPECT_EQ(f.session().Path(), good);
}

TEST_F(MainFormTest, CreateOverAnExistingFileStartsWithOneDatedPage) {
  QString path = Sample("Fresh");
  TSDIAppForm& f = Start();
  prompter_.files.push_back(path);
  prompter_.answers.push_back(true);  // replace it
  Trigger("NewItem");
  EXPECT_EQ(prompter_.last_title, "作成するファイル名");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "お尋ね|同名のファイルが存在します。上書きしますか？");
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.RecNoLabel->text(), "1 ");
  QDate today = QDate::currentDate();
  EXPECT_EQ(f.DateEdit->text(),
            browse::Navigator::FormatDate({today.year(), today.month(), today.day()}));
  EXPECT_TRUE(f.Action("PageOrderItem")->isChecked());
  EXPECT_EQ(TextOf(), "");
  // The five default categories and no empty sixth for the page without one.
  EXPECT_EQ(f.BunruiComboBox->count(), 5);
  EXPECT_EQ(f.BunruiComboBox->findText(QString()), -1);
  EXPECT_EQ(f.BunruiComboBox->currentText(), "");
  Trigger("SaveCloseItem");
  EXPECT_FALSE(f.FileIsOpen());

  store::Table t;
  ASSERT_TRUE(t.Open(path.toStdString()).ok());
  EXPECT_EQ(t.RecordCount(), 1u);
  ASSERT_TRUE(t.First().ok());
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_EQ(t.FieldString("DATE"), today.toString("yyyyMMdd").toStdString());
  EXPECT_EQ(t.FieldString("TEXT"), "");

  // Answering No leaves the file alone.
  ASSERT_TRUE(t.Close().ok());
  prompter_.files.push_back(path);
  prompter_.answers.push_back(false);
  Trigger("NewItem");
  EXPECT_FALSE(f.FileIsOpen());
}

TEST_F(MainFormTest, EditsSurviveCloseSaveAndShutdown) {
  QString path = Sample("Edit");
  TSDIAppForm& f = Start({path});
  ASSERT_TRUE(f.FileIsOpen());
  f.TextMemo->SetSelStart(0);
  f.TextMemo->setFocus();
  QTest::keyClicks(f.TextMemo, "abc");
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("日本語"));
  QApplication::sendEvent(f.TextMemo, &commit);
  f.TitleEdit->setText(QStringLiteral("新しい題"));
  std::string text = TextOf();
  ASSERT_EQ(text.substr(0, 9), "abc" + J("日本語"));

  // Save closes and reopens the same file; the edits are in it and the page is the first.
  Trigger("SaveItem");
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.session().Path(), path);
  EXPECT_EQ(TextOf(), text);
  EXPECT_EQ(f.TitleEdit->text(), "新しい題");
  EXPECT_TRUE(f.windowTitle().endsWith("/Edit.dbf）"));

  // Close clears the window and disables the file commands.
  Trigger("SaveCloseItem");
  EXPECT_FALSE(f.FileIsOpen());
  EXPECT_EQ(f.windowTitle(), "SoraKumo");
  EXPECT_EQ(f.RecNoLabel->text(), "0 ");
  EXPECT_EQ(TextOf(), "");
  EXPECT_TRUE(f.DateEdit->text().isEmpty());

  // Typed text is written by the shutdown too.
  prompter_.files.push_back(path);
  Trigger("OpenItem");
  ASSERT_TRUE(f.FileIsOpen());
  f.TextMemo->SetSelStart(0);
  QTest::keyClicks(f.TextMemo, "Z");
  Stop();
  store::Table t;
  ASSERT_TRUE(t.Open(path.toStdString()).ok());
  ASSERT_TRUE(t.First().ok());
  EXPECT_EQ(t.FieldString("TEXT"), "Z" + text);
  EXPECT_EQ(t.FieldString("TITLE"), J("新しい題"));
}

TEST_F(MainFormTest, CharactersThePageCannotHold) {
  QString path = Sample("Chars");
  TSDIAppForm& f = Start({path});
  f.TextMemo->SetSelStart(0);
  f.TextMemo->setFocus();
  std::string before = TextOf();
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("😀"));
  QApplication::sendEvent(f.TextMemo, &commit);
  EXPECT_EQ(TextOf(), before);
  EXPECT_TRUE(f.StatusPanels[3]->text().contains("😀")) << f.StatusPanels[3]->text().toStdString();
  EXPECT_TRUE(f.StatusPanels[3]->text().contains("U+1F600"));

  QApplication::clipboard()->setText(QStringLiteral("a😀é〜"));
  prompter_.shown.clear();
  f.TextMemo->PasteClip();
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0],
            "お知らせ|ページに保存できない文字 2 個を「〓」に置き換えて貼りつけました。");
  EXPECT_EQ(TextOf().substr(0, 7), "a" + J("〓〓") + "\x81\x60");
}

TEST_F(MainFormTest, MenuEnablingFollowsTheOpenFile) {
  QString path = Sample("Menus");
  TSDIAppForm& f = Start();
  struct Item {
    const char* name;
    bool without_file;
  } items[] = {
      {"NewItem", true},           {"OpenItem", true},        {"ExitItem", true},
      {"SaveItem", false},         {"SaveCloseItem", false},  {"SlimItem", false},
      {"ExportItem", false},       {"ToTextFileItem", false}, {"MojiFindItem", false},
      {"ReplaceItem", false},      {"NextItem", false},       {"RecordAppendItem", false},
      {"PageOrderItem", false},    {"SetKankyoItem", false},  {"SetFontSizeItem", true},
      {"AddImageFileItem", false}, {"ImageSaveAItem", true},  {"AboutItem", true},
      {"FusenItem", false},        {"PopUpFusenItem", false}, {"CopyPopUpItem", true},
  };
  for (const Item& i : items) EXPECT_EQ(f.Action(i.name)->isEnabled(), i.without_file) << i.name;
  EXPECT_FALSE(f.DateTimePicker->isEnabled());
  EXPECT_TRUE(f.ToolButton("NextBtn")->isEnabled());

  // The repeat-export item is greyed until an export ran.
  f.FileMenuClick();
  EXPECT_FALSE(f.Action("FileOutPutItem")->isEnabled());
  ExchangeOf().SetLastExportKindForTest(2);
  f.FileMenuClick();
  EXPECT_TRUE(f.Action("FileOutPutItem")->isEnabled());
  EXPECT_EQ(f.Action("FileOutPutItem")->text(), "前回と同一条件でHTMLファイルを出力(&T)");

  prompter_.files.push_back(path);
  Trigger("OpenItem");
  ASSERT_TRUE(f.FileIsOpen());
  for (const Item& i : items) EXPECT_TRUE(f.Action(i.name)->isEnabled()) << i.name;
  EXPECT_TRUE(f.DateTimePicker->isEnabled());
  f.FileMenuClick();
  EXPECT_FALSE(f.Action("FileOutPutItem")->isEnabled());  // opening resets the last export

  // The Edit menu with no selection in the text area.
  f.session().SetFocusedArea(3);
  f.TextMemo->SetSelStart(0);
  f.EditMenuClick();
  EXPECT_FALSE(f.Action("UpperLowerItem")->isEnabled());
  EXPECT_FALSE(f.Action("TextCopyItem")->isEnabled());
  EXPECT_EQ(f.Action("MojisuItem")->text(), "テキスト全体の文字数をカウント(&N)");
  // A selection in the title and text on the clipboard.
  QApplication::clipboard()->setText("x");
  f.TitleEdit->setFocus();
  f.TitleEdit->selectAll();
  f.session().SetFocusedArea(1);
  f.EditMenuClick();
  for (const char* n : {"TextCopyItem", "TextCutItem", "TextDeleteItem", "TextPasteItem"})
    EXPECT_TRUE(f.Action(n)->isEnabled()) << n;
  EXPECT_FALSE(f.Action("TextSelectAllItem")->isEnabled());
  // A selection in the text area.
  f.session().SetFocusedArea(3);
  f.TextMemo->setFocus();
  f.TextMemo->SetSelStart(0);
  f.TextMemo->SetSelLength(2);
  f.EditMenuClick();
  EXPECT_TRUE(f.Action("UpperLowerItem")->isEnabled());
  EXPECT_EQ(f.Action("MojisuItem")->text(), "選択領域の文字数をカウント(&N)");
  f.TextPopupMenuPopup();
  EXPECT_TRUE(f.Action("CopyPopUpItem")->isEnabled());
  EXPECT_EQ(f.Action("PopUpPasteToTitleItem")->text(), "(&1) 選択文字列をタイトル欄に貼りつけ");

  Trigger("SaveCloseItem");
  for (const Item& i : items) EXPECT_EQ(f.Action(i.name)->isEnabled(), i.without_file) << i.name;
}

TEST_F(MainFormTest, CustomFieldCaptionsRewriteEveryDerivedCaption) {
  QString path = Sample("Custom");
  {
    settings::SettingsStore s = Store();
    s.OpenKey(settings::PerFileKeyPath("custom.dbf"), true);
    s.WriteStringList("Caption", {J("種別"), J("題"), J("著者"), J("日付"), J("写真")});
    ASSERT_TRUE(s.Sync().ok());
  }
  TSDIAppForm& f = Start({path});
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.Labels[0]->text(), "種別");
  EXPECT_EQ(f.Labels[4]->text(), "写真(1/1)");  // with the count of the first page
  EXPECT_EQ(f.Action("DateFindItem")->text(), "日付検索(&Y)");
  EXPECT_EQ(f.Action("TitleFindItem")->text(), "題検索(&T)");
  EXPECT_EQ(f.Action("BTOrderItem")->text(), "(種別+題)順(&4)");
  EXPECT_EQ(f.Action("BTOrderItem")->statusTip(), "種別(主)，題(副)順にページを表示する。");
  EXPECT_EQ(f.ImageFileNameEdit->statusTip(), "ページに関連づけられた写真。直接記入は不可。");
  EXPECT_EQ(f.BunruiComboBox->statusTip(),
            "種別。設定は，右端のボタンで行います。項目の追加は環境設定で。");
  f.TextMemo->SetSelStart(0);
  f.TextMemo->SetSelLength(1);
  f.TextPopupMenuPopup();
  EXPECT_EQ(f.Action("PopUpPasteToSubtitleItem")->text(), "(&2) 選択文字列を著者欄に貼りつけ");

  // A file whose stored captions are too few gets the defaults, written back.
  QString other = Sample("Short");
  {
    settings::SettingsStore s = Store();
    s.OpenKey(settings::PerFileKeyPath("short.dbf"), true);
    s.WriteStringList("Caption", {J("種別")});
    ASSERT_TRUE(s.Sync().ok());
  }
  prompter_.files.push_back(other);
  Trigger("OpenItem");
  EXPECT_EQ(f.Labels[0]->text(), "分類");
  EXPECT_EQ(f.Action("BTOrderItem")->text(), "(分類+タイトル)順(&4)");
  Stop();
  settings::SettingsStore s = Store();
  s.OpenKey(settings::PerFileKeyPath("short.dbf"), false);
  EXPECT_EQ(s.ReadStringList("Caption").size(), 5u);
}

TEST_F(MainFormTest, OpenCountAndOldFilesAskForSlimming) {
  const QString slim_question =
      "ファイルのスリム化|ファイルのスリム化を実行しますか。\n\n"
      "実行すると，ファイルの贅肉が落ちてファイルサイズが小さくなり，処理速度が少し向上します。\n\n"
      "なお，これによってデータの内容が変化することはありません。\n";
  QString path = Sample("Count");
  {
    settings::SettingsStore s = Store();
    s.OpenKey(settings::PerFileKeyPath("count.dbf"), true);
    s.WriteInteger("OpenCount", 11);
    ASSERT_TRUE(s.Sync().ok());
  }
  prompter_.answers.push_back(false);  // 11 > 10: slimming is offered
  TSDIAppForm& f = Start({path});
  ASSERT_TRUE(f.FileIsOpen());
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], slim_question);
  auto count = [&] {
    settings::SettingsStore s = Store();
    s.OpenKey(settings::PerFileKeyPath("count.dbf"), false);
    return s.ReadInteger("OpenCount", -1);
  };
  EXPECT_EQ(count(), 0);
  Trigger("SaveCloseItem");
  prompter_.files.push_back(path);
  Trigger("OpenItem");
  EXPECT_EQ(count(), 1);
  Trigger("SaveItem");  // reopening does not count
  EXPECT_EQ(count(), 1);

  // A file whose first index key is not upper-cased is old: slimming is offered at once.
  QString old = Path("Old.dbf");
  std::vector<store::TagSpec> tags = store::PageFileTags();
  tags[0].expr = "SUBTITLE+DTOS(DATE)";
  ASSERT_TRUE(store::Table::Create(old.toStdString(), store::PageRecordFields(), tags).ok());
  prompter_.shown.clear();
  prompter_.answers.push_back(false);
  prompter_.files.push_back(old);
  Trigger("OpenItem");
  EXPECT_TRUE(f.FileIsOpen());
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], slim_question);
}

TEST_F(MainFormTest, ExportTargetChecks) {
  TSDIAppForm& f = Start();
  QString target = Path("out.txt");
  // Checked and written at once: an empty file takes the target's place.
  auto check = [&](const QString& path, const char* ext) {
    exchange::AsideFile out;
    return shell::CheckSaveFileName(f, path, ext, &out) && out.Commit().ok();
  };
  // Wrong extension: refused before anything is written.
  EXPECT_FALSE(check(Path("out.htm"), "txt"));
  EXPECT_EQ(prompter_.shown.back(), "お知らせ|拡張子が \"txt\" でないので，書き込めません。");
  EXPECT_FALSE(QFile::exists(Path("out.htm")));
  // A new file is created empty.
  EXPECT_TRUE(check(target, "txt"));
  EXPECT_TRUE(QFile::exists(target));
  // An existing one: replaced only after Yes.
  {
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
  }
  prompter_.answers.push_back(false);
  EXPECT_FALSE(check(target, "txt"));
  EXPECT_EQ(QFileInfo(target).size(), 4);
  prompter_.answers.push_back(true);
  EXPECT_TRUE(check(target, "txt"));
  EXPECT_EQ(QFileInfo(target).size(), 0);
  // A folder that does not exist.
  EXPECT_FALSE(check(Path("no/such/dir/out.txt"), "txt"));
  EXPECT_EQ(prompter_.shown.back(),
            "お知らせ|指定されたファイルが開けません。\n\n"
            "他のアプリケーションで開かれているか，書き込み禁止ファイルです。");
}

TEST_F(MainFormTest, TextOnlyLayoutNeverShowsTheImageSide) {
  WriteRoot([](settings::SettingsStore& s) { s.WriteInteger("TextImageLocation", 4); });
  TSDIAppForm& f = Start({Sample("TextOnly")});
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_TRUE(f.Panel3->isHidden());
  EXPECT_EQ(f.AboutBox->windowTitle(), "そらくも帖 ﾊﾞｰｼﾞｮﾝ情報");
}

// The keys of the command table reach their commands from the text area, where the text area
// would otherwise take some of them for itself (Ctrl+Z, Ctrl+Y).
TEST_F(MainFormTest, ShortcutsReachTheirCommandsFromTheTextArea) {
  TSDIAppForm& f = Start({Sample("Keys")});
  ASSERT_TRUE(f.FileIsOpen());
  QApplication::setActiveWindow(&f);
  f.TextMemo->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  struct Key {
    const char* item;
    QKeySequence keys;
  } keys[] = {
      {"UndoItem", QKeySequence("Alt+Backspace")},
      {"RecordAppendItem", QKeySequence("Ctrl+Z")},
      {"NextItem", QKeySequence("F11")},
      {"FirstItem", QKeySequence("Ctrl+F9")},
      {"MojiFindItem", QKeySequence("Ctrl+H")},
      {"JumpPageNumItem", QKeySequence("Ctrl+J")},
      {"AddImageFileItem", QKeySequence("Ctrl+Alt+A")},
  };
  std::string before = TextOf();
  QTest::keyClicks(f.TextMemo, "x");             // something to undo
  prompter_.file_lists.push_back(std::nullopt);  // the add dialog, cancelled
  for (const Key& k : keys) {
    int fired = 0;
    auto c = QObject::connect(f.Action(k.item), &QAction::triggered, [&] { ++fired; });
    QTest::keySequence(f.TextMemo, k.keys);
    QObject::disconnect(c);
    EXPECT_EQ(fired, 1) << k.item;
  }
  EXPECT_EQ(TextOf(), before);
}

}  // namespace
// Damage in the title tag that the open does not meet: the step that meets it rebuilds the index
// once, the window tells the user after the command, and the move lands where it should.
TEST_F(MainFormTest, DamagedIndexMetWhileSteppingIsRebuiltAndTold) {
  const std::string path = Path("Damaged.dbf").toStdString();
  const std::vector<int> by_title = store::test::MakeTitledPages(path, 300, "title");
  // A leaf of tag T far from the keys an open looks up: its key count made impossible.
  const std::string mdx = store::SiblingPath(path, "mdx");
  const uint32_t root = store::test::TagRoot(mdx, "T");
  ASSERT_NE(root, 0u);
  const std::string m = store::test::ReadBytes(mdx);
  const uint32_t leaf = store::Get32(reinterpret_cast<const unsigned char*>(m.data()) +
                                     size_t(root) * 512 + 8 + 5 * 56);
  store::test::Patch(mdx, size_t(leaf) * 512, store::test::U32(1000));

  TSDIAppForm& f = Start({QString::fromStdString(path)});
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_TRUE(prompter_.shown.empty()) << prompter_.shown.front().toStdString();
  Trigger("TOrderItem");
  Trigger("FirstItem");
  for (int i = 0; i < 12; ++i) Trigger("TenNextItem");  // across the damaged leaf
  EXPECT_EQ(f.RecNoLabel->text(), QString::number(by_title[120]) + " ");
  Trigger("LastItem");
  for (int i = 0; i < 5; ++i) Trigger("PriorItem");
  EXPECT_EQ(f.RecNoLabel->text(), QString::number(by_title[by_title.size() - 6]) + " ");
  int told = 0;
  for (const QString& s : prompter_.shown) told += s.contains("作り直しました") ? 1 : 0;
  EXPECT_EQ(told, 1) << "the rebuild is told once";
  Stop();
  EXPECT_EQ(store::CheckTableFiles(path), std::vector<std::string>{});
}

}  // namespace sk::app
