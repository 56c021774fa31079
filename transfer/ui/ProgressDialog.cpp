#include "transfer/ui/ProgressDialog.h"

#include "framework/core/Exception.h"
#include "messages/MessageBoxes.h"
#include "resources/ResourceIds.h"

int ProgressDialog::RunWork(CNativeWindow* parent, uint32_t templateId, uint32_t clipId, uint32_t workMessage) {
  clipId_ = clipId;
  workMessage_ = workMessage;
  stopAsked_ = false;
  return static_cast<int>(RunModal(parent, templateId));
}

bool ProgressDialog::OnMessage(MessageRecord& record) {
  if (record.message == WM_INITDIALOG) {
    BindItem(ControlId::Animation, animation_);
    animation_.OpenClip(clipId_);
    SetItemText(ControlId::FileName, CText());
    BindItem(ControlId::Progress, progressBar_);
    progressBar_.SetStep(1);
    Initialise();
    Post(workMessage_);
    return false;
  }
  if (record.message == WM_CLOSE ||
      (record.message == WM_COMMAND && (LowWord(record.wParam) == IDOK || LowWord(record.wParam) == IDCANCEL))) {
    AskStop();
    return true;
  }
  if (record.message != workMessage_) return false;
  int result = 1;
  try {
    Work(workMessage_);
  } catch (const CMediaException& e) {
    ShowMediaError(Handle(), e.Code());
    result = 2;
  } catch (const CException& e) {
    if (e.Code() != 0) ShowSystemError(Handle(), e.Code());
    result = 2;
  }
  Close(result);
  return true;
}
