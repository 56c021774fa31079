// The interface language and locale formatting.
#pragma once

#include <string>
#include <string_view>

#include "platform/Time.h"

namespace platform {

enum class Language { English, Japanese, Korean, Chinese };

// From TUNEWARDEN_LANG, else LC_ALL, LC_MESSAGES, LANG ("ja…", "ko…", "zh…").
Language InterfaceLanguage();

// Dates and times as texts in the program's code page, formatted for the
// interface language of the moment the format was made: a listing makes one
// and formats every row with it. "" for a date or time that does not exist.
class DateTimeFormat {
 public:
  DateTimeFormat() : language_(InterfaceLanguage()) {}
  std::string ShortDate(const SystemTime& time) const;  // 2026/12/06 style per locale
  std::string LongDate(const SystemTime& time) const;
  std::string TimeNoSeconds(const SystemTime& time) const;
  std::string Time(const SystemTime& time) const;  // with seconds

 private:
  Language language_;
};

// The same in the interface language of the moment.
std::string FormatShortDate(const SystemTime& time);
std::string FormatLongDate(const SystemTime& time);
std::string FormatTimeNoSeconds(const SystemTime& time);
std::string FormatTime(const SystemTime& time);

// Case-sensitive comparison by the user's collation: -1, 0 or 1. Texts are in
// the program's code page.
int CompareCollated(std::string_view a, std::string_view b);
// A key whose plain comparison orders texts as CompareCollated does, made
// once per text when many are sorted.
std::u32string CollationKey(std::string_view text);

}  // namespace platform
