#include "editor/ui/text_area.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "editor/ui/input_events_for_test.h"

namespace sk::editor {
namespace {

using test::Sjis;

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

class TextAreaTest : public testing::Test {
 protected:
  TextAreaTest() {
    QObject::connect(&area_, &TextArea::CharRefused,
                     [this](const QString& ch) { refused_.push_back(ch); });
    QObject::connect(&area_, &TextArea::CharsReplaced, [this](int n) { replaced_.push_back(n); });
    QObject::connect(&area_, &TextArea::ResultString,
                     [this](const std::string& s) { results_.push_back(s); });
  }

  void Type(const QString& text) { test::SendKeyPress(&area_, text); }
  void Preedit(const QString& text) { test::SendPreedit(&area_, text); }
  void Commit(const QString& text) { test::SendCommit(&area_, text); }

  TextArea area_;
  std::vector<QString> refused_;
  std::vector<int> replaced_;
  std::vector<std::string> results_;
};

TEST_F(TextAreaTest, LoadingKeepsEveryByte) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"invalid single bytes", "\x80\xA0\xFD\xFE\xFF"},
      {"lead byte at the end", "ab\x81"},
      {"lead byte before CR LF", "a\x82\r\nb"},
      {"0x5C and 0x7C trail bytes", "\x95\x5C\x8E\xA6\x5C\x83\x7C|"},  // 表示\ポ|
      {"undefined double-byte code", "\x85\x40\xEB\xFC"},
      {"control characters", "\x01\t\x1F\x7F"},
      {"half-width katakana and empty lines", "\xB1\xB2\r\n\r\n\xDF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    area_.SetText(c.bytes);
    EXPECT_EQ(area_.Text(), c.bytes);
    EXPECT_EQ(area_.TextLength(), int(c.bytes.size()));
    EXPECT_FALSE(area_.IsModified());
  }
  area_.SetText("a\rb\nc");  // lone CR and LF are line breaks and come back as CR LF
  EXPECT_EQ(area_.document()->blockCount(), 3);
  EXPECT_EQ(area_.Text(), "a\r\nb\r\nc");
}

TEST_F(TextAreaTest, NoBreakSpaceStaysInTheText) {
  // U+00A0 cannot come from CP932, but the document must not turn it into a space when read.
  area_.SetText("ab");
  area_.SetSelStart(1);
  area_.textCursor().insertText(Q(u"\u00A0"));
  EXPECT_EQ(area_.DocumentString(), Q(u"a\u00A0b"));
}

TEST_F(TextAreaTest, SelectionInBytes) {
  area_.SetText(Sjis("aあ\r\nｱ表b"));  // a(1) あ(2) CR LF(2) ｱ(1) 表(2) b(1)
  area_.SetSelStart(1);
  area_.SetSelLength(4);
  EXPECT_EQ(area_.SelStart(), 1);
  EXPECT_EQ(area_.SelLength(), 4);
  EXPECT_EQ(area_.SelText(), Sjis("あ\r\n"));

  area_.SetSelStart(5);  // collapses the selection
  EXPECT_EQ(area_.SelLength(), 0);
  area_.SetSelLength(3);
  EXPECT_EQ(area_.SelText(), Sjis("ｱ表"));
  EXPECT_EQ(area_.CaretPos(), QPoint(3, 1));

  area_.SetSelStart(2);  // inside あ: its start
  EXPECT_EQ(area_.SelStart(), 1);
  area_.SetSelLength(1);  // ends inside あ: past it
  EXPECT_EQ(area_.SelLength(), 2);

  area_.SelectAllText();
  EXPECT_EQ(area_.SelStart(), 0);
  EXPECT_EQ(area_.SelLength(), area_.TextLength());
  EXPECT_FALSE(area_.IsModified());
}

TEST_F(TextAreaTest, SetSelTextLeavesTheCaretAfterTheInsertedText) {
  area_.SetText("abc");
  area_.SetSelStart(1);
  area_.SetSelLength(1);
  area_.SetSelText(Sjis("漢\r\n字"));
  EXPECT_EQ(area_.Text(), Sjis("a漢\r\n字c"));
  EXPECT_EQ(area_.SelStart(), 7);
  EXPECT_EQ(area_.SelLength(), 0);
  EXPECT_TRUE(area_.IsModified());

  area_.SetSelStart(1);
  area_.SetSelLength(2);
  area_.ClearSel();
  EXPECT_EQ(area_.Text(), Sjis("a\r\n字c"));
}

TEST_F(TextAreaTest, DisplayLinesOfAWrappedParagraph) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(16);
  area_.setFont(f);
  area_.SetScrollBarMode(0, false);
  area_.resize(200, 300);
  area_.show();
  std::string para;
  for (int i = 0; i < 40; ++i) para += Sjis("あ");
  area_.SetText(para + "\r\nshort");

  const int lines = area_.LineCount();
  ASSERT_GE(lines, 3);
  std::string joined;
  for (int i = 0; i < lines - 1; ++i) joined += area_.Line(i);
  EXPECT_EQ(joined, para);
  EXPECT_EQ(area_.Line(lines - 1), "short");
  EXPECT_EQ(area_.Line(lines), "");

  const int first = int(area_.Line(0).size());
  ASSERT_GT(first, 0);
  area_.SetSelStart(first + 4);  // two characters into the second display line
  EXPECT_EQ(area_.CaretPos(), QPoint(4, 1));
  area_.SetSelStart(area_.TextLength());
  EXPECT_EQ(area_.CaretPos(), QPoint(5, lines - 1));
  area_.SetSelStart(2);  // the end of a selection decides the line
  area_.SetSelLength(first + 2);
  EXPECT_EQ(area_.CaretPos(), QPoint(4, 1));

  // The input method's uncommitted text is drawn inside the line but is no part of it.
  area_.SetSelStart(2);
  Preedit(QStringLiteral("かなかなかなかなかな"));
  joined.clear();
  for (int i = 0; i < area_.LineCount() - 1; ++i) joined += area_.Line(i);
  EXPECT_EQ(joined, para);
  EXPECT_EQ(area_.CaretPos(), QPoint(2, 0));
  Preedit(QString());

  area_.SetWordWrap(false);
  EXPECT_EQ(area_.LineCount(), 2);
  EXPECT_EQ(area_.Line(0), para);
}

TEST_F(TextAreaTest, DisplayLinesBeyondTheVisiblePart) {
  area_.resize(200, 100);
  area_.show();
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + "\r\n";
  area_.SetText(text + "end");
  EXPECT_EQ(area_.LineCount(), 3001);
  EXPECT_EQ(area_.Line(2999), "line 2999");
  area_.SetSelStart(area_.TextLength());
  EXPECT_EQ(area_.CaretPos(), QPoint(3, 3000));
}

TEST_F(TextAreaTest, ArrowKeysMoveTheCaret) {
  area_.resize(200, 100);
  area_.show();
  area_.SetText("ab\r\ncd");
  area_.SetSelStart(0);
  area_.SendArrowKey(Qt::Key_Right);
  EXPECT_EQ(area_.SelStart(), 1);
  area_.SendArrowKey(Qt::Key_Down);
  EXPECT_EQ(area_.SelStart(), 5);
  EXPECT_FALSE(area_.IsModified());
}

TEST_F(TextAreaTest, TypedCharacterOutsideCp932IsRefused) {
  area_.SetText("ab");
  area_.SetSelStart(1);
  const QString emoji = Q(u"\U0001F600");
  Type(emoji);
  EXPECT_EQ(area_.Text(), "ab");
  EXPECT_EQ(refused_, std::vector<QString>{emoji});
  EXPECT_FALSE(area_.IsModified());

  Type(QStringLiteral("x"));
  EXPECT_EQ(area_.Text(), "axb");
  EXPECT_TRUE(area_.IsModified());
  EXPECT_EQ(refused_.size(), 1u);
}

TEST_F(TextAreaTest, InputMethodCommitKeepsTheEncodableCharacters) {
  area_.SetText("");
  Commit(Q(u"あ\U0001F600い"));
  EXPECT_EQ(area_.Text(), Sjis("あい"));
  EXPECT_EQ(refused_, std::vector<QString>{Q(u"\U0001F600")});
  EXPECT_EQ(results_, std::vector<std::string>{Sjis("あい")});

  refused_.clear();
  Commit(Q(u"\U0001F600"));  // nothing left to commit
  EXPECT_EQ(area_.Text(), Sjis("あい"));
  EXPECT_EQ(refused_.size(), 1u);
  EXPECT_EQ(results_.size(), 1u);
}

TEST_F(TextAreaTest, JisFormsOfTheInputMethodAreStoredAsTheirCodes) {
  area_.SetText("");
  Commit(Q(u"\u301C\u2212"));
  EXPECT_EQ(area_.Text(), "\x81\x60\x81\x7C");
  EXPECT_EQ(area_.TextLength(), 4);
  EXPECT_EQ(area_.SelStart(), 4);
  EXPECT_TRUE(refused_.empty());
  EXPECT_EQ(results_, std::vector<std::string>{"\x81\x60\x81\x7C"});
}

TEST_F(TextAreaTest, PasteReplacesWhatCp932CannotHold) {
  area_.SetText("ab");
  area_.SetSelStart(1);
  QApplication::clipboard()->setText(Q(u"x\U0001F600\u00E9\ny"));
  area_.PasteClip();
  EXPECT_EQ(area_.Text(), Sjis("ax〓〓\r\nyb"));
  EXPECT_EQ(replaced_, std::vector<int>{2});
  EXPECT_TRUE(refused_.empty());
  EXPECT_EQ(area_.SelStart(), 9);
}

TEST_F(TextAreaTest, CutAndPasteKeepStandIns) {
  const std::string bytes = "a\x80\x85\x40\r\nb\x81";
  area_.SetText(bytes);
  area_.SelectAllText();
  area_.CutSel();
  EXPECT_EQ(area_.Text(), "");
  area_.PasteClip();
  EXPECT_EQ(area_.Text(), bytes);
  EXPECT_TRUE(replaced_.empty());
}

TEST_F(TextAreaTest, ModifiedOnlyByCommittedEdits) {
  area_.SetText("abc");
  area_.SetSelStart(1);
  Preedit(QStringLiteral("かな"));
  EXPECT_EQ(area_.CompositionString(), Sjis("かな"));
  EXPECT_EQ(area_.Text(), "abc");
  EXPECT_FALSE(area_.IsModified());

  area_.SelectAllText();
  area_.SetSelFont(QStringLiteral("IPAGothic"), 14, 0x0000FF, kStyleBold);
  area_.SetParaFormat(10, 0, 0, {});
  EXPECT_FALSE(area_.IsModified());

  area_.SetSelStart(1);
  Commit(QStringLiteral("仮名"));
  EXPECT_EQ(area_.CompositionString(), "");
  EXPECT_EQ(area_.Text(), Sjis("a仮名bc"));
  EXPECT_TRUE(area_.IsModified());

  area_.SetModified(false);
  QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
  QApplication::sendEvent(&area_, &backspace);
  EXPECT_EQ(area_.Text(), Sjis("a仮bc"));
  EXPECT_TRUE(area_.IsModified());

  area_.SetText("new page");
  EXPECT_FALSE(area_.IsModified());
}

TEST_F(TextAreaTest, ParagraphFormatOfTheSelectedParagraphs) {
  area_.SetText("a\r\nb\r\nc");
  area_.SetSelStart(0);
  area_.SetSelLength(4);  // "a", CR LF, "b": the first two paragraphs
  area_.SetParaFormat(10, 20, 5, {36, 72, 0, 0, 0});
  const double px = area_.logicalDpiX() / 72.0;
  const QTextBlock first = area_.document()->begin();
  for (QTextBlock b : {first, first.next()}) {
    const QTextBlockFormat f = b.blockFormat();
    EXPECT_DOUBLE_EQ(f.leftMargin(), 30 * px);
    EXPECT_DOUBLE_EQ(f.textIndent(), -20 * px);
    EXPECT_DOUBLE_EQ(f.rightMargin(), 5 * px);
    ASSERT_EQ(f.tabPositions().size(), 2);
    EXPECT_DOUBLE_EQ(f.tabPositions()[1].position, 72 * px);
  }
  const QTextBlockFormat untouched = first.next().next().blockFormat();
  EXPECT_EQ(untouched.leftMargin(), 0);
  EXPECT_TRUE(untouched.tabPositions().isEmpty());
}

TEST_F(TextAreaTest, FontOfTheSelectionReadBackAtTheCaret) {
  area_.SetText("abcdef");
  area_.SetSelStart(1);
  area_.SetSelLength(2);
  area_.SetSelFont(QStringLiteral("IPAGothic"), 12, 0x00804020, kStyleBold | kStyleUnderline);
  area_.SetSelStart(3);  // after "c": the caret takes the format of the character before it
  EXPECT_EQ(area_.CaretColor(), 0x00804020u);
  EXPECT_EQ(area_.CaretStyle(), kStyleBold | kStyleUnderline);
  const QTextCharFormat f = area_.currentCharFormat();
  EXPECT_EQ(f.fontFamilies().toStringList(), QStringList{QStringLiteral("IPAGothic")});
  EXPECT_DOUBLE_EQ(f.fontPointSize(), 12);

  area_.SetSelStart(5);
  EXPECT_EQ(area_.CaretStyle(), 0);
  const QColor text = area_.palette().color(QPalette::Text);
  EXPECT_EQ(area_.CaretColor(), BgrFromRgb(text.red(), text.green(), text.blue()));

  area_.SetSelStart(2);
  area_.SetSelLength(1);
  area_.SetSelFont(QStringLiteral("IPAGothic"), 12, 0, kStyleItalic | kStyleStrikeOut);
  area_.SetSelStart(3);
  EXPECT_EQ(area_.CaretStyle(), kStyleItalic | kStyleStrikeOut);
  EXPECT_EQ(area_.CaretColor(), 0u);
}

}  // namespace
}  // namespace sk::editor
