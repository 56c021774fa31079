// Tells a window when the system's devices change (a card reader or a player
// plugged in or out), as WM_DEVICECHANGE with DBT_DEVNODES_CHANGED.
#pragma once

#include <QSocketNotifier>
#include <memory>

class CNativeWindow;
struct udev;
struct udev_monitor;

class DeviceMonitor {
 public:
  DeviceMonitor() = default;
  DeviceMonitor(const DeviceMonitor&) = delete;
  DeviceMonitor& operator=(const DeviceMonitor&) = delete;
  ~DeviceMonitor();

  // Starts posting to the window; without udev (a container, say) nothing
  // is ever posted.
  void Start(CNativeWindow* window);
  void Stop();

 private:
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
};
