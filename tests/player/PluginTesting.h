// A device whose every operation fails and reports no error: the test
// libraries and fakes override only what they need.
#pragma once

#include "contract/PluginContract.h"

class StubDevice : public DeviceInterface {
 public:
  uint32_t destroy(uint32_t) override { return 1; }
  uint32_t lastError() override { return 0; }
  uint32_t open(uint32_t, uint32_t) override { return 0; }
  uint32_t close() override { return 0; }
  uint32_t selectMedia(const char*) override { return 0; }
  uint32_t getMediaInfo(MediaInfoRecord*) override { return 0; }
  uint32_t checkWritable() override { return 0; }
  uint32_t sectorSize() override { return 0; }
  uint32_t sectorCount() override { return 0; }
  uint32_t readSectors(uint32_t, uint32_t, void*) override { return 0; }
  uint32_t writeSectors(uint32_t, uint32_t, const void*) override { return 0; }
  uint32_t flush() override { return 0; }
  uint32_t readFirmwareBlock(uint32_t, void*, uint32_t) override { return 0; }
  uint32_t writeFirmwareBlock(uint32_t, const void*, uint32_t) override { return 0; }
  uint32_t readReservedBlock(void*) override { return 0; }
  uint32_t writeReservedBlock(const void*) override { return 0; }
};
