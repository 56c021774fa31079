#include "player/ErrorMapping.h"

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "resources/StringIds.h"

namespace {

[[noreturn]] void RaiseSystemError() {
  const uint32_t code = platform::GetLastError();
  if (code != 0) throw CException(code);
  throw CMediaException(StringId::UnknownError);
}

}  // namespace

void RaiseDeviceError(uint32_t code) {
  switch (code) {
    case DeviceError::System:
      RaiseSystemError();
    case DeviceError::NoCard:
    case DeviceError::NotConnected:
      throw CMediaException(StringId::MediaNotFound);
    case DeviceError::Timeout:
      throw CMediaException(StringId::ConnectionTimedOut);
    case DeviceError::UnsupportedResponse:
      throw CMediaException(StringId::UnsupportedResponse);
    case DeviceError::Communication:
      throw CMediaException(StringId::CommunicationError);
    case DeviceError::WriteProtected:
      throw CMediaException(StringId::MediaProtected);
    case DeviceError::SectorOutOfRange:
      throw CMediaException(StringId::UnauthorizedCluster);
    default:
      throw CMediaException(StringId::UnknownError);
  }
}

void RaiseFileSystemError(uint32_t code, DeviceInterface* device, const CText& subject) {
  switch (code) {
    case FileSystemError::System:
      RaiseSystemError();
    case FileSystemError::Device:
      if (device == nullptr) throw CMediaException(StringId::UnknownError);
      RaiseDeviceError(device->lastError());
    case FileSystemError::DamagedChain:
      throw CMediaException(StringId::UnauthorizedCluster);
    case FileSystemError::OutOfMemory:
      throw CMediaException(StringId::NotEnoughMemory);
    case FileSystemError::MediumFull:
      throw CMediaException(StringId::MemoryFull);
    case FileSystemError::InvalidName:
      throw CException(platform::Error::InvalidName);
    case FileSystemError::NotRepresentable:
      throw CMediaException(StringId::UnsupportedCharacterCode);
    case FileSystemError::WrongKind:
      throw CMediaException(StringId::InvalidFileFormat);
    case FileSystemError::NameExists:
      throw CException(platform::Error::FileExists);
    case FileSystemError::NameTooLong:
      throw CException(platform::Error::NameTooLong);
    case FileSystemError::NotFound:
      throw CMediaException(StringId::UnknownError,
                            subject.IsEmpty() ? CText() : DetailText(StringId::NotFound, subject));
    case FileSystemError::FolderNotEmpty:
      throw CMediaException(StringId::UnknownError,
                            subject.IsEmpty() ? CText() : DetailText(StringId::FolderNotEmpty, subject));
    default:
      throw CMediaException(StringId::UnknownError);
  }
}

CText FileSystemErrorText(uint32_t code, DeviceInterface* device) {
  try {
    RaiseFileSystemError(code, device);
  } catch (const CMediaException& e) {
    return e.Detail().IsEmpty() ? LoadStringText(e.Code()) : e.Detail();
  } catch (const CException& e) {
    return SystemMessage(e.Code());
  }
}

CText DetailText(uint32_t stringId, const CText& text) {
  CText detail;
  detail.Format(LoadStringText(stringId).Chars(), text.Chars());
  return detail;
}
