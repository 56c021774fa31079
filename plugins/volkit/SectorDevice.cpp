#include "plugins/volkit/SectorDevice.h"

#include <algorithm>
#include <vector>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/OnDisk.h"

namespace volkit {

SectorDevice::SectorDevice(DeviceInterface* device, uint32_t firstSector, uint32_t sectorCount)
    : device_(device), sectorSize_(device->sectorSize()), first_(firstSector), sectorCount_(sectorCount) {}

void SectorDevice::check(uint32_t sector, uint32_t count) const {
  if (sector > sectorCount_ || count > sectorCount_ - sector) Damaged();
}

void SectorDevice::read(uint32_t sector, uint32_t count, void* buffer) const {
  check(sector, count);
  if (count != 0 && !device_->readSectors(first_ + sector, count, buffer)) Fail(FileSystemError::Device);
}

void SectorDevice::write(uint32_t sector, uint32_t count, const void* buffer) const {
  check(sector, count);
  if (count != 0 && !device_->writeSectors(first_ + sector, count, buffer)) Fail(FileSystemError::Device);
}

void SectorDevice::writeZeros(uint32_t sector, uint32_t count) const {
  constexpr uint32_t ChunkBytes = 256 * 1024;
  uint32_t chunk = std::max(1u, ChunkBytes / sectorSize_);
  std::vector<uint8_t> zeros(size_t(std::min(chunk, count)) * sectorSize_);
  while (count != 0) {
    uint32_t n = std::min(chunk, count);
    write(sector, n, zeros.data());
    sector += n;
    count -= n;
  }
}

void SectorDevice::trackDirtyFlag(size_t offset, bool setNow) {
  flagOffset_ = offset;
  dirty_ = setNow;
}

void SectorDevice::setDirtyFlag(bool dirty) const {
  if (!flagOffset_ || dirty == dirty_) return;
  std::vector<uint8_t> boot(sectorSize_);
  if (!device_->readSectors(first_, 1, boot.data())) Fail(FileSystemError::Device);
  boot[*flagOffset_] =
      uint8_t(dirty ? boot[*flagOffset_] | ExtendedBoot::Dirty : boot[*flagOffset_] & ~ExtendedBoot::Dirty);
  if (!device_->writeSectors(first_, 1, boot.data())) Fail(FileSystemError::Device);
  dirty_ = dirty;
}

void SectorDevice::flush() const {
  if (!device_->flush()) Fail(FileSystemError::Device);
}

}  // namespace volkit
