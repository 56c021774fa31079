#include "messages/MessageBoxes.h"

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "framework/ui/Prompts.h"
#include "resources/StringIds.h"

namespace {

const AppSettings* captionSource = nullptr;

}  // namespace

void SetMessageSettings(const AppSettings* settings) { captionSource = settings; }

int ShowMessage(CNativeWindow* owner, const CText& text, uint32_t flags) {
  const CText caption = captionSource ? captionSource->title : LoadStringText(StringId::Title);
  const int pressed = MessageBox(owner, text, caption, flags);
  if (owner && owner->IsAlive()) owner->Widget()->setFocus(Qt::OtherFocusReason);
  return pressed;
}

int ShowInfo(CNativeWindow* owner, uint32_t stringId) {
  return ShowMessage(owner, LoadStringText(stringId), MB_ICONINFORMATION);
}

int AskYesNo(CNativeWindow* owner, uint32_t stringId) {
  return ShowMessage(owner, LoadStringText(stringId), MB_YESNO | MB_ICONEXCLAMATION);
}

int ShowMediaError(CNativeWindow* owner, uint32_t stringId) {
  return ShowMessage(owner, LoadStringText(stringId), MB_ICONEXCLAMATION);
}

int ShowSystemError(CNativeWindow* owner, uint32_t errorCode) {
  return ShowMessage(owner, SystemMessage(errorCode), MB_ICONEXCLAMATION);
}

bool RunShowingErrors(CNativeWindow* owner, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const CMediaException& e) {
    ShowMediaError(owner, e.Code());
  } catch (const CException& e) {
    ShowSystemError(owner, e.Code());
  }
  return false;
}
