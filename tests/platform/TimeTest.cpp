#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/Errors.h"
#include "platform/Time.h"

namespace platform {
namespace {

bool SameFields(const SystemTime& a, const SystemTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second && a.milliseconds == b.milliseconds && a.dayOfWeek == b.dayOfWeek;
}

TEST(TimeTest, CalendarAgreesWithTheCLibrary) {
  // Every 13th day from 1970 to 2400 crosses all the leap-year rules.
  for (int64_t seconds = 0; seconds < 13'569'465'600; seconds += 13 * 86'400 + 3'723) {
    time_t when = seconds;
    tm utc{};
    gmtime_r(&when, &utc);
    SystemTime expected{static_cast<uint16_t>(utc.tm_year + 1900), static_cast<uint16_t>(utc.tm_mon + 1),
                        static_cast<uint16_t>(utc.tm_wday),        static_cast<uint16_t>(utc.tm_mday),
                        static_cast<uint16_t>(utc.tm_hour),        static_cast<uint16_t>(utc.tm_min),
                        static_cast<uint16_t>(utc.tm_sec),         250};
    FileTime fileTime = FileTimeFromUnix(seconds, 250'000'000);
    SystemTime fields;
    ASSERT_TRUE(FileTimeToSystemTime(fileTime, &fields));
    ASSERT_TRUE(SameFields(fields, expected)) << seconds;
    FileTime back;
    ASSERT_TRUE(SystemTimeToFileTime(expected, &back));
    ASSERT_EQ(back, fileTime);
  }
}

TEST(TimeTest, EdgesOfTheScale) {
  SystemTime first;
  ASSERT_TRUE(FileTimeToSystemTime(0, &first));
  EXPECT_TRUE(SameFields(first, SystemTime{1601, 1, 1, 1, 0, 0, 0, 0}));  // a Monday
  EXPECT_EQ(FileTimeFromUnix(0, 0), 116'444'736'000'000'000u);
  EXPECT_EQ(FileTimeFromUnix(-11'644'473'601, 0), 0u);
  EXPECT_FALSE(FileTimeToSystemTime(0x8000'0000'0000'0000, &first));
  EXPECT_EQ(GetLastError(), Error::InvalidParameter);
  FileTime result = 7;
  const SystemTime invalid[] = {{1600, 12, 0, 31, 0, 0, 0, 0},
                                {2100, 2, 0, 29, 0, 0, 0, 0},
                                {2024, 4, 0, 31, 0, 0, 0, 0},
                                {2024, 1, 0, 1, 0, 0, 0, 1000}};
  for (const SystemTime& fields : invalid) EXPECT_FALSE(SystemTimeToFileTime(fields, &result));
  EXPECT_EQ(result, 7u);
  EXPECT_TRUE(SystemTimeToFileTime({2000, 2, 6, 29, 23, 59, 59, 999}, &result));
}

TEST(TimeTest, LocalTimeFollowsTheZoneAndItsSummerTime) {
  const char* saved = std::getenv("TZ");
  std::string kept = saved ? saved : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  FileTime winter, summer;
  ASSERT_TRUE(SystemTimeToFileTime({2026, 1, 0, 15, 12, 0, 0, 0}, &winter));
  ASSERT_TRUE(SystemTimeToFileTime({2026, 7, 0, 15, 12, 0, 0, 0}, &summer));
  const uint64_t hour = 36'000'000'000;
  EXPECT_EQ(FileTimeToLocal(winter), winter + hour);
  EXPECT_EQ(FileTimeToLocal(summer), summer + 2 * hour);
  EXPECT_EQ(LocalFileTimeToUtc(FileTimeToLocal(winter)), winter);
  EXPECT_EQ(LocalFileTimeToUtc(FileTimeToLocal(summer)), summer);
  EXPECT_EQ(LocalFileTimeToUtc(0), 0u);  // clamped, not wrapped
  saved ? setenv("TZ", kept.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST(TimeTest, TickSourceCanBeSubstitutedAndWraps) {
  uint32_t now = 0xFFFF'FFF0;
  SetTickSource([&] { return now; });
  uint32_t start = TickCount();
  now += 0x20;  // past the wrap
  EXPECT_EQ(TickCount(), 0x10u);
  EXPECT_EQ(TickCount() - start, 0x20u);
  SetTickSource(nullptr);
  uint32_t real = TickCount();
  EXPECT_LT(static_cast<uint32_t>(TickCount() - real), 1000u);  // the running clock again
}

}  // namespace
}  // namespace platform
