#include "editor/ui/field_edit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "convert/cp932.h"
#include "editor/text_positions.h"
#include "editor/ui/unencodable_input.h"

namespace sk::editor {

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent) {
  // Connected first, so that later handlers of textEdited already see the replaced text.
  connect(this, &QLineEdit::textEdited, this, [this] { ReplaceUnheld(); });
}

void FieldEdit::Refuse(const QStringList& refused) {
  QApplication::beep();
  for (const QString& ch : refused) emit CharRefused(ch);
}

void FieldEdit::keyPressEvent(QKeyEvent* e) {
  if (!isReadOnly() && FilterUnencodableKey(
                           e, [this](QKeyEvent* k) { QLineEdit::keyPressEvent(k); },
                           [this](const QStringList& r) { Refuse(r); }))
    return;
  QLineEdit::keyPressEvent(e);
}

void FieldEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (isReadOnly()) {
    QLineEdit::inputMethodEvent(e);
    return;
  }
  FilterUnencodableCommit(
      e, [this](QInputMethodEvent* m) { QLineEdit::inputMethodEvent(m); },
      [this](const QStringList& r) { Refuse(r); });
}

void FieldEdit::ReplaceUnheld() {
  const QString now = text();
  QString clean;
  clean.reserve(now.size());
  int replaced = 0;
  int cursor = cursorPosition();
  int new_cursor = cursor;
  for (qsizetype i = 0; i < now.size();) {
    const int units =
        now[i].isHighSurrogate() && i + 1 < now.size() && now[i + 1].isLowSurrogate() ? 2 : 1;
    const char32_t ch = units == 2 ? QChar::surrogateToUcs4(now[i], now[i + 1]) : now[i].unicode();
    if (cp932::CanEncode(ch)) {
      clean.append(now.mid(i, units));
    } else {
      clean.append(QChar(u'〓'));
      ++replaced;
      if (i < cursor) new_cursor -= units - 1;
    }
    i += units;
  }
  if (replaced == 0) return;
  setText(clean);
  setCursorPosition(new_cursor);
  emit CharsReplaced(replaced);
}

}  // namespace sk::editor
