#include "plugins/volkit/Format.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/Geometry.h"
#include "plugins/volkit/Volume.h"

namespace volkit {

namespace {

constexpr uint64_t MiB = 1024 * 1024;

// Clusters and table size for a layout; the table grows from its present size
// until it covers every cluster it leaves room for.
void SizeTables(Geometry* g) {
  uint32_t bps = g->bytesPerSector;
  for (;;) {
    uint64_t overhead = uint64_t(g->reservedSectors) + uint64_t(g->fatCount) * g->fatSectors + g->rootSectors();
    g->clusterCount = overhead >= g->totalSectors ? 0 : uint32_t((g->totalSectors - overhead) / g->sectorsPerCluster);
    uint64_t needed = ((uint64_t(g->clusterCount) + 2) * g->fatBits / 8 + bps) / bps;
    if (needed <= g->fatSectors) break;
    g->fatSectors = uint32_t(needed);
  }
}

uint32_t FatClusterBytes(uint64_t bytes) {
  uint64_t mib = bytes / MiB;
  return mib > 32 * 1024 ? 32768 : mib > 16 * 1024 ? 16384 : mib > 8 * 1024 ? 8192 : mib > 260 ? 4096 : 512;
}

uint8_t PartitionType(const Geometry& g) {
  if (g.fatBits == 12) return 0x01;
  if (g.fatBits == 16) return g.totalSectors < 65536 ? 0x04 : 0x06;
  return 0x0C;
}

}  // namespace

Geometry PlanFormat(uint32_t totalSectors, uint32_t bps) {
  uint64_t bytes = uint64_t(totalSectors) * bps;
  Geometry g;
  g.bytesPerSector = bps;
  g.totalSectors = totalSectors;
  g.fatCount = 2;
  uint32_t clusterBytes;
  if (bytes >= 512 * MiB) {
    g.fatBits = 32;
    g.reservedSectors = 32;
    g.rootCluster = 2;
    g.fsInfoSector = 1;
    g.backupBootSector = 6;
    clusterBytes = FatClusterBytes(bytes);
  } else {
    g.fatBits = 12;
    g.reservedSectors = 1;
    g.rootEntries = 512;
    clusterBytes = 2048;
  }
  for (;;) {
    g.sectorsPerCluster = std::max(1u, clusterBytes / bps);
    g.fatSectors = 1;
    SizeTables(&g);
    if (g.fatBits == 12 && g.clusterCount > 4084) {
      g.fatBits = 16;
      continue;
    }
    if (g.fatBits == 16 && g.clusterCount > 65524 && g.sectorsPerCluster < 128) {
      clusterBytes *= 2;
      continue;
    }
    // FAT16's larger table can leave fewer clusters than FAT16 may have.
    if (g.fatBits == 16 && g.clusterCount < 4085 && clusterBytes > bps) {
      clusterBytes /= 2;
      continue;
    }
    break;
  }
  // Like mkfs.fat, volumes from 8 MiB start their data area on a cluster
  // boundary, which flash media write fastest.
  if (bytes >= 8 * MiB) {
    g.reservedSectors += (g.sectorsPerCluster - g.dataStart() % g.sectorsPerCluster) % g.sectorsPerCluster;
    SizeTables(&g);
  }
  uint32_t minimum = g.fatBits == 12 ? 1 : g.fatBits == 16 ? 4085 : 65525;
  uint32_t maximum = g.fatBits == 12 ? 4084 : g.fatBits == 16 ? 65524 : 0x0FFFFFF5;
  if (g.clusterCount < minimum || g.clusterCount > maximum) Fail(FileSystemError::NoFileSystem);
  return g;
}

bool FormatVolume(DeviceInterface* device, const FormatProgress* progress) {
  std::vector<uint8_t> sector0;
  VolumeRegion region = FindVolumeRegion(device, &sector0);
  uint32_t bps = uint32_t(sector0.size());
  Geometry g = PlanFormat(region.sectorCount, bps);
  SectorDevice volume(device, region.firstSector, region.sectorCount);

  if (region.partition >= 0) {
    uint8_t& type = sector0[446 + 16 * region.partition + 4];
    uint8_t wanted = PartitionType(g);
    if (type != wanted) {
      type = wanted;
      if (!device->writeSectors(0, 1, sector0.data())) Fail(FileSystemError::Device);
    }
  }

  bool fat32 = g.fatBits == 32;

  // Tables and root folder first; the boot sector last, so that an
  // interrupted format never presents a half-written volume as valid.
  volume.writeZeros(0, fat32 ? g.dataStart() + g.sectorsPerCluster : g.dataStart());
  std::vector<uint8_t> sector(bps, 0);
  uint32_t entries[3] = {0x0FFFFFF8, 0x0FFFFFFF, 0x0FFFFFFF};
  if (g.fatBits == 12) {
    sector[0] = 0xF8, sector[1] = 0xFF, sector[2] = 0xFF;
  } else if (g.fatBits == 16) {
    Put16(sector.data(), 0xFFF8), Put16(sector.data() + 2, 0xFFFF);
  } else {
    for (int i = 0; i < 3; ++i) Put32(sector.data() + 4 * i, entries[i]);
  }
  for (uint32_t copy = 0; copy < g.fatCount; ++copy)
    volume.write(g.reservedSectors + copy * g.fatSectors, 1, sector.data());

  uint32_t serial = uint32_t(std::time(nullptr)) * 2654435761u;
  std::vector<uint8_t> boot(bps, 0);
  uint8_t* b = boot.data();
  b[0] = 0xEB, b[1] = fat32 ? 0x58 : 0x3C, b[2] = 0x90;
  std::copy_n("MSWIN4.1", 8, b + 3);
  Put16(b + 11, bps);
  b[13] = uint8_t(g.sectorsPerCluster);
  Put16(b + 14, g.reservedSectors);
  b[16] = uint8_t(g.fatCount);
  Put16(b + 17, g.rootEntries);
  if (!fat32 && g.totalSectors < 65536) {
    Put16(b + 19, g.totalSectors);
  } else {
    Put32(b + 32, g.totalSectors);
  }
  b[21] = 0xF8;
  Put16(b + 24, 63);
  Put16(b + 26, 255);
  Put32(b + 28, region.firstSector);
  if (fat32) {
    Put32(b + 36, g.fatSectors);
    Put32(b + 44, g.rootCluster);
    Put16(b + 48, g.fsInfoSector);
    Put16(b + 50, g.backupBootSector);
  } else {
    Put16(b + 22, g.fatSectors);
  }
  uint8_t* ext = b + g.extendedFields();
  ext[0] = 0x80;
  ext[2] = 0x29;
  Put32(ext + 3, serial);
  std::copy_n("NO NAME    ", 11, ext + 7);
  std::copy_n(g.fatBits == 12 ? "FAT12   " : g.fatBits == 16 ? "FAT16   " : "FAT32   ", 8, ext + 18);
  b[510] = 0x55, b[511] = 0xAA;

  if (fat32) {
    std::vector<uint8_t> info(bps, 0);
    Put32(info.data(), 0x41615252);
    Put32(info.data() + 484, 0x61417272);
    Put32(info.data() + 488, g.clusterCount - 1);
    Put32(info.data() + 492, 3);
    Put32(info.data() + 508, 0xAA550000);
    volume.write(g.fsInfoSector, 1, info.data());
    volume.write(g.backupBootSector + 1, 1, info.data());
    volume.write(g.backupBootSector, 1, boot.data());
  }
  volume.write(0, 1, boot.data());

  if (progress != nullptr) {
    MediaInfoRecord media{};
    device->getMediaInfo(&media);
    uint32_t unit = std::max(bps, media.unitSize - media.unitSize % bps);
    uint32_t totalUnits = media.unitSize != 0 ? media.capacity / media.unitSize : 0;
    uint32_t first = fat32 ? g.clusterSector(3) : g.dataStart();
    uint64_t dataSectors = g.totalSectors - first;
    uint32_t chunk = unit / bps;
    if (!(*progress)(0, totalUnits)) return false;
    for (uint64_t done = 0; done < dataSectors;) {
      uint32_t n = uint32_t(std::min<uint64_t>(chunk, dataSectors - done));
      volume.writeZeros(first + uint32_t(done), n);
      done += n;
      if (!(*progress)(uint32_t(done * totalUnits / dataSectors), totalUnits)) return false;
    }
  }
  volume.flush();
  return true;
}

}  // namespace volkit
