#include "transfer/ui/DeleteDialog.h"

#include "framework/ui/Application.h"
#include "resources/ResourceIds.h"
#include "transfer/ui/ConfirmDialog.h"

namespace {

// Posted to itself at initialisation; the work runs in its handler.
constexpr uint32_t UM_DELETE = 0x8000;

// Messages handled before and after each entry.
constexpr int PumpedPerEntry = 4;

}  // namespace

int DeleteDialog::RunDelete(CNativeWindow* parent, const std::vector<PlayerEntry>& entries) {
  entries_ = &entries;
  return RunWork(parent, ResourceId::DeleteDialog, ResourceId::DeleteClip, UM_DELETE);
}

void DeleteDialog::Initialise() {
  Show(SW_SHOW);
  Widget()->repaint();
}

bool DeleteDialog::KeepGoing() {
  PumpMessages(PumpedPerEntry);
  return !StopAsked();
}

void DeleteDialog::FileErasing(const PlayerEntry& entry) { SetItemText(ControlId::FileName, entry.DisplayName()); }

void DeleteDialog::FolderListed(int count) {
  progressBar_.SetRange(count);
  progressBar_.SetPosition(0);
}

int DeleteSelection(CNativeWindow* view, PlayerConnection& connection, const std::vector<PlayerEntry>& selected) {
  std::vector<PlayerEntry> kept;
  if (!AskDeletion(view, selected, &kept)) return 0;
  return DeleteDialog(connection).RunDelete(view, kept);
}
