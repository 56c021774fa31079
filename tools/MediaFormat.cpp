#include "tools/MediaFormat.h"

#include <array>

uint32_t FormatProgressUnits(const PlayerConnection& connection) {
  const uint32_t unitSize = connection.GetUnitSize();
  return unitSize == 0 ? 0 : connection.GetCapacity() / unitSize;
}

std::optional<uint32_t> FormatPercentage::Next(uint32_t done, uint32_t total) {
  if (total == 0) return std::nullopt;
  const auto percentage = static_cast<uint32_t>(uint64_t(done) * 100 / total);
  if (percentage == last_) return std::nullopt;
  last_ = percentage;
  return percentage;
}

bool FormatKeepingReservedBlock(PlayerConnection& connection, TransferRequest* progress, bool resetReservedBlock) {
  std::array<uint8_t, DeviceInterface::ReservedBlockSize> reserved;
  if (resetReservedBlock) {
    reserved.fill(0xFF);
  } else {
    connection.ReadReservedBlock(reserved.data());
  }
  if (!connection.FormatMedia(progress)) return false;
  connection.WriteReservedBlock(reserved.data());
  return true;
}
