#include "transfer/CopyWalk.h"

#include "framework/core/Exception.h"
#include "platform/Errors.h"

bool CopyWalk::MayReplace(const CText& pcPath, const PlayerEntry& playerEntry) {
  if (replaceAll_) return true;
  switch (observer_.AskReplace(pcPath, playerEntry)) {
    case ReplaceAnswer::Cancel:
      throw CException(0);
    case ReplaceAnswer::No:
      return false;
    case ReplaceAnswer::YesToAll:
      replaceAll_ = true;
      return true;
    case ReplaceAnswer::Yes:
      break;
  }
  return true;
}

TransferRequest CopyWalk::Request(const CText& name, TransferDirection direction) {
  failure_ = 0;
  TransferRequest request{};
  request.flags = direction == TransferDirection::ToPlayer ? TransferRequest::Write : 0;
  request.name = name.Chars();
  request.context = this;
  request.progress = OnProgress;
  request.data = direction == TransferDirection::ToPlayer ? OnRead : OnWrite;
  return request;
}

uint32_t CopyWalk::OnProgress(TransferRequest* request) {
  return static_cast<CopyWalk*>(request->context)->observer_.FileProgress(*request) ? 1 : 0;
}

uint32_t CopyWalk::OnRead(TransferRequest* request, void* buffer, uint32_t length) {
  auto* walk = static_cast<CopyWalk*>(request->context);
  try {
    walk->file_.ReadExact(buffer, length);
    return 1;
  } catch (const CException& e) {
    // A file that ended early has changed since it was looked at.
    walk->failure_ = e.Code() != 0 ? e.Code() : platform::Error::HandleEof;
    return 0;
  }
}

uint32_t CopyWalk::OnWrite(TransferRequest* request, void* buffer, uint32_t length) {
  auto* walk = static_cast<CopyWalk*>(request->context);
  try {
    walk->file_.WriteAll(buffer, length);
    return 1;
  } catch (const CException& e) {
    walk->failure_ = e.Code() != 0 ? e.Code() : platform::Error::GenFailure;
    return 0;
  }
}
