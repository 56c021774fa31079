#include "tools/ui/MediaFormatDialog.h"

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "framework/ui/Application.h"
#include "messages/MessageBoxes.h"
#include "player/DisplayText.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

CText FullFormatText(uint32_t percentage) {
  CText text;
  text.Format(LoadStringText(StringId::FullFormatProgress).Chars(), percentage);
  return text;
}

}  // namespace

LRESULT MediaFormatDialog::Run(CNativeWindow* parent) { return RunModal(parent, ResourceId::MediaFormatDialog); }

bool MediaFormatDialog::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_INITDIALOG:
      OnInit();
      return false;
    case WM_CLOSE:  // the close box is Cancel, also while a full format runs
      OnCancel();
      return true;
    case WM_COMMAND:
      switch (LowWord(record.wParam)) {
        case IDOK:
          OnFormat();
          return true;
        case IDCANCEL:
          OnCancel();
          return true;
        case ControlId::RefreshMedium:
          Reconnect();
          return true;
      }
      return false;
    default:
      return false;
  }
}

void MediaFormatDialog::OnInit() {
  formatState_ = Idle;
  BindItem(ControlId::Progress, progress_);
  SetCheck(ControlId::QuickFormat, true);
  if (connection_.IsFileSystemOpen()) {
    ShowMediumInfo();
  } else {
    Reconnect();
  }
}

void MediaFormatDialog::OnFormat() {
  if (FormatStep()) {
    connection_.Close();
    Close(IDOK);
  } else {
    formatState_ = Idle;
  }
}

// Only a full format hears a stop, through its progress calls.
void MediaFormatDialog::OnCancel() {
  if (formatState_ != Idle) {
    formatState_ = StopRequested;
    return;
  }
  connection_.Close();
  Close(IDCANCEL);
}

void MediaFormatDialog::Reconnect() {
  try {
    connection_.Open(0);
    connection_.SelectMedia();
  } catch (const CMediaException&) {
  } catch (const CException&) {
  }
  ShowMediumInfo();
}

void MediaFormatDialog::ShowMediumInfo() {
  const bool selected = connection_.IsMediaSelected();
  SetItemText(ControlId::FormatMedium,
              selected ? connection_.GetMediaDescription() : LoadStringText(StringId::NoMedium));
  SetItemText(ControlId::FormatCapacity, selected ? FormatSizeText(connection_.GetCapacity()) : CText());
  EnableItem(IDOK, selected);
}

bool MediaFormatDialog::FormatStep() {
  const bool resetReservedBlock = IsKeyDown(VK_RSHIFT) && IsKeyDown(VK_RMENU);
  if (!connection_.IsOpen()) return false;
  if (AskYesNo(handle_, StringId::AskFormat) != IDYES) return false;
  for (uint32_t item : {ControlId::RefreshMedium, ControlId::QuickFormat, uint32_t(IDOK)}) EnableItem(item, false);
  formatState_ = Formatting;
  percentage_ = FormatPercentage();
  try {
    const uint32_t units = FormatProgressUnits(connection_);
    progress_.SetRange(static_cast<int>(units));
    TransferRequest request{};
    request.context = this;
    request.progress = OnFormatProgress;
    const bool quick = IsChecked(ControlId::QuickFormat);
    if (FormatKeepingReservedBlock(connection_, quick ? nullptr : &request, resetReservedBlock)) {
      progress_.SetPosition(static_cast<int>(units));
      ShowInfo(handle_, StringId::FormatCompleted);
      return true;
    }
  } catch (const CMediaException& error) {
    ShowMediaError(handle_,
                   error.Code() == StringId::MediaProtected ? StringId::MediaProtected : StringId::FormatFailed);
  } catch (const CException&) {
    ShowMediaError(handle_, StringId::FormatFailed);
  }
  CleanUp();
  return false;
}

void MediaFormatDialog::CleanUp() {
  SetItemText(ControlId::StatusLine, CText());
  progress_.SetPosition(0);
  for (uint32_t item : {ControlId::RefreshMedium, ControlId::QuickFormat, uint32_t(IDOK), uint32_t(IDCANCEL)})
    EnableItem(item, true);
  Reconnect();
}

uint32_t MediaFormatDialog::OnFormatProgress(TransferRequest* request) {
  auto& dialog = *static_cast<MediaFormatDialog*>(request->context);
  if (request->done == 0) {
    dialog.SetItemText(ControlId::StatusLine, FullFormatText(0));
    return 1;
  }
  dialog.progress_.SetPosition(static_cast<int>(request->done));
  if (const auto percentage = dialog.percentage_.Next(request->done, request->total))
    dialog.SetItemText(ControlId::StatusLine, FullFormatText(*percentage));
  PumpMessages(1);  // the one chance for Cancel to arrive
  return dialog.formatState_ == StopRequested ? 0 : 1;
}
