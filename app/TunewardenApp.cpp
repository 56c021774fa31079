#include "app/TunewardenApp.h"

#include <unistd.h>

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "messages/MessageBoxes.h"
#include "resources/StringIds.h"

void FailStart(AppSettings& settings, uint32_t captionId, uint32_t errorCode) {
  settings.title.Format(LoadStringText(captionId).Chars(), errorCode);
  SetMessageSettings(&settings);
  ShowSystemError(nullptr, errorCode);
  _exit(0);
}

void TunewardenApp::InitInstance() {
  SetMessageSettings(&settings_);
  try {
    connection_.LoadPlugins();
    settings_.ReadSettings();
  } catch (const CException& e) {
    FailStart(settings_, StringId::ConfigError, e.Code());
  }
  try {
    icons_.Create();
    auto* frame = new MainFrame(settings_, connection_, icons_);
    if (!runningCopy_.Claim(settings_.title)) {
      RunningCopy::AskEarlierCopy(settings_.title);
      delete frame;
      PostQuit(0);
      return;
    }
    frame->Create();
    frameWindow_ = frame->Widget();
    runningCopy_.Listen(settings_.title, [this] {
      if (MainFrame* shown = Frame()) shown->BringToFront();
    });
    frame->Show(SW_SHOW);
    SendMessage(frame->View().Handle(), UM_RELOAD, 0, 0);
  } catch (const CException& e) {
    FailStart(settings_, StringId::InitializeError, e.Code());
  }
}

MainFrame* TunewardenApp::Frame() const {
  CNativeWindow* window = NativeWindowOf(frameWindow_);
  return window && window->IsAlive() ? dynamic_cast<MainFrame*>(window->Object()) : nullptr;
}

void TunewardenApp::ExitInstance() {
  try {
    settings_.WriteSettings();
  } catch (const CException& e) {
    ShowSystemError(nullptr, e.Code());
  }
  runningCopy_.Stop();  // a copy started now reads the settings written
}
