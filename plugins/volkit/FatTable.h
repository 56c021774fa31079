// The allocation table of the first copy, read in runs of sectors as they
// are first needed and then kept, so that attaching a large card reads
// nothing of it and allocation never rereads it. The free count is taken from
// FSInfo when that holds a plausible one, else counted, and then kept up to
// date. Changed sectors reach every on-disk copy at commit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "plugins/volkit/DirtySectors.h"
#include "plugins/volkit/Geometry.h"
#include "plugins/volkit/SectorDevice.h"

namespace volkit {

class FatTable {
 public:
  // `knownFree` is the free count FSInfo gives; without one the table is
  // counted now.
  FatTable(const Geometry& geometry, const SectorDevice& device, std::optional<uint32_t> knownFree);

  uint32_t freeCount() const { return freeCount_; }
  // A count taken from FSInfo is replaced by the table's own; it is
  // confirmed so before anything is refused for lack of room.
  void confirmFreeCount();
  uint32_t nextFreeHint() const { return hint_; }

  // The clusters of the chain that starts at `first` (none for 0). Throws
  // DamagedChain for a number out of range, a free or bad link, or a loop.
  std::vector<uint32_t> chain(uint32_t first) const;
  // Takes `count` free clusters, linked in order and ending the chain; throws
  // MediumFull, changing nothing, when there are not enough (also when FSInfo
  // promised more than the table holds).
  std::vector<uint32_t> allocate(uint32_t count);
  // Links `next` behind `last` (an end of chain so far).
  void link(uint32_t last, uint32_t next) { set(last, next); }
  void release(const std::vector<uint32_t>& clusters);

  // Frees every cluster in use that `used` does not mark, bad ones aside.
  void releaseUnused(const std::vector<bool>& used);

  bool dirty() const { return dirty_.any(); }
  // Writes the changed sectors to every copy.
  void commit();
  // The other copies take the first one's sectors where they differ.
  void mendCopies();

 private:
  uint32_t get(uint32_t cluster) const;
  // Reads the runs of sectors that hold bytes [from, to) of the copy, where
  // not read yet.
  void load(size_t from, size_t to) const;
  void loadAll() const { load(0, byteCount_); }
  void set(uint32_t cluster, uint32_t value);
  uint32_t endMark() const;
  bool isEnd(uint32_t value) const;

  const Geometry& geometry_;
  const SectorDevice& device_;
  // The sectors of one copy that hold entries, and which runs of them are read.
  std::unique_ptr<uint8_t[]> bytes_;
  size_t byteCount_ = 0;
  mutable std::vector<bool> loaded_;
  DirtySectors dirty_;  // per sector
  uint32_t freeCount_ = 0;
  bool counted_ = false;
  uint32_t hint_ = 2;
};

}  // namespace volkit
