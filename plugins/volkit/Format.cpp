#include "plugins/volkit/Format.h"

#include <algorithm>
#include <random>
#include <vector>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/Geometry.h"
#include "plugins/volkit/OnDisk.h"
#include "plugins/volkit/Volume.h"

namespace volkit {

namespace {

constexpr uint64_t MiB = uint64_t{1024} * 1024;

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
  constexpr uint64_t MiBPerGiB = 1024;
  uint64_t mib = bytes / MiB;
  return mib > 32 * MiBPerGiB   ? 32768
         : mib > 16 * MiBPerGiB ? 16384
         : mib > 8 * MiBPerGiB  ? 8192
         : mib > 260            ? 4096
                                : 512;
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
  // A medium may report less than its sectors hold (the internal memory
  // keeps its last unit to itself): the volume stays inside what it reports.
  // The largest capacity says no more than "at least 4 GiB".
  MediaInfoRecord media{};
  device->getMediaInfo(&media);
  uint32_t reported = media.capacity / bps;
  if (media.capacity != UINT32_MAX && reported > region.firstSector) {
    region.sectorCount = std::min(region.sectorCount, reported - region.firstSector);
  }
  Geometry g = PlanFormat(region.sectorCount, bps);
  SectorDevice volume(device, region.firstSector, region.sectorCount);

  if (region.partition >= 0) {
    uint8_t& type =
        sector0[PartitionEntry::TableStart + PartitionEntry::Size * size_t(region.partition) + PartitionEntry::Type];
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
    for (size_t i = 0; i < 3; ++i) Put32(sector.data() + 4 * i, entries[i]);
  }
  for (uint32_t copy = 0; copy < g.fatCount; ++copy)
    volume.write(g.reservedSectors + copy * g.fatSectors, 1, sector.data());

  // Two media formatted in the same second still get serials of their own.
  uint32_t serial = std::random_device()();
  std::vector<uint8_t> boot(bps, 0);
  uint8_t* b = boot.data();
  // The jump skips the fields to the boot code behind them.
  size_t bootCode = g.extendedRecord() + ExtendedBoot::Size;
  b[BootSector::Jump] = BootSector::ShortJump;
  b[BootSector::Jump + 1] = uint8_t(bootCode - 2);
  b[BootSector::Jump + 2] = BootSector::NoOperation;
  WriteBlankPadded(b + BootSector::OemName, 8, "MSWIN4.1");
  Put16(b + BootSector::BytesPerSector, bps);
  b[BootSector::SectorsPerCluster] = uint8_t(g.sectorsPerCluster);
  Put16(b + BootSector::ReservedSectors, g.reservedSectors);
  b[BootSector::FatCount] = uint8_t(g.fatCount);
  Put16(b + BootSector::RootEntries, g.rootEntries);
  if (!fat32 && g.totalSectors < 65536) {
    Put16(b + BootSector::TotalSectors16, g.totalSectors);
  } else {
    Put32(b + BootSector::TotalSectors32, g.totalSectors);
  }
  b[BootSector::MediaDescriptor] = BootSector::FixedMedium;
  Put16(b + BootSector::SectorsPerTrack, 63);
  Put16(b + BootSector::HeadCount, 255);
  Put32(b + BootSector::HiddenSectors, region.firstSector);
  if (fat32) {
    Put32(b + Fat32Boot::FatSectors, g.fatSectors);
    Put32(b + Fat32Boot::RootCluster, g.rootCluster);
    Put16(b + Fat32Boot::FsInfoSector, g.fsInfoSector);
    Put16(b + Fat32Boot::BackupBootSector, g.backupBootSector);
  } else {
    Put16(b + BootSector::FatSectors16, g.fatSectors);
  }
  uint8_t* ext = b + g.extendedRecord();
  ext[ExtendedBoot::DriveNumber] = ExtendedBoot::FirstFixedDrive;
  ext[ExtendedBoot::Signature] = ExtendedBoot::Present;
  Put32(ext + ExtendedBoot::SerialNumber, serial);
  WriteBlankPadded(ext + ExtendedBoot::Label, ExtendedBoot::LabelSize, ExtendedBoot::NoLabel);
  WriteBlankPadded(ext + ExtendedBoot::FileSystemType, ExtendedBoot::FileSystemTypeSize,
                   g.fatBits == 12   ? "FAT12"
                   : g.fatBits == 16 ? "FAT16"
                                     : "FAT32");
  b[BootSector::Signature] = BootSector::Signature0;
  b[BootSector::Signature + 1] = BootSector::Signature1;

  if (fat32) {
    std::vector<uint8_t> info(bps, 0);
    Put32(info.data() + FsInfo::LeadSignature, FsInfo::LeadValue);
    Put32(info.data() + FsInfo::StructSignature, FsInfo::StructValue);
    Put32(info.data() + FsInfo::FreeCount, g.clusterCount - 1);
    Put32(info.data() + FsInfo::NextFree, 3);
    Put32(info.data() + FsInfo::TrailSignature, FsInfo::TrailValue);
    volume.write(g.fsInfoSector, 1, info.data());
    volume.write(g.backupBootSector + 1, 1, info.data());
    volume.write(g.backupBootSector, 1, boot.data());
  }
  volume.write(0, 1, boot.data());

  if (progress != nullptr) {
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
