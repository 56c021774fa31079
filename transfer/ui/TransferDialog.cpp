#include "transfer/ui/TransferDialog.h"

#include <algorithm>

#include "framework/core/Helpers.h"
#include "framework/ui/Application.h"
#include "messages/MessageBoxes.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "transfer/DownloadWalk.h"
#include "transfer/UploadWalk.h"
#include "transfer/ui/ConfirmDialog.h"

namespace {

// Posted to itself at initialisation; the work runs in their handlers.
constexpr uint32_t UM_DOWNLOAD = 0x8000;
constexpr uint32_t UM_UPLOAD = 0x8001;

// Messages handled at each display update.
constexpr int PumpedPerUpdate = 8;

// Lines of the box that tells what was not sent; a count stands for the rest.
constexpr size_t NotSentLinesShown = 10;

}  // namespace

int TransferDialog::RunDownload(CNativeWindow* parent, const std::vector<CText>& paths) {
  paths_ = &paths;
  direction_ = TransferDirection::ToPlayer;
  return RunWork(parent, ResourceId::TransferDialog, ResourceId::TransferClip, UM_DOWNLOAD);
}

int TransferDialog::RunUpload(CNativeWindow* parent, const std::vector<PlayerEntry>& entries) {
  entries_ = &entries;
  direction_ = TransferDirection::ToPc;
  return RunWork(parent, ResourceId::TransferDialog, ResourceId::TransferClip, UM_UPLOAD);
}

void TransferDialog::Initialise() {
  shown_ = false;
  progress_.StartRun();
  Show(SW_HIDE);
}

void TransferDialog::Work(uint32_t workMessage) {
  notSent_.clear();
  try {
    if (workMessage == UM_DOWNLOAD)
      DownloadWalk(connection_, *this).Run(*paths_);
    else
      UploadWalk(connection_, *this).Run(*entries_);
  } catch (...) {
    TellNotSent();  // before the failure's own box
    throw;
  }
  TellNotSent();
}

void TransferDialog::NotSent(const CText& path, uint32_t reasonId) {
  CText line;
  line.Format(LoadStringText(reasonId).Chars(), path.Chars());
  notSent_.push_back(line);
}

void TransferDialog::TellNotSent() {
  if (notSent_.empty()) return;
  CText text;
  const size_t shown = std::min(notSent_.size(), NotSentLinesShown);
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += "\r\n";
    text += notSent_[i];
  }
  if (shown < notSent_.size()) {
    CText more;
    more.Format(LoadStringText(StringId::NotSentMore).Chars(), static_cast<int>(notSent_.size() - shown));
    text += "\r\n";
    text += more;
  }
  notSent_.clear();
  ShowMessage(Handle(), text, MB_ICONEXCLAMATION);
}

void TransferDialog::FileStarting(const CText& name, uint32_t) {
  progress_.StartFile();
  SetItemText(ControlId::FileName, name);
  progressBar_.SetPosition(0);
}

bool TransferDialog::FileProgress(const TransferRequest& request) {
  TransferProgress::Display display;
  switch (progress_.Advance(request, &display)) {
    case TransferProgress::Step::FileStarted:
      progressBar_.SetRange(display.range);
      progressBar_.SetPosition(0);
      return true;
    case TransferProgress::Step::Quiet:
      return true;
    case TransferProgress::Step::Update:
      break;
  }
  progressBar_.SetPosition(display.doneKB);
  SetItemText(ControlId::Amount, AmountText(display));
  SetItemText(ControlId::Speed, SpeedText(display));
  if (!shown_) {
    Show(SW_SHOW);
    Widget()->repaint();
    shown_ = true;
  }
  PumpMessages(PumpedPerUpdate);
  return !StopAsked();
}

ReplaceAnswer TransferDialog::AskReplace(const CText& pcPath, const PlayerEntry& playerEntry) {
  const int answer = direction_ == TransferDirection::ToPlayer ? AskReplaceOnPlayer(Handle(), pcPath, playerEntry)
                                                               : AskReplaceOnPc(Handle(), pcPath, playerEntry);
  switch (answer) {
    case IDYES:
      return ReplaceAnswer::Yes;
    case IDNO:
      return ReplaceAnswer::No;
    case ControlId::YesToAll:
      return ReplaceAnswer::YesToAll;
    default:
      AskStop();
      return ReplaceAnswer::Cancel;
  }
}
