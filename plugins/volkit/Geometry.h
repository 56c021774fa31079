// The layout of a FAT volume as its boot sector describes it, checked so that
// every region lies inside the volume before anything is read from it.
#pragma once

#include <cstdint>
#include <string>

#include "plugins/volkit/OnDisk.h"

namespace volkit {

struct Geometry {
  uint32_t bytesPerSector = 0;
  uint32_t sectorsPerCluster = 0;
  uint32_t reservedSectors = 0;
  uint32_t fatCount = 0;
  uint32_t fatSectors = 0;   // one copy
  uint32_t rootEntries = 0;  // FAT12/16 only
  uint32_t totalSectors = 0;
  uint32_t fatBits = 0;
  uint32_t clusterCount = 0;      // data clusters, numbered 2 .. clusterCount + 1
  uint32_t rootCluster = 0;       // FAT32 only
  uint32_t fsInfoSector = 0;      // FAT32 only; 0 when absent
  uint32_t backupBootSector = 0;  // FAT32 only; 0 when absent
  uint32_t serialNumber = 0;
  std::string bootLabel;  // the boot sector's label field, trailing blanks removed

  uint32_t bytesPerCluster() const { return bytesPerSector * sectorsPerCluster; }
  uint32_t rootSectors() const { return (rootEntries * uint32_t(DirSlot::Size) + bytesPerSector - 1) / bytesPerSector; }
  uint32_t rootStart() const { return reservedSectors + fatCount * fatSectors; }
  uint32_t dataStart() const { return rootStart() + rootSectors(); }
  uint32_t clusterSector(uint32_t cluster) const { return dataStart() + (cluster - 2) * sectorsPerCluster; }
  uint32_t lastCluster() const { return clusterCount + 1; }
  bool isCluster(uint32_t value) const { return value >= 2 && value <= lastCluster(); }
  // Where the boot sector's extended boot record (serial, label, type) starts.
  size_t extendedRecord() const { return fatBits == 32 ? Fat32Boot::ExtendedRecord : BootSector::ExtendedRecord; }

  // Throws NoFileSystem unless `boot` is a FAT boot sector for sectors of
  // `sectorSize` bytes whose volume fits in `availableSectors`.
  static Geometry parse(const uint8_t* boot, uint32_t sectorSize, uint32_t availableSectors);
};

}  // namespace volkit
