// A fake device plug-in for the upgrade tests: it writes down every call the
// program makes, in order, and fails the firmware block it is told to.
#include <string>

#include "tests/player/PluginTesting.h"

namespace {

std::string calls;
uint32_t failingBlock = UINT32_MAX;

uint32_t Called(const std::string& call, uint32_t result) {
  calls += call + "\n";
  return result;
}

class CountingFakeDevice final : public StubDevice {
  uint32_t destroy(uint32_t deleteSelf) override {
    if (deleteSelf) delete this;
    return 1;
  }
  uint32_t lastError() override { return Called("lastError", 104); }
  uint32_t open(uint32_t, uint32_t mode) override { return Called("open " + std::to_string(mode), 1); }
  uint32_t close() override { return Called("close", 1); }
  uint32_t selectMedia(const char*) override { return Called("selectMedia", 0); }
  uint32_t getMediaInfo(MediaInfoRecord*) override { return Called("getMediaInfo", 0); }
  uint32_t checkWritable() override { return Called("checkWritable", 0); }
  uint32_t readFirmwareBlock(uint32_t block, void*, uint32_t) override {
    return Called("read " + std::to_string(block), 1);
  }
  uint32_t writeFirmwareBlock(uint32_t block, const void*, uint32_t) override {
    return Called("write " + std::to_string(block), block != failingBlock);
  }
  uint32_t readReservedBlock(void*) override { return Called("readReservedBlock", 0); }
  uint32_t writeReservedBlock(const void*) override { return Called("writeReservedBlock", 0); }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) DeviceInterface* CreateInterface() { return new CountingFakeDevice; }

// The calls since the last reset, one per line.
extern "C" __attribute__((visibility("default"))) const char* FakeDeviceCalls() { return calls.c_str(); }

extern "C" __attribute__((visibility("default"))) void ResetFakeDevice(uint32_t blockToFail) {
  calls.clear();
  failingBlock = blockToFail;
}
