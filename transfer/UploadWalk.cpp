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
    if (!MayReplace(name, entry)) return;
    file_.Open(name, platform::OpenFlag::Write | platform::OpenFlag::Create | platform::OpenFlag::Truncate);
  }

  TransferRequest request = Request(name, TransferDirection::ToPc);
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
    if (failure_ != 0) throw CException(failure_);
    return;
  }
  observer_.FileDone();
}
