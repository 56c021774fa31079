// The allocation table, held whole in memory (a few MiB at most for a player's
// media) so that allocation never rereads it; the free count is kept up to
// date instead of being recounted. Changed sectors reach every on-disk copy at
// commit.
#pragma once

#include <cstdint>
#include <vector>

#include "plugins/volkit/Geometry.h"
#include "plugins/volkit/SectorDevice.h"

namespace volkit {

class FatTable {
 public:
  FatTable(const Geometry& geometry, const SectorDevice& device);

  uint32_t freeCount() const { return freeCount_; }
  uint32_t nextFreeHint() const { return hint_; }

  // The clusters of the chain that starts at `first` (none for 0). Throws
  // DamagedChain for a number out of range, a free or bad link, or a loop.
  std::vector<uint32_t> chain(uint32_t first) const;
  // Takes `count` free clusters, linked in order and ending the chain; throws
  // MediumFull, changing nothing, when there are not enough.
  std::vector<uint32_t> allocate(uint32_t count);
  // Links `next` behind `last` (an end of chain so far).
  void link(uint32_t last, uint32_t next) { set(last, next); }
  void release(const std::vector<uint32_t>& clusters);

  // Frees every cluster in use that `used` does not mark, bad ones aside.
  void releaseUnused(const std::vector<bool>& used);

  bool dirty() const;
  // Writes the changed sectors to every copy.
  void commit();
  // The other copies take the first one's sectors where they differ.
  void mendCopies();

 private:
  uint32_t get(uint32_t cluster) const;
  void set(uint32_t cluster, uint32_t value);
  uint32_t endMark() const;
  bool isEnd(uint32_t value) const;

  const Geometry& geometry_;
  const SectorDevice& device_;
  std::vector<uint8_t> bytes_;  // the sectors of one copy that hold entries
  std::vector<bool> dirty_;     // per sector of bytes_
  uint32_t freeCount_ = 0;
  uint32_t hint_ = 2;
};

}  // namespace volkit
