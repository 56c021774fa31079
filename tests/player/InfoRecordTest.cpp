// The information record built from an analysis, read back, and its texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "player/InfoRecord.h"

namespace {

uint32_t Get16(const uint8_t* record, size_t at) { return record[at] | record[at + 1] << 8; }
uint32_t Get32(const uint8_t* record, size_t at) { return Get16(record, at) | Get16(record, at + 2) << 16; }

AudioInfo ExampleAudio() {
  AudioInfo audio{};
  audio.version = 1;
  audio.layer = 3;
  audio.channels = 2;
  audio.sampleRate = 44100;
  audio.bitRate = 128000;
  audio.dataStart = 417;
  audio.dataLength = 4800000;
  audio.samplesPerFrame = 1152;
  audio.duration = 300;
  std::strcpy(audio.title, "Song");
  std::strcpy(audio.artist, "Band");
  std::strcpy(audio.album, "Album");
  std::strcpy(audio.comment, "Note");
  return audio;
}

TEST(InfoRecordTest, BuiltFromTheAnalysisAndReadBack) {
  uint8_t record[InfoRecord::Size] = {};
  BuildInfoRecord(ExampleAudio(), record);
  EXPECT_EQ(Get16(record, 0), 0x0100u);
  EXPECT_EQ(Get16(record, 2), 0u);
  EXPECT_EQ(Get16(record, 4), 0u);
  EXPECT_EQ(Get16(record, 6), 16u);
  EXPECT_EQ(Get16(record, 8), 16000u);  // 4,800,000 bytes over 300 s
  EXPECT_EQ(Get16(record, 10), 300u);
  EXPECT_EQ(Get32(record, 64), 0x00020301u);  // version, layer, channels, spare
  EXPECT_EQ(Get32(record, 68), 44100u);
  EXPECT_EQ(Get32(record, 72), 128000u);
  EXPECT_STREQ(reinterpret_cast<char*>(record + 432), "Note");
  for (size_t at : {12, 63, 76, 191, 512, 1023}) EXPECT_EQ(record[at], 0) << at;

  TrackInfo info;
  ReadTrackInfo(record, &info);
  EXPECT_EQ(info.version, 1u);
  EXPECT_EQ(info.layer, 3u);
  EXPECT_EQ(info.sampleRate, 44100u);
  EXPECT_EQ(info.bitRate, 128000u);
  EXPECT_EQ(info.duration, 300u);
  EXPECT_EQ(info.title, "Song");
  EXPECT_EQ(info.artist, "Band");
  EXPECT_EQ(info.album, "Album");
  EXPECT_EQ(info.comment, "Note");
}

TEST(InfoRecordTest, WithoutADurationTheBytesPerSecondAreTheLengthsLow16Bits) {
  AudioInfo audio = ExampleAudio();
  audio.duration = 0;
  audio.dataLength = 0x12345;
  uint8_t record[InfoRecord::Size] = {};
  BuildInfoRecord(audio, record);
  EXPECT_EQ(Get16(record, 8), 0x2345u);
  EXPECT_EQ(Get16(record, 10), 0u);
}

TEST(InfoRecordTest, DisplayTextIsTheTitleAloneOrTitleAndArtist) {
  uint8_t record[InfoRecord::Size] = {};
  AudioInfo audio = ExampleAudio();
  BuildInfoRecord(audio, record);
  EXPECT_EQ(ComposeDisplayText(record), "Song - Band");
  audio.artist[0] = '\0';
  BuildInfoRecord(audio, record);
  EXPECT_EQ(ComposeDisplayText(record), "Song");
}

TEST(InfoRecordTest, TextsAreCutTo79BytesAndNeverInsideACharacter) {
  TrackInfo info;
  info.title = CText(std::string(100, 'x'));
  info.comment = "kept";
  uint8_t record[InfoRecord::Size];
  std::memset(record, 0xEE, sizeof record);
  WriteTrackTexts(info, record);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 192)), std::string(79, 'x'));
  EXPECT_EQ(record[272], 0) << "an empty artist clears its field";
  EXPECT_EQ(record[272 + 79], 0);
  EXPECT_STREQ(reinterpret_cast<char*>(record + 432), "kept");

  // Forty double-byte characters are 80 bytes; the 79-byte field keeps 39.
  const uint32_t codePage = platform::ActiveCodePage();
  platform::SetActiveCodePage(932);
  std::string hiragana;
  for (int i = 0; i < 40; ++i) hiragana += "\x82\xa0";
  EXPECT_EQ(RecordText(hiragana).Length(), 78);
  platform::SetActiveCodePage(codePage);
}

}  // namespace
