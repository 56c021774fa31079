// Tags written by independent taggers (lame, ffmpeg, and an ID3v2.2 tag built
// by hand, since neither writes that version) as TagLib reads them for us.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/TrackTags.h"
#include "platform/CodePage.h"
#include "tests/Shell.h"
#include "tests/TempFiles.h"

namespace {

class TrackTagsTest : public testing::Test {
 protected:
  void TearDown() override { platform::SetActiveCodePage(platform::CodePageUtf8); }

  // One second of silence through lame, with its tag options.
  std::string Lame(const std::string& name, const std::string& options) {
    std::string path = folder_.File(name);
    const Outcome made = RunShell("head -c 88200 /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16 " + options +
                                  " - '" + path + "'");
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return path;
  }

  static AudioInfo FromAnalysis(const char* title, const char* comment) {
    AudioInfo info{};
    std::strcpy(info.title, title);
    std::strcpy(info.comment, comment);
    return info;
  }

  TempFolder folder_;
};

TEST_F(TrackTagsTest, Id3v2TextsOfEveryVersionReplaceTheFieldsTheyFill) {
  const std::string v23 =
      Lame("v23.mp3", "--id3v2-only --id3v2-utf16 --tt '日本語のタイトル' --ta '가수' --tl '中文专辑'");
  const std::string v24 = folder_.File("v24.mp3");
  ASSERT_EQ(RunShell("ffmpeg -v error -i '" + Lame("plain.mp3", "") +
                     "' -c copy -id3v2_version 4 -metadata title='中文标题' -metadata album='UTF-8 专辑' '" + v24 + "'")
                .exitCode,
            0);
  // ID3v2.2: three-letter frame ids and three-byte sizes; the tag's size is syncsafe.
  const std::string frame = std::string("TT2\0\0\x08\0Two Two", 14);
  const std::string v22 = folder_.File("v22.mp3");
  WriteFile(v22,
            std::string("ID3\x02\0\0\0\0\0", 9) + char(frame.size()) + frame + ReadFile(folder_.File("plain.mp3")));

  struct Case {
    std::string path;
    const char *title, *artist, *album, *comment;
  };
  for (const Case& c :
       {Case{v23, "日本語のタイトル", "가수", "中文专辑", "from ID3v1"},
        Case{v24, "中文标题", "", "UTF-8 专辑", "from ID3v1"}, Case{v22, "Two Two", "", "", "from ID3v1"},
        Case{folder_.File("plain.mp3"), "name", "", "", "from ID3v1"}}) {
    SCOPED_TRACE(c.path);
    AudioInfo info = FromAnalysis("name", "from ID3v1");
    ReadId3v2Texts(c.path, &info);
    EXPECT_STREQ(info.title, c.title);
    EXPECT_STREQ(info.artist, c.artist);
    EXPECT_STREQ(info.album, c.album);
    EXPECT_STREQ(info.comment, c.comment);
  }

  // A title the code page cannot hold leaves the field as it was; a long one
  // is cut at a character boundary.
  platform::SetActiveCodePage(1252);
  AudioInfo info = FromAnalysis("name", "");
  ReadId3v2Texts(v23, &info);
  EXPECT_STREQ(info.title, "name");
  platform::SetActiveCodePage(platform::CodePageUtf8);
  std::string longTitle;
  for (int i = 0; i < 30; ++i) longTitle += "あ";
  ReadId3v2Texts(Lame("long.mp3", "--id3v2-only --tt '" + longTitle + "'"), &info);
  EXPECT_EQ(std::string(info.title), longTitle.substr(0, 78));
}

TEST_F(TrackTagsTest, AnId3v1TextNotValidInTheCodePageIsReadAsLatin1) {
  AudioInfo info = FromAnalysis("Caf\xE9", "Café already");
  RepairId3v1Texts(&info);
  EXPECT_STREQ(info.title, "Café");
  EXPECT_STREQ(info.comment, "Café already");

  platform::SetActiveCodePage(1252);  // Latin-1 letters are valid there and stay as they are
  info = FromAnalysis("Caf\xE9", "");
  RepairId3v1Texts(&info);
  EXPECT_STREQ(info.title, "Caf\xE9");
}

}  // namespace
