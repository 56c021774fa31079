// A player's medium in memory for the file-system targets: sparse, so that a
// FAT32 volume costs only the sectors that hold something; sectors never
// written read as zeros. After `failAfter` sector operations every one fails
// with the link's I/O error, as portkit's fault injection does.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>

#include "contract/PluginContract.h"

namespace fuzzing {

class MemoryDevice final : public DeviceInterface {
 public:
  static constexpr uint32_t SectorBytes = 512;
  using Sector = std::array<uint8_t, SectorBytes>;

  explicit MemoryDevice(uint32_t sectorCount) : sectorCount_(sectorCount) {}

  std::map<uint32_t, Sector> sectors;
  std::optional<uint32_t> failAfter;

  uint32_t destroy(uint32_t) override { return 1; }
  uint32_t lastError() override { return error_; }
  uint32_t open(uint32_t, uint32_t) override { return 1; }
  uint32_t close() override { return 1; }
  uint32_t selectMedia(const char*) override { return 1; }
  uint32_t getMediaInfo(MediaInfoRecord* info) override {
    *info = MediaInfoRecord{};
    info->imageMedium = 1;
    info->capacity = sectorCount_ * SectorBytes;
    info->unitSize = 64 * 1024;
    return 1;
  }
  uint32_t checkWritable() override { return 1; }
  uint32_t sectorSize() override { return SectorBytes; }
  uint32_t sectorCount() override { return sectorCount_; }
  uint32_t readSectors(uint32_t first, uint32_t count, void* buffer) override {
    if (!Start(first, count)) return 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < count; ++i, bytes += SectorBytes) {
      auto found = sectors.find(first + i);
      if (found == sectors.end()) {
        std::memset(bytes, 0, SectorBytes);
      } else {
        std::copy(found->second.begin(), found->second.end(), bytes);
      }
    }
    return 1;
  }
  uint32_t writeSectors(uint32_t first, uint32_t count, const void* buffer) override {
    if (!Start(first, count)) return 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i < count; ++i, bytes += SectorBytes) {
      Sector& sector = sectors[first + i];
      std::copy(bytes, bytes + SectorBytes, sector.begin());
    }
    return 1;
  }
  uint32_t flush() override { return Failed() ? 0 : 1; }
  uint32_t readFirmwareBlock(uint32_t, void*, uint32_t) override { return 0; }
  uint32_t writeFirmwareBlock(uint32_t, const void*, uint32_t) override { return 0; }
  uint32_t readReservedBlock(void*) override { return 0; }
  uint32_t writeReservedBlock(const void*) override { return 0; }

 private:
  bool Failed() {
    if (!failAfter || operations_ < *failAfter) return false;
    error_ = DeviceError::Communication;
    return true;
  }
  bool Start(uint32_t first, uint32_t count) {
    if (Failed()) return false;
    ++operations_;
    if (uint64_t(first) + count > sectorCount_) {
      error_ = DeviceError::SectorOutOfRange;
      return false;
    }
    return true;
  }

  uint32_t sectorCount_;
  uint32_t operations_ = 0;
  uint32_t error_ = 0;
};

}  // namespace fuzzing
