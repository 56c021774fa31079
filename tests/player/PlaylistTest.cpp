// PLAYLIST.DAT as other systems write it and as the program writes it, read
// and checked straight from the image with mtools.
#include <cstring>

#include "tests/player/PlayerTesting.h"

namespace {

using namespace player_testing;

class PlaylistTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    CreatePlayer();
    ASSERT_EQ(Mtools("mmd", "::/MUSIC").exitCode, 0);
    for (const char* track : {"TRACK001", "TRACK002", "TRACK003"}) {
      PutOnImage(std::string("/MUSIC/") + track + ".MP3", std::string(3000, track[7]));
    }
  }

  // The short names of the track list and their attribute words.
  std::vector<std::string> Tracks() {
    std::vector<std::string> tracks;
    for (int i = 0; i < connection_->TrackList().Count(); ++i) {
      const PlayerEntry& entry = connection_->TrackList().Get<PlayerEntry>(i);
      tracks.push_back(std::string(entry.shortName) + (entry.attributes == 2 ? " missing" : ""));
    }
    return tracks;
  }

  std::vector<std::string> TracksOf(const std::string& playlist) {
    PutOnImage("/MUSIC/PLAYLIST.DAT", playlist);
    Connect();
    EXPECT_EQ(connection_->Flags(), 0x07);
    return Tracks();
  }
};

using Names = std::vector<std::string>;

TEST_F(PlaylistTest, LineEndsOfOtherSystemsReadAlike) {
  const Names expected{"TRACK002.MP3", "TRACK001.MP3"};
  EXPECT_EQ(TracksOf("2\nTRACK002.MP3\nTRACK001.MP3\n"), expected);
  EXPECT_EQ(TracksOf("2\r\nTRACK002.MP3\r\nTRACK001.MP3\r\n"), expected);
  EXPECT_EQ(TracksOf("2\rTRACK002.MP3\rTRACK001.MP3\r"), expected);
  EXPECT_EQ(TracksOf("\n\n  +2\r\n\r\nTRACK002.MP3\n\nTRACK001.MP3\n"), expected) << "blank lines skipped";
}

TEST_F(PlaylistTest, TheCountLimitsTheNamesAndTheLastUnendedLineIsDropped) {
  EXPECT_EQ(TracksOf("1\nTRACK003.MP3\nTRACK001.MP3\n"), Names{"TRACK003.MP3"});
  EXPECT_EQ(TracksOf("9\nTRACK003.MP3\nTRACK001.MP3\n"), (Names{"TRACK003.MP3", "TRACK001.MP3"}));
  EXPECT_EQ(TracksOf("3\nTRACK003.MP3\nTRACK001.MP3"), Names{"TRACK003.MP3"});
  EXPECT_EQ(TracksOf("x\nTRACK003.MP3\n"), Names{});
  EXPECT_EQ(TracksOf("3"), Names{});
}

TEST_F(PlaylistTest, LongNamesAreCutAndNamesWithoutFilesStayAsMissing) {
  const std::string forty = "TRACK001.MP3" + std::string(28, 'X');
  EXPECT_EQ(TracksOf("3\n" + forty + "\nTRACK009.MP3\ntrack002.mp3\n"),
            (Names{"TRACK001.MP3XXX missing", "TRACK009.MP3 missing", "track002.mp3 missing"}));
  const PlayerEntry& gone = connection_->TrackList().Get<PlayerEntry>(1);
  EXPECT_EQ(gone.size, 0u);
  EXPECT_FALSE(gone.IsFolder());
}

TEST_F(PlaylistTest, TheTrackListIsListedInPlayOrderEndingInUser) {
  PutOnImage("/MUSIC/TRACK002.INF", [] {
    std::string record(1024, '\0');
    record[64] = 1;
    record[65] = 3;
    std::memcpy(&record[192], "Second Song", 11);
    std::memcpy(&record[272], "Some Band", 9);
    return record;
  }());
  EXPECT_EQ(TracksOf("3\nTRACK002.MP3\nTRACK003.MP3\nTRACK001.MP3\n").size(), 3u);
  EXPECT_EQ(List(), (Names{"Second Song", "TRACK003.MP3", "TRACK001.MP3", "<USER>"}));
  PlayerEntry entry;
  connection_->BeginListing();
  ASSERT_TRUE(connection_->NextEntry(entry));
  connection_->EndListing();
  ASSERT_TRUE(entry.trackInfo);
  EXPECT_EQ(entry.trackInfo->layer, 3u);
  EXPECT_STREQ(entry.trackInfo->artist.Chars(), "Some Band");
  EXPECT_EQ(entry.size, 3000u);
}

TEST_F(PlaylistTest, ReorderWritesTheFileAndMovingBackRestoresIt) {
  const std::string original = "3\nTRACK001.MP3\nTRACK002.MP3\nTRACK003.MP3\n";
  TracksOf(original);
  connection_->ReorderPlaylist({"TRACK002.MP3", "TRACK001.MP3", "TRACK003.MP3"});
  EXPECT_EQ(connection_->Flags(), 0x07) << "written, so no longer changed";
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "3\nTRACK002.MP3\nTRACK001.MP3\nTRACK003.MP3\n");
  connection_->ReorderPlaylist({"TRACK001.MP3", "TRACK002.MP3", "TRACK003.MP3"});
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), original);

  // Names without files are dropped; no names at all write a count of 0.
  connection_->ReorderPlaylist({"TRACK003.MP3", "GONE.MP3", "TRACK001.MP3"});
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "2\nTRACK003.MP3\nTRACK001.MP3\n");
  connection_->ReorderPlaylist({});
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "0\n");
  ExpectClean();
}

TEST_F(PlaylistTest, AnUnchangedListIsNotWrittenAndAFailedWriteKeepsTheChange) {
  const std::string crlf = "2\r\nTRACK003.MP3\r\nTRACK001.MP3\r\n";
  TracksOf(crlf);
  connection_->BeginUpdate();
  connection_->EndUpdate();
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), crlf);

  ASSERT_EQ(Player("lock internal").exitCode, 0);
  EXPECT_EQ(MediaErrorOf([&] { connection_->ReorderPlaylist({"TRACK001.MP3"}); }), 108);
  EXPECT_EQ(connection_->Flags() & PlayerConnection::FlagPlaylistChanged, PlayerConnection::FlagPlaylistChanged);
  EXPECT_EQ(Tracks(), Names{"TRACK001.MP3"});
  ASSERT_EQ(Player("unlock internal").exitCode, 0);
  connection_->EndUpdate();  // the next batch end tries again
  EXPECT_EQ(connection_->Flags() & PlayerConnection::FlagPlaylistChanged, 0);
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "1\nTRACK001.MP3\n");
}

TEST_F(PlaylistTest, DeletingATrackTakesBothFilesAndTheEntry) {
  PutOnImage("/MUSIC/TRACK002.INF", std::string(1024, '\0'));
  TracksOf("3\nTRACK001.MP3\nTRACK002.MP3\nTRACK003.MP3\n");
  PlayerEntry entry = connection_->TrackList().Get<PlayerEntry>(1);
  connection_->DeleteEntry(entry);
  EXPECT_EQ(Tracks(), (Names{"TRACK001.MP3", "TRACK003.MP3"}));
  connection_->EndUpdate();
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "2\nTRACK001.MP3\nTRACK003.MP3\n");
  const std::string left = Mtools("mdir -b", "::/MUSIC").output;
  EXPECT_EQ(left.find("TRACK002"), std::string::npos) << left;
}

}  // namespace
