// The two plug-in libraries and the interface taken from each. A library that
// does not load, or lacks CreateInterface, leaves its handle and interface empty.
#pragma once

#include <string_view>

#include "contract/PluginContract.h"
#include "platform/Modules.h"

struct PluginLibraries {
  static constexpr std::string_view DeviceLibraryName = "portkit.so";
  static constexpr std::string_view FileSystemLibraryName = "volkit.so";

  PluginLibraries() = default;
  PluginLibraries(const PluginLibraries&) = delete;
  PluginLibraries& operator=(const PluginLibraries&) = delete;
  ~PluginLibraries() { Unload(); }

  // Device first, then file system, each by bare name from the program folder.
  // Anything loaded before is unloaded first.
  void Load(std::string_view deviceName = DeviceLibraryName, std::string_view fileSystemName = FileSystemLibraryName);
  // destroy(1) on the device, then on the file system; then frees the device
  // library, then the file-system library.
  void Unload();

  platform::ModuleHandle deviceLibrary = nullptr;
  platform::ModuleHandle fileSystemLibrary = nullptr;
  DeviceInterface* device = nullptr;
  FileSystemInterface* fileSystem = nullptr;
};
