#include "player/PlayerConnection.h"

#include <algorithm>
#include <iterator>

#include "framework/core/Exception.h"
#include "player/ErrorMapping.h"
#include "resources/StringIds.h"

PlayerConnection::PlayerConnection(const AppSettings& settings) : settings_(settings) {}

PlayerConnection::~PlayerConnection() { UnloadPlugins(); }

void PlayerConnection::LoadPlugins(std::string_view deviceLibrary, std::string_view fileSystemLibrary) {
  UnloadPlugins();
  plugins_.Load(deviceLibrary, fileSystemLibrary);
}

void PlayerConnection::UnloadPlugins() {
  flags_ = 0;
  plugins_.Unload();
  activeDevice_ = nullptr;
  activeFileSystem_ = nullptr;
}

DeviceInterface& PlayerConnection::Device() const {
  if (activeDevice_ == nullptr) throw CMediaException(StringId::UnknownError);
  return *activeDevice_;
}

FileSystemInterface& PlayerConnection::FileSystem() const {
  if (activeFileSystem_ == nullptr) throw CMediaException(StringId::FileSystemNotAvailable);
  return *activeFileSystem_;
}

void PlayerConnection::RaiseDevice() const { RaiseDeviceError(Device().lastError()); }

void PlayerConnection::RaiseFileSystem(const CText& subject) const {
  RaiseFileSystemError(FileSystem().lastError(), activeDevice_, subject);
}

void PlayerConnection::CheckWritable() const {
  if (!Device().checkWritable()) RaiseDevice();
}

void PlayerConnection::Open(uint32_t mode) {
  folderMode = TrackListMode;
  flags_ = 0;
  if (!MediumListed()) {
    activeDevice_ = nullptr;
    flags_ = FlagOpen;
    return;
  }
  // Without the device library there is no player to be found.
  if (plugins_.device == nullptr) throw CMediaException(StringId::PlayerNotFound);
  activeDevice_ = plugins_.device;
  if (!activeDevice_->open(0, mode)) RaiseDevice();
  flags_ = FlagOpen;
}

void PlayerConnection::ProbeDevice() {
  // The track-list mode goes with the MUSIC folder, or the next download
  // would store tracks and a play order wherever the user was.
  if (folderMode != TrackListMode && IsFileSystemOpen() && !FileSystem().changeDir("\\MUSIC"))
    flags_ &= ~FlagFileSystemOpen;
  folderMode = TrackListMode;
  if (!MediumListed()) {
    activeDevice_ = nullptr;
    return;
  }
  if (plugins_.device == nullptr) {
    flags_ = 0;
    throw CMediaException(StringId::PlayerNotFound);
  }
  activeDevice_ = plugins_.device;
  if (!activeDevice_->open(0, 0)) {
    flags_ = 0;
    RaiseDevice();
  }
}

void PlayerConnection::Close() {
  if (activeDevice_ != nullptr) activeDevice_->close();
  flags_ = 0;
}

CText PlayerConnection::GetMediaDescription() const {
  const char* typeName = "Internal Memory ";
  bool card = true;
  switch (mediaInfo_.type) {
    case MediaType::SecureMmc:
      typeName = "Secure MMC ";
      break;
    case MediaType::SdCard:
      typeName = "SD Memory Card ";
      break;
    case MediaType::MultiMediaCard:
      typeName = "MultiMediaCard ";
      break;
    default:
      card = false;
  }
  // Cards count in decimal megabytes; the internal memory in binary ones,
  // with the unit the player keeps for itself.
  const uint32_t megabytes =
      card ? mediaInfo_.capacity / 1000000u : (mediaInfo_.capacity + mediaInfo_.unitSize) / 1048576u;
  CText text;
  text.Format("%s%uMB", typeName, megabytes);
  return text;
}

uint32_t PlayerConnection::GetFreeBytes() const {
  if (activeFileSystem_ == nullptr) return 0;
  return activeFileSystem_->freeClusters() * volumeInfo_.bytesPerCluster;
}

CText PlayerConnection::GetVolumeLabel() const {
  char label[sizeof volumeInfo_.label + 1] = {};
  std::copy(std::begin(volumeInfo_.label), std::end(volumeInfo_.label), label);
  return label;
}

void PlayerConnection::SetVolumeLabel(const CText& label) {
  CheckWritable();
  if (!FileSystem().setLabel(label.Chars())) RaiseFileSystem();
  FileSystem().getVolumeInfo(&volumeInfo_);
}

void PlayerConnection::BeginUpdate() {
  if (!FileSystem().beginUpdate()) RaiseFileSystem();
}

void PlayerConnection::EndUpdate() {
  if (folderMode == TrackListMode) WritePlaylist();
  if (!FileSystem().endUpdate()) RaiseFileSystem();
}
