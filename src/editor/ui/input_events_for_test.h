// Input as a user's keyboard and input method deliver it, and page text written in UTF-8, for the
// editor's widget tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <string>

#include "convert/cp932.h"

namespace sk::editor::test {

// Page text (CP932) written in UTF-8 in a test.
inline std::string Sjis(const char* utf8) {
  std::string out;
  EXPECT_TRUE(cp932::FromUtf8ToCp932(utf8, &out)) << utf8;
  return out;
}

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
