#include "platform/Fonts.h"

#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FontModule.h"
#include "platform/Modules.h"

namespace platform {

MonoBitmap::MonoBitmap(int width, int height)
    : width_(width), height_(height), stride_((width + 7) / 8), bits_(stride_ * height) {}

namespace {

struct Char {
  char32_t code;
  size_t end;  // byte offset just past the character in the code-page text
};

// Characters of a code-page text. A byte sequence that does not convert is
// drawn as '?', where Windows would draw its default character.
std::vector<Char> DecodeText(std::string_view text) {
  std::vector<Char> chars;
  std::u16string utf16;
  for (size_t pos = 0; pos < text.size();) {
    size_t length = CharLength(text, pos);
    char32_t code = '?';
    utf16.clear();
    if (CodePageToUtf16(text.substr(pos, length), &utf16) && !utf16.empty()) {
      code = utf16[0];
      if (utf16.size() == 2 && code >= 0xD800 && code < 0xDC00)
        code = 0x10000 + ((code - 0xD800) << 10) + (utf16[1] - 0xDC00);
    }
    pos += length;
    chars.push_back({code, pos});
  }
  return chars;
}

const FontFunctions* FontKit() {
  return SharedModuleTable<FontFunctions>(FontModuleName, FontEntryName, FontModuleVersion);
}

}  // namespace

struct Font::Impl {
  const FontFunctions* kit;
  std::unique_ptr<FontFace, void (*)(FontFace*)> face;
  int cellHeight;
  int ascent;
  std::string family;
  mutable std::unordered_map<char32_t, Glyph> glyphs;

  // Each character is loaded once; measuring and drawing then read the copy.
  const Glyph& GlyphOf(char32_t code) const {
    auto [found, added] = glyphs.try_emplace(code);
    if (added) kit->loadGlyph(face.get(), code, &found->second);
    return found->second;
  }
};

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

std::unique_ptr<Font> Font::Create(std::string_view faceName, int cellHeight) {
  if (cellHeight <= 0) {
    SetLastError(Error::InvalidParameter);
    return nullptr;
  }
  const FontFunctions* kit = FontKit();
  if (kit == nullptr) return nullptr;
  std::string utf8Face;
  if (!CodePageToUtf8(faceName, &utf8Face)) utf8Face.assign(faceName);
  FontFace* face = kit->open(utf8Face.c_str(), cellHeight);
  if (face == nullptr) return nullptr;
  return std::unique_ptr<Font>(new Font(
      std::make_unique<Impl>(Impl{kit, {face, kit->close}, cellHeight, kit->ascent(face), kit->family(face), {}})));
}

const std::string& Font::FamilyName() const { return impl_->family; }

TextExtent Font::Measure(std::string_view text) const {
  TextExtent extent{0, impl_->cellHeight};
  for (const Char& c : DecodeText(text)) extent.width += impl_->GlyphOf(c.code).advance;
  return extent;
}

size_t Font::FittingLength(std::string_view text, int maxWidth) const {
  size_t length = 0;
  int width = 0;
  for (const Char& c : DecodeText(text)) {
    width += impl_->GlyphOf(c.code).advance;
    if (width > maxWidth) break;
    length = c.end;
  }
  return length;
}

void Font::Draw(std::string_view text, MonoBitmap* canvas) const {
  int penX = 0;
  for (const Char& c : DecodeText(text)) {
    const Glyph& glyph = impl_->GlyphOf(c.code);
    if (!glyph.drawn) continue;
    int left = penX + glyph.left;
    int top = impl_->ascent - glyph.top;
    for (int row = 0; row < glyph.ink.Height(); ++row) {
      int y = top + row;
      if (y < 0 || y >= canvas->Height()) continue;
      for (int column = 0; column < glyph.ink.Width(); ++column) {
        int x = left + column;
        if (x >= 0 && x < canvas->Width() && glyph.ink.IsInk(column, row)) canvas->SetInk(x, y);
      }
    }
    penX += glyph.advance;
  }
}

const Font* Font::Shared(std::string_view faceName, int cellHeight) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, int>, std::unique_ptr<Font>> fonts;
  const std::lock_guard lock(mutex);
  auto key = std::make_pair(std::string(faceName), cellHeight);
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second.get();
  std::unique_ptr<Font> font = Create(faceName, cellHeight);
  if (!font) return nullptr;  // not kept, so a face installed later is found
  return fonts.emplace(std::move(key), std::move(font)).first->second.get();
}

}  // namespace platform
