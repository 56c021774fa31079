// The device plug-in's only export.
#include "plugins/portkit/PlayerDevice.h"

extern "C" __attribute__((visibility("default"))) DeviceInterface* CreateInterface() {
  return new portkit::PlayerDevice();
}
