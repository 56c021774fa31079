// Writing an empty FAT volume, laid out as mkfs.fat lays one out for the size.
#pragma once

#include <cstdint>
#include <functional>

#include "contract/PluginContract.h"
#include "plugins/volkit/Geometry.h"

namespace volkit {

// FAT type and cluster size by size as mkfs.fat chooses them: FAT12 while
// 2 KiB clusters number at most 4084, FAT16 up to 512 MiB with the cluster
// size doubled until they fit, FAT32 from 512 MiB with Microsoft's cluster
// sizes; two tables. NoFileSystem for a volume too small to hold one.
Geometry PlanFormat(uint32_t totalSectors, uint32_t bytesPerSector);

// Called with the units done so far; false stops the format.
using FormatProgress = std::function<bool(uint32_t done, uint32_t total)>;

// Formats the device's volume (its first partition when it has a partition
// table, which is kept). With `progress` the data area is cleared too, in
// units of the medium's unit size; a stop leaves a valid empty volume.
// Returns false when stopped.
bool FormatVolume(DeviceInterface* device, const FormatProgress* progress);

}  // namespace volkit
