// A track's properties ("File Properties"): its four tag texts to edit and
// its audio figures to read. OK writes the texts into the track's information
// record and draws its name anew; a failure is shown and the dialog stays.
#pragma once

#include "framework/ui/Dialog.h"
#include "player/PlayerConnection.h"

class TrackPropertiesDialog final : public CDialogBase {
 public:
  static constexpr int MaxTagLength = 64;  // what the user may type into a tag field

  TrackPropertiesDialog(PlayerConnection& connection, PlayerEntry& entry) : connection_(connection), entry_(entry) {}

  // The entry must have its TrackInfo. IDOK when the texts were stored,
  // IDCANCEL after Cancel or the close box.
  LRESULT Run(CNativeWindow* owner);
  bool OnMessage(MessageRecord& record) override;

 private:
  void ShowTrack();
  void OnOk();

  PlayerConnection& connection_;
  PlayerEntry& entry_;
};

// IDCANCEL without showing anything for an entry without TrackInfo (every
// entry outside the track list); otherwise the dialog's result.
int ShowTrackProperties(CNativeWindow* owner, PlayerConnection& connection, PlayerEntry& entry);
