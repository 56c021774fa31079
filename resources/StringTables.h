// The program's string tables, one per interface language, written in UTF-8.
// Installed, they answer LoadStringText in the program's code page.
#pragma once

#include <cstdint>
#include <span>

struct StringEntry {
  uint32_t id;
  const char* text;  // UTF-8
};

std::span<const StringEntry> EnglishStrings();

// Makes LoadStringText answer from the table of the interface language; an id
// that table lacks comes from the English one.
void InstallStringTables();
