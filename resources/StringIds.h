// Ids of the string-table entries that the program loads by number. A device
// error code is also the id of its message, so these ids are fixed.
#pragma once

#include <cstdint>

namespace StringId {
constexpr uint32_t MediaNames = 2;  // the media of the media bar, one per line
constexpr uint32_t Title = 61;      // caption of every message box

constexpr uint32_t UnknownError = 101;
constexpr uint32_t NotSupported = 102;
constexpr uint32_t MediaNotFound = 103;
constexpr uint32_t ConnectionTimedOut = 104;
constexpr uint32_t FormatFailed = 105;
constexpr uint32_t CommunicationError = 106;
constexpr uint32_t UnsupportedResponse = 107;
constexpr uint32_t MediaProtected = 108;
constexpr uint32_t PlayerNotFound = 109;
constexpr uint32_t FirmwareUpgradeFailed = 110;
constexpr uint32_t FileSystemNotAvailable = 151;
constexpr uint32_t UnauthorizedCluster = 152;
constexpr uint32_t NotEnoughMemory = 153;
constexpr uint32_t MemoryFull = 154;
constexpr uint32_t UnsupportedCharacterCode = 201;
constexpr uint32_t InvalidFileFormat = 202;
}  // namespace StringId
