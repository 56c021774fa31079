// One listed player file or folder, as the plug-in reports it, with the
// track's information when it is a track of the MUSIC folder.
#pragma once

#include <cstdint>
#include <memory>

#include "contract/PluginContract.h"
#include "framework/core/FileStamp.h"
#include "framework/core/Root.h"
#include "framework/core/Text.h"
#include "player/TrackInfo.h"

class PlayerEntry : public CRoot {
 public:
  static constexpr uint32_t FolderAttribute = DirEntryRecord::Folder;
  // A track that the playlist names but no file matched.
  static constexpr uint32_t MissingTrackAttribute = 2;
  static constexpr int ShortNameSize = 16;

  PlayerEntry() = default;
  PlayerEntry(const PlayerEntry& other) : CRoot() { *this = other; }
  PlayerEntry(PlayerEntry&& other) noexcept = default;
  PlayerEntry& operator=(PlayerEntry&& other) noexcept = default;
  ~PlayerEntry() override = default;
  explicit PlayerEntry(const DirEntryRecord& record) { *this = record; }
  PlayerEntry& operator=(const PlayerEntry& other);
  // A date the stamp refuses leaves the stamp as it was.
  PlayerEntry& operator=(const DirEntryRecord& record);

  bool IsFolder() const { return (attributes & FolderAttribute) != 0; }
  // The folder's own entry "." or its parent's "..".
  bool IsDotFolder() const { return IsFolder() && (longName == "." || longName == ".."); }
  const CText& DisplayName() const { return trackInfo ? trackInfo->title : longName; }
  void SetShortName(const char* name);

  uint32_t attributes = 0;
  uint32_t size = 0;
  CFileStamp stamp;
  CText longName;  // as passed back to the plug-in
  char shortName[ShortNameSize] = {};
  std::unique_ptr<TrackInfo> trackInfo;
};
