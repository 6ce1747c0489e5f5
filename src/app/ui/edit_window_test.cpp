// The text commands in the window: undo and redo from the menu and the keys, the history of a
// page, the clipboard commands with the header boxes, the display modes and highlighting, the text
// font size, a page with its own view mode, and the conversions and counts of the text.
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
  // The redisplay keeps the history, and panel 2 still says so.
  Trigger("TextRepaintItem");
  EXPECT_EQ(f.StatusPanels[2]->text(), "変更あり");
  EXPECT_TRUE(f.Action("UndoItem")->isEnabled());
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
  f.session().SetFocusedArea(3);
  Trigger("PopUpPasteToTitleItem");
  EXPECT_EQ(f.TitleEdit->text(), "firstt1");  // at the box's caret
  EXPECT_EQ(QApplication::clipboard()->text(), "first");
  EXPECT_TRUE(f.TextMemo->hasFocus() || !f.isActiveWindow());
  // Paste into the text area from the menu: one record, highlighted.
  QApplication::clipboard()->setText("% c");
  f.session().SetFocusedArea(3);
  f.TextMemo->SetSelStart(0);
  Trigger("TextPasteItem");
  EXPECT_EQ(TextOf(), J("% cfirst // note"));
  EXPECT_EQ(EditorOf().Undos().Count(), 1);
  // The title box uses its own clipboard operations.
  f.session().SetFocusedArea(1);
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
  EXPECT_EQ(f.conf().HighLight, 0);
  EXPECT_EQ(FormatRanges(0), 0);
  EXPECT_TRUE(f.Action("DontHighLightPopUpItem")->isChecked());
  Trigger("DoHighLightPopUpItem");
  EXPECT_EQ(FormatRanges(0), 1);
  EXPECT_TRUE(f.Action("DoHighLightItem")->isChecked());
  // The third page keeps highlighting off and the mode items are off while it shows.
  ASSERT_TRUE(NavOf().GotoRecNo(3));
  NavOf().AfterMove(true, true);
  EXPECT_EQ(FormatRanges(0), 0);
  EXPECT_FALSE(f.Action("DoHighLightItem")->isEnabled());
  EXPECT_FALSE(f.Action("TextItemizeModePopUpItem")->isEnabled());
  Trigger("FirstItem");
  EXPECT_TRUE(f.Action("DoHighLightItem")->isEnabled());
  // Itemize mode from the menu.
  Trigger("TextItemizeModeItem");
  EXPECT_TRUE(f.conf().ItemizeMode);
  EXPECT_GT(f.TextMemo->document()->firstBlock().blockFormat().leftMargin(), 0);
}

TEST_F(EditWindowTest, FontSizeTakesIntegersOnly) {
  TSDIAppForm& f = StartWithPages();
  prompter_.inputs = {QString(" 14 "), QString("12.5"), std::nullopt};
  Trigger("SetFontSizeItem");
  EXPECT_EQ(f.conf().TextFontSizeB, 14);
  Trigger("FontSizePopUpItem");
  EXPECT_EQ(f.conf().TextFontSizeB, 14);
  EXPECT_EQ(prompter_.shown.back(), "お知らせ|フォントサイズの指定が不適切です。");
  Trigger("FontSizePopUpItem");  // cancelled
  EXPECT_EQ(f.conf().TextFontSizeB, 14);
  // The font dialog never changes the size.
  QFont chosen(QStringLiteral("IPAGothic"));
  chosen.setPointSize(30);
  chosen.setBold(true);
  prompter_.fonts.push_back({chosen, QColor(0, 0, 0x80)});
  Trigger("FontItem");
  EXPECT_EQ(f.conf().TextFontSizeB, 14);
  EXPECT_EQ(f.conf().FontStyle, 1);
  EXPECT_EQ(f.conf().FontColor, 0x800000);
}

class ConvertWindowTest : public MainFormTest {
 protected:
  TSDIAppForm& StartWithText(const char* utf8) {
    const QString path = Path("Convert.dbf");
    store::test::MakePageFile(path.toStdString(), {{"b", "t", "", "20240101", J(utf8), "", ""}});
    return Start({path});
  }
  // Selects the first occurrence of a text (UTF-8) in the text area.
  void Select(const char* utf8) {
    const std::string what = J(utf8);
    const size_t at = TextOf().find(what);
    ASSERT_NE(at, std::string::npos) << utf8;
    form_->TextMemo->SetSelStart(int(at));
    form_->TextMemo->SetSelLength(int(what.size()));
  }
};

TEST_F(ConvertWindowTest, ConversionsOfTheSelectionFromTheEditMenu) {
  TSDIAppForm& f = StartWithText("ABC-123 ２００８年 ff と 1021\r\nＴｅｘｔ");
  QApplication::clipboard()->setText("kept");
  f.TextMemo->SetSelStart(0);
  f.EditMenuClick();
  EXPECT_FALSE(f.Action("ZenkakuHankakuHenkanItem")->isEnabled());
  Trigger("HankakuToZenkakuKigoItem");  // no selection: nothing
  EXPECT_EQ(TextOf(), J("ABC-123 ２００８年 ff と 1021\r\nＴｅｘｔ"));

  Select("ABC-123");
  f.EditMenuClick();
  EXPECT_TRUE(f.Action("ZenkakuHankakuHenkanItem")->isEnabled());
  Trigger("HankakuToZenkakuKigoItem");
  EXPECT_EQ(TextOf(), J("ＡＢＣ－１２３ ２００８年 ff と 1021\r\nＴｅｘｔ"));
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");
  EXPECT_EQ(f.TextMemo->SelStart(), 0);
  EXPECT_EQ(f.TextMemo->SelLength(), 0);
  Trigger("UndoItem");  // one step
  EXPECT_EQ(TextOf(), J("ABC-123 ２００８年 ff と 1021\r\nＴｅｘｔ"));

  struct Step {
    const char* item;
    const char* select;
    const char* result;
  };
  const Step steps[] = {
      {"HankakuToZenkakuItem", "ABC-123", "ＡＢＣ-１２３ ２００８年 ff と 1021\r\nＴｅｘｔ"},
      {"ArabiaToKanItem", "２００８", "ＡＢＣ-１２３ 二〇〇八年 ff と 1021\r\nＴｅｘｔ"},
      {"Kisuho16To10Item", "ff", "ＡＢＣ-１２３ 二〇〇八年 255 と 1021\r\nＴｅｘｔ"},
      {"Kisuho2To10Item", "1021", "ＡＢＣ-１２３ 二〇〇八年 255 と 221\r\nＴｅｘｔ"},
      {"LowerToUpperZenItem", "Ｔｅｘｔ", "ＡＢＣ-１２３ 二〇〇八年 255 と 221\r\nＴＥＸＴ"},
      {"ZenkakuToHankakuItem", "ＡＢＣ-", "ABC-１２３ 二〇〇八年 255 と 221\r\nＴＥＸＴ"},
      {"UpperToLowerItem", "ABC-１２３ 二〇〇八年 255 と 221\r\nＴＥＸＴ",
       "abc-１２３ 二〇〇八年 255 と 221\r\nＴＥＸＴ"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.item);
    Select(s.select);
    Trigger(s.item);
    EXPECT_EQ(TextOf(), J(s.result));
  }
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");
  // With "CurSorPosAfterPaste" the caret goes behind the converted text.
  f.conf().CurSorPosAfterPaste = 1;
  Select("221");
  Trigger("Kisuho10To16Item");
  EXPECT_EQ(TextOf(), J("abc-１２３ 二〇〇八年 255 と dd\r\nＴＥＸＴ"));
  EXPECT_EQ(f.TextMemo->SelStart(), int(TextOf().find(J("dd")) + 2));
}

TEST_F(ConvertWindowTest, PunctuationWithoutASelectionConvertsTheWholeText) {
  TSDIAppForm& f = StartWithText("一．二，三。\r\n四、");
  f.TextMemo->SetSelStart(4);
  Trigger("ChangePunctuation1Item");
  EXPECT_EQ(TextOf(), J("一。二、三。\r\n四、"));
  EXPECT_EQ(f.TextMemo->SelStart(), 4);
  EXPECT_EQ(f.TextMemo->SelLength(), 0);
  Select("二、三。");
  Trigger("ChangePunctuation3Item");
  EXPECT_EQ(TextOf(), J("一。二，三．\r\n四、"));
  EXPECT_EQ(f.TextMemo->SelStart(), int(TextOf().find(J("二"))));
  Trigger("UndoItem");
  Trigger("UndoItem");
  EXPECT_EQ(TextOf(), J("一．二，三。\r\n四、"));
}

TEST_F(ConvertWindowTest, CountsOfCharactersAndOfAString) {
  TSDIAppForm& f = StartWithText("あいa\r\naaaa ａＡ");
  Select("あいa\r\n");
  Trigger("MojisuItem");
  EXPECT_EQ(prompter_.shown.back(),
            "選択された文字列の文字数|総バイト数　7\n\n全角文字数　2\n\n半角文字数　1\n\n"
            "制御文字数　2");
  f.TextMemo->SetSelStart(0);
  Trigger("MojisuPopUpItem");
  EXPECT_EQ(prompter_.shown.back(),
            "テキスト全体の文字数|総バイト数　16\n\n全角文字数　4\n\n半角文字数　6\n\n"
            "制御文字数　2");

  Select("aaaa");
  prompter_.inputs = {QString("aa"), QString("Ａ"), QString(""), std::nullopt, QString("😀")};
  Trigger("DoCaseItem");
  EXPECT_EQ(prompter_.shown.back(), "文字列の個数|aa の個数 ＝ 2");
  EXPECT_EQ(f.TextMemo->SelText(), "aaaa");  // the selection is back
  f.TextMemo->SetSelStart(0);
  Trigger("DontCaseItem");  // the whole text, full-width letters too
  EXPECT_EQ(prompter_.shown.back(), "文字列の個数|Ａ の個数 ＝ 2");
  Trigger("DoCaseItem");
  EXPECT_EQ(prompter_.shown.back(), "お知らせ|カウントする文字列を指定してください。");
  const size_t shown = prompter_.shown.size();
  Trigger("DoCaseItem");  // cancelled
  EXPECT_EQ(prompter_.shown.size(), shown + 1);
  EXPECT_EQ(prompter_.shown.back(), "input|カウント文字列");
  Trigger("DoCaseItem");
  EXPECT_EQ(prompter_.shown.back(), "文字列の個数|😀 の個数 ＝ 0");
  EXPECT_EQ(TextOf(), J("あいa\r\naaaa ａＡ"));
}

}  // namespace
}  // namespace sk::app::test
