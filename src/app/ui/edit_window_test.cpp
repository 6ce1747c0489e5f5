// The text commands in the window: undo and redo from the menu and the keys, the history of a
// page, the clipboard commands with the header boxes, the display modes and highlighting, the text
// font size, and a page with its own view mode.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "app/ui/test_window.h"
#include "browse/ui/navigator.h"
#include "editor/ui/text_editor.h"
#include "store/test_util.h"

namespace sk::app::test {
namespace {

class EditWindowTest : public MainFormTest {
 protected:
  // A page file of three pages; the third has its own view mode (normal, highlighting off).
  TSDIAppForm& StartWithPages() {
    const QString path = Path("Edit.dbf");
    store::test::MakePageFile(path.toStdString(),
                              {{"b", "t1", "", "20240101", J("first // note"), "", ""},
                               {"b", "t2", "", "20240102", "second", "", ""},
                               {"b", "t3", "", "20240103", J("own // mode"), "", "\x01"}});
    return Start({path});
  }
  int FormatRanges(int block) {
    return int(form_->TextMemo->document()->findBlockByNumber(block).layout()->formats().size());
  }
  void MenuState() { form_->EditMenuClick(); }
};

TEST_F(EditWindowTest, UndoAndRedoFromMenuAndKeys) {
  TSDIAppForm& f = StartWithPages();
  EXPECT_FALSE(f.Action("UndoItem")->isEnabled());
  f.TextMemo->SetSelStart(5);
  QTest::keyClicks(f.TextMemo, "xy");
  EXPECT_EQ(TextOf(), J("firstxy // note"));
  EXPECT_EQ(f.StatusPanels[2]->text(), "変更あり");
  EXPECT_TRUE(f.Action("UndoItem")->isEnabled());  // at once, not only when the menu opens
  MenuState();
  EXPECT_TRUE(f.Action("UndoItem")->isEnabled());
  EXPECT_FALSE(f.Action("UndoUndoItem")->isEnabled());
  QTest::keyClick(f.TextMemo, Qt::Key_Backspace, Qt::AltModifier);
  EXPECT_EQ(TextOf(), J("firstx // note"));
  Trigger("UndoItem");
  EXPECT_EQ(TextOf(), J("first // note"));
  EXPECT_EQ(f.StatusPanels[2]->text(), "");
  MenuState();
  EXPECT_FALSE(f.Action("UndoItem")->isEnabled());
  EXPECT_TRUE(f.Action("UndoUndoItem")->isEnabled());
  Trigger("UndoUndoItem");
  EXPECT_EQ(TextOf(), J("firstx // note"));
  // The edit is kept when the page is left, and the next page starts with an empty history.
  Trigger("NextItem");
  MenuState();
  EXPECT_FALSE(f.Action("UndoItem")->isEnabled());
  Trigger("PriorItem");
  EXPECT_EQ(TextOf(), J("firstx // note"));
}

TEST_F(EditWindowTest, ClipboardCommandsAndTheHeaderBoxes) {
  TSDIAppForm& f = StartWithPages();
  f.TextMemo->SetSelStart(0);
  f.TextMemo->SetSelLength(5);
  f.FocusedArea = 3;
  Trigger("PopUpPasteToTitleItem");
  EXPECT_EQ(f.TitleEdit->text(), "firstt1");  // at the box's caret
  EXPECT_EQ(QApplication::clipboard()->text(), "first");
  EXPECT_TRUE(f.TextMemo->hasFocus() || !f.isActiveWindow());
  // Paste into the text area from the menu: one record, highlighted.
  QApplication::clipboard()->setText("% c");
  f.FocusedArea = 3;
  f.TextMemo->SetSelStart(0);
  Trigger("TextPasteItem");
  EXPECT_EQ(TextOf(), J("% cfirst // note"));
  EXPECT_EQ(f.Editor->Undos().Count(), 1);
  // The title box uses its own clipboard operations.
  f.FocusedArea = 1;
  f.TitleEdit->selectAll();
  Trigger("TextCopyItem");
  EXPECT_EQ(QApplication::clipboard()->text(), "firstt1");
  // Copy all text.
  Trigger("TextAllCopyItem");
  EXPECT_EQ(QApplication::clipboard()->text(), "% cfirst // note");
}

TEST_F(EditWindowTest, HighlightSwitchAndPagesWithTheirOwnMode) {
  TSDIAppForm& f = StartWithPages();
  EXPECT_EQ(FormatRanges(0), 1);  // "// note"
  Trigger("DontHighLightItem");
  EXPECT_EQ(f.Conf.HighLight, 0);
  EXPECT_EQ(FormatRanges(0), 0);
  EXPECT_TRUE(f.Action("DontHighLightPopUpItem")->isChecked());
  Trigger("DoHighLightPopUpItem");
  EXPECT_EQ(FormatRanges(0), 1);
  EXPECT_TRUE(f.Action("DoHighLightItem")->isChecked());
  // The third page keeps highlighting off and the mode items are off while it shows.
  ASSERT_TRUE(f.Nav->GotoRecNo(3));
  f.Nav->AfterMove(true, true);
  EXPECT_EQ(FormatRanges(0), 0);
  EXPECT_FALSE(f.Action("DoHighLightItem")->isEnabled());
  EXPECT_FALSE(f.Action("TextItemizeModePopUpItem")->isEnabled());
  Trigger("FirstItem");
  EXPECT_TRUE(f.Action("DoHighLightItem")->isEnabled());
  // Itemize mode from the menu.
  Trigger("TextItemizeModeItem");
  EXPECT_TRUE(f.Conf.ItemizeMode);
  EXPECT_GT(f.TextMemo->document()->firstBlock().blockFormat().leftMargin(), 0);
}

TEST_F(EditWindowTest, FontSizeTakesIntegersOnly) {
  TSDIAppForm& f = StartWithPages();
  prompter_.inputs = {QString(" 14 "), QString("12.5"), std::nullopt};
  Trigger("SetFontSizeItem");
  EXPECT_EQ(f.Conf.TextFontSizeB, 14);
  Trigger("FontSizePopUpItem");
  EXPECT_EQ(f.Conf.TextFontSizeB, 14);
  EXPECT_EQ(prompter_.shown.back(), "お知らせ|フォントサイズの指定が不適切です。");
  Trigger("FontSizePopUpItem");  // cancelled
  EXPECT_EQ(f.Conf.TextFontSizeB, 14);
  // The font dialog never changes the size.
  QFont chosen(QStringLiteral("IPAGothic"));
  chosen.setPointSize(30);
  chosen.setBold(true);
  prompter_.fonts.push_back({chosen, QColor(0, 0, 0x80)});
  Trigger("FontItem");
  EXPECT_EQ(f.Conf.TextFontSizeB, 14);
  EXPECT_EQ(f.Conf.FontStyle, 1);
  EXPECT_EQ(f.Conf.FontColor, 0x800000);
}

}  // namespace
}  // namespace sk::app::test
