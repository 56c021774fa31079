// The volume's window onto the device's sectors: every access is checked
// against the volume's bounds so a bad number on disk can never reach a
// sector outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "contract/PluginContract.h"

namespace volkit {

class SectorDevice {
 public:
  SectorDevice(DeviceInterface* device, uint32_t firstSector, uint32_t sectorCount);

  uint32_t sectorSize() const { return sectorSize_; }
  uint32_t sectorCount() const { return sectorCount_; }
  uint32_t firstSector() const { return first_; }
  DeviceInterface* device() const { return device_; }

  void read(uint32_t sector, uint32_t count, void* buffer) const;
  void write(uint32_t sector, uint32_t count, const void* buffer) const;
  void writeZeros(uint32_t sector, uint32_t count) const;
  void flush() const;

  // The volume's dirty flag, a bit of its boot sector at `offset`, which
  // holds `setNow`; markDirty and markClean write it when it changes.
  void trackDirtyFlag(size_t offset, bool setNow);
  bool dirtyOnDisk() const { return dirty_; }
  void markDirty() const { setDirtyFlag(true); }
  void markClean() const { setDirtyFlag(false); }

 private:
  void check(uint32_t sector, uint32_t count) const;
  void setDirtyFlag(bool dirty) const;

  DeviceInterface* device_;
  uint32_t sectorSize_;
  uint32_t first_;
  uint32_t sectorCount_;
  std::optional<size_t> flagOffset_;
  mutable bool dirty_ = false;
};

}  // namespace volkit
