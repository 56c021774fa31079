#include "transfer/DownloadWalk.h"

#include "framework/core/Exception.h"
#include "framework/core/FileSearch.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "platform/ScopeGuard.h"
#include "resources/StringIds.h"
#include "transfer/TrackSource.h"
#include "transfer/Walking.h"

void DownloadWalk::Run(const std::vector<CText>& paths) {
  replaceAll_ = false;
  KeepingFolders(connection_, [&] {
    AsOneUpdate(connection_, [&] {
      const platform::OnFailure closeFile([&] { file_.Close(); });
      for (const CText& path : paths) {
        DownloadItem(path);
        if (observer_.StopRequested()) break;
      }
    });
  });
}

void DownloadWalk::DownloadItem(const CText& path) {
  if (GetFileEntry(path).IsFolder())
    DownloadFolder(path);
  else
    DownloadFile(path);
}

void DownloadWalk::DownloadFolder(const CText& path) {
  const CText name = GetFileEntry(path).name;
  const bool userTree = connection_.folderMode == PlayerConnection::UserTreeMode;
  if (userTree) {
    // The folder may exist already; entering it decides.
    try {
      connection_.CreateFolder(name);
    } catch (const CMediaException&) {
    } catch (const CException&) {
    }
    connection_.ChangeFolder(name);
  }
  EnterPcFolder(path);
  CFileSearch search;
  CFileEntry entry;
  if (search.Start("*.*")) {
    while (search.Next(entry)) {
      if (entry.name == "." || entry.name == "..") continue;
      DownloadItem(entry.name);
      if (observer_.StopRequested()) break;
    }
  }
  search.Close();
  EnterPcFolder("..");
  if (userTree) connection_.ChangeFolder("..");
}

void DownloadWalk::DownloadFile(const CText& path) {
  const CFileEntry entry = GetFileEntry(path);
  file_.Open(path, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
  AudioInfo audioInfo{};
  uint32_t start = 0;
  uint32_t length = file_.Size();
  if (connection_.folderMode == PlayerConnection::TrackListMode) {
    if (!AnalyseTrackSource(file_, path, connection_.Settings(), &audioInfo))
      throw CMediaException(StringId::InvalidFileFormat);
    start = audioInfo.dataStart;
    // Tags and wrappers may promise more than the file holds.
    length = uint64_t(start) + audioInfo.dataLength > length ? length - start : audioInfo.dataLength;
  } else {
    PlayerEntry existing;
    if (connection_.FindEntry(entry.name, &existing) && !existing.IsFolder() && !MayReplace(path, existing)) {
      file_.Close();
      return;
    }
  }
  file_.Seek(start, platform::SeekOrigin::Begin);

  TransferRequest request = Request(entry.name, TransferDirection::ToPlayer);
  if (connection_.folderMode == PlayerConnection::TrackListMode) request.audioInfo = &audioInfo;
  request.total = length;
  observer_.FileStarting(entry.name, length);
  if (!connection_.WriteEntry(request)) throw CException(failure_);  // 0: the user's stop
  file_.Close();
  observer_.FileDone();
}
