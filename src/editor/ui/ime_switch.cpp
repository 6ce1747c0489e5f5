#include "editor/ui/ime_switch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace sk::editor {

bool ActivateInputMethod() {
  static const QString kService = QStringLiteral("org.fcitx.Fcitx5");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusConnectionInterface* names = bus.interface();
  if (!names || !names->isServiceRegistered(kService).value()) return false;
  const QDBusMessage call = QDBusMessage::createMethodCall(
      kService, QStringLiteral("/controller"), QStringLiteral("org.fcitx.Fcitx.Controller1"),
      QStringLiteral("Activate"));
  return bus.send(call);
}

}  // namespace sk::editor
