// An attached FAT volume: where it lies on the device, its geometry, its
// allocation table and the folders read so far.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "contract/PluginContract.h"
#include "plugins/volkit/Directory.h"
#include "plugins/volkit/FatTable.h"
#include "plugins/volkit/Geometry.h"
#include "plugins/volkit/SectorDevice.h"

namespace volkit {

// The part of the device that holds the volume: the whole device, or the
// first partition of a master boot record.
struct VolumeRegion {
  uint32_t firstSector = 0;
  uint32_t sectorCount = 0;
  int partition = -1;  // index in the partition table, -1 for a bare volume
};

// Sector 0 is read into `sector0`. A FAT boot sector there makes the device a
// bare volume; else a partition table's first partition is the volume; a
// device with neither is treated as bare.
VolumeRegion FindVolumeRegion(DeviceInterface* device, std::vector<uint8_t>* sector0);
// The device's sector size, when there is a device and its sectors suit FAT
// (NoFileSystem if not).
uint32_t UsableSectorSize(DeviceInterface* device);

class Volume {
 public:
  // Throws NoFileSystem when the device holds no usable FAT volume.
  explicit Volume(DeviceInterface* device);

  const Geometry& geometry() const { return geometry_; }
  const SectorDevice& device() const { return *device_; }
  FatTable& fat() { return *fat_; }

  // The folder whose first cluster is `cluster` (0: the root), read once and
  // kept while it is used.
  Directory& directory(uint32_t cluster);
  // Drops folders read so far when too many are kept; called between operations.
  void trimDirectories();
  // Forgets a folder whose clusters were freed or rewritten.
  void forgetDirectory(uint32_t cluster) { directories_.erase(cluster); }

  // Writes every change held in memory: the allocation table first, so no
  // entry ever points at clusters the table does not hold. A changed free
  // count reaches FSInfo in finishChanges(), once for a whole batch.
  void commit();
  // Whether memory holds changes that commit has not written.
  bool hasChanges() const;

  std::string label();
  void setLabel(const std::string& label);
  // After the writes of an operation or a batch: FSInfo takes the free
  // count, and once everything is on the medium, the volume is marked clean
  // again. One found unclean stays so until mend() ran.
  void finishChanges();
  bool foundUnclean() const { return foundUnclean_; }
  // The disk is as the last commit left it, whatever its mark says.
  void markConsistent();
  // On a writable medium found unclean (a write was interrupted): table
  // copies take the first one's sectors, clusters no entry leads to are
  // freed, a second entry on one chain (an interrupted rename) goes, and the
  // boot sectors take the root folder's label; then the volume is clean.
  void mend();

  // Reads `count` clusters from `first` on, though no sector after the one
  // that holds the last of `bytes` (a small file's sectors, not its cluster).
  void readClusters(uint32_t first, uint32_t count, void* buffer, size_t bytes) const;
  void writeClusters(uint32_t first, uint32_t count, const void* buffer) const;

 private:
  // Takes a changed free count into the FSInfo sector held in memory.
  void stageFsInfo();
  void writeFsInfo();
  // Writes the label into each boot sector that does not hold it yet.
  void writeBootLabels(std::string_view label);
  void reclaimLostClusters();

  Geometry geometry_;
  std::unique_ptr<SectorDevice> device_;
  std::unique_ptr<FatTable> fat_;
  std::map<uint32_t, std::unique_ptr<Directory>> directories_;
  std::vector<uint8_t> fsInfo_;           // the FSInfo sector as read; empty without one
  uint32_t savedFreeCount_ = 0xFFFFFFFF;  // the count of the FSInfo sector in memory
  bool fsInfoStaged_ = false;             // that sector differs from the disk's
  bool countUnknownOnDisk_ = false;       // the disk's says "unknown"
  bool foundUnclean_ = false;
};

}  // namespace volkit
