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

// The icons of the icon cache, in the order they take their indices there.
constexpr uint32_t FileIcon = 512;  // any file whose type has no icon of its own
constexpr uint32_t FolderIcon = 511;
constexpr uint32_t TrackIcon = 513;   // a track of the MUSIC folder
constexpr uint32_t MediumIcon = 112;  // a medium of the player
}  // namespace ResourceId
