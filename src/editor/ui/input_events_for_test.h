// Input as a user's keyboard and input method deliver it, for the editor's widget tests.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace sk::editor::test {

// A key press carrying text (key code 0 for plain typed text).
inline void SendKeyPress(QWidget* w, const QString& text, int key = 0,
                         Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
}

// The input method's uncommitted text (empty: the composition ends without a result).
inline void SendPreedit(QWidget* w, const QString& text) {
  QInputMethodEvent e(text, {});
  QApplication::sendEvent(w, &e);
}

// A result of the input method.
inline void SendCommit(QWidget* w, const QString& text) {
  QInputMethodEvent e;
  e.setCommitString(text);
  QApplication::sendEvent(w, &e);
}

}  // namespace sk::editor::test
