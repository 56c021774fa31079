// Data callbacks for transfers between the player and memory. The request's
// context is a MemoryCursor; a plug-in that asks for more than it holds is
// stopped instead of running past the end.
#pragma once

#include <cstdint>

#include "contract/PluginContract.h"

struct MemoryCursor {
  uint8_t* next;
  uint32_t left;
};

// For writes: hands the next bytes of the cursor to the plug-in.
uint32_t CopyOutOfMemory(TransferRequest* request, void* buffer, uint32_t length);
// For reads: takes the delivered bytes into the cursor.
uint32_t CopyIntoMemory(TransferRequest* request, void* buffer, uint32_t length);
