// The program's string tables, one per interface language, written in UTF-8.
// Installed, they answer LoadStringText in the program's code page.
#pragma once

#include <cstdint>
#include <span>

#include "framework/core/Text.h"
#include "platform/Locale.h"

struct StringEntry {
  uint32_t id;
  const char* text;  // UTF-8
};

std::span<const StringEntry> EnglishStrings();
std::span<const StringEntry> JapaneseStrings();
std::span<const StringEntry> KoreanStrings();
std::span<const StringEntry> ChineseStrings();
std::span<const StringEntry> StringsOf(platform::Language language);

// The language the resources speak: the interface language, or English when
// the program's code page cannot hold every text of that language.
platform::Language ResourceLanguage();
// A UTF-8 text of the resources in the program's code page.
CText ResourceText(const char* utf8);

// Makes LoadStringText answer from the table of ResourceLanguage(); an id
// that table lacks comes from the English one.
void InstallStringTables();
