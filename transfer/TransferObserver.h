// What a transfer dialog or tunewarden-cli plugs into the download and upload
// walks: the progress display, the replacement question and the stop request.
#pragma once

#include <cstdint>

#include "contract/PluginContract.h"
#include "framework/core/Text.h"
#include "player/PlayerEntry.h"

enum class TransferDirection { ToPlayer, ToPc };

// The answers of the replacement question, as its dialog returns them.
enum class ReplaceAnswer : int { Yes = 6, No = 7, YesToAll = 1000, Cancel = 2 };

class TransferObserver {
 public:
  // A file is about to be copied: its name and the bytes that go (0 on an
  // upload, whose length the plug-in tells in the progress calls).
  virtual void FileStarting(const CText& name, uint32_t length) = 0;
  // The plug-in's progress call during the file; false stops the transfer.
  virtual bool FileProgress(const TransferRequest& request) = 0;
  // The file has arrived whole.
  virtual void FileDone() = 0;
  // The copy would replace a file of the same name: the PC file's path and
  // the player's entry (on a download the player's file is the one replaced,
  // on an upload the PC's). Not asked again after Yes to All.
  virtual ReplaceAnswer AskReplace(const CText& pcPath, const PlayerEntry& playerEntry) = 0;
  // A PC item that a download passes over: its path and the id of the
  // string that says why (one %s for the path). The walk goes on.
  virtual void NotSent(const CText& path, uint32_t reasonId) = 0;
  // Asked after every item; true ends the walk there.
  virtual bool StopRequested() = 0;

 protected:
  ~TransferObserver() = default;
};
