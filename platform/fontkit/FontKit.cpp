// The module behind FontModule.h: faces found through fontconfig and glyphs
// drawn by FreeType in monochrome.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/FontModule.h"

namespace platform {

namespace {

// Windows faces that settings written on a Windows PC name, and the free faces
// that stand in for them, best first.
struct FaceAlias {
  const char* windowsName;
  const char* families[3];
};

constexpr FaceAlias FaceAliases[] = {
    {"MS Gothic", {"IPAGothic"}},
    {"ＭＳ ゴシック", {"IPAGothic"}},
    {"MS PGothic", {"IPAPGothic", "IPAGothic"}},
    {"ＭＳ Ｐゴシック", {"IPAPGothic", "IPAGothic"}},
    {"MS UI Gothic", {"IPAPGothic", "IPAGothic"}},
    {"Meiryo", {"IPAPGothic", "IPAGothic"}},
    {"メイリオ", {"IPAPGothic", "IPAGothic"}},
    {"MS Mincho", {"IPAMincho", "IPAGothic"}},
    {"ＭＳ 明朝", {"IPAMincho", "IPAGothic"}},
    {"MS PMincho", {"IPAPMincho", "IPAMincho", "IPAGothic"}},
    {"ＭＳ Ｐ明朝", {"IPAPMincho", "IPAMincho", "IPAGothic"}},
    {"Gulim", {"UnDotum"}},
    {"GulimChe", {"UnDotum"}},
    {"굴림", {"UnDotum"}},
    {"굴림체", {"UnDotum"}},
    {"Dotum", {"UnDotum"}},
    {"DotumChe", {"UnDotum"}},
    {"돋움", {"UnDotum"}},
    {"돋움체", {"UnDotum"}},
    {"Malgun Gothic", {"UnDotum"}},
    {"맑은 고딕", {"UnDotum"}},
    {"Batang", {"UnBatang", "UnDotum"}},
    {"BatangChe", {"UnBatang", "UnDotum"}},
    {"바탕", {"UnBatang", "UnDotum"}},
    {"바탕체", {"UnBatang", "UnDotum"}},
    {"Gungsuh", {"UnBatang", "UnDotum"}},
    {"궁서", {"UnBatang", "UnDotum"}},
    {"SimSun", {"WenQuanYi Zen Hei"}},
    {"NSimSun", {"WenQuanYi Zen Hei"}},
    {"宋体", {"WenQuanYi Zen Hei"}},
    {"新宋体", {"WenQuanYi Zen Hei"}},
    {"SimHei", {"WenQuanYi Zen Hei"}},
    {"黑体", {"WenQuanYi Zen Hei"}},
    {"Microsoft YaHei", {"WenQuanYi Zen Hei"}},
    {"微软雅黑", {"WenQuanYi Zen Hei"}},
    {"MingLiU", {"WenQuanYi Zen Hei"}},
    {"PMingLiU", {"WenQuanYi Zen Hei"}},
    {"細明體", {"WenQuanYi Zen Hei"}},
    {"新細明體", {"WenQuanYi Zen Hei"}},
    {"Arial", {"Liberation Sans", "DejaVu Sans"}},
    {"Tahoma", {"Liberation Sans", "DejaVu Sans"}},
    {"Verdana", {"DejaVu Sans"}},
    {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
    {"Microsoft Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
    {"Times New Roman", {"Liberation Serif", "DejaVu Serif"}},
    {"Courier New", {"Liberation Mono", "DejaVu Sans Mono"}},
};

const FcChar8* FcText(const char* text) { return reinterpret_cast<const FcChar8*>(text); }

template <auto Release>
struct Releaser {
  template <typename T>
  void operator()(T* object) const {
    Release(object);
  }
};
using Pattern = std::unique_ptr<FcPattern, Releaser<FcPatternDestroy>>;
using FontSet = std::unique_ptr<FcFontSet, Releaser<FcFontSetDestroy>>;
using Library = std::unique_ptr<FT_LibraryRec_, Releaser<FT_Done_FreeType>>;
using Face = std::unique_ptr<FT_FaceRec_, Releaser<FT_Done_Face>>;

// A pattern asking for the family, with fontconfig's configured substitutions.
Pattern FamilyPattern(const std::string& family) {
  Pattern pattern(FcPatternCreate());
  if (!family.empty()) FcPatternAddString(pattern.get(), FC_FAMILY, FcText(family.c_str()));
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  return pattern;
}

Pattern BestMatch(const std::string& family) {
  FcResult result;
  return Pattern(FcFontMatch(nullptr, FamilyPattern(family).get(), &result));
}

bool HasFamily(FcPattern* font, const std::string& family) {
  FcChar8* name;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, FcText(family.c_str())) == 0) return true;
  }
  return false;
}

// The installed face for a Windows face name: the first alias that is really
// installed, else the name itself when installed, else whatever fontconfig
// offers in its place (Windows substitutes an unknown face the same way).
Pattern ResolveFace(const std::string& faceName) {
  std::vector<std::string> candidates;
  for (const FaceAlias& alias : FaceAliases) {
    if (FcStrCmpIgnoreCase(FcText(alias.windowsName), FcText(faceName.c_str())) != 0) continue;
    for (const char* family : alias.families) {
      if (family) candidates.emplace_back(family);
    }
    break;
  }
  candidates.push_back(faceName);
  for (const std::string& candidate : candidates) {
    Pattern match = BestMatch(candidate);
    if (match && HasFamily(match.get(), candidate)) return match;
  }
  return BestMatch(candidates.front());
}

// The cell in font units. Windows measures the cell of a TrueType face by the
// OS/2 table's Windows ascent and descent; faces without them use the
// horizontal header.
struct CellUnits {
  long ascent;
  long descent;
};

CellUnits CellOf(FT_Face face) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) return {os2->usWinAscent, os2->usWinDescent};
  if (face->ascender - face->descender > 0) return {face->ascender, -face->descender};
  return {face->units_per_EM, 0};
}

// Sizes the face so that its cell comes to cellHeight pixels.
bool SizeToCell(FT_Face face, int cellHeight) {
  if (!FT_IS_SCALABLE(face)) return false;
  CellUnits cell = CellOf(face);
  long pixelsPerEm = std::lround(double(cellHeight) * face->units_per_EM / double(cell.ascent + cell.descent));
  return FT_Set_Pixel_Sizes(face, 0, std::max(1L, pixelsPerEm)) == 0;
}

// The baseline's distance from the cell's top, as Windows rounds it.
int CellAscent(FT_Face face, int cellHeight) {
  CellUnits cell = CellOf(face);
  return int(std::lround(double(cellHeight) * double(cell.ascent) / double(cell.ascent + cell.descent)));
}

}  // namespace

struct FontFace {
  // Declared first so that it is released after every face opened from it.
  Library library;
  int cellHeight = 0;
  int ascent = 0;
  std::string family;
  Face primary;
  // Fontconfig's fallback list and the faces opened from it, by list index;
  // a null face marks one that could not be used.
  FontSet fallbacks;
  std::map<int, Face> fallbackFaces;

  // The font's face sized to the cell; null when it cannot be used.
  Face Open(FcPattern* font) {
    FcChar8* file;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return nullptr;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    FT_Face opened;
    if (FT_New_Face(library.get(), reinterpret_cast<const char*>(file), index, &opened) != 0) return nullptr;
    Face face(opened);
    return SizeToCell(opened, cellHeight) ? std::move(face) : nullptr;
  }

  FT_Face FallbackFor(char32_t code) {
    if (!fallbacks) {
      FcResult result;
      fallbacks.reset(FcFontSort(nullptr, FamilyPattern(family).get(), FcTrue, nullptr, &result));
      if (!fallbacks) return nullptr;
    }
    for (int i = 0; i < fallbacks->nfont; ++i) {
      FcCharSet* charset;
      if (FcPatternGetCharSet(fallbacks->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch ||
          !FcCharSetHasChar(charset, code))
        continue;
      auto [it, added] = fallbackFaces.try_emplace(i);
      if (added) it->second = Open(fallbacks->fonts[i]);
      if (it->second && FT_Get_Char_Index(it->second.get(), code) != 0) return it->second.get();
    }
    return nullptr;
  }

  // Loads the glyph of a character into its face's slot, from the primary face
  // or the fallback that has it; the primary face's missing-glyph box when
  // none has. Hinted for monochrome, as Windows draws non-antialiased text, by
  // FreeType's own hinter: the bytecode of free CJK faces (WenQuanYi, UnDotum)
  // loses whole strokes in monochrome at the name font's size.
  Glyph Load(char32_t code) {
    FT_Face face = primary.get();
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) {
      if (FT_Face fallback = FallbackFor(code)) {
        face = fallback;
        index = FT_Get_Char_Index(face, code);
      }
    }
    Glyph glyph;
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_FORCE_AUTOHINT) != 0) return glyph;
    FT_GlyphSlot slot = face->glyph;
    glyph.advance = int((slot->advance.x + 32) >> 6);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return glyph;
    glyph.drawn = true;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.ink = MonoBitmap(int(bitmap.width), int(bitmap.rows));
    for (int row = 0; row < int(bitmap.rows); ++row) {
      const uint8_t* line = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
      for (int column = 0; column < int(bitmap.width); ++column) {
        // Embedded bitmaps may come in grey levels; half ink counts as ink.
        bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                       ? line[column / 8] & (0x80 >> (column % 8))
                       : bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && line[column] >= 128;
        if (ink) glyph.ink.SetInk(column, row);
      }
    }
    return glyph;
  }
};

namespace {

FontFace* OpenFace(const char* faceName, int cellHeight) {
  auto face = std::make_unique<FontFace>();
  face->cellHeight = cellHeight;
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) {
    SetLastError(Error::NotEnoughMemory);
    return nullptr;
  }
  face->library.reset(library);
  Pattern match = ResolveFace(faceName);
  FcChar8* family;
  if (match && FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch)
    face->primary = face->Open(match.get());
  if (!face->primary) {
    SetLastError(Error::FileNotFound);
    return nullptr;
  }
  face->family = reinterpret_cast<const char*>(family);
  face->ascent = CellAscent(face->primary.get(), cellHeight);
  return face.release();
}

void CloseFace(FontFace* face) { delete face; }
const char* FaceFamily(const FontFace* face) { return face->family.c_str(); }
int FaceAscent(const FontFace* face) { return face->ascent; }
void LoadGlyph(FontFace* face, char32_t code, Glyph* glyph) { *glyph = face->Load(code); }

}  // namespace

}  // namespace platform

extern "C" __attribute__((visibility("default"))) const platform::FontFunctions* GetFontFunctions() {
  static const platform::FontFunctions functions = {sizeof(platform::FontFunctions),
                                                    platform::FontModuleVersion,
                                                    platform::OpenFace,
                                                    platform::CloseFace,
                                                    platform::FaceFamily,
                                                    platform::FaceAscent,
                                                    platform::LoadGlyph};
  return &functions;
}
