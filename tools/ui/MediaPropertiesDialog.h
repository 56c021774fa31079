// The selected medium's description and capacity, and its volume label to
// change.
#pragma once

#include "framework/ui/Dialog.h"
#include "player/PlayerConnection.h"

class MediaPropertiesDialog final : public CDialogBase {
 public:
  explicit MediaPropertiesDialog(PlayerConnection& connection) : connection_(connection) {}

  // 1 when the label was set, or when Cancel follows an attempt to set it (the
  // player view then reloads); 2 for Cancel alone and for the close box.
  LRESULT Run(CNativeWindow* parent);
  bool OnMessage(MessageRecord& record) override;

 private:
  void ShowInformation();
  void OnOk();

  PlayerConnection& connection_;
  bool attempted_ = false;
};
