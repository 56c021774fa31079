#include "platform/Time.h"

#include <time.h>

#include <mutex>

#include "platform/Errors.h"

namespace platform {

namespace {

constexpr int64_t TicksPerSecond = 10'000'000;
constexpr int64_t TicksPerDay = TicksPerSecond * 86'400;
constexpr int64_t SecondsFrom1601To1970 = 11'644'473'600;
// Windows refuses file times with the top bit set.
constexpr FileTime LargestFileTime = 0x7FFF'FFFF'FFFF'FFFF;

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int64_t year, int month) {
  static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// Days since 1601-01-01 of a proleptic Gregorian date. 1601 starts a 400-year
// cycle, which keeps the arithmetic free of negative numbers.
int64_t DaysFrom1601(int64_t year, int month, int day) {
  int64_t y = year - 1601;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

std::mutex tickMutex;
std::function<uint32_t()> tickSource;

uint32_t SystemTicks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
  return static_cast<uint32_t>(milliseconds);
}

int64_t UnixSeconds(FileTime time) { return static_cast<int64_t>(time / TicksPerSecond) - SecondsFrom1601To1970; }

// Offset of local wall time from UTC, in file-time ticks, at a given instant.
int64_t LocalOffset(int64_t unixSeconds) {
  time_t when = static_cast<time_t>(unixSeconds);
  tm local{};
  if (localtime_r(&when, &local) == nullptr) return 0;
  return static_cast<int64_t>(local.tm_gmtoff) * TicksPerSecond;
}

FileTime AddClamped(FileTime time, int64_t offset) {
  if (offset < 0 && static_cast<FileTime>(-offset) > time) return 0;
  return time + offset;
}

}  // namespace

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
  int64_t since1601 = seconds + SecondsFrom1601To1970;
  if (since1601 < 0) return 0;
  return static_cast<FileTime>(since1601) * TicksPerSecond + nanoseconds / 100;
}

FileTime CurrentFileTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return FileTimeFromUnix(now.tv_sec, now.tv_nsec);
}

bool SystemTimeToFileTime(const SystemTime& time, FileTime* result) {
  // The day of the week is ignored, as the original conversion ignores it.
  bool valid = time.year >= 1601 && time.year <= 30827 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
               time.day <= DaysInMonth(time.year, time.month) && time.hour < 24 && time.minute < 60 &&
               time.second < 60 && time.milliseconds < 1000;
  if (!valid) {
    SetLastError(Error::InvalidParameter);
    return false;
  }
  int64_t seconds =
      ((DaysFrom1601(time.year, time.month, time.day) * 24 + time.hour) * 60 + time.minute) * 60 + time.second;
  *result = static_cast<FileTime>(seconds) * TicksPerSecond + time.milliseconds * 10'000ll;
  return true;
}

bool FileTimeToSystemTime(FileTime time, SystemTime* result) {
  if (time > LargestFileTime) {
    SetLastError(Error::InvalidParameter);
    return false;
  }
  int64_t days = static_cast<int64_t>(time) / TicksPerDay;
  int64_t within = static_cast<int64_t>(time) % TicksPerDay;
  SystemTime out{};
  out.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  int64_t year = 1601 + days / 146'097 * 400;             // whole 400-year cycles first
  days %= 146'097;
  while (days >= (IsLeapYear(year) ? 366 : 365)) days -= IsLeapYear(year++) ? 366 : 365;
  int month = 1;
  while (days >= DaysInMonth(year, month)) days -= DaysInMonth(year, month++);
  out.year = static_cast<uint16_t>(year);
  out.month = static_cast<uint16_t>(month);
  out.day = static_cast<uint16_t>(days + 1);
  out.hour = static_cast<uint16_t>(within / (TicksPerSecond * 3600));
  out.minute = static_cast<uint16_t>(within / (TicksPerSecond * 60) % 60);
  out.second = static_cast<uint16_t>(within / TicksPerSecond % 60);
  out.milliseconds = static_cast<uint16_t>(within / 10'000 % 1000);
  *result = out;
  return true;
}

FileTime FileTimeToLocal(FileTime utc) { return AddClamped(utc, LocalOffset(UnixSeconds(utc))); }

FileTime LocalFileTimeToUtc(FileTime local) {
  // The offset that applies is the one at the UTC instant we are looking for;
  // starting from the offset at the wall time itself and correcting once finds
  // it everywhere except inside a daylight-saving jump, where either is right.
  int64_t guess = LocalOffset(UnixSeconds(local));
  FileTime utc = AddClamped(local, -guess);
  return AddClamped(local, -LocalOffset(UnixSeconds(utc)));
}

uint32_t TickCount() {
  std::lock_guard lock(tickMutex);
  return tickSource ? tickSource() : SystemTicks();
}

void SetTickSource(std::function<uint32_t()> source) {
  std::lock_guard lock(tickMutex);
  tickSource = std::move(source);
}

}  // namespace platform
