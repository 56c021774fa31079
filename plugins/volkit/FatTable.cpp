#include "plugins/volkit/FatTable.h"

#include <algorithm>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/OnDisk.h"

namespace volkit {

namespace {

// Up to this size, changed table sectors reach all copies in one write.
constexpr uint64_t OneWriteLimit = uint64_t{256} * 1024;

}  // namespace

FatTable::FatTable(const Geometry& geometry, const SectorDevice& device) : geometry_(geometry), device_(device) {
  uint64_t entryBytes = (uint64_t(geometry.clusterCount) + 2) * geometry.fatBits / 8 + 1;
  uint32_t sectors = uint32_t((entryBytes + geometry.bytesPerSector - 1) / geometry.bytesPerSector);
  sectors = std::min(sectors, geometry.fatSectors);
  bytes_.resize(size_t(sectors) * geometry.bytesPerSector);
  dirty_.assign(sectors, false);
  device.read(geometry.reservedSectors, sectors, bytes_.data());
  for (uint32_t c = 2; c <= geometry.lastCluster(); ++c) {
    if (get(c) == 0) ++freeCount_;
  }
}

uint32_t FatTable::get(uint32_t cluster) const {
  const uint8_t* p = bytes_.data();
  switch (geometry_.fatBits) {
    case 12: {
      uint32_t pair = Get16(p + size_t(cluster) * 3 / 2);
      return cluster & 1 ? pair >> 4 : pair & 0xFFF;
    }
    case 16:
      return Get16(p + size_t(cluster) * 2);
    default:
      return Get32(p + size_t(cluster) * 4) & 0x0FFFFFFF;
  }
}

void FatTable::set(uint32_t cluster, uint32_t value) {
  bool wasFree = get(cluster) == 0;
  uint8_t* p = bytes_.data();
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
  dirty_[offset / geometry_.bytesPerSector] = true;
  dirty_[(offset + width - 1) / geometry_.bytesPerSector] = true;
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
  if (count > freeCount_) Fail(FileSystemError::MediumFull);
  std::vector<uint32_t> clusters;
  clusters.reserve(count);
  uint32_t cluster = geometry_.isCluster(hint_) ? hint_ : 2;
  while (clusters.size() < count) {
    if (get(cluster) == 0) {
      if (!clusters.empty()) set(clusters.back(), cluster);
      set(cluster, endMark());
      clusters.push_back(cluster);
    }
    cluster = cluster == geometry_.lastCluster() ? 2 : cluster + 1;
  }
  hint_ = cluster;
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

bool FatTable::dirty() const { return std::find(dirty_.begin(), dirty_.end(), true) != dirty_.end(); }

void FatTable::commit() {
  auto first = std::find(dirty_.begin(), dirty_.end(), true);
  if (first == dirty_.end()) return;
  uint32_t from = uint32_t(first - dirty_.begin());
  uint32_t to = uint32_t(dirty_.rend() - std::find(dirty_.rbegin(), dirty_.rend(), true));  // one past the last
  uint32_t bps = geometry_.bytesPerSector;
  uint64_t span = uint64_t(geometry_.fatCount - 1) * geometry_.fatSectors + to - from;
  if (span * bps <= OneWriteLimit) {
    // One device write from the first changed sector of the first copy to
    // the last of the last copy: an interruption can then never leave the
    // copies differing. Sectors past the entries are written as zeros.
    std::vector<uint8_t> buffer(size_t(span) * bps, 0);
    uint32_t loaded = uint32_t(dirty_.size());
    for (uint32_t copy = 0; copy < geometry_.fatCount; ++copy) {
      for (uint32_t s = 0; s < loaded; ++s) {
        uint64_t index = uint64_t(copy) * geometry_.fatSectors + s;
        if (index < from || index - from >= span) continue;
        std::copy_n(bytes_.data() + size_t(s) * bps, bps, buffer.data() + size_t(index - from) * bps);
      }
    }
    device_.write(geometry_.reservedSectors + from, uint32_t(span), buffer.data());
  } else {
    for (uint32_t copy = 0; copy < geometry_.fatCount; ++copy) {
      uint32_t base = geometry_.reservedSectors + copy * geometry_.fatSectors;
      for (size_t s = from; s < to;) {
        if (!dirty_[s]) {
          ++s;
          continue;
        }
        size_t end = s;
        while (end < to && dirty_[end]) ++end;
        device_.write(base + uint32_t(s), uint32_t(end - s), bytes_.data() + s * bps);
        s = end;
      }
    }
  }
  dirty_.assign(dirty_.size(), false);
}

void FatTable::mendCopies() {
  uint32_t bps = geometry_.bytesPerSector;
  std::vector<uint8_t> other(bytes_.size());
  for (uint32_t copy = 1; copy < geometry_.fatCount; ++copy) {
    device_.read(geometry_.reservedSectors + copy * geometry_.fatSectors, uint32_t(dirty_.size()), other.data());
    for (size_t s = 0; s < dirty_.size(); ++s) {
      if (!std::equal(other.data() + s * bps, other.data() + (s + 1) * bps, bytes_.data() + s * bps)) dirty_[s] = true;
    }
  }
}

}  // namespace volkit
