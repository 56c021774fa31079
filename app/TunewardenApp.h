// The program's application object: start-up with its two fatal errors, the
// single running copy, and the settings written at every orderly end.
#pragma once

#include <QPointer>

#include "app/RunningCopy.h"
#include "framework/ui/Application.h"
#include "player/PlayerConnection.h"
#include "settings/AppSettings.h"
#include "ui/IconCache.h"
#include "ui/MainFrame.h"

class TunewardenApp final : public CApplication {
 public:
  TunewardenApp(AppSettings& settings, IconCache& icons, PlayerConnection& connection)
      : settings_(settings), icons_(icons), connection_(connection) {}

  // Loads the plug-ins and settings, makes the main window and fills the
  // view; a failure shows its box and ends the process at once. A second
  // copy brings the first to the front and quits.
  void InitInstance() override;
  void ExitInstance() override;

  // The main frame while its window exists.
  MainFrame* Frame() const;

 private:
  AppSettings& settings_;
  IconCache& icons_;
  PlayerConnection& connection_;
  QPointer<QWidget> frameWindow_;  // the frame object deletes itself with it
  RunningCopy runningCopy_;
};

// Shows the system's text for the code with the caption "Config Error %d" or
// "Initialize Error %d" (by string id), owned by no window, and ends the
// process with 0 without writing the settings.
[[noreturn]] void FailStart(AppSettings& settings, uint32_t captionId, uint32_t errorCode);
