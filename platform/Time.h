// Date-time values on the 1601-based scale of 100-nanosecond intervals, and the
// 32-bit wrapping millisecond tick counter.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

struct SystemTime {
  uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// 100-ns intervals since 1601-01-01 00:00 UTC.
using FileTime = uint64_t;

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
FileTime CurrentFileTime();
// False (last error InvalidParameter) when a field is out of range.
bool SystemTimeToFileTime(const SystemTime& time, FileTime* result);
bool FileTimeToSystemTime(FileTime time, SystemTime* result);
// UTC to local wall time and back, by the system's time zone.
FileTime FileTimeToLocal(FileTime utc);
FileTime LocalFileTimeToUtc(FileTime local);

// Milliseconds since an arbitrary start; wraps at 2^32.
uint32_t TickCount();
// Tests substitute the clock; an empty function restores the real one.
void SetTickSource(std::function<uint32_t()> source);

}  // namespace platform
