// Random and mutated input under the sanitizers: the analysis may refuse, but
// must never read outside its data, loop without end or report nonsense.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "audio/AudioAnalysis.h"
#include "tests/audio/AudioTesting.h"

namespace {

using namespace audio_testing;

void ExpectPlausible(const AudioInfo& info) {
  EXPECT_TRUE(info.version >= 1 && info.version <= 3);
  EXPECT_TRUE(info.layer >= 1 && info.layer <= 3);
  EXPECT_TRUE(info.channels == 1 || info.channels == 2);
  EXPECT_TRUE(info.samplesPerFrame == 384 || info.samplesPerFrame == 576 || info.samplesPerFrame == 1152);
  EXPECT_NE(info.sampleRate, 0u);
  for (const char* text : {info.title, info.artist, info.album, info.comment}) EXPECT_LT(strnlen(text, 80), 80u);
}

// Seeds with every wrapper, tag and VBR header, so mutations reach each path.
std::vector<Bytes> SeedFiles() {
  Bytes xing = Frame({}, FrameSize128k), vbri = xing, withTags = Id3v2Tag(200);
  PutXing(xing, 36, 3, 1000, 40'000);
  PutVbri(vbri, 36, 40'000, 1000);
  Append(withTags, xing);
  Append(withTags, Id3v1Tag("Title", "Artist", "Album", "Comment"));
  Bytes riff = RiffFile("fmt ", 4, {'a', 'b', 'c', 'd'});
  AppendText(riff, "data");
  AppendLittleEndian32(riff, 2000);
  Append(riff, Frames({Mpeg::V2, 2, 8, 1, Stereo}, 100, 20));
  Bytes macBinary(128, 0);
  macBinary[1] = 4;
  Append(macBinary, Id3v2Tag(30));
  Append(macBinary, Frames({Mpeg::V25, 1, 3, 2, SingleChannel, true}, 150, 12));
  return {withTags, vbri, riff, macBinary};
}

TEST(Robustness, RandomBlocksNeverReadPastTheirEnd) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 20000; ++round) {
    // Exactly sized, so that the address sanitizer sees any overrun.
    std::vector<uint8_t> block(random() % 2049);
    for (uint8_t& byte : block) {
      // Mostly sync-like bytes, so that candidate headers are frequent.
      uint32_t r = random();
      byte = (r & 3) == 0 ? 0xFF : (r & 3) == 1 ? uint8_t(0xE0 | (r >> 8 & 0x1F)) : uint8_t(r >> 8);
    }
    AudioInfo info{};
    int32_t offset = ParseMpegAudio(block.data(), uint32_t(block.size()), &info);
    if (offset >= 0) {
      ASSERT_LT(uint32_t(offset), block.size());
      ExpectPlausible(info);
    }
  }
}

TEST(Robustness, MutatedFilesAreAnalysedOrRefused) {
  std::mt19937 random(7);
  TempFolder folder;
  std::filesystem::path path = folder.File("mutated.mp3");
  std::vector<Bytes> seeds = SeedFiles();
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes file = seeds[round % seeds.size()];
    int mutations = 1 + int(random() % 6);
    for (int m = 0; m < mutations; ++m) {
      // Size fields and magic values sit near either end; aim most changes there.
      size_t at = random() % 2 ? random() % std::min<size_t>(file.size(), 300)
                               : file.size() - 1 - random() % std::min<size_t>(file.size(), 160);
      file[at] = uint8_t(random());
    }
    if (random() % 8 == 0) file.resize(random() % file.size());
    WriteFileBytes(path, file);
    AudioInfo info{};
    if (AnalysePath(path, &info)) {
      ++accepted;
      ExpectPlausible(info);
      EXPECT_LT(info.dataStart, file.size());
      EXPECT_NE(info.bitRate, 0u);
    }
  }
  // Most mutations leave a usable stream: the loop did exercise the full analysis.
  EXPECT_GT(accepted, 1000);
}

}  // namespace
