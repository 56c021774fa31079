// The texts of the question asked before a copy replaces a file of the same
// name, shared by its dialog and tunewarden-cli.
#pragma once

#include <cstdint>

#include "framework/core/FileStamp.h"
#include "framework/core/Text.h"
#include "player/PlayerEntry.h"
#include "transfer/TransferObserver.h"

struct ReplaceQuestion {
  CText title;         // "Confirm a file replacement"
  CText message;       // "This folder already contains a file called '%s'."
  CText existingFile;  // the file that would be replaced: "Size %s\r\nDate: %s"
  CText newFile;       // the file that would replace it
};

// The question for the PC file at the path and the player's entry of the same
// name: on a download the player's file is the existing one, on an upload the
// PC's. Throws CException when the PC file cannot be found.
ReplaceQuestion MakeReplaceQuestion(TransferDirection direction, const CText& pcPath, const PlayerEntry& playerEntry);

// A file's size (whole kilobytes, never megabytes) and modification time in
// the long date format.
CText FileDescription(uint32_t size, const CFileStamp& modified);
