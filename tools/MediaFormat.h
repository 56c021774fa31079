// Formatting a medium as the format dialog and tunewarden-cli do it: the
// device's reserved block survives, and a full format reports its progress in
// whole percentages.
#pragma once

#include <cstdint>
#include <optional>

#include "contract/PluginContract.h"
#include "player/PlayerConnection.h"

// The range of a format's progress: the capacity in the medium's units, 0 for
// a medium that reports no unit size.
uint32_t FormatProgressUnits(const PlayerConnection& connection);

// The whole percentage of a full format's progress, once per new value.
class FormatPercentage {
 public:
  // done × 100 / total when it differs from the value given last; none when
  // it does not, or when the total is 0.
  std::optional<uint32_t> Next(uint32_t done, uint32_t total);

 private:
  int64_t last_ = -1;
};

// Formats the selected medium, fully when a request with a progress callback
// is given, keeping the device's reserved block: it is read first (or 128
// bytes of 0xFF take its place, to reset it) and written back after a
// successful format. False when the callback stopped the format; the block is
// not written back then. Failures throw; those of the reserved block
// CMediaException with the device's own code.
bool FormatKeepingReservedBlock(PlayerConnection& connection, TransferRequest* progress, bool resetReservedBlock);
