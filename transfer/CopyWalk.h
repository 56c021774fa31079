// What the download and upload walks share: the observer, the replacement
// answers of one run, the PC file being copied and the plug-in's callbacks
// that move its bytes.
#pragma once

#include <cstdint>

#include "framework/core/DiskFile.h"
#include "player/PlayerConnection.h"
#include "transfer/TransferObserver.h"

class CopyWalk {
 protected:
  CopyWalk(PlayerConnection& connection, TransferObserver& observer) : connection_(connection), observer_(observer) {}
  ~CopyWalk() = default;

  // The replacement question, unless this run had Yes to All: true to
  // replace, false to keep the file; Cancel throws CException 0.
  bool MayReplace(const CText& pcPath, const PlayerEntry& playerEntry);
  // A request for the file of that name whose data callback reads the PC
  // file (to the player) or writes it (to the PC). Clears `failure_`.
  TransferRequest Request(const CText& name, TransferDirection direction);

  PlayerConnection& connection_;
  TransferObserver& observer_;
  bool replaceAll_ = false;
  CDiskFile file_;
  uint32_t failure_ = 0;  // why the PC file could not be read or written

 private:
  static uint32_t OnProgress(TransferRequest* request);
  static uint32_t OnRead(TransferRequest* request, void* buffer, uint32_t length);
  static uint32_t OnWrite(TransferRequest* request, void* buffer, uint32_t length);
};
