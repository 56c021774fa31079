#include "framework/core/FileStamp.h"

#include <limits>
#include <string>

#include "framework/core/ByteStream.h"
#include "framework/core/Exception.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/Locale.h"

namespace {

uint16_t Field(int value) {
  if (value < 0 || value > std::numeric_limits<uint16_t>::max()) throw CException(platform::Error::InvalidParameter);
  return static_cast<uint16_t>(value);
}

// The system gives each part of the text at most 80 characters.
std::string_view AtMost80(const std::string& text) {
  return std::string_view(text).substr(0, platform::CutAtCharBoundary(text, 80));
}

}  // namespace

CFileStamp::CFileStamp(const platform::SystemTime& time) {
  if (!platform::SystemTimeToFileTime(time, &ticks_)) CException::ThrowLastError();
}

CFileStamp::CFileStamp(int year, int month, int day, int hour, int minute, int second)
    : CFileStamp(platform::SystemTime{Field(year), Field(month), 0, Field(day), Field(hour), Field(minute),
                                      Field(second), 0}) {}

platform::SystemTime CFileStamp::ToSystemTime() const {
  platform::SystemTime time;
  if (!platform::FileTimeToSystemTime(ticks_, &time)) CException::ThrowLastError();
  return time;
}

CText CFileStamp::Text(uint32_t dateFlags, uint32_t timeFlags, const platform::DateTimeFormat& format) const {
  const platform::SystemTime time = ToSystemTime();
  const std::string date = dateFlags & LongDate ? format.LongDate(time) : format.ShortDate(time);
  const std::string clock = timeFlags & NoSeconds ? format.TimeNoSeconds(time) : format.Time(time);
  CText text(AtMost80(date));
  text.Append(' ');
  text.Append(AtMost80(clock));
  return text;
}

void CFileStamp::Save(CByteStream& stream) const {
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(ticks_ >> (8 * i));
  stream.WriteAll(bytes, 8);
}

void CFileStamp::Load(CByteStream& stream) {
  uint8_t bytes[8];
  stream.ReadExact(bytes, 8);
  ticks_ = 0;
  for (int i = 7; i >= 0; --i) ticks_ = ticks_ << 8 | bytes[i];
}
