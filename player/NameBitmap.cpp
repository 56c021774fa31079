#include "player/NameBitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/CodePage.h"

namespace player {

namespace {
// A Windows logical font holds its face name in 32 bytes with the terminator.
constexpr size_t MaxFaceNameBytes = 31;
// The work area: the image goes in from row 2, and no scan line is wider than
// 256 pixels.
constexpr int WorkRows = 32;
constexpr int WorkRowBytes = 32;
constexpr int TopMargin = 2;
constexpr int PageCount = NameBitmapHeight / 8;
}  // namespace

const platform::Font* NameFont(std::string_view faceName, int height) {
  faceName = faceName.substr(0, platform::CutAtCharBoundary(faceName, MaxFaceNameBytes));
  return platform::Font::Shared(faceName, height);
}

size_t RenderNameBitmap(NameBitmapBytes destination, std::string_view text, uint16_t* width,
                        std::string_view faceName) {
  *width = 0;
  if (text.empty()) return 0;
  const platform::Font* font = NameFont(faceName, NameFontHeight);
  if (!font) return 0;
  platform::TextExtent extent = font->Measure(text);
  if (extent.width > MaxNameBitmapWidth) {
    // Widths add up character by character, so dropping from the end until the
    // text fits leaves the longest prefix that fits. The cut falls between whole
    // characters of the code page: a double-byte text never ends in a lead
    // byte, which the player would show as a stray glyph.
    text = text.substr(0, font->FittingLength(text, MaxNameBitmapWidth));
    extent = font->Measure(text);
  }
  if (extent.width == 0) return 0;
  // One row more than the text, as the player's bitmaps have always been drawn.
  platform::MonoBitmap bitmap(extent.width, extent.height + 1);
  font->Draw(text, &bitmap);
  size_t bytes = PackNameBitmap(destination, bitmap);
  if (bytes) *width = uint16_t(extent.width);
  return bytes;
}

size_t PackNameBitmap(NameBitmapBytes destination, const platform::MonoBitmap& bitmap) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  if (width <= 0 || width > MaxNameBitmapWidth || height <= 0) return 0;

  // Our canvas keeps ink as set bits, so here background is 0 rather than the
  // white 0xFF of a Windows monochrome bitmap.
  uint8_t work[WorkRows][WorkRowBytes] = {};
  const size_t rowBytes = bitmap.Stride();
  for (int row = 0; row < height && row + TopMargin < WorkRows; ++row)
    std::memcpy(work[row + TopMargin], bitmap.Row(row), rowBytes);

  // An image taller than 16 rows would need a third page, for which the
  // information record has no room: its rows below the second page are
  // dropped rather than the name refused. The name font's 12-pixel cell gives
  // 13 rows, so only a bitmap drawn by other means gets here.
  const int pages = std::min((height + 7) / 8, PageCount);
  size_t count = 0;
  for (int page = 0; page < pages; ++page) {
    for (int x = 0; x < width; ++x) {
      uint8_t column = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (work[page * 8 + bit][x / 8] & (0x80 >> (x % 8))) column |= uint8_t(1 << bit);
      }
      destination[count++] = column;
    }
  }
  return count;
}

bool IsNameBitmapInk(std::span<const uint8_t> packed, int width, int x, int y) {
  return (packed[size_t(y / 8) * width + x] >> (y % 8)) & 1;
}

}  // namespace player
