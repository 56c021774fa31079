// Tells a window when the system's devices change (a card reader or a player
// plugged in or out), as WM_DEVICECHANGE with DBT_DEVNODES_CHANGED. The
// simulated player's switches are its folder's marks (tunewarden-player
// plug, unplug, lock, insert, eject), so a change of that folder is told the
// same way.
#pragma once

#include <QFileSystemWatcher>
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

  // Starts posting to the window; without udev (a container, say) only the
  // simulated player's changes are posted.
  void Start(CNativeWindow* window);
  void Stop();

 private:
  void StopUdev();

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<QFileSystemWatcher> playerWatch_;
};
