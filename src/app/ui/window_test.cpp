// How the main window looks and reads: header fields wide enough for what they show, the page
// number in view, fields closed while no file is open, Qt's own texts in Japanese, toolbar icons
// and their hints, and the sample file telling only the truth about the program.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <set>

#include "app/menu_table.h"
#include "app/ui/icons.h"
#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "app/ui/test_window.h"
#include "browse/ui/navigator.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"
#include "store/page_file.h"
#include "store/table.h"

namespace sk::app {
namespace {

using test::J;
using test::MainFormTest;

using WindowTest = MainFormTest;

// True when a line edit shows its whole text: with the caret at the end the text has not been
// scrolled to the left.
::testing::AssertionResult ShowsWholeText(QLineEdit* e) {
  auto caret = [e] { return e->inputMethodQuery(Qt::ImCursorRectangle).toRect(); };
  const QString text = e->text();
  e->setCursorPosition(0);
  (void)e->grab();
  const int start = caret().left();
  e->setCursorPosition(int(text.size()));
  (void)e->grab();
  const int end = caret().left();
  const int advance = QFontMetrics(e->font()).horizontalAdvance(text);
  if (end - start + 1 >= advance && caret().center().x() < e->width())
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\"" << text.toStdString() << "\" needs " << advance << " px, shows " << (end - start)
         << " in a box of " << e->width();
}

// True when every entry of the category box fits in its text part.
::testing::AssertionResult ShowsEveryEntry(QComboBox* box) {
  QStyleOptionComboBox opt;
  opt.initFrom(box);
  opt.rect = box->rect();
  opt.editable = false;
  const int room =
      box->style()
          ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box)
          .width();
  for (int i = 0; i < box->count(); ++i) {
    const int need = QFontMetrics(box->font()).horizontalAdvance(box->itemText(i));
    if (need > room)
      return ::testing::AssertionFailure()
             << box->itemText(i).toStdString() << " needs " << need << " px, has " << room;
  }
  return ::testing::AssertionSuccess();
}

// The page number is shown, and lies inside the window.
::testing::AssertionResult PageNumberInView(TSDIAppForm& f) {
  QLabel* l = f.RecNoLabel;
  const QRect r(l->mapTo(&f, QPoint(0, 0)), l->size());
  if (l->isVisible() && f.rect().contains(r)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "page number at " << r.x() << "+" << r.width() << " in a window " << f.width()
         << " wide, visible " << l->isVisible();
}

TEST_F(WindowTest, HeaderFieldsAndThePageNumberFitAtEveryWidth) {
  QString path = Sample("Wide");
  TSDIAppForm& f = Start({path});
  for (int i = 0; i < 5; ++i) Trigger("NextItem");
  ASSERT_EQ(f.DateEdit->text(), "2021/12/31(金)");
  for (int width : {f.minimumWidth(), 650, 1280}) {
    SCOPED_TRACE(width);
    f.resize(width, 600);
    QApplication::processEvents();
    EXPECT_TRUE(ShowsWholeText(f.DateEdit));
    EXPECT_TRUE(PageNumberInView(f));
    EXPECT_EQ(f.RecNoLabel->text(), "6 ");
  }

  // A new file offers the default categories, the longest of them 新聞切抜き.
  prompter_.files.push_back(Path("New.dbf"));
  Trigger("NewItem");
  ASSERT_TRUE(f.FileIsOpen());
  ASSERT_GE(f.BunruiComboBox->findText("新聞切抜き"), 0);
  for (int width : {f.minimumWidth(), 650}) {
    SCOPED_TRACE(width);
    f.resize(width, 600);
    QApplication::processEvents();
    EXPECT_TRUE(ShowsEveryEntry(f.BunruiComboBox));
    EXPECT_TRUE(ShowsWholeText(f.DateEdit));
    EXPECT_TRUE(PageNumberInView(f));
  }
}

TEST_F(WindowTest, NothingCanBeTypedWithoutAFile) {
  QString path = Sample("Closed");
  TSDIAppForm& f = Start();
  const std::string welcome = TextOf();
  QTest::keyClicks(f.TextMemo, "abc");
  QTest::keyClicks(f.TitleEdit, "abc");
  QTest::keyClicks(f.ChoshaEdit, "abc");
  EXPECT_EQ(TextOf(), welcome);
  EXPECT_EQ(f.TitleEdit->text(), "");
  EXPECT_EQ(f.ChoshaEdit->text(), "");
  EXPECT_FALSE(f.BunruiComboBox->isEnabled());

  prompter_.files.push_back(path);
  Trigger("OpenItem");
  ASSERT_TRUE(f.FileIsOpen());
  f.TitleEdit->clear();
  QTest::keyClicks(f.TitleEdit, "abc");
  EXPECT_EQ(f.TitleEdit->text(), "abc");
  EXPECT_TRUE(f.BunruiComboBox->isEnabled());

  Trigger("SaveCloseItem");
  ASSERT_FALSE(f.FileIsOpen());
  QTest::keyClicks(f.TextMemo, "xyz");
  QTest::keyClicks(f.TitleEdit, "xyz");
  EXPECT_EQ(TextOf(), "");
  EXPECT_EQ(f.TitleEdit->text(), "");
}

TEST_F(WindowTest, HeaderFieldsKeepOnlyWhatThePageCanHold) {
  QString path = Sample("Held");
  TSDIAppForm& f = Start({path});
  f.TitleEdit->setFocus();
  f.TitleEdit->selectAll();
  QApplication::clipboard()->setText(QStringLiteral("題😀é"));
  prompter_.shown.clear();
  QTest::keyClick(f.TitleEdit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(f.TitleEdit->text(), "題〓〓");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0],
            "お知らせ|ページに保存できない文字 2 個を「〓」に置き換えて貼りつけました。");

  f.ChoshaEdit->setFocus();
  f.ChoshaEdit->setText("ab");
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("😀"));
  QApplication::sendEvent(f.ChoshaEdit, &commit);
  EXPECT_EQ(f.ChoshaEdit->text(), "ab");
  EXPECT_TRUE(f.StatusPanels[3]->text().contains("U+1F600"))
      << f.StatusPanels[3]->text().toStdString();

  // The page keeps what the field shows.
  Trigger("NextItem");
  Trigger("PriorItem");
  EXPECT_EQ(f.TitleEdit->text(), "題〓〓");
  store::Table& t = f.session().table();
  std::string title;
  ASSERT_TRUE(t.ReadField("TITLE", &title).ok());
  EXPECT_EQ(title, J("題〓〓"));
}

TEST_F(WindowTest, QtsOwnTextsAreJapanese) {
  TSDIAppForm& f = Start();
  QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Ok |
                           QDialogButtonBox::Cancel);
  for (auto b : {QDialogButtonBox::Yes, QDialogButtonBox::No, QDialogButtonBox::Cancel}) {
    const QString text = buttons.button(b)->text();
    EXPECT_TRUE(text.contains(QRegularExpression("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]")))
        << text.toStdString();
  }
  QFileDialog dialog(&f);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* name_label = dialog.findChild<QLabel*>("fileNameLabel");
  ASSERT_NE(name_label, nullptr);
  EXPECT_TRUE(name_label->text().contains("ファイル")) << name_label->text().toStdString();

  auto* calendar = f.findChild<QCalendarWidget*>("DateTimePickerCalendar");
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->locale().language(), QLocale::Japanese);
  EXPECT_EQ(calendar->locale().dayName(3, QLocale::ShortFormat), "水");
  // The header reads "2021年 2月", year first, and there is no week column.
  EXPECT_EQ(calendar->verticalHeaderFormat(), QCalendarWidget::NoVerticalHeader);
  calendar->resize(calendar->sizeHint());
  for (int month : {2, 11}) {
    calendar->setCurrentPage(2021, month);
    (void)calendar->grab();  // paints it
    auto* year = calendar->findChild<QToolButton*>("qt_calendar_yearbutton");
    auto* month_button = calendar->findChild<QToolButton*>("qt_calendar_monthbutton");
    ASSERT_TRUE(year && month_button);
    EXPECT_EQ(year->text(), "2021年");
    EXPECT_EQ(month_button->text(), QString::number(month) + "月");
    EXPECT_LT(year->geometry().right(), month_button->geometry().left());
  }

  // Key names in shortcut texts: Qt's translation misspells "Backspace".
  EXPECT_EQ(f.Action("UndoItem")->shortcut().toString(QKeySequence::NativeText), "Alt+Backspace");
  EXPECT_EQ(f.Action("UndoUndoItem")->shortcut().toString(QKeySequence::NativeText),
            "Alt+Shift+Backspace");
}

TEST_F(WindowTest, DialogsShowTheirCaptionAndStartOnTheCurrentFont) {
  TSDIAppForm& f = Start();
  // A short text under a long caption: the box is wide enough for the caption.
  const QString caption = QStringLiteral("選択された文字列の文字数");
  shell::MessageBox box(QMessageBox::Information, caption, QStringLiteral("総バイト数　3"),
                 QMessageBox::Ok, &f);
  box.show();
  QApplication::processEvents();
  EXPECT_GT(box.width(), QFontMetrics(box.font()).horizontalAdvance(caption) + 100);
  box.close();

  // The text font under its stored name, sized in pixels as the window sizes it: the font
  // dialog starts on the family that name stands for, at its size in points.
  QFont text_font(QStringLiteral("ＭＳ 明朝"));
  text_font.setPixelSize(16);
  const QFont start = shell::FontForDialog(text_font);
  EXPECT_EQ(start.family(), QFontInfo(text_font).family());
  EXPECT_EQ(start.family(), "IPAMincho");
  EXPECT_NEAR(start.pointSizeF(), QFontInfo(text_font).pointSizeF(), 0.01);
  QFontDialog dialog(start);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  EXPECT_EQ(dialog.currentFont().family(), "IPAMincho");
  EXPECT_NEAR(dialog.currentFont().pointSizeF(), start.pointSizeF(), 0.5);
}

TEST_F(WindowTest, ToolbarShowsIconsWithHintsFromTheShortcuts) {
  TSDIAppForm& f = Start();
  std::vector<QImage> seen;
  for (const ToolButtonDef& d : ToolbarButtons()) {
    SCOPED_TRACE(d.name);
    QToolButton* b = f.ToolButton(d.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), "");
    ASSERT_FALSE(b->icon().isNull());
    QImage image = b->icon().pixmap(QSize(16, 16)).toImage();
    ASSERT_FALSE(image.isNull());
    for (const QImage& other : seen) EXPECT_NE(image, other) << "two buttons look the same";
    seen.push_back(image);
  }
  // A hint names the key that runs the same command from the menu.
  struct Hint {
    const char* button;
    const char* item;
    const char* words;
  } hints[] = {{"ModoruButton", "PageRirekiBackItem", "ページ移動歴を戻る"},
               {"SusumuButton", "PageRirekiForwardItem", "ページ移動歴を進む"},
               {"NextBtn", "NextItem", "次のページへ"}};
  for (const Hint& h : hints) {
    const QString key = f.Action(h.item)->shortcut().toString();
    EXPECT_EQ(f.ToolButton(h.button)->toolTip(), QString::fromUtf8(h.words) + " (" + key + ")");
  }
  EXPECT_EQ(f.ToolButton("ModoruButton")->toolTip(), "ページ移動歴を戻る (F7)");
}

// Names the desktop's theme has come from the theme; the others are drawn.
TEST(ToolbarIcons, TheThemeFirstThenTheDrawnSet) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString theme = dir.path() + "/sktest";
  QDir().mkpath(theme + "/16x16/actions");
  {
    QFile index(theme + "/index.theme");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(
        "[Icon Theme]\nName=sktest\nDirectories=16x16/actions\n\n"
        "[16x16/actions]\nSize=16\nType=Fixed\n");
  }
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  for (const char* name : {"go-next", "edit-find"})
    ASSERT_TRUE(red.save(theme + "/16x16/actions/" + name + ".png"));

  const QStringList old_paths = QIcon::themeSearchPaths();
  const QString old_name = QIcon::themeName();
  QIcon::setThemeSearchPaths({dir.path()});
  QIcon::setThemeName("sktest");
  auto image = [](const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); };
  EXPECT_EQ(image(ToolbarIcon("NextBtn")).pixelColor(8, 8), QColor(Qt::red));
  EXPECT_EQ(image(ToolbarIcon("PriorBtn")), image(FallbackIcon("go-previous")));
  QImage find = image(ToolbarIcon("PriorFindSpeedButton"));
  EXPECT_EQ(find.pixelColor(3, 3), QColor(Qt::red));
  EXPECT_NE(find.pixelColor(12, 12), QColor(Qt::red)) << "the arrow of the previous-page search";
  EXPECT_NE(find, image(ToolbarIcon("NextFindSpeedButton")));

  // No theme at all: every button is drawn.
  QIcon::setThemeName("no-such-theme");
  for (const ToolButtonDef& d : ToolbarButtons()) {
    const QIcon icon = ToolbarIcon(d.name);
    EXPECT_FALSE(image(icon).isNull()) << d.name;
    EXPECT_FALSE(FallbackIcon(ToolbarIconName(d.name)).isNull()) << d.name;
  }
  QIcon::setThemeSearchPaths(old_paths);
  QIcon::setThemeName(old_name);
}

// The menu caption of an item as the sample text quotes it: without its accelerator and dots.
QString Quoted(const char* caption) {
  QString c = QString::fromUtf8(caption);
  c.remove(QRegularExpression("\\s*\\(\\s*&.\\s*\\)\\s*"));
  c.remove("...");
  return c.trimmed();
}

// Every key the sample pages name runs the command they say, and that command does something;
// every menu they name exists.  A key is written with its command's caption right after it, as
// in F11「次のページへ」.
using SampleFile = MainFormTest;

TEST_F(SampleFile, MentionsOnlyKeysAndMenusTheProgramHas) {
  // The window's command table says which commands exist.
  const TSDIAppForm& window = Start();
  QTemporaryDir dir;
  for (const char* ext : {".dbf", ".dbt", ".mdx"})
    ASSERT_TRUE(QFile::copy(QString(SORAKUMO_SOURCE_DIR) + "/data/Sample" + ext,
                            dir.path() + "/Sample" + ext));
  store::Table t;
  ASSERT_TRUE(t.Open((dir.path() + "/Sample.dbf").toStdString(), store::PageFileOptions()).ok());
  QString all;
  for (Status st = t.First(); st.ok() && !t.Eof(); st = t.Next()) {
    std::string title, text;
    ASSERT_TRUE(t.ReadField("TITLE", &title).ok());
    ASSERT_TRUE(t.ReadField("TEXT", &text).ok());
    all += cp932::Decode(title) + "\n" + cp932::Decode(text) + "\n";
  }
  ASSERT_TRUE(t.Close().ok());

  std::map<QString, const MenuItemDef*> by_key;
  std::map<QString, QString> menus;  // top-level menu caption -> name
  for (const MenuItemDef& d : MenuItems(MenuRoot::Main)) {
    if (d.shortcut[0]) by_key[QString::fromLatin1(d.shortcut)] = &d;
    if (!d.parent[0]) menus[Quoted(d.caption)] = QString::fromLatin1(d.name);
  }

  const QRegularExpression key_re(
      "(?<![A-Za-z0-9+])((?:(?:Ctrl|Alt|Shift)\\+)*F(?:1[0-2]|[1-9])|(?:(?:Ctrl|Alt|Shift)\\+)+"
      "[A-Za-z])(?![A-Za-z0-9])\\s*(「([^」]*)」)?");
  int keys = 0;
  for (auto it = key_re.globalMatch(all); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    SCOPED_TRACE(m.captured(0).toStdString());
    ++keys;
    auto item = by_key.find(m.captured(1));
    ASSERT_NE(item, by_key.end()) << "no command has this key";
    EXPECT_EQ(m.captured(3).toStdString(), Quoted(item->second->caption).toStdString())
        << "the key's command is called so";
    EXPECT_TRUE(window.CommandBuilt(item->second->handler)) << item->second->name;
  }
  EXPECT_GE(keys, 8);

  const QRegularExpression menu_re("「([^」]*)」メニュー(?:の「([^」]*)」)?");
  int menu_mentions = 0;
  for (auto it = menu_re.globalMatch(all); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    SCOPED_TRACE(m.captured(0).toStdString());
    ++menu_mentions;
    ASSERT_TRUE(menus.count(m.captured(1))) << "no such menu";
    if (m.captured(2).isEmpty()) continue;
    bool found = false;
    for (const MenuItemDef& d : MenuItems(MenuRoot::Main)) {
      if (menus[m.captured(1)] == QLatin1String(d.parent) && Quoted(d.caption) == m.captured(2)) {
        found = true;
        EXPECT_TRUE(window.CommandBuilt(d.handler)) << d.name;
      }
    }
    EXPECT_TRUE(found) << "no such item in that menu";
  }
  EXPECT_GE(menu_mentions, 2);
}

}  // namespace
}  // namespace sk::app
