// Walking the player's folders and changing its files. In the track-list
// mode the MUSIC folder is shown from the playlist and its files change
// through the track operations; in the USER tree the file system is used as
// it is. The root itself is never shown: reaching it leads back to MUSIC,
// and reaching MUSIC by a path is the track list.
#include "framework/core/Exception.h"
#include "player/PlayerConnection.h"

CText PlayerConnection::GetCurrentFolder() {
  const uint32_t length = FileSystem().getCurrentDir(nullptr, 0);
  CText path;
  char* chars = path.GetBuffer(static_cast<int>(length));
  FileSystem().getCurrentDir(chars, length);
  path.SetLength(static_cast<int>(length));
  return path;
}

void PlayerConnection::ChangeFolder(const CText& path) {
  CText target = path;
  if (folderMode == TrackListMode) {
    if (path != UserEntryName) return;
    folderMode = UserTreeMode;
    FileSystem().changeDir("");
    FileSystem().makeDir(UserFolder);  // made on the way when missing
    target = UserFolder;
  }
  if (target.Length() >= 2 && target.Chars()[1] == ':') target = target.Right(target.Length() - 2);
  if (!FileSystem().changeDir(target.Chars()) && FileSystem().lastError() != FileSystemError::NothingToDo)
    RaiseFileSystem(path);
  if (FileSystem().isAtRoot()) {
    if (!FileSystem().changeDir(MusicFolder)) RaiseFileSystem();
    folderMode = TrackListMode;
    return;
  }
  // However the path spelled it, the MUSIC folder is the track list: its
  // files change only through the track operations.
  CText reached = GetCurrentFolder();
  reached.MakeLower();
  CText music = CText("\\") + MusicFolder;
  music.MakeLower();
  if (reached == music) folderMode = TrackListMode;
}

void PlayerConnection::CreateFolder(const CText& name) {
  CheckWritable();
  if (!FileSystem().makeDir(name.Chars()) && FileSystem().lastError() != FileSystemError::NothingToDo)
    RaiseFileSystem();
}

void PlayerConnection::RemoveFolder(const CText& name) {
  CheckWritable();
  if (!FileSystem().removeDir(name.Chars()) && FileSystem().lastError() != FileSystemError::NothingToDo)
    RaiseFileSystem(name);
}

void PlayerConnection::BeginListing() {
  if (folderMode == TrackListMode) {
    listingPosition_ = 0;
    return;
  }
  if (!FileSystem().findBegin()) RaiseFileSystem();
}

bool PlayerConnection::NextEntry(PlayerEntry& entry) {
  if (folderMode != TrackListMode) {
    DirEntryRecord record;
    if (!FileSystem().findNext(&record)) return false;
    entry = record;
    return true;
  }
  const int32_t count = trackList_.Count();
  if (listingPosition_ > count) return false;
  if (listingPosition_ == count) {
    entry.attributes = PlayerEntry::FolderAttribute;
    entry.longName = UserEntryName;
    entry.SetShortName(UserEntryName);
    entry.trackInfo.reset();
    ++listingPosition_;
    return true;
  }
  entry = trackList_.Get<PlayerEntry>(listingPosition_++);
  LoadTrackInfo(entry);
  return true;
}

void PlayerConnection::EndListing() { FileSystem().findEnd(); }

std::vector<PlayerEntry> PlayerConnection::ListFolder() {
  std::vector<PlayerEntry> entries;
  PlayerEntry entry;
  BeginListing();
  while (NextEntry(entry)) entries.push_back(std::move(entry));  // NextEntry fills every field again
  EndListing();
  return entries;
}

bool PlayerConnection::FindEntry(const CText& name, PlayerEntry* entry) {
  if (entry == nullptr) return FileSystem().lookup(name.Chars(), nullptr) != 0;
  DirEntryRecord record;
  if (!FileSystem().lookup(name.Chars(), &record)) return false;
  *entry = record;
  return true;
}

void PlayerConnection::RenameEntry(PlayerEntry& entry, const CText& newName) {
  CheckWritable();
  if (folderMode == TrackListMode) {
    RenameTrack(entry, newName);
    return;
  }
  if (!FileSystem().rename(entry.longName.Chars(), newName.Chars())) RaiseFileSystem(entry.longName);
  entry.longName = newName;
}

void PlayerConnection::DeleteEntry(PlayerEntry& entry) {
  CheckWritable();
  if (folderMode == TrackListMode) {
    DeleteTrack(entry);
    return;
  }
  if (!FileSystem().deleteFile(entry.longName.Chars())) RaiseFileSystem(entry.longName);
}

bool PlayerConnection::WriteEntry(TransferRequest& request) {
  CheckWritable();
  if (folderMode == TrackListMode) return CreateTrack(request);
  if (FileSystem().writeFile(&request)) return true;
  if (FileSystem().lastError() != FileSystemError::Stopped) RaiseFileSystem();
  return false;
}

bool PlayerConnection::ReadEntry(TransferRequest& request) {
  if (FileSystem().readFile(&request)) return true;
  if (FileSystem().lastError() != FileSystemError::Stopped) RaiseFileSystem();
  return false;
}

void PlayerConnection::ReadFirmwareBlock(uint32_t index, void* buffer, uint32_t flag) {
  if (!Device().readFirmwareBlock(index, buffer, flag)) throw CMediaException(Device().lastError());
}

void PlayerConnection::WriteFirmwareBlock(uint32_t index, const void* block, uint32_t flag) {
  if (!Device().writeFirmwareBlock(index, block, flag)) throw CMediaException(Device().lastError());
}

void PlayerConnection::ReadReservedBlock(void* buffer) {
  if (!Device().readReservedBlock(buffer)) throw CMediaException(Device().lastError());
}

void PlayerConnection::WriteReservedBlock(const void* block) {
  if (!Device().writeReservedBlock(block)) throw CMediaException(Device().lastError());
}
