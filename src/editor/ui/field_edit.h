// A one-line text field of the page (the title, the subtitle) that keeps only characters the page
// file can hold, as the text area does: a character CP932 cannot hold is refused with a beep and
// CharRefused when typed (a key press or an input method commit); pasted, dropped or put in any
// other way by the user it becomes "〓" at once and CharsReplaced reports how many.  Text set by
// the program (setText) is left alone.
#pragma once

#include <QLineEdit>
#include <QString>

namespace sk::editor {

class FieldEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit FieldEdit(QWidget* parent = nullptr);

 signals:
  void CharRefused(const QString& ch);
  void CharsReplaced(int count);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;

 private:
  void Refuse(const QStringList& refused);
  // Replaces what the page cannot hold in the text the user has just changed.
  void ReplaceUnheld();
};

}  // namespace sk::editor
