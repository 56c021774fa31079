// Formats the selected medium, quickly or fully with progress in percent. The
// device's reserved block survives the format; holding the right Shift and the
// right Alt key as Format is pressed resets it to 0xFF instead.
#pragma once

#include "framework/ui/Controls.h"
#include "framework/ui/Dialog.h"
#include "player/PlayerConnection.h"
#include "tools/MediaFormat.h"

class MediaFormatDialog final : public CDialogBase {
 public:
  explicit MediaFormatDialog(PlayerConnection& connection) : connection_(connection) {}

  // 1 after a successful format, 2 when cancelled without one. The connection
  // is closed either way.
  LRESULT Run(CNativeWindow* parent);
  bool OnMessage(MessageRecord& record) override;

 private:
  enum FormatState : uint32_t { Idle = 0, Formatting = 1, StopRequested = 2 };

  void OnInit();
  void OnFormat();
  void OnCancel();
  // Open and select, whatever fails, then show what there is.
  void Reconnect();
  void ShowMediumInfo();
  bool FormatStep();
  void CleanUp();
  static uint32_t OnFormatProgress(TransferRequest* request);

  PlayerConnection& connection_;
  FormatState formatState_ = Idle;
  CProgressControl progress_;
  FormatPercentage percentage_;
};
