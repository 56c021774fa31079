// Header decoding, the frame search and the VBR header position, on buffers.
#include <gtest/gtest.h>

#include <tuple>

#include "audio/AudioAnalysis.h"
#include "tests/audio/AudioTesting.h"

namespace {

using namespace audio_testing;

int32_t Parse(const Bytes& block, AudioInfo* info, size_t length = SIZE_MAX) {
  return ParseMpegAudio(block.data(), uint32_t(std::min(length, block.size())), info);
}

// The versions and layers of valid headers are checked through ParseMpegAudio below.
TEST(DecodeFrameHeader, TakesTheReservedVersionAsMpeg25AndRefusesWhatHasNoTableEntry) {
  const uint8_t reserved[] = {0xFF, 0xEB, 0x50, 0x00};
  FrameHeader header;
  ASSERT_TRUE(DecodeFrameHeader(reserved, &header));
  EXPECT_EQ(header.version, 3);
  const uint8_t refused[][4] = {
      {0xFE, 0xFB, 0x90, 0x00},  // no sync byte
      {0xFF, 0xDB, 0x90, 0x00},  // second byte's high bits neither F nor E
      {0xFF, 0xF9, 0x90, 0x00},  // layer bits 00
      {0xFF, 0xFB, 0x0C, 0x00},  // bit-rate index 0: free format
      {0xFF, 0xFB, 0xF0, 0x00},  // bit-rate index 15
      {0xFF, 0xFB, 0x9C, 0x00},  // sampling-frequency index 3
  };
  for (const auto& bytes : refused) {
    FrameHeader header;
    EXPECT_FALSE(DecodeFrameHeader(bytes, &header)) << std::hex << int(bytes[1]) << ' ' << int(bytes[2]);
  }
}

TEST(FindFrameSync, FindsTheFirstPairAndNeedsThreeBytesBehindIt) {
  uint32_t offset = 99;
  const uint8_t lastPlace[] = {0x00, 0xFF, 0xE0, 0x00, 0x00};
  ASSERT_TRUE(FindFrameSync(lastPlace, 5, &offset));
  EXPECT_EQ(offset, 1u);
  EXPECT_FALSE(FindFrameSync(lastPlace, 4, &offset));  // only two bytes behind the 0xFF

  const uint8_t several[] = {0xFF, 0xD0, 0xFF, 0x0F, 0xFF, 0xFF, 0xF1, 0x00, 0xFF, 0xE2, 0, 0};
  ASSERT_TRUE(FindFrameSync(several, sizeof several, &offset));
  EXPECT_EQ(offset, 4u);  // 0xFF 0xFF: the second byte's high bits are F
}

TEST(IsMacBinaryHeader, FollowsTheVersionMarkers) {
  struct Case {
    uint8_t nameLength;
    size_t at;  // a byte or signature set beyond the name length; 0 for none
    std::string_view put;
    bool expected;
  } cases[] = {
      {8, 0, "", true},        {0, 0, "", false},      {64, 0, "", false}, {0, 123, "\x81", true},  // version 2
      {0, 102, "mBIN", true},                                                                       // version 3
      {8, 102, "mBIX", false}, {8, 74, "\x01", false},
  };
  for (const Case& c : cases) {
    Bytes bytes(128, 0);
    bytes[1] = c.nameLength;
    if (c.at != 0) PutText(bytes, c.at, c.put);
    EXPECT_EQ(IsMacBinaryHeader(bytes.data()), c.expected) << int(c.nameLength) << ' ' << c.at;
  }
  Bytes firstByteSet(128, 0);
  firstByteSet[0] = firstByteSet[1] = 1;
  EXPECT_FALSE(IsMacBinaryHeader(firstByteSet.data()));
}

TEST(ParseMpegAudio, ReportsTheTableValuesOfEachVersionAndLayer) {
  struct Case {
    HeaderFields fields;
    uint8_t version, layer, channels;
    uint32_t sampleRate, bitRate, samplesPerFrame;
  } cases[] = {
      {{Mpeg::V1, 1, 14, 2, Stereo}, 1, 1, 2, 32000, 448000, 384},
      {{Mpeg::V1, 2, 14, 1, SingleChannel}, 1, 2, 1, 48000, 384000, 1152},
      {{Mpeg::V1, 3, 1, 0, JointStereo}, 1, 3, 2, 44100, 32000, 1152},
      {{Mpeg::V2, 1, 9, 0, Stereo}, 2, 1, 2, 22050, 144000, 384},
      {{Mpeg::V2, 2, 14, 1, Stereo}, 2, 2, 2, 24000, 160000, 1152},
      {{Mpeg::V2, 3, 8, 2, SingleChannel}, 2, 3, 1, 16000, 64000, 576},
      {{Mpeg::V25, 3, 1, 2, SingleChannel}, 3, 3, 1, 8000, 8000, 576},
      {{Mpeg::V25, 1, 14, 1, Stereo}, 3, 1, 2, 12000, 256000, 384},
  };
  for (const Case& c : cases) {
    AudioInfo info{};
    ASSERT_EQ(Parse(Frame(c.fields, 400), &info), 0);
    EXPECT_EQ(std::tie(info.version, info.layer, info.channels), std::tie(c.version, c.layer, c.channels));
    EXPECT_EQ(std::tie(info.sampleRate, info.bitRate, info.samplesPerFrame),
              std::tie(c.sampleRate, c.bitRate, c.samplesPerFrame));
    EXPECT_EQ(info.frameCount, 0u);
  }
}

TEST(ParseMpegAudio, SkipsRefusedCandidatesToTheFirstGoodFrame) {
  Bytes block = {0x00, 0xFF, 0xFB, 0xF0, 0x00,  // bit-rate index 15
                 0xFF, 0xFB, 0x9C, 0x00,        // sampling-frequency index 3
                 0xFF, 0xFF};                   // two more candidates running into the good frame
  Append(block, Frame({Mpeg::V2, 3, 8, 0, Stereo}, 300));
  AudioInfo info{};
  EXPECT_EQ(Parse(block, &info), 11);
  EXPECT_EQ(info.version, 2);
}

// A block needs 156 bytes; the Xing or VBRI test needs 18 bytes behind the VBR
// header position, which for MPEG-1 Layer III stereo lies 36 bytes behind the frame.
TEST(ParseMpegAudio, RefusesShortBlocksAndFramesTooCloseToTheEnd) {
  AudioInfo info{};
  EXPECT_EQ(Parse(Frame({}, 156), &info), 0);
  EXPECT_EQ(Parse(Frame({}, 156), &info, 155), -1);
  for (size_t at : {1994, 1995}) {
    Bytes block(at, 0);
    Append(block, Frame({}, 2048 - at));
    EXPECT_EQ(Parse(block, &info), at == 1994 ? 1994 : -1);
  }
}

TEST(ParseMpegAudio, LooksForTheVbrHeaderBehindTheSideInformation) {
  struct Case {
    HeaderFields fields;
    size_t position;
  } cases[] = {
      {{Mpeg::V1, 3, 9, 0, JointStereo}, 36},  {{Mpeg::V1, 3, 9, 0, SingleChannel}, 21},
      {{Mpeg::V2, 3, 8, 0, Stereo}, 21},       {{Mpeg::V25, 3, 8, 0, SingleChannel}, 13},
      {{Mpeg::V1, 3, 9, 0, Stereo, true}, 38}, {{Mpeg::V2, 3, 8, 0, SingleChannel, true}, 15},
      {{Mpeg::V1, 2, 9, 0, Stereo}, 4},        {{Mpeg::V1, 1, 9, 0, Stereo, true}, 6},
  };
  for (const Case& c : cases) {
    for (size_t at : {c.position - 1, c.position, c.position + 1}) {
      Bytes block = Frame(c.fields, 400);
      PutXing(block, at, 3, 500, 100000);
      AudioInfo info{};
      ASSERT_EQ(Parse(block, &info), 0);
      bool expected = at == c.position;
      EXPECT_EQ(info.frameCount, expected ? 500u : 0u) << "layer " << c.fields.layer << " at " << at;
      EXPECT_EQ(info.bitRate == 0, expected) << "layer " << c.fields.layer << " at " << at;
    }
  }
}

TEST(ParseMpegAudio, RefusesVbrHeadersWithoutCounts) {
  Bytes noFlags = Frame({}, FrameSize128k), noFrames = noFlags, vbriNoFrames = noFlags;
  PutXing(noFlags, 36, 0xC, 1000, 400000);  // only the TOC and quality bits
  PutXing(noFrames, 36, 3, 0, 400000);
  PutVbri(vbriNoFrames, 36, 400000, 0);
  for (const Bytes* block : {&noFlags, &noFrames, &vbriNoFrames}) {
    AudioInfo info{};
    EXPECT_EQ(Parse(*block, &info), -1);
  }
}

}  // namespace
