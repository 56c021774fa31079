#include "plugins/volkit/Geometry.h"

#include <bit>

#include "plugins/volkit/FsError.h"

namespace volkit {

namespace {

void Require(bool condition) {
  if (!condition) Fail(FileSystemError::NoFileSystem);
}

}  // namespace

Geometry Geometry::Parse(const uint8_t* boot, uint32_t sectorSize, uint32_t availableSectors) {
  Require((boot[0] == 0xEB || boot[0] == 0xE9) && boot[510] == 0x55 && boot[511] == 0xAA);
  Geometry g;
  g.bytesPerSector = Get16(boot + 11);
  g.sectorsPerCluster = boot[13];
  g.reservedSectors = Get16(boot + 14);
  g.fatCount = boot[16];
  g.rootEntries = Get16(boot + 17);
  g.totalSectors = Get16(boot + 19) ? Get16(boot + 19) : Get32(boot + 32);
  uint32_t fat16Size = Get16(boot + 22);
  g.fatSectors = fat16Size ? fat16Size : Get32(boot + 36);

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
    g.rootCluster = Get32(boot + 44);
    Require(g.isCluster(g.rootCluster));
    uint32_t fsInfo = Get16(boot + 48);
    g.fsInfoSector = fsInfo >= 1 && fsInfo < g.reservedSectors ? fsInfo : 0;
    uint32_t backup = Get16(boot + 50);
    g.backupBootSector = backup >= 1 && backup < g.reservedSectors ? backup : 0;
  } else {
    Require(g.rootEntries != 0);
  }

  const uint8_t* ext = boot + g.extendedFields();
  if (ext[2] == 0x29) {
    g.serialNumber = Get32(ext + 3);
    std::string label(reinterpret_cast<const char*>(ext + 7), 11);
    label.erase(label.find_last_not_of(' ') + 1);
    if (label != "NO NAME") g.bootLabel = label;
  }
  return g;
}

}  // namespace volkit
