// The upload to the PC as a walk over player files and folders, apart from
// any window; the transfer dialog and tunewarden-cli plug in their
// TransferObserver. Files keep the names the player lists; folders are
// recreated (an existing PC folder is reused) and an existing PC file is
// replaced only when the observer says so.
#pragma once

#include <vector>

#include "transfer/CopyWalk.h"

class UploadWalk : private CopyWalk {
 public:
  UploadWalk(PlayerConnection& connection, TransferObserver& observer) : CopyWalk(connection, observer) {}

  // Copies entries of the player's current folder into the PC's current
  // folder. A file stopped by the observer is deleted and the walk goes on
  // until the observer asks it to stop. A failure ends the upload: a failure
  // to write the PC file deletes it, a player-side failure leaves it as far
  // as it was written. Cancel in the replacement question throws CException
  // 0. The "<USER>" row of the track list is not copied. Whatever happens,
  // the PC's current folder and the player's are what they were before.
  void Run(const std::vector<PlayerEntry>& entries);

 private:
  void UploadItem(const PlayerEntry& entry);
  void UploadFolder(const PlayerEntry& entry);
  void UploadFile(const PlayerEntry& entry);
};
