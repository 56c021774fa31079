#include "plugins/volkit/Volume.h"

#include <algorithm>
#include <bit>
#include <set>

#include "platform/ScopeGuard.h"
#include "plugins/volkit/FsError.h"
#include "plugins/volkit/OnDisk.h"

namespace volkit {

uint32_t UsableSectorSize(DeviceInterface* device) {
  if (device == nullptr) Fail(FileSystemError::NoFileSystem);
  uint32_t size = device->sectorSize();
  if (size == 0 && device->lastError() != 0) Fail(FileSystemError::Device);
  if (size < 512 || size > 4096 || !std::has_single_bit(size)) Fail(FileSystemError::NoFileSystem);
  return size;
}

VolumeRegion FindVolumeRegion(DeviceInterface* device, std::vector<uint8_t>* sector0) {
  uint32_t sectorSize = UsableSectorSize(device);
  uint32_t count = device->sectorCount();
  if (count == 0) Fail(device->lastError() != 0 ? FileSystemError::Device : FileSystemError::NoFileSystem);
  sector0->resize(sectorSize);
  if (!device->readSectors(0, 1, sector0->data())) Fail(FileSystemError::Device);

  VolumeRegion whole{0, count, -1};
  try {
    Geometry::parse(sector0->data(), sectorSize, count);
    return whole;
  } catch (const FsError&) {
  }
  const uint8_t* s = sector0->data();
  if (!HasBootSignature(s)) return whole;
  for (int i = 0; i < PartitionEntry::Count; ++i) {
    const uint8_t* entry = s + PartitionEntry::TableStart + PartitionEntry::Size * size_t(i);
    if (entry[PartitionEntry::Type] == 0) continue;
    uint32_t start = Get32(entry + PartitionEntry::FirstSector), length = Get32(entry + PartitionEntry::SectorCount);
    if ((entry[PartitionEntry::Status] & ~PartitionEntry::Bootable) != 0 || start == 0 || start >= count ||
        length == 0 || length > count - start) {
      return whole;
    }
    return {start, length, i};
  }
  return whole;
}

Volume::Volume(DeviceInterface* device) {
  std::vector<uint8_t> sector0;
  VolumeRegion region = FindVolumeRegion(device, &sector0);
  device_ = std::make_unique<SectorDevice>(device, region.firstSector, region.sectorCount);
  if (region.partition >= 0) device_->read(0, 1, sector0.data());
  geometry_ = Geometry::parse(sector0.data(), device_->sectorSize(), region.sectorCount);
  size_t state = geometry_.extendedRecord() + ExtendedBoot::State;
  foundUnclean_ = sector0[state] & ExtendedBoot::Dirty;
  device_->trackDirtyFlag(state, foundUnclean_);
  if (geometry_.fsInfoSector != 0) {
    fsInfo_.resize(geometry_.bytesPerSector);
    device_->read(geometry_.fsInfoSector, 1, fsInfo_.data());
    // Only a sector that carries the FSInfo signatures is ours to update.
    if (!HasFsInfoSignatures(fsInfo_.data())) fsInfo_.clear();
  }
  // A volume found unclean may carry a free count its last writes left
  // behind: its table is counted.
  std::optional<uint32_t> knownFree;
  if (!fsInfo_.empty() && !foundUnclean_ && Get32(fsInfo_.data() + FsInfo::FreeCount) != FsInfo::Unknown)
    knownFree = Get32(fsInfo_.data() + FsInfo::FreeCount);
  fat_ = std::make_unique<FatTable>(geometry_, *device_, knownFree);
  savedFreeCount_ = fat_->freeCount();
  countUnknownOnDisk_ = !fsInfo_.empty() && Get32(fsInfo_.data() + FsInfo::FreeCount) == FsInfo::Unknown;
}

Directory& Volume::directory(uint32_t cluster) {
  if (geometry_.fatBits == 32 && cluster == geometry_.rootCluster) cluster = 0;
  auto& slot = directories_[cluster];
  if (!slot) {
    const platform::OnFailure forget([&] { directories_.erase(cluster); });
    slot = std::make_unique<Directory>(*this, cluster);
  }
  return *slot;
}

void Volume::trimDirectories() {
  if (directories_.size() > 16) directories_.clear();
}

void Volume::commit() {
  // The volume is marked unclean before its structures change; writes to
  // free clusters, which nothing leads to yet, need no mark.
  if (hasChanges()) device_->markDirty();
  fat_->commit();
  for (auto& [cluster, directory] : directories_) directory->commit();
  stageFsInfo();
}

bool Volume::hasChanges() const {
  return fat_->dirty() ||
         std::any_of(directories_.begin(), directories_.end(), [](const auto& entry) { return entry.second->dirty(); });
}

void Volume::stageFsInfo() {
  if (fsInfo_.empty() || fat_->freeCount() == savedFreeCount_) return;
  Put32(fsInfo_.data() + FsInfo::FreeCount, fat_->freeCount());
  Put32(fsInfo_.data() + FsInfo::NextFree, fat_->nextFreeHint());
  savedFreeCount_ = fat_->freeCount();
  fsInfoStaged_ = true;
  if (countUnknownOnDisk_) return;
  // The count on disk is wrong from here on: it says "unknown" until the
  // changes are finished, so that after an interruption no reader trusts a
  // stale count (only those that look at the dirty flag would know).
  std::vector<uint8_t> unknown = fsInfo_;
  Put32(unknown.data() + FsInfo::FreeCount, FsInfo::Unknown);
  device_->write(geometry_.fsInfoSector, 1, unknown.data());
  countUnknownOnDisk_ = true;
}

void Volume::writeFsInfo() {
  if (!fsInfoStaged_) return;
  device_->write(geometry_.fsInfoSector, 1, fsInfo_.data());
  fsInfoStaged_ = false;
  countUnknownOnDisk_ = false;
}

std::string Volume::label() { return directory(0).label().value_or(geometry_.bootLabel); }

void Volume::setLabel(const std::string& label) {
  // The root folder's entry is written first and removed last, so that an
  // interruption leaves it holding the old or the new label; mend() then
  // brings the boot sectors after it.
  if (!label.empty()) {
    directory(0).setLabel(label);
    commit();
  }
  writeBootLabels(label);
  if (label.empty()) directory(0).setLabel(label);
}

void Volume::markConsistent() {
  foundUnclean_ = false;
  finishChanges();
}

void Volume::writeBootLabels(std::string_view label) {
  uint8_t field[ExtendedBoot::LabelSize];
  WriteBlankPadded(field, sizeof field, label.empty() ? ExtendedBoot::NoLabel : label);
  std::vector<uint32_t> bootSectors{0};
  if (geometry_.backupBootSector != 0) bootSectors.push_back(geometry_.backupBootSector);
  std::vector<uint8_t> sector(geometry_.bytesPerSector);
  device_->markDirty();  // before the boot sector is read, as it holds the mark
  for (uint32_t bootSector : bootSectors) {
    device_->read(bootSector, 1, sector.data());
    uint8_t* ext = sector.data() + geometry_.extendedRecord();
    if (ext[ExtendedBoot::Signature] != ExtendedBoot::Present ||
        std::equal(field, field + sizeof field, ext + ExtendedBoot::Label)) {
      continue;
    }
    std::copy_n(field, sizeof field, ext + ExtendedBoot::Label);
    device_->write(bootSector, 1, sector.data());
  }
  geometry_.bootLabel = label;
}

void Volume::finishChanges() {
  writeFsInfo();
  device_->flush();
  if (!device_->dirtyOnDisk() || foundUnclean_) return;
  device_->markClean();
  device_->flush();
}

void Volume::mend() {
  if (!foundUnclean_) return;
  fat_->mendCopies();
  reclaimLostClusters();
  if (std::optional<std::string> label = directory(0).label()) writeBootLabels(*label);
  savedFreeCount_ = UINT32_MAX;  // the free count on disk is not to be trusted
  commit();
  foundUnclean_ = false;
  finishChanges();
}

void Volume::reclaimLostClusters() {
  std::vector<bool> used(size_t(geometry_.lastCluster()) + 1);
  auto use = [&](uint32_t first) {
    for (uint32_t cluster : fat_->chain(first)) used[cluster] = true;
  };
  std::vector<std::pair<uint32_t, DirEntry>> seconds;  // folder, entry
  try {
    if (geometry_.fatBits == 32) use(geometry_.rootCluster);
    for (std::vector<uint32_t> folders{0}; !folders.empty();) {
      uint32_t cluster = folders.back();
      folders.pop_back();
      std::set<uint32_t> chains;
      for (const DirEntry& entry : directory(cluster).entries()) {
        if (entry.isDotEntry() || entry.cluster == 0) continue;
        if (!chains.insert(entry.cluster).second) {
          seconds.emplace_back(cluster, entry);
        } else if (geometry_.isCluster(entry.cluster) && !used[entry.cluster]) {
          use(entry.cluster);
          if (entry.isFolder()) folders.push_back(entry.cluster);
        }
      }
    }
  } catch (const FsError& error) {
    // Part of the tree cannot be read: what it holds is not known, so
    // nothing is freed.
    if (error.code != FileSystemError::DamagedChain) throw;
    return;
  }
  for (const auto& [cluster, entry] : seconds) directory(cluster).remove(entry);
  fat_->releaseUnused(used);
}

void Volume::readClusters(uint32_t first, uint32_t count, void* buffer, size_t bytes) const {
  if (!geometry_.isCluster(first) || count > geometry_.lastCluster() - first + 1) Damaged();
  const uint64_t sectors = (uint64_t(bytes) + geometry_.bytesPerSector - 1) / geometry_.bytesPerSector;
  device_->read(geometry_.clusterSector(first),
                uint32_t(std::min<uint64_t>(sectors, uint64_t(count) * geometry_.sectorsPerCluster)), buffer);
}

void Volume::writeClusters(uint32_t first, uint32_t count, const void* buffer) const {
  if (!geometry_.isCluster(first) || count > geometry_.lastCluster() - first + 1) Damaged();
  device_->write(geometry_.clusterSector(first), count * geometry_.sectorsPerCluster, buffer);
}

}  // namespace volkit
