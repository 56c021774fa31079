#include "resources/StringTables.h"

#include <optional>
#include <string>
#include <utility>

#include "framework/core/Helpers.h"
#include "platform/CodePage.h"

namespace {

const char* FindText(std::span<const StringEntry> table, uint32_t id) {
  for (const StringEntry& entry : table) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

bool FitsCodePage(platform::Language language) {
  std::string converted;
  for (const StringEntry& entry : StringsOf(language)) {
    if (!platform::Utf8ToCodePage(entry.text, &converted)) return false;
  }
  return true;
}

CText LookUp(uint32_t id) {
  const char* text = FindText(StringsOf(ResourceLanguage()), id);
  if (text == nullptr) text = FindText(EnglishStrings(), id);
  return text == nullptr ? CText() : ResourceText(text);
}

}  // namespace

std::span<const StringEntry> StringsOf(platform::Language language) {
  switch (language) {
    case platform::Language::Japanese:
      return JapaneseStrings();
    case platform::Language::Korean:
      return KoreanStrings();
    case platform::Language::Chinese:
      return ChineseStrings();
    default:
      return EnglishStrings();
  }
}

platform::Language ResourceLanguage() {
  // Converting a whole table is worth doing once per language and code page.
  using Choice = std::pair<platform::Language, uint32_t>;
  static std::optional<Choice> checked;
  static bool fits = true;
  const Choice now{platform::InterfaceLanguage(), platform::ActiveCodePage()};
  if (checked != now) {
    checked = now;
    fits = FitsCodePage(now.first);
  }
  return fits ? now.first : platform::Language::English;
}

CText ResourceText(const char* utf8) {
  std::string converted;
  platform::Utf8ToCodePage(utf8, &converted);
  return CText(std::string_view(converted));
}

void InstallStringTables() { SetStringTable(LookUp); }
