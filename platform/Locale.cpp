#include "platform/Locale.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/CodePage.h"
#include "platform/Errors.h"

namespace platform {

namespace {

// Date and time patterns are our own, one set per interface language, because
// the machine may have no locales beyond C installed. They follow what each
// language's users read on their desktops:
//   English   12/6/2026    Sunday, December 6, 2026       3:05 PM     3:05:09 PM
//   Japanese  2026/12/06   2026年12月6日                 15:05       15:05:09
//   Korean    2026-12-06   2026년 12월 6일 일요일         오후 3:05   오후 3:05:09
//   Chinese   2026/12/6    2026年12月6日                 15:05       15:05:09
constexpr const char* kEnglishMonths[] = {"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
constexpr const char* kEnglishDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
constexpr const char* kKoreanDays[] = {"일요일", "월요일", "화요일", "수요일",
                                       "목요일", "금요일", "토요일"};

// The fields with the day of the week worked out, or false for an invalid date.
bool Normalized(const SystemTime& time, SystemTime* result) {
  FileTime fileTime;
  return SystemTimeToFileTime(time, &fileTime) && FileTimeToSystemTime(fileTime, result);
}

std::string Printf(const char* pattern, auto... values) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

std::string InCodePage(const std::string& utf8) {
  std::string text;
  return Utf8ToCodePage(utf8, &text) ? text : std::string();
}

using Formatter = std::string (*)(Language, const SystemTime&);

// Formats in the interface language; a code page that cannot show its
// characters gets the English form, which is plain ASCII.
std::string Format(const SystemTime& time, Formatter formatter) {
  SystemTime t;
  if (!Normalized(time, &t)) return std::string();
  std::string text = InCodePage(formatter(InterfaceLanguage(), t));
  return text.empty() ? formatter(Language::English, t) : text;
}

std::string ShortDate(Language language, const SystemTime& t) {
  switch (language) {
    case Language::Japanese: return Printf("%04u/%02u/%02u", t.year, t.month, t.day);
    case Language::Korean: return Printf("%04u-%02u-%02u", t.year, t.month, t.day);
    case Language::Chinese: return Printf("%u/%u/%u", t.year, t.month, t.day);
    default: return Printf("%u/%u/%u", t.month, t.day, t.year);
  }
}

std::string LongDate(Language language, const SystemTime& t) {
  switch (language) {
    case Language::Japanese:
    case Language::Chinese: return Printf("%u年%u月%u日", t.year, t.month, t.day);
    case Language::Korean:
      return Printf("%u년 %u월 %u일 %s", t.year, t.month, t.day, kKoreanDays[t.dayOfWeek]);
    default:
      return Printf("%s, %s %u, %u", kEnglishDays[t.dayOfWeek], kEnglishMonths[t.month - 1],
                    t.day, t.year);
  }
}

// The clock time, with the seconds when `seconds` is given.
std::string ClockTime(Language language, const SystemTime& t, bool seconds) {
  std::string minutes = Printf(seconds ? "%02u:%02u" : "%02u", t.minute, t.second);
  unsigned hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  switch (language) {
    case Language::Japanese:
    case Language::Chinese: return Printf("%u:%s", t.hour, minutes.c_str());
    case Language::Korean:
      return Printf("%s %u:%s", t.hour < 12 ? "오전" : "오후", hour12, minutes.c_str());
    default: return Printf("%u:%s %s", hour12, minutes.c_str(), t.hour < 12 ? "AM" : "PM");
  }
}

std::string TimeNoSeconds(Language language, const SystemTime& t) {
  return ClockTime(language, t, false);
}

std::string TimeWithSeconds(Language language, const SystemTime& t) {
  return ClockTime(language, t, true);
}

// Case folding must not depend on the user's locale being installed: C.UTF-8
// is built into the C library and knows every script's letters.
wint_t FoldCase(char32_t c) {
  static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8 == static_cast<locale_t>(0)) return c >= U'A' && c <= U'Z' ? c + 32 : c;
  return towlower_l(static_cast<wint_t>(c), utf8);
}

std::u32string CodePoints(std::string_view text) {
  std::u16string utf16;
  CodePageToUtf16(text, &utf16);  // what does not convert compares by what did
  std::u32string result;
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    }
    result.push_back(c);
  }
  return result;
}

int Sign(int64_t value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

}  // namespace

Language InterfaceLanguage() {
  const char* value = nullptr;
  for (const char* name : {"TUNEWARDEN_LANG", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    value = std::getenv(name);
    if (value != nullptr && *value != '\0') break;
  }
  if (value == nullptr) return Language::English;
  std::string_view tag(value);
  if (tag.starts_with("ja")) return Language::Japanese;
  if (tag.starts_with("ko")) return Language::Korean;
  if (tag.starts_with("zh")) return Language::Chinese;
  return Language::English;
}

std::string FormatShortDate(const SystemTime& time) { return Format(time, ShortDate); }
std::string FormatLongDate(const SystemTime& time) { return Format(time, LongDate); }
std::string FormatTimeNoSeconds(const SystemTime& time) { return Format(time, TimeNoSeconds); }
std::string FormatTime(const SystemTime& time) { return Format(time, TimeWithSeconds); }

// Letters first without regard to case, then lower case before upper case,
// then the code points: "apple" < "Apple" < "banana" < "Zebra", as a file
// manager sorts, and the same on every machine whatever locales it has.
int CompareCollated(std::string_view a, std::string_view b) {
  uint32_t kept = GetLastError();
  std::u32string left = CodePoints(a), right = CodePoints(b);
  SetLastError(kept);
  size_t common = std::min(left.size(), right.size());
  for (size_t i = 0; i < common; ++i) {
    if (FoldCase(left[i]) != FoldCase(right[i])) {
      return Sign(static_cast<int64_t>(FoldCase(left[i])) - FoldCase(right[i]));
    }
  }
  if (left.size() != right.size()) return left.size() < right.size() ? -1 : 1;
  for (size_t i = 0; i < common; ++i) {
    if (left[i] != right[i]) {
      bool leftLower = FoldCase(left[i]) == left[i];
      bool rightLower = FoldCase(right[i]) == right[i];
      if (leftLower != rightLower) return leftLower ? -1 : 1;
      return left[i] < right[i] ? -1 : 1;
    }
  }
  return 0;
}

}  // namespace platform
