// The program's code page. Every text the program holds (CText, player names,
// settings) is in it: UTF-8 unless TUNEWARDEN_CODEPAGE names 932, 936, 949, 950
// or 1252. PC file names and Qt want UTF-8, FAT long names UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

constexpr uint32_t CodePageUtf8 = 65001;

// Read once from TUNEWARDEN_CODEPAGE; an unknown value falls back to UTF-8.
uint32_t ActiveCodePage();
// Tests switch pages; 0 re-reads the environment.
void SetActiveCodePage(uint32_t codePage);

// True when the byte starts a character of more than one byte.
bool IsLeadByte(uint8_t byte);
// Bytes of the character that starts at `pos` (at least 1, never past the end).
size_t CharLength(std::string_view text, size_t pos);
// The longest prefix of at most maxBytes that does not end inside a character.
size_t CutAtCharBoundary(std::string_view text, size_t maxBytes);

// Conversions; false (last error NoUnicodeTranslation) when a character has no
// counterpart, the output then holds what converted before it.
bool CodePageToUtf8(std::string_view text, std::string* utf8);
bool Utf8ToCodePage(std::string_view utf8, std::string* text);
bool CodePageToUtf16(std::string_view text, std::u16string* utf16);
bool Utf16ToCodePage(std::u16string_view utf16, std::string* text);
// Latin-1 (ISO 8859-1), which every byte is, as UTF-8: for texts of old tags
// and playlists that no code page was recorded for.
std::string Latin1ToUtf8(std::string_view latin1);
bool IsValidUtf8(std::string_view text);

// Conversions for showing a text, which never stop: a character without a
// counterpart becomes U+FFFD (to UTF-8) or '?' (to the code page), and the
// rest of the text follows it.
std::string CodePageToUtf8Marked(std::string_view text);
std::string Utf8ToCodePageMarked(std::string_view utf8);

}  // namespace platform
