// The device interface over a player folder: the connection, its two media,
// the firmware and reserved blocks, and the faults that tests inject.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "contract/PluginContract.h"
#include "plugins/portkit/Medium.h"
#include "plugins/portkit/PlayerFolder.h"

namespace portkit {

class PlayerDevice final : public DeviceInterface {
 public:
  static constexpr uint32_t SectorBytes = 512;

  // An empty folder means the one platform::SimulatedPlayerFolder names at each `open`.
  explicit PlayerDevice(std::string folder = {});
  PlayerDevice(const PlayerDevice&) = delete;
  PlayerDevice& operator=(const PlayerDevice&) = delete;
  ~PlayerDevice() = default;

  uint32_t destroy(uint32_t deleteSelf) override;
  uint32_t lastError() override { return lastError_; }
  uint32_t open(uint32_t port, uint32_t mode) override;
  uint32_t close() override;
  uint32_t selectMedia(const char* name) override;
  uint32_t getMediaInfo(MediaInfoRecord* info) override;
  uint32_t checkWritable() override;
  uint32_t sectorSize() override;
  uint32_t sectorCount() override;
  uint32_t readSectors(uint32_t first, uint32_t count, void* buffer) override;
  uint32_t writeSectors(uint32_t first, uint32_t count, const void* buffer) override;
  uint32_t flush() override;
  uint32_t readFirmwareBlock(uint32_t index, void* buffer, uint32_t one) override;
  uint32_t writeFirmwareBlock(uint32_t index, const void* block, uint32_t one) override;
  uint32_t readReservedBlock(void* buffer) override;
  uint32_t writeReservedBlock(const void* block) override;

 private:
  // Each returns 0 so that failing operations can `return Fail(…)`.
  uint32_t fail(uint32_t code);
  uint32_t failWithErrno(int error);
  uint32_t failInvalidArgument();

  // Connected and still plugged in; else fails with 101.
  bool connected();
  // Connected with a medium selected that is still there; else fails with 11.
  bool mediumPresent();
  // Refreshes the lock mark; a read-only medium is protected as well.
  bool writeProtected();
  // The checks before a sector transfer, counted against the injected faults.
  bool startTransfer(uint32_t first, uint32_t count, const void* buffer, bool write);
  void unplug();
  void deselect();
  uint32_t mediumSectors() const;

  std::string fixedFolder_;
  std::optional<PlayerFolder> folder_;  // while open
  std::optional<FolderWatch> watch_;    // while open
  PlayerConfig config_;
  Faults faults_;
  uint32_t mode_ = 0;
  std::optional<MediumId> selected_;
  Medium medium_;
  bool locked_ = false;
  // checkWritable found the selected medium writable, and no name in the
  // folder has changed since: the marks need not be looked at again.
  bool foundWritable_ = false;
  uint32_t sectorOperations_ = 0;
  uint32_t linkFailure_ = 0;  // the code every sector operation fails with once a fault struck
  uint32_t lastError_ = 0;
};

}  // namespace portkit
