// The file-system plug-in's only export.
#include "plugins/volkit/FileSystem.h"

extern "C" __attribute__((visibility("default"))) FileSystemInterface* CreateInterface() {
  return volkit::CreateFileSystem();
}
