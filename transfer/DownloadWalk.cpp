#include "transfer/DownloadWalk.h"

#include "audio/AudioAnalysis.h"
#include "framework/core/Exception.h"
#include "framework/core/FileSearch.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "platform/ScopeGuard.h"
#include "resources/StringIds.h"
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
    if (!AnalyseAudioFile(file_.Handle(), entry.name.View(), &audioInfo))
      throw CMediaException(StringId::InvalidFileFormat);
    start = audioInfo.dataStart;
    // Tags and wrappers may promise more than the file holds.
    length = uint64_t(start) + audioInfo.dataLength > length ? length - start : audioInfo.dataLength;
  } else {
    PlayerEntry existing;
    if (!replaceAll_ && connection_.FindEntry(entry.name, &existing) && !existing.IsFolder()) {
      switch (observer_.AskReplace(path, existing)) {
        case ReplaceAnswer::Cancel:
          throw CException(0);
        case ReplaceAnswer::No:
          file_.Close();
          return;
        case ReplaceAnswer::YesToAll:
          replaceAll_ = true;
          break;
        case ReplaceAnswer::Yes:
          break;
      }
    }
  }
  file_.Seek(start, platform::SeekOrigin::Begin);
  readFailure_ = 0;

  TransferRequest request{};
  request.flags = TransferRequest::Write;
  request.name = entry.name.Chars();
  request.context = this;
  if (connection_.folderMode == PlayerConnection::TrackListMode) request.audioInfo = &audioInfo;
  request.progress = OnProgress;
  request.data = OnData;
  request.total = length;
  observer_.FileStarting(entry.name, length);
  if (!connection_.WriteEntry(request)) throw CException(readFailure_);  // 0: the user's stop
  file_.Close();
  observer_.FileDone();
}

uint32_t DownloadWalk::OnProgress(TransferRequest* request) {
  return static_cast<DownloadWalk*>(request->context)->observer_.FileProgress(*request) ? 1 : 0;
}

uint32_t DownloadWalk::OnData(TransferRequest* request, void* buffer, uint32_t length) {
  auto* walk = static_cast<DownloadWalk*>(request->context);
  try {
    walk->file_.ReadExact(buffer, length);
    return 1;
  } catch (const CException& e) {
    // A file that ended early has changed since it was looked at.
    walk->readFailure_ = e.Code() != 0 ? e.Code() : platform::Error::HandleEof;
    return 0;
  }
}
