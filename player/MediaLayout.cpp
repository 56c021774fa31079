// Selecting a medium, opening its file system in the MUSIC folder, and
// formatting it with the display images from the program folder.
#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Files.h"
#include "player/ErrorMapping.h"
#include "player/PlayerConnection.h"
#include "resources/StringIds.h"

namespace {

const char* DeviceMediumName(uint8_t medium) {
  switch (medium) {
    case 0:
      return "Internal";
    case 1:
      return "MMC";
    default:
      return "";
  }
}

uint32_t ReadFromDiskFile(TransferRequest* request, void* buffer, uint32_t length) {
  try {
    static_cast<CDiskFile*>(request->context)->ReadExact(buffer, length);
    return 1;
  } catch (const CException&) {
    return 0;
  }
}

}  // namespace

void PlayerConnection::SelectMedia() {
  if (!IsOpen()) throw CMediaException(StringId::UnknownError);
  if (activeDevice_ != nullptr) {
    if (!activeDevice_->selectMedia(DeviceMediumName(settings_.selectedMedium))) RaiseDevice();
    activeDevice_->getMediaInfo(&mediaInfo_);
    if (!activeDevice_->checkWritable()) flags_ |= FlagLocked;
  }
  flags_ |= FlagMediumSelected;
}

void PlayerConnection::OpenFileSystem() {
  flags_ &= ~FlagFileSystemOpen;
  activeFileSystem_ = plugins_.fileSystem;
  if (activeFileSystem_ == nullptr || activeDevice_ == nullptr) throw CMediaException(StringId::FileSystemNotAvailable);
  // The design's message advises a format. Only a medium without a FAT
  // volume calls for one; for the rest the detail says what failed.
  if (!activeFileSystem_->attach(activeDevice_)) {
    const uint32_t cause = activeFileSystem_->lastError();
    throw CMediaException(StringId::FileSystemNotAvailable, cause == FileSystemError::NoFileSystem
                                                                ? CText()
                                                                : FailureDetail(StringId::FileSystemUnreadable, cause));
  }
  activeFileSystem_->getVolumeInfo(&volumeInfo_);
  trackList_.RemoveAll();
  if (folderMode == TrackListMode) {
    // Most often there already; when it is not, why it cannot be made is
    // why it cannot be entered.
    const bool made = activeFileSystem_->makeDir(MusicFolder) != 0;
    const uint32_t makeFailure = made ? 0 : activeFileSystem_->lastError();
    if (!activeFileSystem_->changeDir(MusicFolder)) {
      const uint32_t cause = makeFailure != 0 && makeFailure != FileSystemError::NothingToDo
                                 ? makeFailure
                                 : activeFileSystem_->lastError();
      throw CMediaException(StringId::FileSystemNotAvailable, FailureDetail(StringId::MusicFolderUnusable, cause));
    }
    LoadPlaylist();
  }
  flags_ |= FlagFileSystemOpen | FlagMediumSelected;
}

CText PlayerConnection::FailureDetail(uint32_t stringId, uint32_t fileSystemCode) const {
  return DetailText(stringId, FileSystemErrorText(fileSystemCode, activeDevice_));
}

bool PlayerConnection::FormatMedia(TransferRequest* option) {
  CheckWritable();  // a locked medium is never formatted
  flags_ &= ~FlagFileSystemOpen;
  activeFileSystem_ = plugins_.fileSystem;
  if (activeFileSystem_ == nullptr) throw CMediaException(StringId::FileSystemNotAvailable);
  trackList_.RemoveAll();
  if (!activeFileSystem_->format(activeDevice_, option)) {
    if (activeFileSystem_->lastError() != 0) RaiseFileSystem();
    return false;
  }
  if (mediaInfo_.imageMedium == 0) {
    try {
      if (!platform::SetCurrentDirectory(platform::ProgramFolder())) CException::ThrowLastError();
      WriteDisplayImage(IntroImage);
      WriteDisplayImage(EndingImage);
    } catch (const CException&) {
      throw CMediaException(StringId::FileSystemNotAvailable);
    } catch (const CMediaException&) {
      throw CMediaException(StringId::FileSystemNotAvailable);
    }
  }
  flags_ |= FlagFileSystemOpen;
  return true;
}

void PlayerConnection::WriteDisplayImage(const CText& name) {
  const CFileEntry pcFile = GetFileEntry(name);
  CDiskFile file;
  file.Open(name, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
  TransferRequest request{};
  request.flags = TransferRequest::Write;
  request.name = pcFile.name.Chars();
  request.context = &file;
  request.total = pcFile.size;
  request.data = ReadFromDiskFile;
  if (!FileSystem().writeFile(&request)) RaiseFileSystem();
  file.Close();
}
