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
constexpr uint32_t MediaFormatDialog = 608;
constexpr uint32_t MediaPropertiesDialog = 610;
constexpr uint32_t FirmwareUpgradeDialog = 617;
constexpr uint32_t FirmwareFileDialog = 102;

// The icons of the icon cache, in the order they take their indices there.
constexpr uint32_t FileIcon = 512;  // any file whose type has no icon of its own
constexpr uint32_t FolderIcon = 511;
constexpr uint32_t TrackIcon = 513;   // a track of the MUSIC folder
constexpr uint32_t MediumIcon = 112;  // a medium of the player
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
constexpr uint32_t Progress = 1104;
}  // namespace ControlId
