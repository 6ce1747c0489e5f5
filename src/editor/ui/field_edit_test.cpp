#include "editor/ui/field_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <vector>

namespace sk::editor {
namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

class FieldEditTest : public testing::Test {
 protected:
  FieldEditTest() {
    QObject::connect(&edit_, &FieldEdit::CharRefused,
                     [this](const QString& ch) { refused_.push_back(ch); });
    QObject::connect(&edit_, &FieldEdit::CharsReplaced, [this](int n) { replaced_.push_back(n); });
  }
  void Send(QEvent* e) { QApplication::sendEvent(&edit_, e); }

  FieldEdit edit_;
  std::vector<QString> refused_;
  std::vector<int> replaced_;
};

TEST_F(FieldEditTest, TypedCharactersThePageCannotHoldAreRefused) {
  edit_.setText("ab");
  edit_.setCursorPosition(1);
  const QString emoji = Q(u"\U0001F600");
  QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, emoji);
  Send(&key);
  QInputMethodEvent commit;
  commit.setCommitString(Q(u"あ\u00E9い"));
  Send(&commit);
  EXPECT_EQ(edit_.text(), Q(u"aあいb"));
  EXPECT_EQ(refused_, (std::vector<QString>{emoji, Q(u"\u00E9")}));
  EXPECT_TRUE(replaced_.empty());
}

TEST_F(FieldEditTest, PastedCharactersThePageCannotHoldBecomeGeta) {
  edit_.setText("ab");
  edit_.setCursorPosition(1);
  QApplication::clipboard()->setText(Q(u"x\U0001F600\u00E9y"));
  QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
  Send(&paste);
  EXPECT_EQ(edit_.text(), Q(u"ax〓〓yb"));
  EXPECT_EQ(edit_.cursorPosition(), 5);
  EXPECT_EQ(replaced_, std::vector<int>{2});

  // The paste command of the context menu, with nothing to replace: no notice.
  edit_.selectAll();
  QApplication::clipboard()->setText(Q(u"題名〜"));
  edit_.paste();
  EXPECT_EQ(edit_.text(), Q(u"題名〜"));
  EXPECT_EQ(replaced_.size(), 1u);
  EXPECT_TRUE(refused_.empty());

  // What the program puts in is its own affair.
  edit_.setText(Q(u"\U0001F600"));
  EXPECT_EQ(edit_.text(), Q(u"\U0001F600"));
  EXPECT_EQ(replaced_.size(), 1u);
}

}  // namespace
}  // namespace sk::editor
