// The progress and speed display of a transfer, apart from any window: when
// the display is updated and what it shows. The transfer dialog and
// tunewarden-cli show the same figures.
//
// The display is updated at most every 500 ms of the platform's millisecond
// tick (at once when the plug-in sets the update-now bit), counted across the
// files of a run from its start, so a transfer shorter than that shows
// nothing. Amounts count 1024 bytes, the speed 1000 bytes per second.
#pragma once

#include <cstdint>

#include "contract/PluginContract.h"
#include "framework/core/Text.h"

class TransferProgress {
 public:
  enum class Step {
    FileStarted,  // the first call of a file: the progress range is set
    Quiet,        // nothing to show yet
    Update,       // show the figures
  };
  struct Display {
    int32_t range = 0;    // FileStarted: the progress bar's upper end, in whole kilobytes
    int32_t doneKB = 0;   // Update: at least 1
    int32_t totalKB = 0;  // Update: at least 1
    int32_t speed = 0;    // Update: in thousands of bytes per second
  };

  // The run starts now: the first update comes 500 ms later at the earliest.
  void StartRun();
  // The next progress call is the first of a file.
  void StartFile() { fileStarted_ = false; }
  // One progress call of the plug-in.
  Step Advance(const TransferRequest& request, Display* display);

 private:
  bool fileStarted_ = false;
  uint32_t fileStart_ = 0;
  uint32_t lastUpdate_ = 0;
};

// "1464KB / 2929KB"
CText AmountText(const TransferProgress::Display& display);
// "speed : 750KB/sec", at least three digits.
CText SpeedText(const TransferProgress::Display& display);
