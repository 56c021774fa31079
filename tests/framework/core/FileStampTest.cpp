#include <gtest/gtest.h>

#include <string>

#include "framework/core/FileStamp.h"
#include "platform/Errors.h"
#include "tests/framework/core/CoreTesting.h"

using namespace std::string_literals;

TEST(FileStamp, CountsHundredNanosecondsFrom1601) {
  EXPECT_EQ(CFileStamp(1601, 1, 1, 0, 0, 0).Ticks(), 0u);
  EXPECT_EQ(CFileStamp(1970, 1, 1, 0, 0, 0).Ticks(), 116444736000000000u);
  EXPECT_EQ(CFileStamp(1970, 1, 1, 0, 0, 1).Milliseconds(), 11644473601000u);

  const platform::SystemTime time = CFileStamp(2026, 12, 6, 23, 59, 58).ToSystemTime();
  EXPECT_EQ(time.dayOfWeek, 0) << "a Sunday";
  EXPECT_EQ(CFileStamp(time).Ticks(), CFileStamp(2026, 12, 6, 23, 59, 58).Ticks());
  EXPECT_TRUE(CFileStamp(2000, 1, 1, 0, 0, 0) < CFileStamp(2000, 1, 1, 0, 0, 1));
}

TEST(FileStamp, InvalidFieldsThrow) {
  // The calendar rules are the platform layer's; the fields that do not fit it are this layer's.
  const int invalid[][6] = {{2001, 2, 29, 0, 0, 0}, {-1, 1, 1, 0, 0, 0}, {70000, 1, 1, 0, 0, 0}};
  for (const auto& f : invalid)
    EXPECT_EQ(FailureCode([&] { CFileStamp(f[0], f[1], f[2], f[3], f[4], f[5]); }), platform::Error::InvalidParameter)
        << f[0] << "-" << f[1] << "-" << f[2] << " " << f[3] << ":" << f[4] << ":" << f[5];
}

TEST(FileStamp, StreamFormIsEightBytesLittleEndian) {
  MemoryStream stream;
  CFileStamp(0x0102030405060708u).Save(stream);
  EXPECT_EQ(stream.Data(), "\x08\x07\x06\x05\x04\x03\x02\x01"s);
  MemoryStream input(stream.Data() + "\xFF", 3);
  CFileStamp loaded;
  input.ReadObject(loaded);
  EXPECT_EQ(loaded.Ticks(), 0x0102030405060708u);
  EXPECT_THROW(loaded.Load(input), CException) << "one byte is not a stamp";
}

TEST(FileStamp, TextJoinsDateAndTime) {
  // The tests run with the English interface.
  const CFileStamp stamp(2026, 12, 6, 13, 5, 9);
  EXPECT_EQ(stamp.Text(CFileStamp::ShortDate, CFileStamp::NoSeconds), CText("12/6/2026 1:05 PM"));
  EXPECT_EQ(stamp.Text(CFileStamp::LongDate, 0), CText("Sunday, December 6, 2026 1:05:09 PM"));
  EXPECT_EQ(CFileStamp().Text(CFileStamp::ShortDate, CFileStamp::NoSeconds), CText("1/1/1601 12:00 AM"));
}
