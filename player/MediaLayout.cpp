// Selecting a medium, opening its file system in the MUSIC folder, and
// formatting it with the display images from the program folder.
#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Files.h"
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
  if (activeFileSystem_ == nullptr || activeDevice_ == nullptr || !activeFileSystem_->attach(activeDevice_))
    throw CMediaException(StringId::FileSystemNotAvailable);
  activeFileSystem_->getVolumeInfo(&volumeInfo_);
  trackList_.RemoveAll();
  if (folderMode == TrackListMode) {
    activeFileSystem_->makeDir(MusicFolder);  // most often there already
    if (!activeFileSystem_->changeDir(MusicFolder)) throw CMediaException(StringId::FileSystemNotAvailable);
    LoadPlaylist();
  }
  flags_ |= FlagFileSystemOpen | FlagMediumSelected;
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
