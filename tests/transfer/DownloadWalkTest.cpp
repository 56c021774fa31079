// The download walk over the real plug-ins: stops and errors, after which
// both current folders are as they were. The replacement question is asked
// through the transfer window's tests; whole trees in both folder modes are
// put by the tunewarden-cli tests.
#include <sys/stat.h>

#include <optional>
#include <set>
#include <sstream>

#include "framework/core/Helpers.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "player/InfoRecord.h"
#include "player/NameBitmap.h"
#include "resources/StringIds.h"
#include "tests/player/PlayerTesting.h"
#include "transfer/DownloadWalk.h"

namespace {

using namespace player_testing;

// Plays the user of the transfer dialog: stops when told to.
class ScriptedUser final : public TransferObserver {
 public:
  void FileStarting(const CText&, uint32_t) override {}
  bool FileProgress(const TransferRequest&) override { return !stopInsideFile; }
  void FileDone() override { ++done; }
  ReplaceAnswer AskReplace(const CText&, const PlayerEntry&) override { return ReplaceAnswer::Yes; }
  void NotSent(const CText& path, uint32_t reasonId) override {
    notSent.insert(std::string(path.Chars()) + " " + std::to_string(reasonId));
  }
  bool StopRequested() override { return stopAfterItems > 0 && --stopAfterItems == 0; }

  std::set<std::string> notSent;  // "path reason", in the order of names
  bool stopInsideFile = false;
  int stopAfterItems = 0;
  int done = 0;
};

class DownloadWalkTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    CreatePlayer();
    Connect();
    pc_ = temp_ + "/pc";
    std::filesystem::create_directories(pc_ + "/album");
    MakeMp3(pc_ + "/album/one.mp3", 1, "One");
    MakeMp3(pc_ + "/single.mp3", 1);
    testFolder_ = CurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(pc_));
  }

  void TearDown() override {
    platform::SetCurrentDirectory(testFolder_.View());
    ConnectionTest::TearDown();
  }

  void Run(const std::vector<CText>& paths) { DownloadWalk(*connection_, user_).Run(paths); }

  // Both current folders are as they were before the walk.
  void ExpectFoldersKept(const char* playerFolder) {
    EXPECT_EQ(std::string(CurrentDirectory().Chars()), pc_ + "/");
    EXPECT_EQ(std::string(connection_->GetCurrentFolder().Chars()), playerFolder);
  }

  std::string pc_;
  CText testFolder_;
  ScriptedUser user_;
};

TEST_F(DownloadWalkTest, AnErrorDeepInATreeLeavesBothCurrentFoldersAsTheyWere) {
  connection_->ChangeFolder("<USER>");
  std::filesystem::create_directories(pc_ + "/top/mid/deep");
  WriteFile(pc_ + "/top/mid/deep/bad|name.txt", "x");
  EXPECT_EQ(SystemErrorOf([&] { Run({"top"}); }), int(platform::Error::InvalidName));
  ExpectFoldersKept("\\USER");
  EXPECT_EQ(SystemErrorOf([&] { Run({"missing.mp3"}); }), int(platform::Error::FileNotFound));
  ExpectClean();
}

// In the track list: a stop between items finishes the batch, one inside a
// file ends silently, and a file that is not audio ends the download; what
// was stored stays, and the playlist names it.
TEST_F(DownloadWalkTest, HowADownloadIntoTheTrackListEnds) {
  user_.stopAfterItems = 1;
  Run({"single.mp3", "album"});
  EXPECT_EQ(user_.done, 1);

  user_.stopInsideFile = true;
  EXPECT_EQ(SystemErrorOf([&] { Run({"album"}); }), 0);
  EXPECT_EQ(connection_->TrackList().Count(), 1);

  user_.stopInsideFile = false;
  WriteFile(pc_ + "/notes.txt", std::string(4000, 'n'));
  EXPECT_EQ(MediaErrorOf([&] { Run({"album", "notes.txt", "single.mp3"}); }), int(StringId::InvalidFileFormat));
  EXPECT_EQ(user_.done, 2);
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "2\nTRACK001.MP3\nTRACK002.MP3\n");
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC/TRACK003.*").exitCode, 1) << "nothing of the text file";
  ExpectFoldersKept("\\MUSIC");
  ExpectClean();
}

// A title given only in ID3v2 and a Latin-1 ID3v1 title reach the record and
// the name bitmap; with the switch off, the ID3v1 bytes go as they are.
TEST_F(DownloadWalkTest, TagTextsReachTheRecordAndTheNameBitmapAsTheSettingSays) {
  ASSERT_EQ(RunShell("head -c 88200 /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16 --id3v2-only "
                     "--id3v2-utf16 --tt '日本語の歌' --ta '가수' - '" +
                     pc_ + "/jp.mp3'")
                .exitCode,
            0);
  std::string id3v1(128, '\0');
  id3v1.replace(0, 7, "TAGCaf\xE9");
  WriteFile(pc_ + "/cafe.mp3", ReadFile(pc_ + "/single.mp3") + id3v1);

  for (const bool readTags : {true, false}) {
    settings_.readTags = readTags;
    Run({"jp.mp3", "cafe.mp3"});
  }
  struct Case {
    const char *track, *title, *artist;
  };
  for (const Case& c : {Case{"TRACK001", "日本語の歌", "가수"}, Case{"TRACK002", "Café", ""},
                        Case{"TRACK003", "jp", ""}, Case{"TRACK004", "Caf\xE9", ""}}) {
    SCOPED_TRACE(c.track);
    const std::string record = ReadFromImage(std::string("/MUSIC/") + c.track + ".INF");
    ASSERT_EQ(record.size(), InfoRecord::Size);
    EXPECT_STREQ(record.c_str() + InfoRecord::Title, c.title);
    EXPECT_STREQ(record.c_str() + InfoRecord::Artist, c.artist);
    CText shown(c.title);
    if (*c.artist != 0) shown += CText(" - ") + c.artist;
    uint8_t bitmap[player::NameBitmapSize] = {};
    uint16_t width = 0;
    player::RenderNameBitmap(bitmap, shown.View(), &width, settings_.nameFont.View());
    EXPECT_EQ(record.substr(InfoRecord::Bitmap), std::string(reinterpret_cast<char*>(bitmap), sizeof bitmap));
  }
  ExpectClean();
}

// Only files and folders go; the rest is told and passed over, and every
// path given is taken from the folder the walk started in.
TEST_F(DownloadWalkTest, WhatCannotGoIsToldAndPassedOver) {
  connection_->ChangeFolder("<USER>");
  namespace fs = std::filesystem;
  fs::create_directories(pc_ + "/sub/D/inner");
  WriteFile(pc_ + "/sub/D/inner/b.txt", "b");
  WriteFile(pc_ + "/sub/f.txt", "f");
  ASSERT_EQ(mkfifo((pc_ + "/sub/D/pipe").c_str(), 0600), 0);
  fs::create_directory_symlink("..", pc_ + "/sub/D/inner/up");
  fs::create_symlink("../f.txt", pc_ + "/sub/D/f-link.txt");
  WriteFile(pc_ + "/sub/D/big.bin", "");
  fs::resize_file(pc_ + "/sub/D/big.bin", (uint64_t(1) << 32) + 5000);  // sparse
  WriteFile(pc_ + "/huge.bin", "");
  fs::resize_file(pc_ + "/huge.bin", uint64_t(1) << 32);

  Run({"sub/D", "huge.bin", "sub/f.txt"});
  EXPECT_EQ(user_.notSent,
            (std::set<std::string>{"huge.bin 431", "sub/D/big.bin 431", "sub/D/inner/up 432", "sub/D/pipe 430"}));
  std::string listed = Mtools("mdir", "-/ -b ::/USER").output;
  std::multiset<std::string> stored;
  for (std::istringstream lines(listed); std::getline(lines, listed);) stored.insert(listed);
  EXPECT_EQ(stored, (std::multiset<std::string>{"::/USER/D/", "::/USER/D/f-link.txt", "::/USER/D/inner/",
                                                "::/USER/D/inner/b.txt", "::/USER/f.txt"}));
  EXPECT_EQ(ReadFromImage("/USER/D/f-link.txt"), "f");
  ExpectFoldersKept("\\USER");
  ExpectClean();
}

TEST_F(DownloadWalkTest, ANameTheCodePageCannotHoldIsTold) {
  platform::SetActiveCodePage(932);
  std::filesystem::create_directories(pc_ + "/mix");
  WriteFile(pc_ + "/mix/\xED\x95\x9C\xEA\xB5\xAD.mp3", "");  // Korean
  Run({"mix"});
  platform::SetActiveCodePage(0);
  EXPECT_EQ(user_.notSent, std::set<std::string>{"mix/??.mp3 433"});
}

// A .pls file goes by its numbers and an .m3u file in Latin-1 is read as
// such; with the switch off a playlist is a file that is not audio.
TEST_F(DownloadWalkTest, PlaylistsNameTheTracksUnlessTheSettingIsOff) {
  MakeMp3(pc_ + "/album/caf\xC3\xA9.mp3", 1, "Cafe");
  WriteFile(pc_ + "/list.pls", "[playlist]\nFile2=single.mp3\nTitle2=Single\nFile1=" + pc_ + "/album/one.mp3\n");
  WriteFile(pc_ + "/album/latin.M3U", "caf\xE9.mp3\nlatin.M3U\n");
  Run({"list.pls", "album/latin.M3U"});
  EXPECT_EQ(user_.done, 3);
  EXPECT_EQ(user_.notSent, (std::set<std::string>{"album/latin.M3U " + std::to_string(StringId::NotSentPlaylistEntry)}))
      << "a playlist is not followed from a playlist";
  std::vector<std::string> titles;
  for (const PlayerEntry& entry : connection_->ListFolder())
    if (!entry.IsFolder()) titles.emplace_back(entry.DisplayName().Chars());
  EXPECT_EQ(titles, (std::vector<std::string>{"One", "single", "Cafe"}));

  settings_.readPlaylists = false;
  EXPECT_EQ(MediaErrorOf([&] { Run({"list.pls"}); }), int(StringId::InvalidFileFormat));
  ExpectClean();
}

// A FLAC file becomes a track with its tags; a stop during the conversion
// stores nothing; neither leaves a temporary file. With the switch off the
// file is not audio.
TEST_F(DownloadWalkTest, MusicInOtherFormatsIsConvertedUnlessTheSettingIsOff) {
  const std::string temporary = temp_ + "/tmp";
  std::filesystem::create_directories(temporary);
  // The test's own temporary folder for the converter, until the test ends however it ends.
  struct Restore {
    std::optional<std::string> given;
    ~Restore() { given ? setenv("TMPDIR", given->c_str(), 1) : unsetenv("TMPDIR"); }
  } const restore{getenv("TMPDIR") != nullptr ? std::optional<std::string>(getenv("TMPDIR")) : std::nullopt};
  setenv("TMPDIR", temporary.c_str(), 1);
  ASSERT_EQ(
      RunShell("ffmpeg -v error -f lavfi -i sine=duration=2 -metadata title='Flac 曲' " + pc_ + "/song.flac").exitCode,
      0);
  user_.stopInsideFile = true;
  EXPECT_EQ(SystemErrorOf([&] { Run({"song.flac"}); }), 0);
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC/TRACK001.*").exitCode, 1);
  EXPECT_TRUE(std::filesystem::is_empty(temporary));

  user_.stopInsideFile = false;
  Run({"song.flac"});
  EXPECT_STREQ(ReadFromImage("/MUSIC/TRACK001.INF").c_str() + InfoRecord::Title, "Flac 曲");
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
  settings_.convertAudio = false;
  EXPECT_EQ(MediaErrorOf([&] { Run({"song.flac"}); }), int(StringId::InvalidFileFormat));
  ExpectClean();
}

// A track whose title, artist and playing time (within a second) the list
// holds, or the run stored, is passed over and told; with the switch off it
// is stored again.
TEST_F(DownloadWalkTest, DuplicatesArePassedOverUnlessTheSettingIsOff) {
  MakeMp3(pc_ + "/same.mp3", 2, "One");  // one second longer than album/one.mp3
  MakeMp3(pc_ + "/again.mp3", 1, "One");
  Run({"album"});
  Run({"again.mp3", "same.mp3", "single.mp3", "single.mp3"});
  EXPECT_EQ(user_.done, 2);
  std::string duplicate = " ";  // appended, not " " + ...: GCC 12's -Wrestrict misreads that
  duplicate += std::to_string(StringId::NotSentDuplicate);
  EXPECT_EQ(user_.notSent,
            (std::set<std::string>{"again.mp3" + duplicate, "same.mp3" + duplicate, "single.mp3" + duplicate}));
  settings_.skipDuplicates = false;
  Run({"again.mp3"});
  EXPECT_EQ(user_.done, 3);
  ExpectClean();
}

}  // namespace
