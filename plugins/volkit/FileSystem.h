// The file-system interface over the FAT volume of a device.
#pragma once

#include "contract/PluginContract.h"

namespace volkit {

// A new interface object, or null when memory is short.
FileSystemInterface* CreateFileSystem();

}  // namespace volkit
