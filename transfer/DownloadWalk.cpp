#include "transfer/DownloadWalk.h"

#include <algorithm>

#include "framework/core/Exception.h"
#include "framework/core/FileSearch.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/ScopeGuard.h"
#include "player/InfoRecord.h"
#include "resources/StringIds.h"
#include "transfer/PlaylistFile.h"
#include "transfer/TrackSource.h"
#include "transfer/Walking.h"

void DownloadWalk::Run(const std::vector<CText>& paths) {
  replaceAll_ = false;
  openFolders_.clear();
  listedTracks_.reset();
  KeepingFolders(connection_, [&] {
    AsOneUpdate(connection_, [&] {
      const platform::OnFailure closeFile([&] { file_.Close(); });
      for (const CText& path : paths) {
        DownloadItem(path, GetFileEntry(path), path);
        if (observer_.StopRequested()) break;
      }
    });
  });
}

void DownloadWalk::DownloadItem(const CText& path, const CFileEntry& entry, const CText& shownPath) {
  if (entry.IsFolder()) {
    DownloadFolder(path, entry, shownPath);
  } else if (entry.IsDevice()) {
    // Reading a pipe or a device would wait or never end.
    observer_.NotSent(shownPath, StringId::NotSentDevice);
  } else if (entry.sizeHigh != 0) {
    // The transfer length is 32-bit and a FAT file ends below 4 GiB.
    observer_.NotSent(shownPath, StringId::NotSentTooLarge);
  } else {
    DownloadFile(path, entry);
  }
}

void DownloadWalk::DownloadFolder(const CText& path, const CFileEntry& folder, const CText& shownPath) {
  // A link back to a folder on the way down would be walked for ever.
  if (std::ranges::find(openFolders_, folder.identity) != openFolders_.end()) {
    observer_.NotSent(shownPath, StringId::NotSentLinkLoop);
    return;
  }
  const bool userTree = connection_.folderMode == PlayerConnection::UserTreeMode;
  if (userTree) {
    // The folder may exist already; entering it decides.
    try {
      connection_.CreateFolder(folder.name);
    } catch (const CMediaException&) {
    } catch (const CException&) {
    }
    connection_.ChangeFolder(folder.name);
  }
  // Back to where the walk came from, not to "..": a path of several levels
  // or a link leads elsewhere.
  const CText pcParent = CurrentDirectory();
  EnterPcFolder(path);
  openFolders_.push_back(folder.identity);
  CFileSearch search;
  CFileEntry entry;
  if (search.Start("*.*")) {
    while (search.Next(entry)) {
      if (entry.name == "." || entry.name == "..") continue;
      const CText shownEntry = shownPath + "/" + entry.name;
      if (entry.nameLost)
        observer_.NotSent(shownEntry, StringId::NotSentName);
      else
        DownloadItem(entry.name, entry, shownEntry);
      if (observer_.StopRequested()) break;
    }
  }
  search.Close();
  openFolders_.pop_back();
  EnterPcFolder(pcParent);
  if (userTree) connection_.ChangeFolder("..");
}

void DownloadWalk::DownloadFile(const CText& path, const CFileEntry& entry) {
  if (connection_.folderMode == PlayerConnection::TrackListMode && connection_.Settings().readPlaylists &&
      IsPlaylistName(path.View()))
    DownloadPlaylist(path);
  else
    DownloadTrack(path, entry);
}

// Neither playlists nor folders are followed from a playlist, so that none
// can lead back to itself.
void DownloadWalk::DownloadPlaylist(const CText& path) {
  for (const CText& track : ReadPlaylistFile(path)) {
    platform::FileInfo info;
    if (IsPlaylistName(track.View()) || !platform::GetFileInfo(track.View(), &info) ||
        (info.attributes & platform::Attribute::Directory) != 0)
      observer_.NotSent(track, StringId::NotSentPlaylistEntry);
    else
      DownloadItem(track, CFileEntry::FromInfo(info), track);
    if (observer_.StopRequested()) break;
  }
}

namespace {

// What the track list's record keeps of the analysis that duplicates are told by.
TrackInfo ListedTrack(const AudioInfo& audioInfo) {
  TrackInfo track;
  track.title = RecordText(audioInfo.title);
  track.artist = RecordText(audioInfo.artist);
  track.duration = audioInfo.duration;
  return track;
}

}  // namespace

bool DownloadWalk::InTrackList(const TrackInfo& candidate) {
  if (!listedTracks_) {
    listedTracks_.emplace();
    for (const PlayerEntry& entry : connection_.ListFolder())
      if (entry.trackInfo) listedTracks_->push_back(*entry.trackInfo);
  }
  return std::ranges::any_of(*listedTracks_, [&](const TrackInfo& track) {
    return track.title == candidate.title && track.artist == candidate.artist &&
           (track.duration > candidate.duration ? track.duration - candidate.duration
                                                : candidate.duration - track.duration) <= 1;
  });
}

// `entry` is what the walk found at `path`, which spares asking again.
void DownloadWalk::DownloadTrack(const CText& path, const CFileEntry& entry) {
  file_.Open(path, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
  AudioInfo audioInfo{};
  uint32_t length = entry.size;
  ConvertedTrack converted;
  std::optional<TrackInfo> listed;  // kept to tell later duplicates when it is stored
  if (connection_.folderMode == PlayerConnection::TrackListMode) {
    const AppSettings& settings = connection_.Settings();
    const bool mpeg = AnalyseTrackSource(file_, path, entry.name, settings, &audioInfo);
    if (!mpeg || (settings.convertAudio && NeedsConversion(file_, path, audioInfo))) {
      if (!settings.convertAudio) throw CMediaException(StringId::InvalidFileFormat);
      file_.Close();
      // The conversion shows its progress in bytes of the source read, and
      // the copy of the MP3 file made then in its own.
      observer_.FileStarting(entry.name, length);
      converted.Convert(
          path, entry.name, settings,
          [&](uint64_t done, uint64_t total) {
            TransferRequest request{};
            request.total = uint32_t(std::min<uint64_t>(total, UINT32_MAX));
            request.done = uint32_t(std::min<uint64_t>(done, request.total));
            return observer_.FileProgress(request);
          },
          &audioInfo);
      file_.Open(converted.Path(), platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
      length = file_.Size();
    }
    if (settings.skipDuplicates) listed = ListedTrack(audioInfo);
    if (listed && InTrackList(*listed)) {
      file_.Close();
      observer_.NotSent(path, StringId::NotSentDuplicate);
      return;
    }
    const uint32_t start = audioInfo.dataStart;
    // Tags and wrappers may promise more than the file holds.
    length = uint64_t(start) + audioInfo.dataLength > length ? length - start : audioInfo.dataLength;
    file_.Seek(start, platform::SeekOrigin::Begin);  // the analysis read ahead
  } else {
    PlayerEntry existing;
    if (connection_.FindEntry(entry.name, &existing) && !existing.IsFolder() && !MayReplace(path, existing)) {
      file_.Close();
      return;
    }
  }

  TransferRequest request = Request(entry.name, TransferDirection::ToPlayer);
  if (connection_.folderMode == PlayerConnection::TrackListMode) request.audioInfo = &audioInfo;
  request.total = length;
  observer_.FileStarting(entry.name, length);
  if (!connection_.WriteEntry(request)) throw CException(failure_);  // 0: the user's stop
  file_.Close();
  if (listed) listedTracks_->push_back(std::move(*listed));
  observer_.FileDone();
}
