// Header decoding, the frame search and the VBR header position, on buffers.
#include <gtest/gtest.h>

#include "audio/AudioAnalysis.h"
#include "tests/audio/TestStreams.h"

namespace {

using namespace audiotest;

TEST(DecodeFrameHeader, ReadsVersionAndLayerCodes) {
  struct Case {
    uint8_t b1;
    int version, layer, protection;
  } cases[] = {
      {0xFF, 1, 1, 0}, {0xFD, 1, 2, 0}, {0xFB, 1, 3, 0}, {0xFA, 1, 3, 1},
      {0xF7, 2, 1, 0}, {0xF3, 2, 3, 0}, {0xE3, 3, 3, 0}, {0xE4, 3, 2, 1},
      {0xEB, 3, 3, 0},  // the reserved version code counts as MPEG-2.5
  };
  for (const Case& c : cases) {
    const uint8_t bytes[] = {0xFF, c.b1, 0x50, 0x00};
    FrameHeader header;
    ASSERT_TRUE(DecodeFrameHeader(bytes, &header)) << std::hex << int(c.b1);
    EXPECT_EQ(header.version, c.version) << std::hex << int(c.b1);
    EXPECT_EQ(header.layer, c.layer) << std::hex << int(c.b1);
    EXPECT_EQ(header.protection, c.protection) << std::hex << int(c.b1);
  }
}

TEST(DecodeFrameHeader, RefusesWhatHasNoTableEntry) {
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
  const uint8_t tooShort[] = {0xFF, 0xFB, 0x90};
  EXPECT_FALSE(FindFrameSync(tooShort, 3, &offset));

  const uint8_t lastPlace[] = {0x00, 0xFF, 0xE0, 0x00, 0x00};
  ASSERT_TRUE(FindFrameSync(lastPlace, 5, &offset));
  EXPECT_EQ(offset, 1u);
  EXPECT_FALSE(FindFrameSync(lastPlace, 4, &offset));  // only two bytes behind the 0xFF

  const uint8_t several[] = {0xFF, 0xD0, 0xFF, 0x0F, 0xFF, 0xFF, 0xF1, 0x00, 0xFF, 0xE2, 0, 0};
  ASSERT_TRUE(FindFrameSync(several, sizeof several, &offset));
  EXPECT_EQ(offset, 4u);  // 0xFF 0xFF: the second byte's high bits are F
}

TEST(IsMacBinaryHeader, FollowsTheVersionMarkers) {
  auto header = [](uint8_t nameLength) {
    Bytes bytes(128, 0);
    bytes[1] = nameLength;
    return bytes;
  };
  Bytes plain = header(8);
  EXPECT_TRUE(IsMacBinaryHeader(plain.data()));

  Bytes noName = header(0), longName = header(64);
  EXPECT_FALSE(IsMacBinaryHeader(noName.data()));
  EXPECT_FALSE(IsMacBinaryHeader(longName.data()));

  Bytes version2 = header(0);
  version2[123] = 129;
  EXPECT_TRUE(IsMacBinaryHeader(version2.data()));

  Bytes version3 = header(0);
  PutText(version3, 102, "mBIN");
  EXPECT_TRUE(IsMacBinaryHeader(version3.data()));

  Bytes otherSignature = header(8);
  PutText(otherSignature, 102, "mBIX");
  EXPECT_FALSE(IsMacBinaryHeader(otherSignature.data()));

  Bytes firstByteSet = header(8), byte74Set = header(8);
  firstByteSet[0] = 1;
  byte74Set[74] = 1;
  EXPECT_FALSE(IsMacBinaryHeader(firstByteSet.data()));
  EXPECT_FALSE(IsMacBinaryHeader(byte74Set.data()));
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
    Bytes block = Frame(c.fields, 400);
    AudioInfo info{};
    ASSERT_EQ(ParseMpegAudio(block.data(), uint32_t(block.size()), &info), 0);
    EXPECT_EQ(info.version, c.version);
    EXPECT_EQ(info.layer, c.layer);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.sampleRate, c.sampleRate);
    EXPECT_EQ(info.bitRate, c.bitRate);
    EXPECT_EQ(info.samplesPerFrame, c.samplesPerFrame);
    EXPECT_EQ(info.frameCount, 0u);
  }
}

TEST(ParseMpegAudio, SkipsRefusedCandidatesToTheFirstGoodFrame) {
  Bytes block = {0x00, 0xFF, 0xFB, 0xF0, 0x00,  // bit-rate index 15
                 0xFF, 0xFB, 0x9C, 0x00,        // sampling-frequency index 3
                 0xFF, 0xFF};                   // two more candidates running into the good frame
  Append(block, Frame({Mpeg::V2, 3, 8, 0, Stereo}, 300));
  AudioInfo info{};
  EXPECT_EQ(ParseMpegAudio(block.data(), uint32_t(block.size()), &info), 11);
  EXPECT_EQ(info.version, 2);
}

TEST(ParseMpegAudio, NeedsABlockOf156Bytes) {
  Bytes block = Frame({}, 156);
  AudioInfo info{};
  EXPECT_EQ(ParseMpegAudio(block.data(), 156, &info), 0);
  EXPECT_EQ(ParseMpegAudio(block.data(), 155, &info), -1);
}

// The Xing or VBRI test needs 18 bytes behind the VBR header position, which for
// MPEG-1 Layer III stereo lies 36 bytes behind the frame start.
TEST(ParseMpegAudio, RefusesAFrameTooCloseToTheEndOfTheBlock) {
  Bytes block(2048, 0);
  Bytes header = FrameHeaderBytes({});
  std::copy(header.begin(), header.end(), block.begin() + 1994);
  AudioInfo info{};
  EXPECT_EQ(ParseMpegAudio(block.data(), 2048, &info), 1994);

  std::fill(block.begin(), block.end(), 0);
  std::copy(header.begin(), header.end(), block.begin() + 1995);
  EXPECT_EQ(ParseMpegAudio(block.data(), 2048, &info), -1);
}

TEST(ParseMpegAudio, LooksForTheVbrHeaderBehindTheSideInformation) {
  struct Case {
    HeaderFields fields;
    size_t position;
  } cases[] = {
      {{Mpeg::V1, 3, 9, 0, JointStereo}, 36},
      {{Mpeg::V1, 3, 9, 0, SingleChannel}, 21},
      {{Mpeg::V2, 3, 8, 0, Stereo}, 21},
      {{Mpeg::V25, 3, 8, 0, SingleChannel}, 13},
      {{Mpeg::V1, 3, 9, 0, Stereo, true}, 38},
      {{Mpeg::V2, 3, 8, 0, SingleChannel, true}, 15},
      {{Mpeg::V1, 2, 9, 0, Stereo}, 4},
      {{Mpeg::V1, 1, 9, 0, Stereo, true}, 6},
  };
  for (const Case& c : cases) {
    for (size_t at : {c.position - 1, c.position, c.position + 1}) {
      Bytes block = Frame(c.fields, 400);
      PutXing(block, at, 3, 500, 100000);
      AudioInfo info{};
      ASSERT_EQ(ParseMpegAudio(block.data(), uint32_t(block.size()), &info), 0);
      bool expected = at == c.position;
      EXPECT_EQ(info.frameCount, expected ? 500u : 0u) << "layer " << c.fields.layer << " at " << at;
      EXPECT_EQ(info.bitRate == 0, expected) << "layer " << c.fields.layer << " at " << at;
    }
  }
}

TEST(ParseMpegAudio, RefusesVbrHeadersWithoutCounts) {
  Bytes noFlags = Frame({}, 417);
  PutXing(noFlags, 36, 0xC, 1000, 400000);  // only the TOC and quality bits
  Bytes noFrames = Frame({}, 417);
  PutXing(noFrames, 36, 3, 0, 400000);
  Bytes vbriNoFrames = Frame({}, 417);
  PutVbri(vbriNoFrames, 36, 400000, 0);
  for (const Bytes* block : {&noFlags, &noFrames, &vbriNoFrames}) {
    AudioInfo info{};
    EXPECT_EQ(ParseMpegAudio(block->data(), uint32_t(block->size()), &info), -1);
  }
}

}  // namespace
