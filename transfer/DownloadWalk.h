// The download to the player as a walk over PC files and folders, apart from
// any window. The transfer dialog plugs in its progress display, replacement
// question and stop request through a TransferObserver; tunewarden-cli plugs
// in its own.
//
// In the track list every file becomes a track (only its audio range is sent)
// and folders are only walked; in a USER folder files keep their names,
// folders are recreated and an existing file is replaced only when the
// observer says so. Only regular files and folders go: what cannot (a pipe or
// device, a file of 4 GiB or more, a name the code page cannot hold, a link
// back into a folder on the way) is told to the observer and passed over.
// In the track list a playlist file stands for the tracks it names, in its
// order; an entry not found is told likewise and passed over.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/core/FileEntry.h"
#include "framework/core/Text.h"
#include "player/TrackInfo.h"
#include "transfer/CopyWalk.h"

class DownloadWalk : private CopyWalk {
 public:
  DownloadWalk(PlayerConnection& connection, TransferObserver& observer) : CopyWalk(connection, observer) {}
  // Copies the PC paths (full, or relative to the PC's current folder) into
  // the player's current folder as one batch (BeginUpdate ... EndUpdate).
  // Every failure ends the whole download and is thrown after EndUpdate;
  // files already stored stay. A stop inside a file and Cancel in the
  // replacement question throw CException 0. Whatever happens, the PC's
  // current folder and the player's are what they were before.
  void Run(const std::vector<CText>& paths);

 private:
  // `shownPath` names the item in reports: the path as given, and the names
  // below it.
  void DownloadItem(const CText& path, const CFileEntry& entry, const CText& shownPath);
  void DownloadFolder(const CText& path, const CFileEntry& folder, const CText& shownPath);
  void DownloadFile(const CText& path, const CFileEntry& entry);
  void DownloadPlaylist(const CText& path);
  void DownloadTrack(const CText& path, const CFileEntry& entry);

  // Whether the track list holds a track of the candidate's title, artist and
  // playing time (within a second).
  bool InTrackList(const TrackInfo& candidate);

  std::vector<platform::FileIdentity> openFolders_;  // the PC folders being walked, outermost first
  // The tracks of the list, read at the first track of a run that asks.
  std::optional<std::vector<TrackInfo>> listedTracks_;
};
