// fontkit.so holds what needs FreeType and fontconfig (and the libraries they
// pull in), so that a program loads them only when it first draws a name,
// never at start. Font keeps its glyph cache and text layout; the module
// finds and opens faces and loads glyphs.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Fonts.h"

namespace platform {

constexpr std::string_view FontModuleName = "fontkit.so";
constexpr const char* FontEntryName = "GetFontFunctions";
// Raised whenever a function of the table changes its meaning or arguments,
// so that a module left over from another build is refused.
constexpr uint32_t FontModuleVersion = 1;

// A character as loaded and drawn once: its hinted advance and its ink
// relative to the pen on the baseline. `drawn` is false for a glyph that
// loaded but could not be drawn (it neither draws nor advances the pen) and
// for one that did not load at all (it only measures as zero).
struct Glyph {
  int advance = 0;
  bool drawn = false;
  int left = 0;
  int top = 0;
  MonoBitmap ink{0, 0};
};

struct FontFace;  // the module's

struct FontFunctions {
  uint32_t size;  // sizeof(FontFunctions) in the module's build
  uint32_t version;
  // The installed face for a Windows face name in UTF-8, sized so that its
  // cell is cellHeight pixels; null, with the last error set, when no usable
  // face opens.
  FontFace* (*open)(const char* faceName, int cellHeight);
  void (*close)(FontFace* face);
  const char* (*family)(const FontFace* face);
  // The baseline's distance from the cell's top.
  int (*ascent)(const FontFace* face);
  // From the face or, for a character it lacks, from fontconfig's fallback.
  void (*loadGlyph)(FontFace* face, char32_t code, Glyph* glyph);
};

}  // namespace platform
