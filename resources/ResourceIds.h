// Ids of the menus, accelerator tables, tool bars, bitmaps, icons and dialog
// templates. One id may name resources of different kinds: 101 is the main
// menu, its accelerators, the tool bar, the tool bar's bitmap and the program
// icon alike.
#pragma once

#include <cstdint>

namespace ResourceId {
constexpr uint32_t MainFrame = 101;
constexpr uint32_t ContextMenu = 110;
constexpr uint32_t AboutDialog = 601;
constexpr uint32_t TransferDialog = 602;  // "File Transfer", download and upload
constexpr uint32_t DeleteDialog = 603;    // "File Delete"
constexpr uint32_t ConfirmDeleteDialog = 604;
constexpr uint32_t ConfirmReplaceDialog = 605;
constexpr uint32_t MediaFormatDialog = 608;
constexpr uint32_t MediaPropertiesDialog = 610;
constexpr uint32_t TrackPropertiesDialog = 614;  // "File Properties"
constexpr uint32_t FirmwareUpgradeDialog = 617;
constexpr uint32_t FirmwareFileDialog = 102;

// The animation clips of the transfer and deletion windows.
constexpr uint32_t TransferClip = 501;
constexpr uint32_t DeleteClip = 502;

// The icons of the icon cache, in the order they take their indices there.
constexpr uint32_t FileIcon = 512;  // any file whose type has no icon of its own
constexpr uint32_t FolderIcon = 511;
constexpr uint32_t TrackIcon = 513;     // a track of the MUSIC folder
constexpr uint32_t MediumIcon = 112;    // a medium of the player
constexpr uint32_t QuestionIcon = 520;  // beside the confirmation questions
}  // namespace ResourceId

// Controls of the dialog templates that the dialogs reach by id.
namespace ControlId {
// The media tools.
constexpr uint32_t FirmwareFiles = 1001;
constexpr uint32_t MediumCapacity = 1014;  // media properties
constexpr uint32_t QuickFormat = 1022;
constexpr uint32_t RefreshMedium = 1024;
constexpr uint32_t StatusLine = 1029;         // media format
constexpr uint32_t MediumDescription = 1029;  // media properties
constexpr uint32_t VolumeLabel = 1030;
constexpr uint32_t FormatCapacity = 1031;
constexpr uint32_t FormatMedium = 1033;
// The transfers, the deletion and their questions.
constexpr uint32_t YesToAll = 1000;  // a button of the replacement question
constexpr uint32_t Animation = 1100;
constexpr uint32_t FileName = 1101;  // also the message of a question
constexpr uint32_t Amount = 1102;    // also the existing file of the replacement question
constexpr uint32_t Speed = 1103;     // also the new file
constexpr uint32_t Progress = 1104;  // also of the firmware upgrade
// The track properties: four tag texts, and the audio figures to read.
constexpr uint32_t TrackTitle = 1030;
constexpr uint32_t TrackArtist = 1032;
constexpr uint32_t TrackComment = 1036;
constexpr uint32_t TrackAlbum = 1037;
constexpr uint32_t TrackStatus = 1038;  // hidden, never filled
constexpr uint32_t TrackFrequency = 1039;
constexpr uint32_t TrackPlayTime = 1040;
constexpr uint32_t TrackFormat = 1041;
constexpr uint32_t TrackBitRate = 1043;
}  // namespace ControlId
