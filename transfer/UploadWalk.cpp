#include "transfer/UploadWalk.h"

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "platform/ScopeGuard.h"
#include "transfer/Walking.h"

void UploadWalk::Run(const std::vector<PlayerEntry>& entries) {
  replaceAll_ = false;
  KeepingFolders(connection_, [&] {
    for (const PlayerEntry& entry : entries) {
      UploadItem(entry);
      if (observer_.StopRequested()) break;
    }
  });
}

void UploadWalk::UploadItem(const PlayerEntry& entry) {
  if (!entry.IsFolder()) {
    UploadFile(entry);
  } else if (connection_.folderMode != PlayerConnection::TrackListMode) {
    UploadFolder(entry);
  }
}

void UploadWalk::UploadFolder(const PlayerEntry& entry) {
  connection_.ChangeFolder(entry.longName);
  CreateFolder(entry.longName);
  EnterPcFolder(entry.longName);
  // Listed whole first: the walk below lists other folders.
  for (const PlayerEntry& inner : connection_.ListFolder()) {
    if (inner.IsDotFolder()) continue;
    UploadItem(inner);
    if (observer_.StopRequested()) break;
  }
  EnterPcFolder("..");
  connection_.ChangeFolder("..");
}

void UploadWalk::UploadFile(const PlayerEntry& entry) {
  const CText& name = entry.longName;
  try {
    file_.Open(name, platform::OpenFlag::Write | platform::OpenFlag::CreateNew);
  } catch (const CException& e) {
    if (e.Code() != platform::Error::FileExists) throw;
    if (!replaceAll_) {
      switch (observer_.AskReplace(name, entry)) {
        case ReplaceAnswer::Cancel:
          throw CException(0);
        case ReplaceAnswer::No:
          return;
        case ReplaceAnswer::YesToAll:
          replaceAll_ = true;
          break;
        case ReplaceAnswer::Yes:
          break;
      }
    }
    file_.Open(name, platform::OpenFlag::Write | platform::OpenFlag::Create | platform::OpenFlag::Truncate);
  }
  writeFailure_ = 0;

  TransferRequest request{};
  request.name = name.Chars();
  request.context = this;
  request.progress = OnProgress;
  request.data = OnData;
  observer_.FileStarting(name, 0);
  bool complete = false;
  {
    const platform::OnFailure closeFile([&] { file_.Close(); });
    complete = connection_.ReadEntry(request);
  }
  file_.Close();
  if (!complete) {
    // Stopped inside the file: nothing half copied stays behind.
    DeleteFile(name);
    if (writeFailure_ != 0) throw CException(writeFailure_);
    return;
  }
  observer_.FileDone();
}

uint32_t UploadWalk::OnProgress(TransferRequest* request) {
  return static_cast<UploadWalk*>(request->context)->observer_.FileProgress(*request) ? 1 : 0;
}

uint32_t UploadWalk::OnData(TransferRequest* request, void* buffer, uint32_t length) {
  auto* walk = static_cast<UploadWalk*>(request->context);
  try {
    walk->file_.WriteAll(buffer, length);
    return 1;
  } catch (const CException& e) {
    walk->writeFailure_ = e.Code() != 0 ? e.Code() : platform::Error::GenFailure;
    return 0;
  }
}
