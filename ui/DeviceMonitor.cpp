#include "ui/DeviceMonitor.h"

#include <libudev.h>

#include <QFileInfo>
#include <QSocketNotifier>

#include "framework/ui/Window.h"
#include "platform/Files.h"

DeviceMonitor::~DeviceMonitor() { Stop(); }

void DeviceMonitor::Start(CNativeWindow* window) {
  Stop();
  const QString player = QString::fromStdString(platform::SimulatedPlayerFolder());
  playerWatch_ = std::make_unique<QFileSystemWatcher>();
  if (!player.isEmpty() && QFileInfo::exists(player)) playerWatch_->addPath(player);
  QObject::connect(playerWatch_.get(), &QFileSystemWatcher::directoryChanged, playerWatch_.get(),
                   [window] { PostMessage(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0); });
  udev_ = udev_new();
  monitor_ = udev_ ? udev_monitor_new_from_netlink(udev_, "udev") : nullptr;
  if (!monitor_) return StopUdev();
  for (const char* subsystem : {"block", "usb"})
    udev_monitor_filter_add_match_subsystem_devtype(monitor_, subsystem, nullptr);
  if (udev_monitor_enable_receiving(monitor_) < 0) return StopUdev();
  notifier_ = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, window] {
    if (udev_device* device = udev_monitor_receive_device(monitor_)) udev_device_unref(device);
    PostMessage(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  });
}

void DeviceMonitor::Stop() {
  playerWatch_.reset();
  StopUdev();
}

void DeviceMonitor::StopUdev() {
  notifier_.reset();
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
  monitor_ = nullptr;
  udev_ = nullptr;
}
