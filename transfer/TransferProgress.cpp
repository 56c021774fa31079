#include "transfer/TransferProgress.h"

#include "framework/core/Helpers.h"
#include "platform/Time.h"
#include "resources/StringIds.h"

namespace {

constexpr uint32_t UpdateInterval = 500;  // ms

}  // namespace

void TransferProgress::StartRun() { lastUpdate_ = platform::TickCount(); }

TransferProgress::Step TransferProgress::Advance(const TransferRequest& request, Display* display) {
  const auto total = static_cast<int32_t>(request.total);
  const auto done = static_cast<int32_t>(request.done);
  // Unsigned differences stay right when the counter wraps between calls.
  const uint32_t now = platform::TickCount();
  if (!fileStarted_) {
    display->range = total / 1024;
    fileStart_ = now;
    fileStarted_ = true;
    return Step::FileStarted;
  }
  if (!(request.flags & TransferRequest::UpdateNow) && now - lastUpdate_ < UpdateInterval) return Step::Quiet;
  const int64_t seconds = (now - fileStart_) / 1000;
  // A file that has just started shows at least 1.
  display->speed = static_cast<int32_t>(seconds != 0 ? done / seconds / 1000 : done / 1000 + 1);
  display->doneKB = done / 1024 == 0 ? 1 : done / 1024;
  display->totalKB = total / 1024 == 0 ? 1 : total / 1024;
  lastUpdate_ = now;
  return Step::Update;
}

CText AmountText(const TransferProgress::Display& display) {
  CText text;
  text.Format("%dKB / %dKB", display.doneKB, display.totalKB);
  return text;
}

CText SpeedText(const TransferProgress::Display& display) {
  CText text;
  text.Format(LoadStringText(StringId::TransferSpeed).Chars(), display.speed);
  return text;
}
