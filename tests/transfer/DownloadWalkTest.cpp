// The download walk over the real plug-ins: PC folder trees into the track
// list and into the USER tree, the replacement question, stops and errors.
#include <algorithm>
#include <map>

#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "resources/StringIds.h"
#include "tests/player/LameFiles.h"
#include "transfer/DownloadWalk.h"

namespace {

using namespace connection_testing;

// Plays the user of the transfer dialog: answers the replacement question by
// file name and stops when told to.
class ScriptedUser final : public DownloadObserver {
 public:
  void FileStarting(const CText& name, uint32_t) override { started.push_back(name.Chars()); }
  bool FileProgress(const TransferRequest&) override { return !stopInsideFile; }
  void FileDone() override { ++done; }
  ReplaceAnswer AskReplace(const CText& pcPath, const PlayerEntry& existing) override {
    asked.push_back(existing.longName.Chars());
    EXPECT_NE(std::string(pcPath.Chars()).find(existing.longName.Chars()), std::string::npos);
    const auto answer = answers.find(existing.longName.Chars());
    return answer == answers.end() ? ReplaceAnswer::Yes : answer->second;
  }
  bool StopRequested() override { return stopAfterItems > 0 && --stopAfterItems == 0; }

  std::map<std::string, ReplaceAnswer> answers;
  bool stopInsideFile = false;
  int stopAfterItems = 0;
  std::vector<std::string> started, asked;
  int done = 0;
};

// The code of a CException thrown by the statement, or -1.
template <class Statement>
int SystemErrorOf(Statement&& statement) {
  try {
    statement();
  } catch (const CException& e) {
    return static_cast<int>(e.Code());
  }
  return -1;
}

class DownloadWalkTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    CreatePlayer();
    Connect();
    pc_ = temp_ + "/pc";
    std::filesystem::create_directories(pc_ + "/album/disc2/more");
    MakeMp3(pc_ + "/album/one.mp3", 1, "One");
    MakeMp3(pc_ + "/album/disc2/two.mp3", 1, "Two");
    MakeMp3(pc_ + "/album/disc2/more/three.mp3", 1, "Three");
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

  void ExpectClean() {
    const Outcome checked = RunShell("fsck.fat -n '" + Image() + "'");
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
  }

  std::string pc_;
  CText testFolder_;
  ScriptedUser user_;
};

TEST_F(DownloadWalkTest, InTheTrackListEveryFileOfTheTreeBecomesATrackAndNoFolderIsMade) {
  Run({"album", "single.mp3"});
  EXPECT_EQ(user_.done, 4);
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output,
            "::/MUSIC/TRACK001.MP3\n::/MUSIC/TRACK001.INF\n::/MUSIC/TRACK002.MP3\n::/MUSIC/TRACK002.INF\n"
            "::/MUSIC/TRACK003.MP3\n::/MUSIC/TRACK003.INF\n::/MUSIC/TRACK004.MP3\n::/MUSIC/TRACK004.INF\n"
            "::/MUSIC/PLAYLIST.DAT\n");
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "4\nTRACK001.MP3\nTRACK002.MP3\nTRACK003.MP3\nTRACK004.MP3\n");
  std::vector<std::string> titles = List();
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::string>{"<USER>", "One", "Three", "Two", "single"}));
  ExpectFoldersKept("\\MUSIC");
  ExpectClean();
}

TEST_F(DownloadWalkTest, InAUserFolderNamesAreKeptAndFoldersRecreatedOrReused) {
  connection_->ChangeFolder("<USER>");
  connection_->CreateFolder("album");
  WriteFile(pc_ + "/album/disc2/notes.txt", "not music");
  Run({CText((pc_ + "/album").c_str())});
  EXPECT_EQ(user_.done, 4);
  EXPECT_EQ(ReadFromImage("/USER/album/disc2/notes.txt"), "not music");
  EXPECT_EQ(ReadFromImage("/USER/album/disc2/more/three.mp3"), ReadFile(pc_ + "/album/disc2/more/three.mp3"));
  EXPECT_EQ(ReadFromImage("/USER/album/one.mp3"), ReadFile(pc_ + "/album/one.mp3"));
  EXPECT_EQ(connection_->TrackList().Count(), 0);
  ExpectFoldersKept("\\USER");
  ExpectClean();
}

TEST_F(DownloadWalkTest, TheReplacementQuestionSkipsReplacesAllOrCancels) {
  connection_->ChangeFolder("<USER>");
  std::filesystem::create_directory(pc_ + "/later");
  for (const char* name : {"a.txt", "b.txt", "later/c.txt"}) WriteFile(pc_ + "/" + name, "new");
  Run({"a.txt", "b.txt", "later"});
  for (const char* name : {"a.txt", "b.txt", "later/c.txt"}) PutOnImage(std::string("/USER/") + name, "old");

  user_.answers = {{"a.txt", ReplaceAnswer::No}, {"b.txt", ReplaceAnswer::YesToAll}};
  Run({"a.txt", "b.txt", "later"});
  EXPECT_EQ(user_.asked, (std::vector<std::string>{"a.txt", "b.txt"})) << "Yes to All holds in later folders";
  EXPECT_EQ(ReadFromImage("/USER/a.txt"), "old");
  EXPECT_EQ(ReadFromImage("/USER/b.txt"), "new");
  EXPECT_EQ(ReadFromImage("/USER/later/c.txt"), "new");

  PutOnImage("/USER/a.txt", "old");
  PutOnImage("/USER/b.txt", "old");
  user_.answers = {{"a.txt", ReplaceAnswer::Cancel}};
  EXPECT_EQ(SystemErrorOf([&] { Run({"a.txt", "b.txt"}); }), 0) << "a silent stop";
  EXPECT_EQ(ReadFromImage("/USER/a.txt"), "old");
  EXPECT_EQ(ReadFromImage("/USER/b.txt"), "old");
  ExpectFoldersKept("\\USER");
  ExpectClean();
}

TEST_F(DownloadWalkTest, AFileThatIsNotAudioEndsTheDownloadAndEarlierTracksStay) {
  WriteFile(pc_ + "/notes.txt", std::string(4000, 'n'));
  EXPECT_EQ(MediaErrorOf([&] { Run({"single.mp3", "notes.txt", "album"}); }), int(StringId::InvalidFileFormat));
  EXPECT_EQ(user_.done, 1);
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "1\nTRACK001.MP3\n") << "the batch was closed";
  ExpectFoldersKept("\\MUSIC");
  ExpectClean();
}

TEST_F(DownloadWalkTest, AnErrorDeepInATreeLeavesBothCurrentFoldersAsTheyWere) {
  connection_->ChangeFolder("<USER>");
  std::filesystem::create_directories(pc_ + "/top/mid/deep");
  WriteFile(pc_ + "/top/mid/deep/bad|name.txt", "x");
  EXPECT_EQ(SystemErrorOf([&] { Run({"top"}); }), int(platform::Error::InvalidName));
  ExpectFoldersKept("\\USER");
  EXPECT_EQ(SystemErrorOf([&] { Run({"missing.mp3"}); }), int(platform::Error::FileNotFound));
  ExpectClean();
}

TEST_F(DownloadWalkTest, AStopBetweenItemsFinishesAndOneInsideAFileEndsSilently) {
  user_.stopAfterItems = 1;
  Run({"single.mp3", "album"});
  EXPECT_EQ(user_.done, 1);
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "1\nTRACK001.MP3\n");

  user_.stopInsideFile = true;
  EXPECT_EQ(SystemErrorOf([&] { Run({"album"}); }), 0);
  EXPECT_EQ(connection_->TrackList().Count(), 1);
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output, "::/MUSIC/TRACK001.MP3\n::/MUSIC/TRACK001.INF\n::/MUSIC/PLAYLIST.DAT\n");
  ExpectFoldersKept("\\MUSIC");
  ExpectClean();
}

}  // namespace
