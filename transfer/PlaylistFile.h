// Playlist files of the PC: the .m3u, .m3u8 and .pls files a download into the
// track list follows, and the .m3u8 file an upload of the track list writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/Text.h"

// True for a name ending in .m3u, .m3u8 or .pls, in any case.
bool IsPlaylistName(std::string_view name);

// The PC paths of the tracks the playlist at `path` names, in its order:
// relative entries joined to the playlist's folder, file: URLs decoded,
// Windows separators turned. An .m3u8 file is UTF-8; an .m3u or .pls file is
// UTF-8 where it is valid UTF-8 and Latin-1 elsewhere. An entry the code page
// cannot hold comes back in UTF-8, so that it is reported as not found. A file
// that cannot be read throws CException.
std::vector<CText> ReadPlaylistFile(const CText& path);

// One line of the play order for an .m3u8 file.
struct PlaylistLine {
  uint32_t seconds;
  CText title;     // the program's code page
  CText fileName;  // likewise
};
// The extended M3U text in UTF-8: "#EXTM3U", then "#EXTINF:seconds,title" and
// the file name for each track.
std::string FormatM3u8(const std::vector<PlaylistLine>& lines);
