#include "transfer/ui/ConfirmDialog.h"

#include "framework/core/Helpers.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "transfer/DeleteWalk.h"
#include "transfer/ReplaceQuestion.h"

namespace {

int AskReplace(CNativeWindow* owner, TransferDirection direction, const CText& pcPath, const PlayerEntry& entry) {
  const ReplaceQuestion question = MakeReplaceQuestion(direction, pcPath, entry);
  ConfirmDialog dialog;
  dialog.SetTitle(question.title);
  dialog.SetMessage(question.message);
  dialog.SetExistingFileText(question.existingFile);
  dialog.SetNewFileText(question.newFile);
  const int answer = dialog.Run(owner, ResourceId::ConfirmReplaceDialog);
  if (owner) owner->Widget()->setFocus(Qt::OtherFocusReason);
  return answer;
}

}  // namespace

bool ConfirmDialog::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_INITDIALOG:
      SetText(title_);
      SetItemText(ControlId::FileName, message_);
      SetItemText(ControlId::Amount, existingFile_);
      SetItemText(ControlId::Speed, newFile_);
      return false;
    case WM_COMMAND:
      if (LowWord(record.wParam) != ControlId::YesToAll) return false;
      Close(ControlId::YesToAll);
      return true;
    default:
      return false;
  }
}

int AskReplaceOnPlayer(CNativeWindow* owner, const CText& pcPath, const PlayerEntry& existing) {
  return AskReplace(owner, TransferDirection::ToPlayer, pcPath, existing);
}

int AskReplaceOnPc(CNativeWindow* owner, const CText& name, const PlayerEntry& replacement) {
  return AskReplace(owner, TransferDirection::ToPc, name, replacement);
}

bool AskDeletion(CNativeWindow* owner, const std::vector<PlayerEntry>& selected, std::vector<PlayerEntry>* kept) {
  kept->clear();
  for (const PlayerEntry& entry : selected)
    if (DeleteWalk::IsDeletable(entry)) kept->push_back(entry);
  if (kept->empty()) return false;
  ConfirmDialog dialog;
  CText message;
  if (kept->size() == 1) {
    dialog.SetTitle(LoadStringText(StringId::ConfirmDeleteOneTitle));
    message.Format(LoadStringText(StringId::AskDeleteOne).Chars(), kept->front().DisplayName().Chars());
  } else {
    dialog.SetTitle(LoadStringText(StringId::ConfirmDeleteManyTitle));
    message.Format(LoadStringText(StringId::AskDeleteMany).Chars(), static_cast<int>(kept->size()));
  }
  dialog.SetMessage(message);
  return dialog.Run(owner, ResourceId::ConfirmDeleteDialog) == IDYES;
}
