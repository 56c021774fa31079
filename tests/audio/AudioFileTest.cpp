// Whole files built by hand: tags, wrappers and VBR headers that lame does not
// write, analysed through the platform's file handles.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "audio/AudioAnalysis.h"
#include "platform/CodePage.h"
#include "tests/audio/AudioTesting.h"

namespace {

using namespace audio_testing;

class AudioFileTest : public testing::Test {
 protected:
  // Writes the bytes to a file of that name and analyses it.
  bool Analyse(const Bytes& bytes, const std::string& name = "song.mp3") {
    std::filesystem::path path = folder_.File(name);
    WriteFileBytes(path, bytes);
    return AnalysePath(path, &info_);
  }

  TempFolder folder_;
  AudioInfo info_{};
};

TEST_F(AudioFileTest, ConstantBitRateDurationComesFromTheByteCount) {
  ASSERT_TRUE(Analyse(Frame({}, 4'800'000)));
  EXPECT_EQ(std::tie(info_.version, info_.layer, info_.channels, info_.spare), std::make_tuple(1, 3, 2, 0));
  EXPECT_EQ(info_.sampleRate, 44100u);
  EXPECT_EQ(info_.bitRate, 128000u);
  EXPECT_EQ(info_.dataStart, 0u);
  EXPECT_EQ(info_.dataLength, 4'800'000u);
  EXPECT_EQ(info_.frameCount, 0u);
  EXPECT_EQ(info_.samplesPerFrame, 1152u);
  EXPECT_EQ(info_.duration, 300u);
}

TEST_F(AudioFileTest, BothId3TagsAndJunkAreKeptOutOfTheAudioRange) {
  Bytes id3v2 = Id3v2Tag(3000);
  Bytes junk = {'j', 'u', 'n', 'k', 0xFF, 0x00, 0xFF};
  Bytes audio = Frames({}, FrameSize128k, 40);
  Bytes file = id3v2;
  Append(file, junk);
  Append(file, audio);
  // Blank-padded title, an artist that fills its field, an ID3 v1.1 track number behind the comment.
  Bytes tag = Id3v1Tag("Blue Sky   ", "Thirty Characters Long Artist!", "Album", "Nice", ' ');
  tag[125] = 0;
  tag[126] = 7;
  Append(file, tag);

  ASSERT_TRUE(Analyse(file));
  EXPECT_EQ(info_.dataStart, id3v2.size() + junk.size());
  EXPECT_EQ(info_.dataLength, audio.size());
  EXPECT_EQ(info_.version, 1);  // not the lookalike header inside the tag
  EXPECT_STREQ(info_.title, "Blue Sky");
  EXPECT_STREQ(info_.artist, "Thirty Characters Long Artist!");
  EXPECT_STREQ(info_.album, "Album");
  EXPECT_STREQ(info_.comment, "Nice");
  EXPECT_EQ(info_.duration, audio.size() / 16000);
}

TEST_F(AudioFileTest, XingCountsReplaceTheWrapperLengthsFromOneSecondOn) {
  // 1000 frames of 1152 samples at 44.1 kHz last 26.12 s.
  Bytes frame = Frame({}, FrameSize128k);
  PutXing(frame, 36, 1, 1000, 400'000);  // either flag bit makes both counts read
  Bytes file = Id3v2Tag(500);
  Append(file, Bytes(100, 0x20));
  Append(file, frame);
  Append(file, Frames({}, FrameSize128k, 10));
  Append(file, Id3v1Tag("Title"));

  ASSERT_TRUE(Analyse(file));
  EXPECT_EQ(info_.dataStart, 510u + 100u);
  EXPECT_EQ(info_.dataLength, 400'000u - 100u);  // the junk lay inside the examined block
  EXPECT_EQ(info_.frameCount, 1000u);
  EXPECT_EQ(info_.duration, 26u);
  EXPECT_EQ(info_.bitRate, (400'000u - 100u) * 8 / 26);

  PutXing(file, 610 + 36, 3, 38, 16'000);  // 38 × 1152 samples = 0.99 s
  EXPECT_FALSE(Analyse(file));
  PutXing(file, 610 + 36, 3, 39, 16'000);  // 1.02 s
  ASSERT_TRUE(Analyse(file));
  EXPECT_EQ(info_.duration, 1u);
}

TEST_F(AudioFileTest, VbriHeaderGivesCountsOfAnMpeg2Stream) {
  Bytes file = Frame({Mpeg::V2, 3, 8, 1, Stereo}, 200);  // 24 kHz, 576 samples a frame
  PutVbri(file, 4 + 17, 123'456, 3000);
  Append(file, Frames({Mpeg::V2, 3, 8, 1, Stereo}, 192, 20));

  ASSERT_TRUE(Analyse(file));
  EXPECT_EQ(info_.version, 2);
  EXPECT_EQ(info_.frameCount, 3000u);
  EXPECT_EQ(info_.dataLength, 123'456u);
  EXPECT_EQ(info_.duration, 72u);  // 576 × 3000 / 24000
  EXPECT_EQ(info_.bitRate, 123'456u * 8 / 72);
}

TEST_F(AudioFileTest, WaveFileWithMpegDataUsesTheDataChunkAndOthersAreRefused) {
  Bytes audio = Frames({Mpeg::V2, 3, 8, 0, SingleChannel}, 209, 30);
  Bytes format(30, 0x11);
  format[0] = 0x55;  // MPEG Layer III
  format[1] = 0;
  Bytes file = RiffFile("fmt ", 30, format);
  AppendText(file, "fact");  // odd size, stored without a pad byte
  AppendLittleEndian32(file, 5);
  file.resize(file.size() + 5, 0x77);
  AppendText(file, "data");
  AppendLittleEndian32(file, uint32_t(13 + audio.size()));
  size_t contents = file.size();
  Append(file, Bytes(13, 0));
  Append(file, audio);
  AppendText(file, "LIST");
  AppendLittleEndian32(file, 4);
  AppendText(file, "INFO");

  ASSERT_TRUE(Analyse(file));
  EXPECT_EQ(info_.dataStart, contents + 13);
  EXPECT_EQ(info_.dataLength, audio.size());
  EXPECT_EQ(info_.version, 2);
  EXPECT_EQ(info_.channels, 1);

  EXPECT_FALSE(Analyse(RiffFile("data", 8000, Bytes(8000, 0)))) << "PCM samples";
  EXPECT_FALSE(Analyse(RiffFile("fmt ", 8000, Frames({}, FrameSize128k, 20)))) << "no data chunk";
  EXPECT_FALSE(Analyse(RiffFile("fmt ", 0xFFFFFFF0u, Frames({}, FrameSize128k, 20)))) << "chunk past the end";
}

TEST_F(AudioFileTest, MacBinaryHeaderIsSkipped) {
  for (const char* signature : {"\0\0\0\0", "mBIN"}) {
    Bytes file(128, 0);
    file[1] = 8;
    PutText(file, 2, "Song.mp3");
    PutText(file, 65, "MPG3hook");
    std::memcpy(file.data() + 102, signature, 4);
    Bytes audio = Frames({}, FrameSize128k, 20);
    Append(file, audio);
    Append(file, Bytes(90, 0));  // resource fork padding
    Append(file, Id3v1Tag("Mac Song"));

    ASSERT_TRUE(Analyse(file)) << signature;
    EXPECT_EQ(info_.dataStart, 128u);
    EXPECT_EQ(info_.dataLength, audio.size() + 90);
    EXPECT_STREQ(info_.title, "Mac Song");
  }
}

// Only a file with something else before its first frame goes to FFmpeg to
// tell whether those frames are MPEG audio or another format's data.
TEST_F(AudioFileTest, MpegAudioFromTheStartOrFromTheEndOfAnId3v2Tag) {
  const auto fromStart = [&](const Bytes& bytes) {
    const std::string path = folder_.File("start.mp3");
    WriteFileBytes(path, bytes);
    const platform::FileHandle file = platform::OpenFile(path, platform::OpenFlag::Read);
    const bool mpeg = AnalyseAudioFile(file, "start.mp3", &info_) && StartsWithMpegAudio(file, info_);
    platform::CloseFile(file);
    return mpeg;
  };
  const Bytes audio = Frames({}, FrameSize128k, 20);
  Bytes tagged = Id3v2Tag(3000), gap = Id3v2Tag(3000);
  Append(tagged, audio);
  gap.push_back(0);
  Append(gap, audio);
  EXPECT_TRUE(fromStart(audio));
  EXPECT_TRUE(fromStart(tagged));
  EXPECT_FALSE(fromStart(gap));
  EXPECT_FALSE(fromStart(RiffFile("data", uint32_t(audio.size()), audio)));
}

TEST_F(AudioFileTest, MissingTitleIsTakenFromTheFileNameCutAtACharacterBoundary) {
  Bytes audio = Frames({}, FrameSize128k, 10);
  Bytes blankTitle = audio;
  Append(blankTitle, Id3v1Tag("", "Artist", "", "", ' '));
  ASSERT_TRUE(Analyse(blankTitle, "My Song.mp3"));
  EXPECT_STREQ(info_.title, "My Song");
  EXPECT_STREQ(info_.artist, "Artist");

  ASSERT_TRUE(Analyse(audio, "Track.Live.mp3"));
  EXPECT_STREQ(info_.title, "Track");

  std::string longName(100, 'n');
  ASSERT_TRUE(Analyse(audio, longName));
  EXPECT_EQ(std::string(info_.title), longName.substr(0, 79));

  platform::SetActiveCodePage(platform::CodePageUtf8);
  ASSERT_TRUE(Analyse(audio, std::string(78, 'a') + "\xC3\xA9" + "b.mp3"));  // é spans bytes 78 and 79
  EXPECT_EQ(std::string(info_.title), std::string(78, 'a'));
  platform::SetActiveCodePage(0);
}

TEST_F(AudioFileTest, DamagedOrForeignFilesAreRefused) {
  EXPECT_FALSE(Analyse(Frame({}, 120))) << "shorter than a tail";
  EXPECT_FALSE(Analyse(Bytes(5000, 'x'))) << "no frame at all";
  Bytes tagOnly(100, 0);
  Append(tagOnly, Id3v1Tag("Only"));
  EXPECT_FALSE(Analyse(tagOnly)) << "tag and nothing else";

  Bytes oversizedId3 = Id3v2Tag(100);
  oversizedId3[6] = 0x7F;  // claims about 256 MiB
  Append(oversizedId3, Frames({}, FrameSize128k, 10));
  EXPECT_FALSE(Analyse(oversizedId3)) << "ID3 tag longer than the file";

  Bytes frameAfterBlock(2100, 'x');
  Append(frameAfterBlock, Frames({}, FrameSize128k, 10));
  EXPECT_FALSE(Analyse(frameAfterBlock)) << "first frame beyond the examined block";

  // A folder opens but cannot be read: the read error path with a real handle.
  int folder = ::open(folder_.Path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  EXPECT_FALSE(AnalyseAudioFile(folder, "folder", &info_));
  ::close(folder);
  EXPECT_FALSE(AnalyseAudioFile(platform::InvalidFile, "none", &info_));
}

}  // namespace
