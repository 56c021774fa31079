// Replacing the player's firmware, as the firmware dialog and tunewarden-cli
// do it.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/Text.h"
#include "player/PlayerConnection.h"

// Reads and checks the Intel HEX file whole (FirmwareImage), then opens the
// player in its firmware mode and writes blocks 0 to 471, reading each back;
// `afterBlock` hears the number of blocks sent so far. The connection is
// closed at the end in every case. Throws CException 2 for a file that cannot
// be used (nothing reaches the player then), CMediaException 109 when the
// player does not open in firmware mode, and 110 when a block fails, after
// which nothing more is sent.
void UpgradeFirmware(PlayerConnection& connection, const CText& path,
                     const std::function<void(uint32_t blocksSent)>& afterBlock);
