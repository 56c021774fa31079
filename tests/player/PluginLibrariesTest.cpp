#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "player/PluginLibraries.h"

// What the test libraries report (see TestPlugin.cpp). Never freed: a library
// still loaded at exit reports its unloading after the test's statics are gone.
static std::vector<std::string>& Events() {
  static auto* events = new std::vector<std::string>;
  return *events;
}

extern "C" __attribute__((visibility("default"))) void RecordPluginEvent(const char* event) {
  Events().push_back(event);
}

namespace {

using Strings = std::vector<std::string>;

constexpr const char* Device = "twtest_device.so";
constexpr const char* FileSystem = "twtest_filesystem.so";

// Itanium C++ ABI: a pointer to a virtual member function holds 1 + the byte
// offset of its slot in the virtual table.
template <class Member>
size_t SlotOf(Member member) {
  struct {
    uintptr_t function;
    ptrdiff_t adjustment;
  } raw;
  static_assert(sizeof member == sizeof raw);
  std::memcpy(&raw, &member, sizeof raw);
  EXPECT_EQ(raw.function % 2, 1u) << "not a virtual operation";
  return (raw.function - 1) / sizeof(void*);
}

bool IsLoaded(const char* name) {
  void* module = dlopen((platform::ProgramFolder() + name).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (module) dlclose(module);
  return module != nullptr;
}

Strings TakeEvents() {
  Strings events;
  events.swap(Events());
  return events;
}

}  // namespace

TEST(PluginInterfaces, EveryOperationSitsInItsSlot) {
  EXPECT_EQ(SlotOf(&DeviceInterface::destroy), 0u);
  EXPECT_EQ(SlotOf(&DeviceInterface::lastError), 1u);
  EXPECT_EQ(SlotOf(&DeviceInterface::open), 3u);
  EXPECT_EQ(SlotOf(&DeviceInterface::close), 4u);
  EXPECT_EQ(SlotOf(&DeviceInterface::selectMedia), 6u);
  EXPECT_EQ(SlotOf(&DeviceInterface::getMediaInfo), 7u);
  EXPECT_EQ(SlotOf(&DeviceInterface::checkWritable), 10u);
  EXPECT_EQ(SlotOf(&DeviceInterface::sectorSize), 11u);
  EXPECT_EQ(SlotOf(&DeviceInterface::sectorCount), 12u);
  EXPECT_EQ(SlotOf(&DeviceInterface::readSectors), 13u);
  EXPECT_EQ(SlotOf(&DeviceInterface::writeSectors), 14u);
  EXPECT_EQ(SlotOf(&DeviceInterface::flush), 15u);
  EXPECT_EQ(SlotOf(&DeviceInterface::readFirmwareBlock), 23u);
  EXPECT_EQ(SlotOf(&DeviceInterface::writeFirmwareBlock), 24u);
  EXPECT_EQ(SlotOf(&DeviceInterface::readReservedBlock), 25u);
  EXPECT_EQ(SlotOf(&DeviceInterface::writeReservedBlock), 26u);

  EXPECT_EQ(SlotOf(&FileSystemInterface::destroy), 0u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::lastError), 1u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::attach), 3u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::format), 4u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::beginUpdate), 5u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::endUpdate), 6u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::getVolumeInfo), 7u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::setLabel), 8u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::freeClusters), 9u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::isAtRoot), 10u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::getCurrentDir), 11u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::changeDir), 12u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::makeDir), 13u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::removeDir), 14u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::findBegin), 15u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::findNext), 16u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::findEnd), 17u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::lookup), 18u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::rename), 19u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::deleteFile), 20u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::writeFile), 21u);
  EXPECT_EQ(SlotOf(&FileSystemInterface::readFile), 22u);
}

TEST(PluginLibraries, LoadsDeviceFirstAndUnloadsInOrderAlsoWhenReloadedOrDestroyed) {
  TakeEvents();
  PluginLibraries plugins;
  plugins.Load(Device, FileSystem);
  EXPECT_NE(plugins.deviceLibrary, nullptr);
  EXPECT_NE(plugins.fileSystemLibrary, nullptr);
  EXPECT_NE(plugins.device, nullptr);
  EXPECT_NE(plugins.fileSystem, nullptr);
  EXPECT_EQ(TakeEvents(), (Strings{"device created", "filesystem created"}));

  plugins.Unload();
  EXPECT_EQ(TakeEvents(), (Strings{"device destroy 1", "filesystem destroy 1", "device freed", "filesystem freed"}));
  EXPECT_EQ(plugins.deviceLibrary, nullptr);
  EXPECT_EQ(plugins.fileSystemLibrary, nullptr);
  EXPECT_EQ(plugins.device, nullptr);
  EXPECT_EQ(plugins.fileSystem, nullptr);
  EXPECT_FALSE(IsLoaded(Device));
  EXPECT_FALSE(IsLoaded(FileSystem));

  plugins.Unload();
  EXPECT_TRUE(TakeEvents().empty()) << "a second unload has nothing to do";

  // Loading again, or going away, unloads first.
  {
    PluginLibraries reloaded;
    reloaded.Load(Device, FileSystem);
    reloaded.Load(Device, FileSystem);
    EXPECT_EQ(TakeEvents(), (Strings{"device created", "filesystem created", "device destroy 1", "filesystem destroy 1",
                                     "device freed", "filesystem freed", "device created", "filesystem created"}));
  }
  EXPECT_EQ(TakeEvents(), (Strings{"device destroy 1", "filesystem destroy 1", "device freed", "filesystem freed"}));
}

TEST(PluginLibraries, LibraryThatDoesNotLoadLeavesItsPartEmpty) {
  TakeEvents();
  PluginLibraries plugins;
  plugins.Load("twtest_absent.so", FileSystem);
  EXPECT_EQ(plugins.deviceLibrary, nullptr);
  EXPECT_EQ(plugins.device, nullptr);
  EXPECT_NE(plugins.fileSystem, nullptr);
  plugins.Unload();
  EXPECT_EQ(TakeEvents(), (Strings{"filesystem created", "filesystem destroy 1", "filesystem freed"}));

  plugins.Load();  // this test's folder has no real plug-ins
  EXPECT_EQ(plugins.deviceLibrary, nullptr);
  EXPECT_EQ(plugins.fileSystemLibrary, nullptr);
}

TEST(PluginLibraries, LibraryWithoutCreateInterfaceIsFreedAgain) {
  TakeEvents();
  PluginLibraries plugins;
  plugins.Load(Device, "twtest_noentry.so");
  EXPECT_NE(plugins.device, nullptr);
  EXPECT_EQ(plugins.fileSystemLibrary, nullptr);
  EXPECT_EQ(plugins.fileSystem, nullptr);
  EXPECT_FALSE(IsLoaded("twtest_noentry.so"));
  EXPECT_EQ(TakeEvents(), (Strings{"device created", "noentry freed"}));
  plugins.Unload();
  EXPECT_EQ(TakeEvents(), (Strings{"device destroy 1", "device freed"}));
}
