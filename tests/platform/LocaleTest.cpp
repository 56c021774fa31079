#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/CodePage.h"
#include "platform/Locale.h"

namespace platform {
namespace {

class LocaleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
    setenv("TUNEWARDEN_LANG", "en", 1);
    SetActiveCodePage(0);
  }
};

TEST_F(LocaleTest, LanguageFromTheEnvironmentInOrder) {
  unsetenv("TUNEWARDEN_LANG");
  EXPECT_EQ(InterfaceLanguage(), Language::English);
  setenv("LANG", "ko_KR.UTF-8", 1);
  EXPECT_EQ(InterfaceLanguage(), Language::Korean);
  setenv("LC_MESSAGES", "zh_CN.GBK", 1);
  EXPECT_EQ(InterfaceLanguage(), Language::Chinese);
  setenv("LC_ALL", "", 1);  // empty counts as unset
  EXPECT_EQ(InterfaceLanguage(), Language::Chinese);
  setenv("LC_ALL", "de_DE", 1);
  EXPECT_EQ(InterfaceLanguage(), Language::English);
  setenv("TUNEWARDEN_LANG", "ja", 1);
  EXPECT_EQ(InterfaceLanguage(), Language::Japanese);
}

TEST_F(LocaleTest, DatesAndTimesPerLanguage) {
  const SystemTime evening{2026, 12, 3, 6, 15, 5, 9, 0};  // a wrong weekday is ignored
  const SystemTime midnight{1601, 1, 0, 1, 0, 7, 0, 0};
  struct Case {
    const char* language;
    const char* shortDate;
    const char* longDate;
    const char* time;
    const char* timeWithSeconds;
    const char* midnightLong;
    const char* midnightTime;
  };
  const Case cases[] = {
      {"en", "12/6/2026", "Sunday, December 6, 2026", "3:05 PM", "3:05:09 PM", "Monday, January 1, 1601", "12:07 AM"},
      {"ja", "2026/12/06", "2026年12月6日", "15:05", "15:05:09", "1601年1月1日", "0:07"},
      {"ko", "2026-12-06", "2026년 12월 6일 일요일", "오후 3:05", "오후 3:05:09", "1601년 1월 1일 월요일",
       "오전 12:07"},
      {"zh", "2026/12/6", "2026年12月6日", "15:05", "15:05:09", "1601年1月1日", "0:07"},
  };
  for (const Case& c : cases) {
    setenv("TUNEWARDEN_LANG", c.language, 1);
    EXPECT_EQ(FormatShortDate(evening), c.shortDate);
    EXPECT_EQ(FormatLongDate(evening), c.longDate);
    EXPECT_EQ(FormatTimeNoSeconds(evening), c.time);
    EXPECT_EQ(FormatTime(evening), c.timeWithSeconds);
    EXPECT_EQ(FormatLongDate(midnight), c.midnightLong);
    EXPECT_EQ(FormatTimeNoSeconds(midnight), c.midnightTime);
  }
  EXPECT_EQ(FormatShortDate({2026, 2, 0, 30, 0, 0, 0, 0}), "");  // no such day
}

TEST_F(LocaleTest, TextsComeInTheCodePage) {
  const SystemTime day{2026, 12, 0, 6, 9, 30, 0, 0};
  setenv("TUNEWARDEN_LANG", "ja", 1);
  SetActiveCodePage(932);
  EXPECT_EQ(FormatLongDate(day),
            "2026\x94\x4e"
            "12\x8c\x8e"
            "6\x93\xfa");  // 年 月 日
  setenv("TUNEWARDEN_LANG", "ko", 1);
  SetActiveCodePage(1252);  // Korean cannot be shown: English instead
  EXPECT_EQ(FormatLongDate(day), "Sunday, December 6, 2026");
  EXPECT_EQ(FormatTimeNoSeconds(day), "9:30 AM");
}

TEST_F(LocaleTest, CollationSortsLettersBeforeCase) {
  const char* ordered[] = {"",       "1",      "apple",  "Apple",  "apples", "Ärzte", "banana",
                           "Banana", "eclair", "éclair", "Éclair", "zebra",  "Zebra", "日本"};
  for (size_t i = 0; i < std::size(ordered); ++i) {
    for (size_t j = 0; j < std::size(ordered); ++j) {
      int expected = i < j ? -1 : i > j ? 1 : 0;
      EXPECT_EQ(CompareCollated(ordered[i], ordered[j]), expected) << ordered[i] << " / " << ordered[j];
    }
  }
  SetActiveCodePage(1252);
  EXPECT_EQ(CompareCollated("\xe9t\xe9", "\xc9T\xc9"), -1);  // été / ÉTÉ
  EXPECT_EQ(CompareCollated("\xc9T\xc9", "f"), -1);
}

}  // namespace
}  // namespace platform
