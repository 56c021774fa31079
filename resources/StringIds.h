// Ids of the string-table entries that the program loads by number. A device
// error code is also the id of its message, so these ids are fixed. The tool
// tips are the entries of the command ids (resources/CommandIds.h).
#pragma once

#include <cstdint>

namespace StringId {
constexpr uint32_t MediaNames = 2;       // the media of the media bar, one per line
constexpr uint32_t Title = 61;           // caption of every message box
constexpr uint32_t ColumnHeadings = 62;  // the player view's columns, one per line

// Confirmations; %s and %d are the file name and the count.
constexpr uint32_t ConfirmDeleteOneTitle = 63;
constexpr uint32_t ConfirmDeleteManyTitle = 64;
constexpr uint32_t ConfirmReplaceTitle = 65;
constexpr uint32_t AskDeleteOne = 82;
constexpr uint32_t AskDeleteMany = 83;
constexpr uint32_t AskReplace = 84;
constexpr uint32_t FileSizeAndDate = 85;

constexpr uint32_t ChooseUploadFolder = 67;
constexpr uint32_t FormatCompleted = 71;
constexpr uint32_t FirmwareUpgradeCompleted = 73;
constexpr uint32_t AskFormat = 81;

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

// Filters of the file chooser: name and pattern lines, each ended by a line feed.
constexpr uint32_t MusicFileFilter = 301;
constexpr uint32_t AnyFileFilter = 302;

// Texts of the windows and dialogs.
constexpr uint32_t NotAvailable = 401;        // status bar without a file system
constexpr uint32_t ObjectsSelected = 402;     // %d selected rows
constexpr uint32_t Objects = 403;             // %d rows
constexpr uint32_t Locked = 404;              // in place of the free space
constexpr uint32_t FreeSpace = 405;           // %s the size text
constexpr uint32_t ConfigError = 406;         // caption of the fatal box, %d the code
constexpr uint32_t InitializeError = 407;     // likewise
constexpr uint32_t FullFormatProgress = 408;  // %d the percentage
constexpr uint32_t NoMedium = 409;            // the medium of the media tools when none is selected
constexpr uint32_t UnknownCapacity = 410;     // a capacity of 0
constexpr uint32_t UnknownFormat = 411;       // a track of an unknown MPEG version
constexpr uint32_t TransferSpeed = 412;       // %03d kilobytes per second

// Why a download passed a PC item over; %s its path.
constexpr uint32_t NotSentDevice = 430;
constexpr uint32_t NotSentTooLarge = 431;
constexpr uint32_t NotSentLinkLoop = 432;
constexpr uint32_t NotSentName = 433;
constexpr uint32_t NotSentMore = 434;           // %d reasons not listed
constexpr uint32_t NotSentPlaylistEntry = 440;  // named in a playlist, not found
constexpr uint32_t NotSentDuplicate = 441;      // the track list holds it already
// What failed, said beside the message of a code (on the command line).
constexpr uint32_t NotFound = 435;              // %s the name
constexpr uint32_t FolderNotEmpty = 436;        // %s the name
constexpr uint32_t FileSystemUnreadable = 437;  // %s the message of the cause
constexpr uint32_t MusicFolderUnusable = 438;   // likewise
constexpr uint32_t PlaylistUnreadable = 439;    // likewise
}  // namespace StringId
