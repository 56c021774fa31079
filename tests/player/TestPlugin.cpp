// Small libraries that stand in for the plug-ins in the loader tests:
// twtest_device.so, twtest_filesystem.so and twtest_noentry.so (the last
// without CreateInterface). Each reports its creation, destruction and
// unloading through RecordPluginEvent, which the test program exports.
#include <string>

#include "contract/PluginContract.h"
#include "tests/player/PluginTesting.h"

extern "C" void RecordPluginEvent(const char* event) __attribute__((weak));

namespace {

void Record(const char* what) {
  if (RecordPluginEvent) RecordPluginEvent((std::string(TEST_PLUGIN_ROLE) + " " + what).c_str());
}

__attribute__((destructor)) void Unloaded() { Record("freed"); }

#if defined(TEST_DEVICE)
using Interface = DeviceInterface;
using Stub = StubDevice;
#elif defined(TEST_FILESYSTEM)
using Interface = FileSystemInterface;
class Stub : public FileSystemInterface {
  uint32_t lastError() override { return 0; }
  uint32_t attach(DeviceInterface*) override { return 0; }
  uint32_t format(DeviceInterface*, TransferRequest*) override { return 0; }
  uint32_t beginUpdate() override { return 0; }
  uint32_t endUpdate() override { return 0; }
  uint32_t getVolumeInfo(VolumeInfoRecord*) override { return 0; }
  uint32_t setLabel(const char*) override { return 0; }
  uint32_t freeClusters() override { return 0; }
  uint32_t isAtRoot() override { return 0; }
  uint32_t getCurrentDir(char*, uint32_t) override { return 0; }
  uint32_t changeDir(const char*) override { return 0; }
  uint32_t makeDir(const char*) override { return 0; }
  uint32_t removeDir(const char*) override { return 0; }
  uint32_t findBegin() override { return 0; }
  uint32_t findNext(DirEntryRecord*) override { return 0; }
  uint32_t findEnd() override { return 0; }
  uint32_t lookup(const char*, DirEntryRecord*) override { return 0; }
  uint32_t rename(const char*, const char*) override { return 0; }
  uint32_t deleteFile(const char*) override { return 0; }
  uint32_t writeFile(TransferRequest*) override { return 0; }
  uint32_t readFile(TransferRequest*) override { return 0; }
};
#endif

#if defined(TEST_DEVICE) || defined(TEST_FILESYSTEM)
class Implementation final : public Stub {
  uint32_t destroy(uint32_t deleteSelf) override {
    Record(deleteSelf == 1 ? "destroy 1" : "destroy 0");
    if (deleteSelf) delete this;
    return 1;
  }
};
#endif

}  // namespace

#if defined(TEST_DEVICE) || defined(TEST_FILESYSTEM)
extern "C" __attribute__((visibility("default"))) Interface* CreateInterface() {
  Record("created");
  return new Implementation;
}
#endif
