// Fonts for drawing text into one-bit images: a Windows face name is resolved
// through our alias table and fontconfig, glyphs are drawn by FreeType in
// monochrome, and a character the face lacks comes from fontconfig's fallback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A one-bit image, top row first. Each row holds (width + 7) / 8 bytes with the
// leftmost pixel in bit 7; a set bit is ink (black), a clear bit background.
class MonoBitmap {
 public:
  MonoBitmap(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  size_t Stride() const { return stride_; }
  const uint8_t* Row(int y) const { return &bits_[y * stride_]; }
  bool IsInk(int x, int y) const { return Row(y)[x / 8] & (0x80 >> (x % 8)); }
  void SetInk(int x, int y) { bits_[y * stride_ + x / 8] |= uint8_t(0x80 >> (x % 8)); }

 private:
  int width_;
  int height_;
  size_t stride_;
  std::vector<uint8_t> bits_;
};

struct TextExtent {
  int width = 0;
  int height = 0;
};

class Font {
 public:
  // A font whose character cell (ascent + descent) is cellHeight pixels, as a
  // Windows logical font with a positive height means it. An unknown face
  // name gets the closest installed face, as Windows substitutes one; null
  // (last error set) only when no usable face can be opened. The face name is
  // in the program's code page.
  static std::unique_ptr<Font> Create(std::string_view faceName, int cellHeight);
  // The same, opened once per face name and height and kept for the whole
  // process, so that a run drawing many names looks the face up once.
  static const Font* Shared(std::string_view faceName, int cellHeight);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // The family that the face name resolved to.
  const std::string& FamilyName() const;

  // Texts are in the program's code page. The width is the sum of the
  // characters' advances, the height the cell height. Each character's glyph
  // is loaded once and kept with the font, so a font is used by one thread.
  TextExtent Measure(std::string_view text) const;
  // Bytes of the longest prefix, cut between characters, whose width is at
  // most maxWidth.
  size_t FittingLength(std::string_view text, int maxWidth) const;
  // Draws black text on the canvas with the cell's top-left corner at (0, 0);
  // what falls outside the canvas is clipped.
  void Draw(std::string_view text, MonoBitmap* canvas) const;

 private:
  struct Impl;
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
