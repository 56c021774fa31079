// A date-time value: 100-nanosecond intervals since 1 January 1601.
#pragma once

#include <cstdint>

#include "framework/core/Root.h"
#include "framework/core/Text.h"
#include "platform/Locale.h"
#include "platform/Time.h"

class CFileStamp : public CRoot {
 public:
  // Flags of Text().
  static constexpr uint32_t ShortDate = 0x1;
  static constexpr uint32_t LongDate = 0x2;
  static constexpr uint32_t NoSeconds = 0x2;

  CFileStamp() = default;
  explicit CFileStamp(platform::FileTime ticks) : ticks_(ticks) {}
  // Both throw CException when a field is out of range.
  explicit CFileStamp(const platform::SystemTime& time);
  CFileStamp(int year, int month, int day, int hour, int minute, int second);

  platform::FileTime Ticks() const { return ticks_; }
  uint64_t Milliseconds() const { return ticks_ / 10000; }
  platform::SystemTime ToSystemTime() const;
  // The date and the time in the user's locale, joined by one blank.
  CText Text(uint32_t dateFlags, uint32_t timeFlags,
             const platform::DateTimeFormat& format = platform::DateTimeFormat()) const;

  bool operator==(const CFileStamp& other) const { return ticks_ == other.ticks_; }
  bool operator<(const CFileStamp& other) const { return ticks_ < other.ticks_; }

  // Stream form: the 8 bytes of the count, little-endian.
  void Load(CByteStream& stream) override;
  void Save(CByteStream& stream) const override;

 private:
  platform::FileTime ticks_ = 0;
};
