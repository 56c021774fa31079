#include "plugins/portkit/PlayerDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Errors.h"

namespace portkit {
namespace {

constexpr uint32_t FirmwareBytes = FirmwareBlockCount * DeviceInterface::FirmwareBlockSize;

uint32_t Clamp32(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX)); }

// Reads or writes part of a small file of `fileSize` bytes that is created,
// filled with `fill`, on first use (firmware and reserved blocks). 0 or errno.
int AccessBlockFile(const std::string& path, uint32_t fileSize, uint8_t fill, uint32_t offset, void* data,
                    uint32_t size, bool write) {
  Medium file;
  int error = file.Open(path);
  if (error == ENOENT)
    error = ReplaceFile(path, std::string(fileSize, static_cast<char>(fill))) ? file.Open(path) : errno;
  if (error != 0) return error;
  if (write && file.IsReadOnly()) return EACCES;
  return write ? file.WriteAt(offset, data, size) : file.ReadAt(offset, data, size);
}

}  // namespace

PlayerDevice::PlayerDevice(std::string folder) : fixedFolder_(std::move(folder)) {}

uint32_t PlayerDevice::destroy(uint32_t deleteSelf) {
  close();
  if (deleteSelf) delete this;
  return 1;
}

uint32_t PlayerDevice::Fail(uint32_t code) {
  lastError_ = code;
  return 0;
}

uint32_t PlayerDevice::FailWithErrno(int error) {
  switch (error) {
    case ENOMEDIUM:
      return Fail(DeviceError::NoCard);
    case EIO:
      return Fail(DeviceError::Communication);
    case ETIMEDOUT:
      return Fail(DeviceError::Timeout);
    default:
      platform::SetLastErrorFromErrno(error);
      return Fail(DeviceError::System);
  }
}

uint32_t PlayerDevice::FailInvalidArgument() {
  platform::SetLastError(platform::Error::InvalidParameter);
  return Fail(DeviceError::System);
}

uint32_t PlayerDevice::open(uint32_t port, uint32_t mode) {
  if (port != 0) return Fail(DeviceError::NotConnected);
  if (mode != 0 && mode != FirmwareMode) return Fail(DeviceError::UnsupportedResponse);
  // Opening an open connection is how the program probes for the player: the
  // selected medium and the fault counts stay.
  if (folder_) {
    if (!Connected()) return 0;
    mode_ = mode;
    return 1;
  }
  PlayerFolder folder(fixedFolder_.empty() ? DefaultPlayerFolder() : fixedFolder_);
  if (folder.Path().empty() || !folder.IsPlugged()) return Fail(DeviceError::NotConnected);
  std::string problem;
  if (!folder.ReadConfig(&config_, &problem) || !folder.ReadFaults(&faults_, &problem)) {
    if (errno != EINVAL) return FailWithErrno(errno);
    platform::SetLastError(platform::Error::InvalidData);
    return Fail(DeviceError::System);
  }
  folder_ = std::move(folder);
  mode_ = mode;
  sectorOperations_ = 0;
  linkFailure_ = 0;
  return 1;
}

uint32_t PlayerDevice::close() {
  Deselect();
  folder_.reset();
  return 1;
}

bool PlayerDevice::Connected() {
  if (!folder_) return Fail(DeviceError::NotConnected);
  if (!folder_->IsPlugged()) {
    close();
    return Fail(DeviceError::NotConnected);
  }
  return true;
}

bool PlayerDevice::MediumPresent() {
  if (!Connected()) return false;
  if (!selected_) return Fail(DeviceError::NoCard);
  if (*selected_ == MediumId::Card && folder_->IsCardEjected()) {
    Deselect();
    return Fail(DeviceError::NoCard);
  }
  return true;
}

void PlayerDevice::Deselect() {
  medium_.Close();
  selected_.reset();
  locked_ = false;
}

void PlayerDevice::Unplug() {
  folder_->SetPlugged(false);  // best effort: the connection is gone either way
  close();
}

uint32_t PlayerDevice::selectMedia(const char* name) {
  if (!Connected()) return 0;
  Deselect();
  const std::string_view wanted = name ? name : "";
  MediumId medium;
  if (wanted == "Internal") {
    medium = MediumId::Internal;
  } else if (wanted == "MMC" && folder_->HasCard(config_) && !folder_->IsCardEjected()) {
    medium = MediumId::Card;
  } else {
    return Fail(DeviceError::NoCard);
  }
  const int error = medium_.Open(folder_->MediumSource(medium, config_));
  // A card reader without a card has no medium to open.
  if (medium == MediumId::Card && (error == ENOENT || error == ENXIO)) return Fail(DeviceError::NoCard);
  if (error != 0) return FailWithErrno(error);
  selected_ = medium;
  locked_ = folder_->IsLocked(medium);
  return 1;
}

uint32_t PlayerDevice::getMediaInfo(MediaInfoRecord* info) {
  if (!info) return FailInvalidArgument();
  *info = MediaInfoRecord();
  if (!MediumPresent()) return 0;
  const uint64_t size = medium_.Size();
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

bool PlayerDevice::WriteProtected() {
  locked_ = folder_->IsLocked(*selected_);
  return locked_ || medium_.IsReadOnly();
}

uint32_t PlayerDevice::checkWritable() {
  if (!MediumPresent()) return 0;
  return WriteProtected() ? Fail(DeviceError::WriteProtected) : 1;
}

uint32_t PlayerDevice::MediumSectors() const { return Clamp32(medium_.Size() / SectorBytes); }

uint32_t PlayerDevice::sectorSize() {
  if (!folder_) return Fail(DeviceError::NotConnected);
  if (!selected_) return Fail(DeviceError::NoCard);
  return SectorBytes;
}

uint32_t PlayerDevice::sectorCount() {
  if (!folder_) return Fail(DeviceError::NotConnected);
  if (!selected_) return Fail(DeviceError::NoCard);
  return MediumSectors();
}

// The hot path of every file transfer: no file-system look-ups here, only the
// state that selectMedia and checkWritable cached.
bool PlayerDevice::StartTransfer(uint32_t first, uint32_t count, const void* buffer, bool write) {
  if (!folder_) return Fail(DeviceError::NotConnected);
  if (linkFailure_) return Fail(linkFailure_);
  if (!selected_) return Fail(DeviceError::NoCard);
  if (uint64_t(first) + count > MediumSectors()) return Fail(DeviceError::SectorOutOfRange);
  if (write && (locked_ || medium_.IsReadOnly())) return Fail(DeviceError::WriteProtected);
  if (count > 0 && !buffer) return FailInvalidArgument();

  sectorOperations_ += sectorOperations_ < UINT32_MAX;
  const auto struck = [this](const std::optional<uint32_t>& limit) { return limit && sectorOperations_ > *limit; };
  if (struck(faults_.unplugAfter)) {
    Unplug();
    return Fail(DeviceError::NotConnected);
  }
  if (struck(faults_.timeoutAfter))
    linkFailure_ = DeviceError::Timeout;
  else if (struck(faults_.failAfter))
    linkFailure_ = DeviceError::Communication;
  return linkFailure_ ? Fail(linkFailure_) : true;
}

uint32_t PlayerDevice::readSectors(uint32_t first, uint32_t count, void* buffer) {
  if (!StartTransfer(first, count, buffer, false)) return 0;
  const int error = medium_.ReadAt(uint64_t(first) * SectorBytes, buffer, size_t(count) * SectorBytes);
  return error ? FailWithErrno(error) : 1;
}

uint32_t PlayerDevice::writeSectors(uint32_t first, uint32_t count, const void* buffer) {
  if (!StartTransfer(first, count, buffer, true)) return 0;
  const int error = medium_.WriteAt(uint64_t(first) * SectorBytes, buffer, size_t(count) * SectorBytes);
  return error ? FailWithErrno(error) : 1;
}

uint32_t PlayerDevice::flush() {
  if (!folder_) return Fail(DeviceError::NotConnected);
  if (linkFailure_) return Fail(linkFailure_);
  if (!selected_) return Fail(DeviceError::NoCard);
  const int error = medium_.Sync();
  return error ? FailWithErrno(error) : 1;
}

uint32_t PlayerDevice::readFirmwareBlock(uint32_t index, void* buffer, uint32_t one) {
  if (!Connected()) return 0;
  if (mode_ != FirmwareMode || index >= FirmwareBlockCount || one != 1 || !buffer)
    return Fail(DeviceError::FirmwareBlock);
  const int error = AccessBlockFile(folder_->FirmwareFile(), FirmwareBytes, 0xFF, index * FirmwareBlockSize, buffer,
                                    FirmwareBlockSize, false);
  return error ? Fail(DeviceError::FirmwareBlock) : 1;
}

uint32_t PlayerDevice::writeFirmwareBlock(uint32_t index, const void* block, uint32_t one) {
  if (!Connected()) return 0;
  if (mode_ != FirmwareMode || index >= FirmwareBlockCount || one != 1 || !block)
    return Fail(DeviceError::FirmwareBlock);
  const int error = AccessBlockFile(folder_->FirmwareFile(), FirmwareBytes, 0xFF, index * FirmwareBlockSize,
                                    const_cast<void*>(block), FirmwareBlockSize, true);
  return error ? Fail(DeviceError::FirmwareBlock) : 1;
}

uint32_t PlayerDevice::readReservedBlock(void* buffer) {
  if (!buffer) return FailInvalidArgument();
  if (!MediumPresent()) return 0;
  const int error = AccessBlockFile(folder_->ReservedBlockFile(*selected_), ReservedBlockSize, 0, 0, buffer,
                                    ReservedBlockSize, false);
  return error ? FailWithErrno(error) : 1;
}

uint32_t PlayerDevice::writeReservedBlock(const void* block) {
  if (!block) return FailInvalidArgument();
  if (!MediumPresent()) return 0;
  if (WriteProtected()) return Fail(DeviceError::WriteProtected);
  const int error = AccessBlockFile(folder_->ReservedBlockFile(*selected_), ReservedBlockSize, 0, 0,
                                    const_cast<void*>(block), ReservedBlockSize, true);
  return error ? FailWithErrno(error) : 1;
}

}  // namespace portkit
