#include "editor/ui/text_editor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <map>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "editor/ui/highlight_form.h"
#include "editor/ui/highlighter.h"
#include "editor/ui/input_events_for_test.h"

namespace sk::editor {
namespace {

using test::Sjis;

class FakeHost : public EditorHost {
 public:
  bool FileIsOpen() const override { return open; }
  void SetStatusText(int panel, const QString& text) override { status[panel] = text; }
  void SavePageFields() override { ++saves; }
  void Message(const QString& text) override { messages.push_back(text); }
  bool OpenUrl(const QUrl& url) override {
    urls.push_back(url.toString());
    return open_succeeds;
  }
  void SetModeItemsEnabled(bool enabled) override { mode_items = enabled; }
  void SetUndoEnabled(bool undo, bool redo) override { undo_redo = {undo, redo}; }

  bool open = true;
  bool open_succeeds = true;
  bool mode_items = true;
  std::pair<bool, bool> undo_redo{false, false};
  int saves = 0;
  std::map<int, QString> status;
  std::vector<QString> messages;
  std::vector<QString> urls;
};

// Distinct colours per kind, so that the kind shown can be read back from the layout.
constexpr int kColors[6] = {0, 0x000001, 0x000002, 0x000003, 0x000004, 0x000005};

class TextEditorTest : public testing::Test {
 protected:
  TextEditorTest() {
    conf_.HLCommentColor = kColors[1];
    conf_.HLKakkoColor = kColors[2];
    conf_.HLCommandColor = kColors[3];
    conf_.HLKeyWordAColor = kColors[4];
    conf_.HLKeyWordBColor = kColors[5];
    area_.resize(400, 300);
    area_.show();
    auto host = std::make_unique<FakeHost>();
    host_ = host.get();
    editor_ = std::make_unique<TextEditor>(area_, conf_, std::move(host));
  }

  void Show(const std::string& text, const std::string& key = "") {
    editor_->ShowPageText(text, key, true);
  }
  std::string Text() const { return area_.Text(); }

  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    test::SendKeyPress(&area_, text, key, mods);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(&area_, &release);
  }
  void Type(const QString& text) {
    for (QChar c : text) Key(0, Qt::NoModifier, QString(c));
  }
  void Preedit(const QString& text) { test::SendPreedit(&area_, text); }
  void Commit(const QString& text) { test::SendCommit(&area_, text); }

  // The kinds shown in paragraph i as (kind, text) runs, normal text left out.
  std::vector<std::pair<int, QString>> Kinds(int i) {
    std::vector<std::pair<int, QString>> out;
    const QTextBlock b = area_.document()->findBlockByNumber(i);
    for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
      const QColor c = r.format.foreground().color();
      int kind = -1;
      for (int k = 1; k <= 5; ++k)
        if (c == ColorFromBgr(uint32_t(kColors[k]))) kind = k;
      if (c == ColorFromBgr(0xFF0000)) kind = 10;  // web address
      if (c == ColorFromBgr(0x800080)) kind = 11;  // mail address
      out.emplace_back(kind, b.text().mid(r.start, r.length));
    }
    return out;
  }

  settings::MainWindowSettings conf_;
  FakeHost* host_ = nullptr;
  TextArea area_;
  std::unique_ptr<TextEditor> editor_;
};

using Runs = std::vector<std::pair<int, QString>>;

TEST_F(TextEditorTest, PageShowsEveryKindAndLinks) {
  conf_.HLKeyWordA = {"ab"};
  editor_->SetHighLightFont();
  Show(
      Sjis("x // note\r\n<a // b> \\cmd\r\nab xab "
           "\xe2\x97\x8f\xe3\x81\x9d\xe3\x82\x89\xe3\x81\x8f\xe3\x82\x82\r\n"
           "see http://example.com/a\xe3\x81\xa7 and me.you@mail.example.jp\r\n"));
  EXPECT_EQ(Kinds(0), (Runs{{1, "// note"}}));
  EXPECT_EQ(Kinds(1), (Runs{{2, "<a // b>"}, {3, "\\cmd"}}));
  EXPECT_EQ(Kinds(2), (Runs{{4, "ab"}, {4, "●"}, {5, "そらくも"}}));
  // The "//" inside the address starts a comment; the links are painted over it.
  EXPECT_EQ(Kinds(3), (Runs{{10, "http://example.com/a"},
                            {1, QStringLiteral("で and me.")},
                            {11, "you@mail.example.jp"}}));
  EXPECT_GT(area_.document()->firstBlock().blockFormat().textIndent(), 0);  // 1 point at least
  // The page's own mode: highlighting off (links only), normal mode indented by -2: no indent.
  Show(Sjis("x // note http://a.jp\r\n"), "\x01");
  EXPECT_EQ(Kinds(0), (Runs{{10, "http://a.jp"}}));
  EXPECT_FALSE(host_->mode_items);
  EXPECT_EQ(area_.document()->firstBlock().blockFormat().textIndent(), 0);
}

TEST_F(TextEditorTest, TypingUndoAndRedoKeepKindsAndRecords) {
  Show("ab");
  area_.SetSelStart(2);
  Commit(QStringLiteral("そらく"));
  Commit(QStringLiteral("も"));
  EXPECT_EQ(Text(), "ab" + Sjis("そらくも"));
  EXPECT_EQ(Kinds(0), (Runs{{5, "そらくも"}}));
  EXPECT_EQ(editor_->Undos().Count(), 2);
  EXPECT_EQ(host_->status[2], "変更あり");
  // A keystroke inside breaks the keyword.
  area_.SetSelStart(6);
  Type("x");
  EXPECT_EQ(Kinds(0), Runs{});
  EXPECT_EQ(area_.SelStart(), 7);
  // Undo brings it back; the caret goes where it was.
  Key(Qt::Key_Backspace, Qt::AltModifier);
  EXPECT_EQ(Text(), "ab" + Sjis("そらくも"));
  EXPECT_EQ(Kinds(0), (Runs{{5, "そらくも"}}));
  EXPECT_EQ(area_.SelStart(), 6);
  editor_->Undo();
  editor_->Undo();
  EXPECT_EQ(Text(), "ab");
  EXPECT_EQ(host_->status[2], "");
  EXPECT_EQ(host_->undo_redo, std::make_pair(false, true));
  editor_->UndoUndo();
  EXPECT_EQ(Text(), "ab" + Sjis("そらく"));
  EXPECT_EQ(area_.SelStart(), 8);
  // A new edit drops what was undone.
  Type("z");
  EXPECT_FALSE(editor_->CanRedo());
  EXPECT_EQ(editor_->Undos().Count(), 2);
  EXPECT_EQ(host_->undo_redo, std::make_pair(true, false));
  // Showing another page empties the history.
  Show("c");
  EXPECT_EQ(host_->undo_redo, std::make_pair(false, false));
}

TEST_F(TextEditorTest, KeysRecordWhatTheyChange) {
  Show("ab\r\ncd");
  area_.SetSelStart(4);
  Key(Qt::Key_Backspace);  // after the line break: CR LF in one step
  EXPECT_EQ(Text(), "abcd");
  EXPECT_EQ(editor_->Undos().Newest()->OldText, "\r\n");
  Key(Qt::Key_Return);
  EXPECT_EQ(Text(), "ab\r\ncd");
  EXPECT_EQ(editor_->Undos().Newest()->NewText, "\r\n");
  area_.SetSelStart(2);
  Key(Qt::Key_Delete);  // before the line break
  EXPECT_EQ(Text(), "abcd");
  EXPECT_EQ(editor_->Undos().Newest()->OldText, "\r\n");
  // Overwrite mode.
  Key(Qt::Key_Insert);
  EXPECT_EQ(host_->status[1], "上書き");
  area_.SetSelStart(0);
  Type("XY");
  EXPECT_EQ(Text(), "XYcd");
  Key(Qt::Key_Insert);
  EXPECT_EQ(host_->status[1], "挿入");
  // Typing with a selection inserts before it and keeps it.
  area_.SetSelStart(2);
  area_.SetSelLength(2);
  Type("-");
  EXPECT_EQ(Text(), "XY-cd");
  // Tab and a deletion the control makes itself (a word) are recorded too.
  Key(Qt::Key_Tab);
  area_.SetSelStart(5);
  Key(Qt::Key_Backspace, Qt::ControlModifier);
  const std::string after = Text();
  EXPECT_NE(after, "XY-\tcd");
  const int records = editor_->Undos().Count();
  for (int i = 0; i < records; ++i) editor_->Undo();
  EXPECT_EQ(Text(), "ab\r\ncd");
  for (int i = 0; i < records; ++i) editor_->UndoUndo();
  EXPECT_EQ(Text(), after);
  // Escape writes the page.
  Key(Qt::Key_Escape);
  EXPECT_EQ(host_->saves, 1);
}

TEST_F(TextEditorTest, PasteGoesThroughTheProgram) {
  Show("");
  QApplication::clipboard()->clear();
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor_->Undos().Count(), 0);  // nothing to paste: nothing recorded
  QApplication::clipboard()->setText(QStringLiteral("// one\n<two>\n\\three"));
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(), "// one\r\n<two>\r\n\\three");
  EXPECT_EQ(editor_->Undos().Count(), 1);
  EXPECT_EQ(area_.SelStart(), 0);  // the caret stays before what was pasted
  EXPECT_EQ(Kinds(0), (Runs{{1, "// one"}}));
  EXPECT_EQ(Kinds(1), (Runs{{2, "<two>"}}));
  EXPECT_EQ(Kinds(2), (Runs{{3, "\\three"}}));
  conf_.CurSorPosAfterPaste = 1;
  QApplication::clipboard()->setText(QStringLiteral("x😀"));
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Text(), "x" + Sjis("〓") + "// one\r\n<two>\r\n\\three");
  EXPECT_EQ(area_.SelStart(), 3);
  // Cut and undo.
  area_.SetSelStart(0);
  area_.SetSelLength(3);
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("x〓"));
  editor_->Undo();
  EXPECT_EQ(area_.SelText(), "x" + Sjis("〓"));
  Key(Qt::Key_Insert, Qt::ControlModifier);  // copy
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("x〓"));
  Key(Qt::Key_Delete, Qt::ShiftModifier);  // cut
  EXPECT_EQ(Text(), "// one\r\n<two>\r\n\\three");
  editor_->Undo();
  // The middle button's paste of the X11 selection (where the platform has one) and the
  // control's own paste both insert through the program's paste.
  area_.SetSelStart(0);
  const int before = editor_->Undos().UndoIndex();
  if (QApplication::clipboard()->supportsSelection()) {
    QApplication::clipboard()->setText(QStringLiteral("dropped"), QClipboard::Selection);
    QTest::mouseClick(area_.viewport(), Qt::MiddleButton, {}, QPoint(2, 2));
  } else {
    QApplication::clipboard()->setText(QStringLiteral("dropped"));
    area_.PasteClip();
  }
  EXPECT_EQ(editor_->Undos().UndoIndex(), before + 1);
  EXPECT_EQ(editor_->Undos().Newest()->NewText, "dropped");
  EXPECT_EQ(Text().find("dropped"), 0u);
  // A drop inserts where it lands, as one paste.
  Show("abc def");
  QMimeData dropped;
  dropped.setText(QStringLiteral("XY"));
  const QRect at = area_.cursorRect(QTextCursor(area_.document()->findBlockByNumber(0)));
  const QPoint p(at.left() + 1, at.center().y());
  QDragEnterEvent enter(p, Qt::CopyAction, &dropped, Qt::LeftButton, {});
  QApplication::sendEvent(area_.viewport(), &enter);
  QDragMoveEvent move(p, Qt::CopyAction, &dropped, Qt::LeftButton, {});
  QApplication::sendEvent(area_.viewport(), &move);
  QDropEvent drop(p, Qt::CopyAction, &dropped, Qt::LeftButton, {});
  QApplication::sendEvent(area_.viewport(), &drop);
  EXPECT_EQ(Text(), "XYabc def");
  EXPECT_EQ(editor_->Undos().Count(), 1);
}

TEST_F(TextEditorTest, CompositionRecordsEachResultAndNothingWhenCancelled) {
  Show("ab");
  area_.SetSelStart(1);
  Preedit(QStringLiteral("に"));
  Preedit(QStringLiteral("にほ"));
  EXPECT_EQ(Text(), "ab");  // the composition is not part of the text
  Preedit(QStringLiteral(""));
  EXPECT_EQ(editor_->Undos().Count(), 0);
  EXPECT_EQ(Text(), "ab");
  // Confirmed in two steps: two records.
  Preedit(QStringLiteral("にほんご"));
  {
    QInputMethodEvent e(QStringLiteral("ご"), {});
    e.setCommitString(QStringLiteral("日本"));
    QApplication::sendEvent(&area_, &e);
  }
  Commit(QStringLiteral("語"));
  EXPECT_EQ(Text(), "a" + Sjis("日本語") + "b");
  EXPECT_EQ(editor_->Undos().Count(), 2);
  EXPECT_EQ(editor_->Undos().At(1).StartPos, 5);
  // A character a page cannot hold is refused and not recorded.
  Commit(QStringLiteral("😀"));
  EXPECT_EQ(editor_->Undos().Count(), 2);
  // With the selection replaced by the composition, a cancel gives the selection back.
  conf_.DeleteSelectedStr = true;
  area_.SetSelStart(0);
  area_.SetSelLength(1);
  Preedit(QStringLiteral("か"));
  EXPECT_EQ(Text(), Sjis("日本語") + "b");
  Preedit(QString());
  EXPECT_EQ(Text(), "a" + Sjis("日本語") + "b");
  EXPECT_EQ(editor_->Undos().Count(), 2);
  // A result lands where the caret is, even if it moved while composing.
  conf_.DeleteSelectedStr = false;
  Show("abcd");
  area_.SetSelStart(1);
  Preedit(QStringLiteral("ご"));
  area_.SetSelStart(3);
  Commit(QStringLiteral("語"));
  EXPECT_EQ(Text(), "abc" + Sjis("語") + "d");
  EXPECT_EQ(editor_->Undos().Newest()->StartPos, 3);
  editor_->Undo();
  EXPECT_EQ(Text(), "abcd");
  // In overwrite mode a result takes the place of as many characters, not past the line end.
  Show("abcd\r\nef");
  Key(Qt::Key_Insert);
  area_.SetSelStart(1);
  Preedit(QStringLiteral("にほ"));
  Commit(QStringLiteral("日本"));
  EXPECT_EQ(Text(), "a" + Sjis("日本") + "d\r\nef");
  EXPECT_EQ(editor_->Undos().Newest()->OldText, "bc");
  Commit(QStringLiteral("語だ"));
  EXPECT_EQ(Text(), "a" + Sjis("日本語だ") + "\r\nef");
  editor_->Undo();
  editor_->Undo();
  EXPECT_EQ(Text(), "abcd\r\nef");
}

TEST_F(TextEditorTest, ItemizeIndentsFollowTheFirstCharacter) {
  conf_.ItemizeMode = true;
  Show(Sjis("●item\r\nplain"));
  const double item = editor_->Layout().ItemIndentPoints * area_.logicalDpiX() / 72.0;
  auto indent = [&](int i) {
    const QTextBlockFormat f = area_.document()->findBlockByNumber(i).blockFormat();
    return std::pair<double, double>(f.leftMargin(), f.textIndent());
  };
  EXPECT_DOUBLE_EQ(indent(0).first, item);  // hanging: the mark at the margin
  EXPECT_DOUBLE_EQ(indent(0).second, -item);
  EXPECT_DOUBLE_EQ(indent(1).first, item);  // the whole paragraph indented
  EXPECT_DOUBLE_EQ(indent(1).second, 0);
  // Tabs: five stops in the paragraph, the same spacing after them.
  const QTextBlockFormat f = area_.document()->firstBlock().blockFormat();
  ASSERT_EQ(f.tabPositions().size(), 5);
  EXPECT_NEAR(area_.document()->defaultTextOption().tabStopDistance(),
              (editor_->Layout().TabStops[0] - 1) * area_.logicalDpiX() / 72.0, 0.01);
  area_.SetSelStart(int(Sjis("●item\r\n").size()));
  Commit(QStringLiteral("○"));
  EXPECT_DOUBLE_EQ(indent(1).second, -item);
  editor_->Undo();
  EXPECT_DOUBLE_EQ(indent(1).second, 0);
  // Enter in the middle of an item: the new paragraph is plain.
  area_.SetSelStart(4);
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(indent(0).second, -item);
  EXPECT_DOUBLE_EQ(indent(1).second, 0);
  // Normal mode: the first line only.
  editor_->ChangeTextMode(false);
  EXPECT_DOUBLE_EQ(indent(1).first, 0);
  EXPECT_GT(indent(1).second, 0);
}

TEST_F(TextEditorTest, AWrapWidthFollowsTheAreaOnceAResizeSettles) {
  conf_.MaxOrikaeshiHabaCm = 3;
  editor_->FontSet();
  area_.resize(300, 200);
  Show("some text");
  area_.SetSelStart(2);
  auto right = [&] { return area_.document()->firstBlock().blockFormat().rightMargin(); };
  const double narrow = right();
  area_.resize(700, 200);
  QTest::qWait(200);
  EXPECT_GT(right(), narrow + 200);  // the column keeps the wrap width
  EXPECT_EQ(area_.SelStart(), 2);
  EXPECT_EQ(editor_->Undos().Count(), 0);
}

TEST_F(TextEditorTest, OneKeystrokeRescansOnlyItsParagraph) {
  std::string page;
  while (page.size() < 30000)
    page += Sjis("// そらくも <a> \\b ● http://x.jp 日本語のテキスト\r\n");
  Show(page);
  QCoreApplication::processEvents();
  const long before = editor_->Highlighter().Calls();
  area_.SetSelStart(int(page.size() / 2 / 100 * 100));
  Type("x");
  EXPECT_LE(editor_->Highlighter().Calls() - before, 2);
}

// A conversion replaces the selection as one paste: one undo step, the clipboard as it was, the
// caret where a paste leaves it; the same with no selection converts the whole text and leaves the
// caret where it was.
TEST_F(TextEditorTest, ConversionsPasteWithoutTouchingTheClipboard) {
  const auto upper = [](std::string_view s) {
    std::string out(s);
    for (char& c : out)
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
  };
  Show(Sjis("abc // def\r\nghi"));
  QApplication::clipboard()->setText(QStringLiteral("kept"));
  editor_->ConvertSelection(upper);  // nothing selected: nothing happens
  EXPECT_EQ(Text(), Sjis("abc // def\r\nghi"));
  EXPECT_EQ(editor_->Undos().Count(), 0);

  area_.SetSelStart(4);
  area_.SetSelLength(9);  // "// def\r\ng"
  editor_->ConvertSelection(upper);
  EXPECT_EQ(Text(), Sjis("abc // DEF\r\nGhi"));
  EXPECT_EQ(editor_->Undos().Count(), 1);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
  EXPECT_EQ(area_.SelStart(), 4);
  EXPECT_EQ(area_.SelLength(), 0);
  EXPECT_EQ(Kinds(0), (Runs{{1, "// DEF"}}));  // highlighted like any paste
  EXPECT_EQ(host_->status[2], QStringLiteral("変更あり"));
  editor_->Undo();
  EXPECT_EQ(Text(), Sjis("abc // def\r\nghi"));
  EXPECT_EQ(area_.SelText(), Sjis("// def\r\ng"));

  conf_.CurSorPosAfterPaste = 1;
  area_.SetSelStart(0);
  area_.SetSelLength(3);
  editor_->ConvertSelection(upper);
  EXPECT_EQ(area_.SelStart(), 3);
  // Nothing to change: the caret moves as after the paste, nothing is recorded.
  const int records = editor_->Undos().Count();
  area_.SetSelStart(0);
  area_.SetSelLength(3);
  editor_->ConvertSelection(upper);
  EXPECT_EQ(editor_->Undos().Count(), records);
  EXPECT_EQ(area_.SelStart(), 3);
  EXPECT_EQ(area_.SelLength(), 0);

  area_.SetSelStart(6);
  editor_->ConvertSelectionOrAll(upper);
  EXPECT_EQ(Text(), Sjis("ABC // DEF\r\nGHI"));
  EXPECT_EQ(editor_->Undos().Count(), records + 1);
  EXPECT_EQ(area_.SelStart(), 6);
  EXPECT_EQ(area_.SelLength(), 0);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
  editor_->Undo();
  EXPECT_EQ(Text(), Sjis("ABC // def\r\nghi"));
}

TEST_F(TextEditorTest, ClickedLinksOpenOnceUntilTheGuardClears) {
  Show(Sjis("go http://example.com/a end\r\nmail me.you@mail.example.jp\r\nnodot a@b"));
  auto click_at = [&](int pos) {
    area_.SetSelStart(pos);
    editor_->LeftClick();
  };
  click_at(10);
  ASSERT_EQ(host_->urls.size(), 1u);
  EXPECT_EQ(host_->urls[0], "http://example.com/a");
  click_at(10);  // a second quick click opens nothing
  EXPECT_EQ(host_->urls.size(), 1u);
  editor_->Timer3().stop();
  editor_->LinkClickGuard = false;
  const int mail = int(Sjis("go http://example.com/a end\r\nmail me.").size()) + 2;
  click_at(mail);
  ASSERT_EQ(host_->urls.size(), 2u);
  EXPECT_EQ(host_->urls[1], "mailto:you@mail.example.jp");
  // Nothing for plain text, and nothing at all with links off.
  editor_->LinkClickGuard = false;
  click_at(1);
  conf_.URLMail = false;
  click_at(10);
  EXPECT_EQ(host_->urls.size(), 2u);
  EXPECT_TRUE(host_->messages.empty());
}

TEST(HighLightFormTest, ShowsAndKeepsColourAndStyle) {
  std::optional<QColor> answer = QColor(0x12, 0x34, 0x56);
  THighLightForm form(nullptr, [&](const QColor& now) {
    EXPECT_EQ(now, QColor(0xFF, 0, 0));  // preset to the colour held
    return answer;
  });
  form.SetValues(0x0000FF, kStyleBold | kStyleStrikeOut);
  EXPECT_TRUE(form.BoldCheckBox->isChecked());
  EXPECT_FALSE(form.ItalicCheckBox->isChecked());
  EXPECT_TRUE(form.StrikeOutCheckBox->isChecked());
  form.UnderlineCheckBox->setChecked(true);
  EXPECT_EQ(form.Style(), kStyleBold | kStyleUnderline | kStyleStrikeOut);
  form.ColorButton->click();
  EXPECT_EQ(form.Color(), 0x563412);
  answer.reset();  // cancelled: the colour stays
  form.SetValues(0x0000FF, 0);
  form.ColorButton->click();
  EXPECT_EQ(form.Color(), 0x0000FF);
  EXPECT_EQ(form.windowTitle(), "強調表示スタイル");
}

}  // namespace
}  // namespace sk::editor
