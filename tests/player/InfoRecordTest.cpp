// The information record's rules that a stored track does not show.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "player/InfoRecord.h"

namespace {

TEST(InfoRecordTest, WithoutADurationTheBytesPerSecondAreTheLengthsLow16Bits) {
  AudioInfo audio{};
  audio.dataLength = 0x12345;
  uint8_t record[InfoRecord::Size] = {};
  BuildInfoRecord(audio, record);
  EXPECT_EQ(record[8] | record[9] << 8, 0x2345);
}

TEST(InfoRecordTest, TextsAreCutTo79BytesAndNeverInsideACharacter) {
  TrackInfo info;
  info.title = CText(std::string(100, 'x'));
  uint8_t record[InfoRecord::Size];
  std::memset(record, 0xEE, sizeof record);
  WriteTrackTexts(info, record);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 192)), std::string(79, 'x'));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 272), 80), std::string(80, '\0'))
      << "an empty text clears its field";

  // Forty double-byte characters are 80 bytes; the 79-byte field keeps 39.
  const uint32_t codePage = platform::ActiveCodePage();
  platform::SetActiveCodePage(932);
  std::string hiragana;
  for (int i = 0; i < 40; ++i) hiragana += "\x82\xa0";
  EXPECT_EQ(RecordText(hiragana).Length(), 78);
  platform::SetActiveCodePage(codePage);
}

}  // namespace
