#include "plugins/portkit/PlayerDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Errors.h"
#include "platform/Files.h"

namespace portkit {
namespace {

constexpr uint32_t FirmwareBytes = FirmwareBlockCount * DeviceInterface::FirmwareBlockSize;

uint32_t Clamp32(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX)); }

// Reads or writes part of a small file of `fileSize` bytes that is created,
// filled with `fill`, on first use (firmware and reserved blocks). 0 or errno.
int AccessBlockFile(const std::string& path, uint32_t fileSize, uint8_t fill, uint32_t offset, void* data,
                    uint32_t size, bool write) {
  Medium file;
  int error = file.open(path);
  if (error == ENOENT)
    error = ReplaceFile(path, std::string(fileSize, static_cast<char>(fill))) ? file.open(path) : errno;
  if (error != 0) return error;
  if (write && file.isReadOnly()) return EACCES;
  return write ? file.writeAt(offset, data, size) : file.readAt(offset, data, size);
}

}  // namespace

PlayerDevice::PlayerDevice(std::string folder) : fixedFolder_(std::move(folder)) {}

uint32_t PlayerDevice::destroy(uint32_t deleteSelf) {
  close();
  if (deleteSelf) delete this;
  return 1;
}

uint32_t PlayerDevice::fail(uint32_t code) {
  lastError_ = code;
  return 0;
}

uint32_t PlayerDevice::failWithErrno(int error) {
  switch (error) {
    case ENOMEDIUM:
      return fail(DeviceError::NoCard);
    case EIO:
      return fail(DeviceError::Communication);
    case ETIMEDOUT:
      return fail(DeviceError::Timeout);
    default:
      platform::SetLastErrorFromErrno(error);
      return fail(DeviceError::System);
  }
}

uint32_t PlayerDevice::failInvalidArgument() {
  platform::SetLastError(platform::Error::InvalidParameter);
  return fail(DeviceError::System);
}

uint32_t PlayerDevice::open(uint32_t port, uint32_t mode) {
  if (port != 0) return fail(DeviceError::NotConnected);
  if (mode != 0 && mode != FirmwareMode) return fail(DeviceError::UnsupportedResponse);
  // Opening an open connection is how the program probes for the player: the
  // selected medium and the fault counts stay.
  if (folder_) {
    if (!connected()) return 0;
    mode_ = mode;
    return 1;
  }
  PlayerFolder folder(fixedFolder_.empty() ? platform::SimulatedPlayerFolder() : fixedFolder_);
  if (folder.path().empty() || !folder.isPlugged()) return fail(DeviceError::NotConnected);
  std::string problem;
  if (!folder.readConfig(&config_, &problem) || !folder.readFaults(&faults_, &problem)) {
    if (errno != EINVAL) return failWithErrno(errno);
    platform::SetLastError(platform::Error::InvalidData);
    return fail(DeviceError::System);
  }
  folder_ = std::move(folder);
  watch_.emplace(folder_->path());
  mode_ = mode;
  sectorOperations_ = 0;
  linkFailure_ = 0;
  return 1;
}

uint32_t PlayerDevice::close() {
  deselect();
  folder_.reset();
  watch_.reset();
  return 1;
}

bool PlayerDevice::connected() {
  if (!folder_) return fail(DeviceError::NotConnected);
  if (!folder_->isPlugged()) {
    close();
    return fail(DeviceError::NotConnected);
  }
  return true;
}

bool PlayerDevice::mediumPresent() {
  if (!connected()) return false;
  if (!selected_) return fail(DeviceError::NoCard);
  if (*selected_ == MediumId::Card && folder_->isCardEjected()) {
    deselect();
    return fail(DeviceError::NoCard);
  }
  return true;
}

void PlayerDevice::deselect() {
  medium_.close();
  selected_.reset();
  locked_ = false;
  foundWritable_ = false;
}

void PlayerDevice::unplug() {
  folder_->setPlugged(false);  // best effort: the connection is gone either way
  close();
}

uint32_t PlayerDevice::selectMedia(const char* name) {
  if (!connected()) return 0;
  deselect();
  const std::string_view wanted = name ? name : "";
  MediumId medium;
  if (wanted == "Internal") {
    medium = MediumId::Internal;
  } else if (wanted == "MMC" && folder_->hasCard(config_) && !folder_->isCardEjected()) {
    medium = MediumId::Card;
  } else {
    return fail(DeviceError::NoCard);
  }
  const int error = medium_.open(folder_->mediumSource(medium, config_));
  // A card reader without a card has no medium to open.
  if (medium == MediumId::Card && (error == ENOENT || error == ENXIO)) return fail(DeviceError::NoCard);
  if (error != 0) return failWithErrno(error);
  selected_ = medium;
  locked_ = folder_->isLocked(medium);
  return 1;
}

uint32_t PlayerDevice::getMediaInfo(MediaInfoRecord* info) {
  if (!info) return failInvalidArgument();
  *info = MediaInfoRecord();
  if (!mediumPresent()) return 0;
  const uint64_t size = medium_.size();
  if (*selected_ == MediumId::Internal) {
    info->imageMedium = 0;
    info->type = MediaType::Internal;
    info->unitSize = InternalUnitSize;
    info->capacity = Clamp32(size > InternalUnitSize ? size - InternalUnitSize : 0);
  } else {
    info->imageMedium = 1;
    info->type = config_.cardType;
    info->unitSize = CardUnitSize;
    info->capacity = Clamp32(size);
  }
  return 1;
}

bool PlayerDevice::writeProtected() {
  locked_ = folder_->isLocked(*selected_);
  return locked_ || medium_.isReadOnly();
}

uint32_t PlayerDevice::checkWritable() {
  // Asked first, so that a change made while the marks are read below is
  // seen next time.
  const bool folderChanged = !watch_ || watch_->changed();
  if (foundWritable_ && !folderChanged) return 1;
  foundWritable_ = false;
  if (!mediumPresent()) return 0;
  if (writeProtected()) return fail(DeviceError::WriteProtected);
  foundWritable_ = true;
  return 1;
}

uint32_t PlayerDevice::mediumSectors() const { return Clamp32(medium_.size() / SectorBytes); }

uint32_t PlayerDevice::sectorSize() {
  if (!folder_) return fail(DeviceError::NotConnected);
  if (!selected_) return fail(DeviceError::NoCard);
  return SectorBytes;
}

uint32_t PlayerDevice::sectorCount() {
  if (!folder_) return fail(DeviceError::NotConnected);
  if (!selected_) return fail(DeviceError::NoCard);
  return mediumSectors();
}

// The hot path of every file transfer: no file-system look-ups here, only the
// state that selectMedia and checkWritable cached.
bool PlayerDevice::startTransfer(uint32_t first, uint32_t count, const void* buffer, bool write) {
  if (!folder_) return fail(DeviceError::NotConnected);
  if (linkFailure_) return fail(linkFailure_);
  if (!selected_) return fail(DeviceError::NoCard);
  if (uint64_t(first) + count > mediumSectors()) return fail(DeviceError::SectorOutOfRange);
  if (write && (locked_ || medium_.isReadOnly())) return fail(DeviceError::WriteProtected);
  if (count > 0 && !buffer) return failInvalidArgument();

  sectorOperations_ += sectorOperations_ < UINT32_MAX;
  const auto struck = [this](const std::optional<uint32_t>& limit) { return limit && sectorOperations_ > *limit; };
  if (struck(faults_.unplugAfter)) {
    unplug();
    return fail(DeviceError::NotConnected);
  }
  if (struck(faults_.timeoutAfter))
    linkFailure_ = DeviceError::Timeout;
  else if (struck(faults_.failAfter))
    linkFailure_ = DeviceError::Communication;
  return linkFailure_ ? fail(linkFailure_) : true;
}

uint32_t PlayerDevice::readSectors(uint32_t first, uint32_t count, void* buffer) {
  if (!startTransfer(first, count, buffer, false)) return 0;
  const int error = medium_.readAt(uint64_t(first) * SectorBytes, buffer, size_t(count) * SectorBytes);
  return error ? failWithErrno(error) : 1;
}

uint32_t PlayerDevice::writeSectors(uint32_t first, uint32_t count, const void* buffer) {
  if (!startTransfer(first, count, buffer, true)) return 0;
  const int error = medium_.writeAt(uint64_t(first) * SectorBytes, buffer, size_t(count) * SectorBytes);
  return error ? failWithErrno(error) : 1;
}

uint32_t PlayerDevice::flush() {
  if (!folder_) return fail(DeviceError::NotConnected);
  if (linkFailure_) return fail(linkFailure_);
  if (!selected_) return fail(DeviceError::NoCard);
  const int error = medium_.sync();
  return error ? failWithErrno(error) : 1;
}

uint32_t PlayerDevice::readFirmwareBlock(uint32_t index, void* buffer, uint32_t one) {
  if (!connected()) return 0;
  if (mode_ != FirmwareMode || index >= FirmwareBlockCount || one != 1 || !buffer)
    return fail(DeviceError::FirmwareBlock);
  const int error = AccessBlockFile(folder_->firmwareFile(), FirmwareBytes, 0xFF, index * FirmwareBlockSize, buffer,
                                    FirmwareBlockSize, false);
  return error ? fail(DeviceError::FirmwareBlock) : 1;
}

uint32_t PlayerDevice::writeFirmwareBlock(uint32_t index, const void* block, uint32_t one) {
  if (!connected()) return 0;
  if (mode_ != FirmwareMode || index >= FirmwareBlockCount || one != 1 || !block)
    return fail(DeviceError::FirmwareBlock);
  const int error = AccessBlockFile(folder_->firmwareFile(), FirmwareBytes, 0xFF, index * FirmwareBlockSize,
                                    const_cast<void*>(block), FirmwareBlockSize, true);
  return error ? fail(DeviceError::FirmwareBlock) : 1;
}

uint32_t PlayerDevice::readReservedBlock(void* buffer) {
  if (!buffer) return failInvalidArgument();
  if (!mediumPresent()) return 0;
  const int error = AccessBlockFile(folder_->reservedBlockFile(*selected_), ReservedBlockSize, 0, 0, buffer,
                                    ReservedBlockSize, false);
  return error ? failWithErrno(error) : 1;
}

uint32_t PlayerDevice::writeReservedBlock(const void* block) {
  if (!block) return failInvalidArgument();
  if (!mediumPresent()) return 0;
  if (writeProtected()) return fail(DeviceError::WriteProtected);
  const int error = AccessBlockFile(folder_->reservedBlockFile(*selected_), ReservedBlockSize, 0, 0,
                                    const_cast<void*>(block), ReservedBlockSize, true);
  return error ? failWithErrno(error) : 1;
}

}  // namespace portkit
