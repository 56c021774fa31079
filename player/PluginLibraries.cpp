#include "player/PluginLibraries.h"

namespace {

template <class Interface>
void LoadLibrary(std::string_view name, platform::ModuleHandle& library, Interface*& interface) {
  library = platform::LoadModule(name);
  if (!library) return;
  using Create = Interface* (*)();
  auto create = reinterpret_cast<Create>(platform::ModuleSymbol(library, "CreateInterface"));
  if (!create) {
    platform::FreeModule(library);
    library = nullptr;
    return;
  }
  interface = create();
}

}  // namespace

void PluginLibraries::Load(std::string_view deviceName, std::string_view fileSystemName) {
  Unload();
  LoadLibrary(deviceName, deviceLibrary, device);
  LoadLibrary(fileSystemName, fileSystemLibrary, fileSystem);
}

void PluginLibraries::Unload() {
  if (device) device->destroy(1);
  if (fileSystem) fileSystem->destroy(1);
  device = nullptr;
  fileSystem = nullptr;
  if (deviceLibrary) platform::FreeModule(deviceLibrary);
  if (fileSystemLibrary) platform::FreeModule(fileSystemLibrary);
  deviceLibrary = nullptr;
  fileSystemLibrary = nullptr;
}
