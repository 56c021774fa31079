#include "tools/ui/FirmwareDialogs.h"

#include "framework/core/Exception.h"
#include "framework/core/FileSearch.h"
#include "framework/ui/Application.h"
#include "messages/MessageBoxes.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "tools/FirmwareImage.h"
#include "tools/FirmwareUpgrade.h"

namespace {

constexpr int MessagesPerBlock = 8;

}  // namespace

LRESULT FirmwareFileDialog::Run(CNativeWindow* parent) { return RunModal(parent, ResourceId::FirmwareFileDialog); }

bool FirmwareFileDialog::OnMessage(MessageRecord& record) {
  if (record.message == WM_INITDIALOG) {
    BindItem(ControlId::FirmwareFiles, files_);
    CFileSearch search;  // names match without regard to case
    CFileEntry entry;
    if (search.Start(CApplication::Current()->ProgramFolder() + "*.hex"))
      while (search.Next(entry))
        if (!entry.IsFolder() && !entry.nameLost) files_.AddText(entry.name);
    files_.Select(0);  // the first in sorted order
  } else if (record.message == WM_COMMAND && LowWord(record.wParam) == IDOK) {
    chosenName_ = ItemText(ControlId::FirmwareFiles);
  }
  return false;  // OK and Cancel end the dialog by default
}

LRESULT FirmwareUpgradeDialog::Run(CNativeWindow* parent) {
  return RunModal(parent, ResourceId::FirmwareUpgradeDialog);
}

bool FirmwareUpgradeDialog::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_INITDIALOG:
      BindItem(ControlId::Progress, progress_);
      progress_.SetStep(1);
      Show(SW_SHOW);
      Widget()->repaint();
      Post(UM_STARTUPGRADE);
      return false;
    case WM_POWERBROADCAST:
      if (record.wParam != PBT_APMQUERYSUSPEND && record.wParam != PBT_APMQUERYSTANDBY) return false;
      record.result = BROADCAST_QUERY_DENY;
      return true;
    case UM_STARTUPGRADE:
      Upgrade();
      return true;
    case WM_CLOSE:  // no close box and no buttons: nothing ends an upgrade early
      return true;
    case WM_COMMAND:  // Return and Escape
      return LowWord(record.wParam) == IDOK || LowWord(record.wParam) == IDCANCEL;
    default:
      return false;
  }
}

void FirmwareUpgradeDialog::Upgrade() {
  progress_.SetRange(FirmwareImage::BlockCount);
  progress_.SetPosition(0);
  try {
    UpgradeFirmware(connection_, CApplication::Current()->ProgramFolder() + fileName_, [this](uint32_t) {
      progress_.Step();
      PumpMessages(MessagesPerBlock);
    });
    progress_.Fill();
    ShowInfo(handle_, StringId::FirmwareUpgradeCompleted);
    Close(IDOK);
  } catch (const CMediaException& error) {
    ShowMediaError(handle_, error.Code());
    Close(IDCANCEL);
  } catch (const CException& error) {
    ShowSystemError(handle_, error.Code());
    Close(IDCANCEL);
  }
}
