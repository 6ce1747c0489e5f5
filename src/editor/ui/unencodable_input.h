// Typed and input-method text without the characters a page cannot hold: what can be held goes
// on to the widget, the rest is refused (the widget beeps and names it).  Shared by the text
// area and the header boxes.
#pragma once

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStringList>

#include "editor/text_positions.h"

namespace sk::editor {

// When the key's text holds characters a page cannot hold: passes the rest on through `pass`
// (a base class's keyPressEvent), hands the refused ones to `refuse` and returns true.
template <class Pass, class Refuse>
bool FilterUnencodableKey(QKeyEvent* e, Pass pass, Refuse refuse) {
  if (e->text().isEmpty()) return false;
  QStringList refused;
  const QString accepted = RemoveUnencodable(e->text(), &refused);
  if (refused.isEmpty()) return false;
  if (!accepted.isEmpty()) {
    QKeyEvent rest(e->type(), e->key(), e->modifiers(), accepted, e->isAutoRepeat(),
                   ushort(e->count()));
    pass(&rest);
  }
  refuse(refused);
  e->accept();
  return true;
}

// The same for an input method's commit string; returns the commit as passed on.
template <class Pass, class Refuse>
QString FilterUnencodableCommit(QInputMethodEvent* e, Pass pass, Refuse refuse) {
  QStringList refused;
  const QString accepted = RemoveUnencodable(e->commitString(), &refused);
  if (refused.isEmpty()) {
    pass(e);
    return accepted;
  }
  QInputMethodEvent filtered(e->preeditString(), e->attributes());
  filtered.setCommitString(accepted, e->replacementStart(), e->replacementLength());
  pass(&filtered);
  e->setAccepted(filtered.isAccepted());
  refuse(refused);
  return accepted;
}

}  // namespace sk::editor
