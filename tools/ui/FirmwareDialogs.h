// The firmware upgrade: a firmware file of the program folder is chosen, then
// sent to the player while a dialog without buttons shows the progress and
// keeps the computer from going to sleep.
#pragma once

#include "framework/core/Text.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Dialog.h"
#include "player/PlayerConnection.h"

// Lists the program folder's *.hex files, sorted, the first one selected.
class FirmwareFileDialog final : public CDialogBase {
 public:
  explicit FirmwareFileDialog(CText& chosenName) : chosenName_(chosenName) {}

  // 1 with the chosen name (without folder; empty when there was none to
  // choose), 2 when cancelled.
  LRESULT Run(CNativeWindow* parent);
  bool OnMessage(MessageRecord& record) override;

 private:
  CText& chosenName_;
  CComboControl files_;
};

class FirmwareUpgradeDialog final : public CDialogBase {
 public:
  // The private message that starts the upgrade once the dialog shows.
  static constexpr uint32_t UM_STARTUPGRADE = 0x8000;

  FirmwareUpgradeDialog(PlayerConnection& connection, const CText& fileName)
      : connection_(connection), fileName_(fileName) {}

  // Upgrades from the named file of the program folder: 1 after a successful
  // upgrade, 2 after a failure. Either way the connection ends closed.
  LRESULT Run(CNativeWindow* parent);
  bool OnMessage(MessageRecord& record) override;

 private:
  void Upgrade();

  PlayerConnection& connection_;
  CText fileName_;
  CProgressControl progress_;
};
