#include "framework/ui/Power.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include "framework/ui/QtText.h"
#include "framework/ui/Window.h"

namespace {

constexpr int LogindTimeoutMilliseconds = 5000;

// logind keeps the lock while this descriptor is open. A plain descriptor,
// since no Qt object in static storage may outlive the application.
int sleepLock = -1;

// A descriptor of the lock, or -1.
int TakeSleepLock(const QString& why) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return -1;
  QDBusMessage inhibit = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                        "org.freedesktop.login1.Manager", "Inhibit");
  inhibit << QString("sleep") << QCoreApplication::applicationName() << why << QString("block");
  const QDBusMessage reply = bus.call(inhibit, QDBus::Block, LogindTimeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return -1;
  const auto lock = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
  return lock.isValid() ? fcntl(lock.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
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
    if (sleepLock >= 0) close(sleepLock);
    sleepLock = -1;
  } else if (sleepLock < 0) {
    sleepLock = TakeSleepLock(ToQt(WindowText(refusing)));
  }
}

bool HoldsSleepInhibitor() { return sleepLock >= 0; }
