#include "framework/ui/Power.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include "framework/ui/QtText.h"
#include "framework/ui/Window.h"

namespace {

constexpr int LogindTimeoutMilliseconds = 5000;

// logind keeps the lock while this descriptor is open.
QDBusUnixFileDescriptor sleepLock;

QDBusUnixFileDescriptor TakeSleepLock(const QString& why) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return {};
  QDBusMessage inhibit = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                        "org.freedesktop.login1.Manager", "Inhibit");
  inhibit << QString("sleep") << QCoreApplication::applicationName() << why << QString("block");
  const QDBusMessage reply = bus.call(inhibit, QDBus::Block, LogindTimeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
}

}  // namespace

CNativeWindow* WindowRefusingSuspend(WPARAM event) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    CNativeWindow* window = NativeWindowOf(widget);
    if (window && window->IsAlive() && SendMessage(window, WM_POWERBROADCAST, event) == BROADCAST_QUERY_DENY)
      return window;
  }
  return nullptr;
}

void UpdateSleepInhibitor() {
  CNativeWindow* refusing = WindowRefusingSuspend();
  if (!refusing) {
    sleepLock = QDBusUnixFileDescriptor();
  } else if (!sleepLock.isValid()) {
    sleepLock = TakeSleepLock(ToQt(WindowText(refusing)));
  }
}

bool HoldsSleepInhibitor() { return sleepLock.isValid(); }
