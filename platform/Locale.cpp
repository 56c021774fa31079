#include "platform/Locale.h"

#include <locale.h>
#include <wctype.h>

#include <charconv>
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
constexpr const char* EnglishMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
constexpr const char* EnglishDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* KoreanDays[] = {"일요일", "월요일", "화요일", "수요일", "목요일", "금요일", "토요일"};

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

// A code page that cannot show the language's characters gets the English
// form, which is plain ASCII.
std::string Format(Language language, const SystemTime& time, Formatter formatter) {
  SystemTime t;
  if (!Normalized(time, &t)) return std::string();
  std::string text = InCodePage(formatter(language, t));
  return text.empty() ? formatter(Language::English, t) : text;
}

// What "%0*u" makes of a field: a listing formats a date and a time a row,
// which printf made a good part of its cost.
std::string Number(unsigned value, size_t digits = 1) {
  char text[16];
  std::string number(text, std::to_chars(text, text + sizeof text, value).ptr);
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return number;
}

std::string ShortDateIn(Language language, const SystemTime& t) {
  switch (language) {
    case Language::Japanese:
      return Number(t.year, 4) + '/' + Number(t.month, 2) + '/' + Number(t.day, 2);
    case Language::Korean:
      return Number(t.year, 4) + '-' + Number(t.month, 2) + '-' + Number(t.day, 2);
    case Language::Chinese:
      return Number(t.year) + '/' + Number(t.month) + '/' + Number(t.day);
    default:
      return Number(t.month) + '/' + Number(t.day) + '/' + Number(t.year);
  }
}

std::string LongDateIn(Language language, const SystemTime& t) {
  switch (language) {
    case Language::Japanese:
    case Language::Chinese:
      return Printf("%u年%u月%u日", t.year, t.month, t.day);
    case Language::Korean:
      return Printf("%u년 %u월 %u일 %s", t.year, t.month, t.day, KoreanDays[t.dayOfWeek]);
    default:
      return Printf("%s, %s %u, %u", EnglishDays[t.dayOfWeek], EnglishMonths[t.month - 1], t.day, t.year);
  }
}

// The clock time, with the seconds when `seconds` is given.
std::string ClockTime(Language language, const SystemTime& t, bool seconds) {
  std::string minutes = Number(t.minute, 2);
  if (seconds) minutes.append(1, ':').append(Number(t.second, 2));
  unsigned hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  switch (language) {
    case Language::Japanese:
    case Language::Chinese:
      return Number(t.hour) + ':' + minutes;
    case Language::Korean:
      return std::string(t.hour < 12 ? "오전 " : "오후 ") + Number(hour12) + ':' + minutes;
    default:
      return Number(hour12) + ':' + minutes + (t.hour < 12 ? " AM" : " PM");
  }
}

std::string TimeNoSecondsIn(Language language, const SystemTime& t) { return ClockTime(language, t, false); }

std::string TimeWithSecondsIn(Language language, const SystemTime& t) { return ClockTime(language, t, true); }

// Case folding must not depend on the user's locale being installed: C.UTF-8
// is built into the C library and knows every script's letters.
char32_t FoldCase(char32_t c) {
  static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8 == static_cast<locale_t>(0)) return c >= U'A' && c <= U'Z' ? c + 32 : c;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), utf8));
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

// Latin letters with marks sort with their base letter (é with e), as their
// readers expect. One entry per code point from U+00C0 to U+017F; '.' marks
// the two signs among them.
constexpr std::string_view LatinBase =
    "aaaaaaaceeeeiiiidnooooo.ouuuuytsaaaaaaaceeeeiiiidnooooo.ouuuuyty"
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrss"
    "ssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(LatinBase.size() == 0x180 - 0xC0);

char32_t BaseLetter(char32_t c) {
  if (c >= 0xC0 && c < 0x180 && LatinBase[c - 0xC0] != '.') return LatinBase[c - 0xC0];
  return FoldCase(c);
}

char32_t CaseRank(char32_t c) { return FoldCase(c) == c ? 0 : 1; }  // lower case first

char32_t Itself(char32_t c) { return c; }

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

std::string DateTimeFormat::ShortDate(const SystemTime& time) const { return Format(language_, time, ShortDateIn); }
std::string DateTimeFormat::LongDate(const SystemTime& time) const { return Format(language_, time, LongDateIn); }
std::string DateTimeFormat::TimeNoSeconds(const SystemTime& time) const {
  return Format(language_, time, TimeNoSecondsIn);
}
std::string DateTimeFormat::Time(const SystemTime& time) const { return Format(language_, time, TimeWithSecondsIn); }

std::string FormatShortDate(const SystemTime& time) { return DateTimeFormat().ShortDate(time); }
std::string FormatLongDate(const SystemTime& time) { return DateTimeFormat().LongDate(time); }
std::string FormatTimeNoSeconds(const SystemTime& time) { return DateTimeFormat().TimeNoSeconds(time); }
std::string FormatTime(const SystemTime& time) { return DateTimeFormat().Time(time); }

// Base letters first, then marks, then lower case before upper case, then
// the code points: "eclair" < "éclair" < "Éclair" < "zebra" < "Zebra", as a
// file manager sorts, and the same on every machine whatever locales it has.
std::u32string CollationKey(std::string_view text) {
  uint32_t kept = GetLastError();
  const std::u32string codes = CodePoints(text);
  SetLastError(kept);
  // One level per key, each character's key raised by one and the level
  // ended by 0: a text that runs out first then comes first at its level.
  std::u32string key;
  key.reserve(4 * (codes.size() + 1));
  for (auto level : {BaseLetter, FoldCase, CaseRank, Itself}) {
    for (char32_t c : codes) key.push_back(level(c) + 1);
    key.push_back(0);
  }
  return key;
}

int CompareCollated(std::string_view a, std::string_view b) {
  const int order = CollationKey(a).compare(CollationKey(b));
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}  // namespace platform
