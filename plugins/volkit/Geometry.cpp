#include "plugins/volkit/Geometry.h"

#include <bit>

#include "plugins/volkit/FsError.h"

namespace volkit {

namespace {

void Require(bool condition) {
  if (!condition) Fail(FileSystemError::NoFileSystem);
}

}  // namespace

Geometry Geometry::parse(const uint8_t* boot, uint32_t sectorSize, uint32_t availableSectors) {
  Require((boot[BootSector::Jump] == BootSector::ShortJump || boot[BootSector::Jump] == BootSector::NearJump) &&
          HasBootSignature(boot));
  Geometry g;
  g.bytesPerSector = Get16(boot + BootSector::BytesPerSector);
  g.sectorsPerCluster = boot[BootSector::SectorsPerCluster];
  g.reservedSectors = Get16(boot + BootSector::ReservedSectors);
  g.fatCount = boot[BootSector::FatCount];
  g.rootEntries = Get16(boot + BootSector::RootEntries);
  uint32_t total16 = Get16(boot + BootSector::TotalSectors16);
  g.totalSectors = total16 != 0 ? total16 : Get32(boot + BootSector::TotalSectors32);
  uint32_t fat16Size = Get16(boot + BootSector::FatSectors16);
  g.fatSectors = fat16Size != 0 ? fat16Size : Get32(boot + Fat32Boot::FatSectors);

  Require(g.bytesPerSector == sectorSize && std::has_single_bit(g.sectorsPerCluster));
  Require(g.bytesPerCluster() <= 64 * 1024);
  Require(g.reservedSectors >= 1 && g.fatCount >= 1 && g.fatCount <= 4 && g.fatSectors >= 1);
  Require(g.totalSectors <= availableSectors);
  uint64_t dataStart = uint64_t(g.reservedSectors) + uint64_t(g.fatCount) * g.fatSectors + g.rootSectors();
  Require(dataStart < g.totalSectors);
  g.clusterCount = (g.totalSectors - uint32_t(dataStart)) / g.sectorsPerCluster;
  Require(g.clusterCount >= 1 && g.clusterCount <= 0x0FFFFFF5);
  g.fatBits = g.clusterCount < 4085 ? 12 : g.clusterCount < 65525 ? 16 : 32;
  Require(uint64_t(g.fatSectors) * g.bytesPerSector * 8 / g.fatBits >= uint64_t(g.clusterCount) + 2);

  if (g.fatBits == 32) {
    Require(fat16Size == 0 && g.rootEntries == 0);
    g.rootCluster = Get32(boot + Fat32Boot::RootCluster);
    Require(g.isCluster(g.rootCluster));
    uint32_t fsInfo = Get16(boot + Fat32Boot::FsInfoSector);
    g.fsInfoSector = fsInfo >= 1 && fsInfo < g.reservedSectors ? fsInfo : 0;
    uint32_t backup = Get16(boot + Fat32Boot::BackupBootSector);
    g.backupBootSector = backup >= 1 && backup < g.reservedSectors ? backup : 0;
  } else {
    Require(g.rootEntries != 0);
  }

  const uint8_t* ext = boot + g.extendedRecord();
  if (ext[ExtendedBoot::Signature] == ExtendedBoot::Present) {
    g.serialNumber = Get32(ext + ExtendedBoot::SerialNumber);
    g.bootLabel = ReadBlankPadded(ext + ExtendedBoot::Label, ExtendedBoot::LabelSize);
    if (g.bootLabel == "NO NAME") g.bootLabel.clear();
  }
  return g;
}

}  // namespace volkit
