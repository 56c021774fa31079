#include "tools/ui/MediaPropertiesDialog.h"

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "messages/MessageBoxes.h"
#include "player/DisplayText.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

LRESULT MediaPropertiesDialog::Run(CNativeWindow* parent) {
  return RunModal(parent, ResourceId::MediaPropertiesDialog);
}

bool MediaPropertiesDialog::OnMessage(MessageRecord& record) {
  if (record.message == WM_INITDIALOG) {
    attempted_ = false;
    ShowInformation();
    return false;
  }
  if (record.message != WM_COMMAND) return false;
  switch (LowWord(record.wParam)) {
    case IDOK:
      OnOk();
      return true;
    case IDCANCEL:
      Close(attempted_ ? IDOK : IDCANCEL);
      return true;
    default:
      return false;
  }
}

void MediaPropertiesDialog::ShowInformation() {
  const bool selected = connection_.IsMediaSelected();
  CText capacity;
  if (selected) {
    capacity = connection_.GetCapacity() == 0 ? LoadStringText(StringId::UnknownCapacity)
                                              : FormatSizeText(connection_.GetCapacity());
  }
  SetItemText(ControlId::MediumDescription,
              selected ? connection_.GetMediaDescription() : LoadStringText(StringId::NoMedium));
  SetItemText(ControlId::MediumCapacity, capacity);
  SetItemText(ControlId::VolumeLabel, selected ? connection_.GetVolumeLabel() : CText());
  EnableItem(IDOK, selected);
}

// The label goes to the player as typed: no trimming, no case change, no
// length limit of the program's own.
void MediaPropertiesDialog::OnOk() {
  attempted_ = true;
  try {
    connection_.SetVolumeLabel(ItemText(ControlId::VolumeLabel));
    Close(IDOK);
    return;
  } catch (const CMediaException& error) {
    ShowMediaError(handle_, error.Code());
    if (error.Code() == StringId::MediaNotFound) connection_.Close();
  } catch (const CException& error) {
    ShowSystemError(handle_, error.Code());
  }
  ShowInformation();
}
