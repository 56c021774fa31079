#include "resources/StringTables.h"

#include <string>

#include "framework/core/Helpers.h"
#include "platform/CodePage.h"
#include "platform/Locale.h"

namespace {

struct LanguageTable {
  platform::Language language;
  std::span<const StringEntry> (*strings)();
};

// Each further language adds its table here.
constexpr LanguageTable Tables[] = {
    {platform::Language::English, EnglishStrings},
};

const char* FindText(std::span<const StringEntry> table, uint32_t id) {
  for (const StringEntry& entry : table) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

CText LookUp(uint32_t id) {
  const platform::Language language = platform::InterfaceLanguage();
  const char* text = nullptr;
  for (const LanguageTable& table : Tables) {
    if (table.language == language) text = FindText(table.strings(), id);
  }
  if (text == nullptr) text = FindText(EnglishStrings(), id);
  if (text == nullptr) return CText();
  // A character the code page lacks ends the text where it stands.
  std::string converted;
  platform::Utf8ToCodePage(text, &converted);
  return CText(std::string_view(converted));
}

}  // namespace

void InstallStringTables() { SetStringTable(LookUp); }
