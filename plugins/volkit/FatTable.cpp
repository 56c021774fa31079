#include "plugins/volkit/FatTable.h"

#include <algorithm>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/OnDisk.h"

namespace volkit {

namespace {

// Up to this size, changed table sectors reach all copies in one write.
constexpr uint64_t OneWriteLimit = uint64_t{256} * 1024;
// The table is read in runs of this many sectors.
constexpr uint32_t LoadSectors = 32;

}  // namespace

FatTable::FatTable(const Geometry& geometry, const SectorDevice& device, std::optional<uint32_t> knownFree)
    : geometry_(geometry), device_(device) {
  uint64_t entryBytes = (uint64_t(geometry.clusterCount) + 2) * geometry.fatBits / 8 + 1;
  uint32_t sectors = uint32_t((entryBytes + geometry.bytesPerSector - 1) / geometry.bytesPerSector);
  sectors = std::min(sectors, geometry.fatSectors);
  byteCount_ = size_t(sectors) * geometry.bytesPerSector;
  // Left uninitialised: the pages of a large table cost nothing until read.
  bytes_ = std::make_unique_for_overwrite<uint8_t[]>(byteCount_);
  loaded_.assign((sectors + LoadSectors - 1) / LoadSectors, false);
  dirty_ = DirtySectors(sectors);
  if (knownFree && *knownFree <= geometry.clusterCount) {
    freeCount_ = *knownFree;
  } else {
    confirmFreeCount();
  }
}

void FatTable::confirmFreeCount() {
  if (counted_) return;
  loadAll();
  freeCount_ = 0;
  for (uint32_t c = 2; c <= geometry_.lastCluster(); ++c) {
    if (get(c) == 0) ++freeCount_;
  }
  counted_ = true;
}

void FatTable::load(size_t from, size_t to) const {
  const size_t runBytes = size_t(LoadSectors) * geometry_.bytesPerSector;
  for (size_t run = from / runBytes; run < loaded_.size() && run * runBytes < to; ++run) {
    if (loaded_[run]) continue;
    const uint32_t first = uint32_t(run) * LoadSectors;
    const uint32_t count = std::min<uint32_t>(LoadSectors, uint32_t(dirty_.size()) - first);
    device_.read(geometry_.reservedSectors + first, count, bytes_.get() + run * runBytes);
    loaded_[run] = true;
  }
}

uint32_t FatTable::get(uint32_t cluster) const {
  const uint8_t* p = bytes_.get();
  switch (geometry_.fatBits) {
    case 12: {
      const size_t offset = size_t(cluster) * 3 / 2;
      load(offset, offset + 2);
      uint32_t pair = Get16(p + offset);
      return cluster & 1 ? pair >> 4 : pair & 0xFFF;
    }
    case 16:
      load(size_t(cluster) * 2, size_t(cluster) * 2 + 2);
      return Get16(p + size_t(cluster) * 2);
    default:
      load(size_t(cluster) * 4, size_t(cluster) * 4 + 4);
      return Get32(p + size_t(cluster) * 4) & 0x0FFFFFFF;
  }
}

void FatTable::set(uint32_t cluster, uint32_t value) {
  bool wasFree = get(cluster) == 0;  // which reads the sectors of the entry
  uint8_t* p = bytes_.get();
  size_t offset, width;
  switch (geometry_.fatBits) {
    case 12: {
      offset = size_t(cluster) * 3 / 2;
      width = 2;
      uint32_t pair = Get16(p + offset);
      pair = cluster & 1 ? (pair & 0x000F) | (value << 4) : (pair & 0xF000) | (value & 0xFFF);
      Put16(p + offset, pair);
      break;
    }
    case 16:
      offset = size_t(cluster) * 2;
      width = 2;
      Put16(p + offset, value);
      break;
    default:
      offset = size_t(cluster) * 4;
      width = 4;
      Put32(p + offset, (Get32(p + offset) & 0xF0000000) | (value & 0x0FFFFFFF));
      break;
  }
  dirty_.mark(uint32_t(offset / geometry_.bytesPerSector));
  dirty_.mark(uint32_t((offset + width - 1) / geometry_.bytesPerSector));
  freeCount_ = freeCount_ + (value == 0) - wasFree;
}

uint32_t FatTable::endMark() const {
  return geometry_.fatBits == 12 ? 0xFFF : geometry_.fatBits == 16 ? 0xFFFF : 0x0FFFFFFF;
}

bool FatTable::isEnd(uint32_t value) const { return value >= (endMark() & ~7u); }

std::vector<uint32_t> FatTable::chain(uint32_t first) const {
  std::vector<uint32_t> clusters;
  uint32_t cluster = first;
  while (cluster != 0) {
    if (!geometry_.isCluster(cluster) || clusters.size() >= geometry_.clusterCount) Damaged();
    clusters.push_back(cluster);
    uint32_t next = get(cluster);
    if (isEnd(next)) break;
    if (next == 0) Damaged();
    cluster = next;
  }
  return clusters;
}

std::vector<uint32_t> FatTable::allocate(uint32_t count) {
  if (count > freeCount_) confirmFreeCount();
  if (count > freeCount_) Fail(FileSystemError::MediumFull);
  std::vector<uint32_t> clusters;
  clusters.reserve(count);
  uint32_t cluster = geometry_.isCluster(hint_) ? hint_ : 2;
  for (uint32_t seen = 0; clusters.size() < count; ++seen) {
    if (seen == geometry_.clusterCount) {
      // FSInfo promised more than the table holds.
      confirmFreeCount();
      Fail(FileSystemError::MediumFull);
    }
    if (get(cluster) == 0) clusters.push_back(cluster);
    cluster = cluster == geometry_.lastCluster() ? 2 : cluster + 1;
  }
  hint_ = cluster;
  for (size_t i = 0; i < clusters.size(); ++i) set(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : endMark());
  return clusters;
}

void FatTable::release(const std::vector<uint32_t>& clusters) {
  for (uint32_t cluster : clusters) set(cluster, 0);
  if (!clusters.empty()) hint_ = std::min(hint_, *std::min_element(clusters.begin(), clusters.end()));
}

void FatTable::releaseUnused(const std::vector<bool>& used) {
  uint32_t bad = endMark() - 8;
  for (uint32_t cluster = 2; cluster <= geometry_.lastCluster(); ++cluster) {
    uint32_t value = get(cluster);
    if (value != 0 && value != bad && !used[cluster]) set(cluster, 0);
  }
}

void FatTable::commit() {
  if (!dirty()) return;
  uint32_t from = dirty_.from(), to = dirty_.to();
  uint32_t bps = geometry_.bytesPerSector;
  uint64_t span = uint64_t(geometry_.fatCount - 1) * geometry_.fatSectors + to - from;
  if (span * bps <= OneWriteLimit) {
    // One device write from the first changed sector of the first copy to
    // the last of the last copy: an interruption can then never leave the
    // copies differing. Sectors past the entries are written as zeros.
    loadAll();  // the copies' unchanged sectors in the span are written too
    std::vector<uint8_t> buffer(size_t(span) * bps, 0);
    uint32_t loaded = uint32_t(dirty_.size());
    for (uint32_t copy = 0; copy < geometry_.fatCount; ++copy) {
      for (uint32_t s = 0; s < loaded; ++s) {
        uint64_t index = uint64_t(copy) * geometry_.fatSectors + s;
        if (index < from || index - from >= span) continue;
        std::copy_n(bytes_.get() + size_t(s) * bps, bps, buffer.data() + size_t(index - from) * bps);
      }
    }
    device_.write(geometry_.reservedSectors + from, uint32_t(span), buffer.data());
  } else {
    for (uint32_t copy = 0; copy < geometry_.fatCount; ++copy) {
      uint32_t base = geometry_.reservedSectors + copy * geometry_.fatSectors;
      dirty_.forEachRun([](size_t) { return true; },
                        [&](size_t first, size_t end) {
                          device_.write(base + uint32_t(first), uint32_t(end - first), bytes_.get() + first * bps);
                        });
    }
  }
  dirty_.clear();
}

void FatTable::mendCopies() {
  uint32_t bps = geometry_.bytesPerSector;
  loadAll();
  std::vector<uint8_t> other(byteCount_);
  for (uint32_t copy = 1; copy < geometry_.fatCount; ++copy) {
    device_.read(geometry_.reservedSectors + copy * geometry_.fatSectors, uint32_t(dirty_.size()), other.data());
    for (size_t s = 0; s < dirty_.size(); ++s) {
      if (!std::equal(other.data() + s * bps, other.data() + (s + 1) * bps, bytes_.get() + s * bps))
        dirty_.mark(uint32_t(s));
    }
  }
}

}  // namespace volkit
