// The one object through which everything reaches the player: it owns both
// plug-ins, keeps the connection's state flags, the folder mode, the media and
// volume information and the MUSIC folder's track list. Every failure is
// thrown as CMediaException or CException; none is returned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "contract/PluginContract.h"
#include "framework/core/OwnedArray.h"
#include "framework/core/Text.h"
#include "player/InfoRecord.h"
#include "player/PlayerEntry.h"
#include "player/PluginLibraries.h"
#include "player/TrackCheck.h"
#include "settings/AppSettings.h"

class PlayerConnection {
 public:
  // State flags.
  static constexpr uint8_t FlagOpen = 0x01;
  static constexpr uint8_t FlagMediumSelected = 0x02;
  static constexpr uint8_t FlagFileSystemOpen = 0x04;
  static constexpr uint8_t FlagLocked = 0x08;
  static constexpr uint8_t FlagPlaylistChanged = 0x80;

  // Folder modes.
  static constexpr uint8_t UserTreeMode = 0;
  static constexpr uint8_t TrackListMode = 1;

  // The play order holds at most this many tracks.
  static constexpr int MaxTracks = 999;

  // The fixed layout of a medium.
  static constexpr const char* MusicFolder = "MUSIC";
  static constexpr const char* UserFolder = "USER";
  static constexpr const char* UserEntryName = "<USER>";
  static constexpr const char* PlaylistName = "PLAYLIST.DAT";
  static constexpr const char* IntroImage = "intro.lcd";
  static constexpr const char* EndingImage = "ending.lcd";

  // Reads the media count and the selected medium from the settings.
  explicit PlayerConnection(const AppSettings& settings);
  PlayerConnection(const PlayerConnection&) = delete;
  PlayerConnection& operator=(const PlayerConnection&) = delete;
  virtual ~PlayerConnection();

  // Plug-ins and connection.
  void LoadPlugins(std::string_view deviceLibrary = PluginLibraries::DeviceLibraryName,
                   std::string_view fileSystemLibrary = PluginLibraries::FileSystemLibraryName);
  void UnloadPlugins();
  void Open(uint32_t mode);
  void ProbeDevice();
  void Close();
  bool IsOpen() const { return flags_ & FlagOpen; }
  bool IsMediaSelected() const { return flags_ & FlagMediumSelected; }
  bool IsFileSystemOpen() const { return flags_ & FlagFileSystemOpen; }
  bool IsLocked() const { return flags_ & FlagLocked; }
  uint8_t Flags() const { return flags_; }
  const AppSettings& Settings() const { return settings_; }

  // Media and volume.
  CText GetMediaDescription() const;
  uint32_t GetCapacity() const { return mediaInfo_.capacity; }
  uint32_t GetUnitSize() const { return mediaInfo_.unitSize; }
  uint32_t GetFreeBytes() const;  // a 32-bit product: wraps on 4 GiB and more
  CText GetVolumeLabel() const;
  void SetVolumeLabel(const CText& label);
  void BeginUpdate();
  void EndUpdate();  // writes a changed playlist first while the track list is shown

  // The medium's layout.
  void SelectMedia();
  void OpenFileSystem();
  // The option is handed to the file system's format: a request with a
  // progress callback, or null for a quick format. False when the format was
  // stopped without an error.
  bool FormatMedia(TransferRequest* option);
  // Copies a file of the PC's current folder to the player's, under its name.
  void WriteDisplayImage(const CText& name);

  // Player folders and files. In the track-list mode the MUSIC folder is
  // listed from the playlist, ending in the entry "<USER>".
  CText GetCurrentFolder();
  void ChangeFolder(const CText& path);
  void CreateFolder(const CText& name);
  void RemoveFolder(const CText& name);
  void BeginListing();
  bool NextEntry(PlayerEntry& entry);
  void EndListing();
  // The whole listing of the current folder, in listing order.
  std::vector<PlayerEntry> ListFolder();
  bool FindEntry(const CText& name, PlayerEntry* entry);
  void RenameEntry(PlayerEntry& entry, const CText& newName);
  void DeleteEntry(PlayerEntry& entry);
  // False when a callback stopped the transfer.
  bool WriteEntry(TransferRequest& request);
  bool ReadEntry(TransferRequest& request);
  // These four throw CMediaException with the device's own code.
  void ReadFirmwareBlock(uint32_t index, void* buffer, uint32_t flag);
  void WriteFirmwareBlock(uint32_t index, const void* block, uint32_t flag);
  void ReadReservedBlock(void* buffer);
  void WriteReservedBlock(const void* block);

  // The playlist of the MUSIC folder, the current folder.
  void LoadPlaylist();
  void WritePlaylist();  // only when the track list changed
  // The track list in the order of the given short names; names without a
  // file are dropped.
  void ReorderPlaylist(const std::vector<CText>& names);

  // Track files of the MUSIC folder (see TrackFiles.cpp).
  // Stores the audio of a download as the next free TRACKnnn.MP3 with its
  // record; the request's audioInfo is the file's analysis.
  bool CreateTrack(TransferRequest& request);
  void DeleteTrack(const PlayerEntry& entry);
  // Sets the title; an entry without TrackInfo or a record is refused (101).
  void RenameTrack(PlayerEntry& entry, const CText& newName);
  void LoadTrackInfo(PlayerEntry& entry);
  // Rewrites the record's texts and name bitmap; the numbers stay.
  void UpdateTrackInfo(const PlayerEntry& entry, const TrackInfo& info);
  // UpdateTrackInfo, then the entry takes the texts as the record keeps them.
  void SetTrackTags(PlayerEntry& entry, const TrackInfo& info);

  // The MUSIC folder's files against the play order, and the repair: tracks
  // outside it are appended (up to 999), lines without a file go, halves of
  // tracks are deleted, and the play order is written.
  TrackCheck CheckTracks();
  void RepairTracks(const TrackCheck& check);

  const COwnedArray& TrackList() const { return trackList_; }

  // Read directly by the views, the transfers, the menus and the tool bar.
  uint8_t folderMode = TrackListMode;

 private:
  // The active interfaces, or the failure a user would see without them.
  DeviceInterface& Device() const;
  FileSystemInterface& FileSystem() const;
  [[noreturn]] void RaiseDevice() const;
  // `subject` names the entry the call was about (see RaiseFileSystemError).
  [[noreturn]] void RaiseFileSystem(const CText& subject = CText()) const;
  void CheckWritable() const;
  // The detail of a string (one %s) filled with what the file-system failure
  // code means.
  CText FailureDetail(uint32_t stringId, uint32_t fileSystemCode) const;
  bool MediumListed() const { return settings_.selectedMedium < settings_.mediaCount; }
  // The bytes of a record's head that the file held (at most 512), or -1
  // when the file system failed.
  int ReadRecordHead(const CText& recordName, InfoRecordBytes record);
  void WriteRecord(const CText& recordName, InfoRecordBytes record);
  // The current folder's entries by short name, the first listed of a name.
  std::unordered_map<std::string, DirEntryRecord> FilesByShortName();

  const AppSettings& settings_;
  PluginLibraries plugins_;
  uint8_t flags_ = 0;
  DeviceInterface* activeDevice_ = nullptr;
  FileSystemInterface* activeFileSystem_ = nullptr;
  MediaInfoRecord mediaInfo_{};
  VolumeInfoRecord volumeInfo_{};
  COwnedArray trackList_;  // of PlayerEntry
  int32_t listingPosition_ = 0;
};
