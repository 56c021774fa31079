// Name bitmaps: the picture of a track's display text that the player shows,
// drawn with the name font and packed into the player's display format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/Fonts.h"

namespace player {

constexpr int NameFontHeight = 12;
constexpr int MaxNameBitmapWidth = 256;
// Two pages of eight rows, as the information record states.
constexpr int NameBitmapHeight = 16;
constexpr size_t NameBitmapSize = 512;

using NameBitmapBytes = std::span<uint8_t, NameBitmapSize>;

// The name font of the given face (in the program's code page) and cell
// height, kept for the whole process; null when no font can be made.
const platform::Font* NameFont(std::string_view faceName, int height);

// Draws the text (program code page) with the name font and packs it into
// the destination; the width field receives the bitmap's width in pixels
// (0 on failure). Returns the bytes written, 0 for an empty text or a font or
// bitmap that cannot be made.
size_t RenderNameBitmap(NameBitmapBytes destination, std::string_view text, uint16_t* width, std::string_view faceName);

// Packs a drawn bitmap into pages of eight rows, one byte per column with bit 0
// the page's top row, the image starting at row 2. Returns the bytes written,
// 0 for an image with no rows or one wider than 256 pixels.
size_t PackNameBitmap(NameBitmapBytes destination, const platform::MonoBitmap& bitmap);

// Whether pixel (x, y) of a packed bitmap of the given width is ink, y from
// 0 (top) to NameBitmapHeight - 1.
bool IsNameBitmapInk(std::span<const uint8_t> packed, int width, int x, int y);

}  // namespace player
