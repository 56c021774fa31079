// The download walk over the real plug-ins: stops and errors, after which
// both current folders are as they were. The replacement question is asked
// through the transfer window's tests; whole trees in both folder modes are
// put by the tunewarden-cli tests.
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
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
  bool StopRequested() override { return stopAfterItems > 0 && --stopAfterItems == 0; }

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

}  // namespace
