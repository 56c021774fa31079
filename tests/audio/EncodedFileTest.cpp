// MP3 files made by lame from a sine the test writes, checked against what we
// asked lame for and what the files themselves show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "audio/AudioAnalysis.h"
#include "tests/audio/AudioTesting.h"

namespace {

using namespace audio_testing;

constexpr double Seconds = 3.5;  // lame's padding cannot push the whole seconds past 3

// 16-bit PCM WAVE file with a 440 Hz sine.
Bytes SineWave(uint32_t sampleRate, uint16_t channels) {
  uint32_t frames = uint32_t(Seconds * sampleRate);
  Bytes format;
  AppendLittleEndian32(format, 1u | uint32_t(channels) << 16);  // PCM, channels
  AppendLittleEndian32(format, sampleRate);
  AppendLittleEndian32(format, sampleRate * channels * 2);
  AppendLittleEndian32(format, uint32_t(channels * 2) | 16u << 16);  // block align, bits
  Bytes wave = RiffFile("fmt ", 16, format);
  AppendText(wave, "data");
  AppendLittleEndian32(wave, frames * channels * 2);
  for (uint32_t i = 0; i < frames * channels; ++i) {
    const uint32_t frame = i / channels;
    auto sample = uint16_t(int16_t(12000 * std::sin(2 * M_PI * 440 * frame / sampleRate)));
    wave.insert(wave.end(), {uint8_t(sample), uint8_t(sample >> 8)});
  }
  return wave;
}

struct Encoding {
  const char* label;
  uint32_t sampleRate;
  uint16_t inputChannels;
  const char* lameOptions;
  uint8_t version, channels;
  uint32_t samplesPerFrame;
  uint32_t bitRate;  // 0: variable, with a Xing header
};

class LameTest : public testing::Test {
 protected:
  // Encodes the sine with lame and returns the MP3 file's path.
  std::filesystem::path Encode(const Encoding& e, const std::string& extraOptions = "") {
    std::filesystem::path wav = folder_.File("sine.wav"), mp3 = folder_.File("sine.mp3");
    WriteFileBytes(wav, SineWave(e.sampleRate, e.inputChannels));
    std::string command =
        std::string("lame --quiet ") + e.lameOptions + extraOptions + " '" + wav.string() + "' '" + mp3.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return mp3;
  }

  TempFolder folder_;
};

class EncodedFileTest : public LameTest, public testing::WithParamInterface<Encoding> {};

TEST_P(EncodedFileTest, AgreesWithTheEncoding) {
  const Encoding& e = GetParam();
  std::filesystem::path mp3 = Encode(e);
  uint32_t fileSize = uint32_t(std::filesystem::file_size(mp3));
  AudioInfo info{};
  ASSERT_TRUE(AnalysePath(mp3, &info));

  EXPECT_EQ(info.version, e.version);
  EXPECT_EQ(info.layer, 3);
  EXPECT_EQ(info.channels, e.channels);
  EXPECT_EQ(info.sampleRate, e.sampleRate);
  EXPECT_EQ(info.samplesPerFrame, e.samplesPerFrame);
  EXPECT_EQ(info.dataStart, 0u);  // lame writes no tags unless asked
  EXPECT_EQ(info.dataLength, fileSize);
  EXPECT_EQ(info.duration, 3u);
  EXPECT_STREQ(info.title, "sine");
  if (e.bitRate != 0) {
    EXPECT_EQ(info.bitRate, e.bitRate);
    EXPECT_EQ(info.frameCount, 0u);
  } else {
    // lame adds its encoder delay and padding: a frame or two beyond the samples.
    uint32_t sampleFrames = uint32_t(Seconds * e.sampleRate) / e.samplesPerFrame;
    EXPECT_GE(info.frameCount, sampleFrames);
    EXPECT_LE(info.frameCount, sampleFrames + 3);
    EXPECT_EQ(info.bitRate, fileSize * 8 / 3);
  }
}

INSTANTIATE_TEST_SUITE_P(Lame, EncodedFileTest,
                         testing::Values(Encoding{"Cbr128At44k", 44100, 2, "-b 128", 1, 2, 1152, 128000},
                                         Encoding{"VbrXingAt44k", 44100, 2, "-V 2", 1, 2, 1152, 0},
                                         Encoding{"Mpeg2At22k", 22050, 2, "-b 64", 2, 2, 576, 64000},
                                         Encoding{"Mpeg2At24k", 24000, 2, "-b 64", 2, 2, 576, 64000},
                                         Encoding{"Mpeg2At16k", 16000, 2, "-b 48", 2, 2, 576, 48000},
                                         Encoding{"Mpeg25At8k", 8000, 1, "-b 16", 3, 1, 576, 16000},
                                         Encoding{"Mpeg25At11k", 11025, 1, "-b 32", 3, 1, 576, 32000},
                                         Encoding{"MonoCbrAt44k", 44100, 1, "-m m -b 64", 1, 1, 1152, 64000},
                                         Encoding{"MonoVbrAt44k", 44100, 2, "-m m -V 4", 1, 1, 1152, 0},
                                         Encoding{"MonoVbrAt22k", 22050, 1, "-V 4", 2, 1, 576, 0}),
                         [](const testing::TestParamInfo<Encoding>& info) { return std::string(info.param.label); });

TEST_F(LameTest, TagsWrittenByLameAreReadAndSkipped) {
  Encoding e{"Cbr", 44100, 2, "-b 128", 1, 2, 1152, 128000};
  std::filesystem::path plain = Encode(e);
  Bytes untagged = ReadFileBytes(plain);
  std::filesystem::path tagged =
      Encode(e, " --add-id3v2 --pad-id3v2-size 300 --tt 'Sine Song' --ta 'Tone Maker' --tl 'Test Album' --tc 'hello'");
  Bytes file = ReadFileBytes(tagged);
  AudioInfo info{};
  ASSERT_TRUE(AnalysePath(tagged, &info));
  ASSERT_GT(info.dataStart, 300u);
  EXPECT_EQ(info.dataLength, untagged.size());
  EXPECT_EQ(info.dataStart + info.dataLength + 128, file.size());
  // Past lame's own header frame, the audio is the untagged file's.
  EXPECT_TRUE(std::equal(untagged.begin() + 417, untagged.end(), file.begin() + info.dataStart + 417));
  EXPECT_STREQ(info.title, "Sine Song");
  EXPECT_STREQ(info.artist, "Tone Maker");
  EXPECT_STREQ(info.album, "Test Album");
  EXPECT_STREQ(info.comment, "hello");
}

}  // namespace
