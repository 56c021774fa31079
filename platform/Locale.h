// The interface language and locale formatting.
#pragma once

#include <string>
#include <string_view>

#include "platform/Time.h"

namespace platform {

enum class Language { English, Japanese, Korean, Chinese };

// From TUNEWARDEN_LANG, else LC_ALL, LC_MESSAGES, LANG ("ja…", "ko…", "zh…").
Language InterfaceLanguage();

// Texts in the program's code page, formatted for the user's locale.
std::string FormatShortDate(const SystemTime& time);  // 2026/12/06 style per locale
std::string FormatLongDate(const SystemTime& time);
std::string FormatTimeNoSeconds(const SystemTime& time);
std::string FormatTime(const SystemTime& time);  // with seconds

// Case-sensitive comparison by the user's collation: -1, 0 or 1. Texts are in
// the program's code page.
int CompareCollated(std::string_view a, std::string_view b);
// A key whose plain comparison orders texts as CompareCollated does, made
// once per text when many are sorted.
std::u32string CollationKey(std::string_view text);

}  // namespace platform
