// Tracks stored, numbered, renamed and tagged over the real plug-ins; what
// lands on the medium is read straight from the image with mtools.
#include <cstring>

#include "audio/AudioAnalysis.h"
#include "platform/ScopeGuard.h"
#include "player/NameBitmap.h"
#include "resources/StringIds.h"
#include "tests/player/PlayerTesting.h"

namespace {

using namespace player_testing;

uint32_t Get16(const std::string& bytes, size_t at) { return uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8; }
uint32_t Get32(const std::string& bytes, size_t at) { return Get16(bytes, at) | Get16(bytes, at + 2) << 16; }

class TrackFilesTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    CreatePlayer();
    song_ = temp_ + "/song.mp3";
    MakeMp3(song_, 2, "Song", "Band");
  }

  // Sends the analysed audio range of a PC file as a download does, in a
  // batch of its own that ends also when the store fails.
  bool StoreTrack(const std::string& path, AudioInfo* info, void (*adjust)(AudioInfo*) = nullptr) {
    platform::FileHandle file = platform::OpenFile(path, platform::OpenFlag::Read);
    EXPECT_TRUE(AnalyseAudioFile(file, "song.mp3", info));
    platform::CloseFile(file);
    if (adjust) adjust(info);
    connection_->BeginUpdate();
    const platform::OnFailure endUpdate([&] { connection_->EndUpdate(); });
    const bool stored = Write("song.mp3", ReadFile(path).substr(info->dataStart, info->dataLength), nullptr, info);
    connection_->EndUpdate();
    return stored;
  }

  // Sets the MUSIC folder up anew from outside: the numbered files, and a
  // playlist that lists the first of them (or missing tracks) up to the count.
  void PrepareMusic(const std::vector<int>& files, int listed) {
    std::filesystem::remove_all(temp_ + "/files");
    Mtools("mdeltree", "::/MUSIC");
    Mtools("mmd", "::/MUSIC");
    if (!files.empty()) {
      const std::string folder = temp_ + "/files";
      std::filesystem::create_directory(folder);
      for (int number : files) WriteFile(folder + "/" + TrackName(number), "x");
      const Outcome copied = Mtools("mcopy", "'" + folder + "/'* ::/MUSIC/");
      EXPECT_EQ(copied.exitCode, 0) << copied.output;
    }
    std::string playlist = std::to_string(listed) + "\n";
    for (int i = 0; i < listed; ++i) playlist += TrackName(i < int(files.size()) ? files[size_t(i)] : 0) + "\n";
    PutOnImage("/MUSIC/PLAYLIST.DAT", playlist);
  }

  // The short name under which the next track lands in the prepared folder.
  std::string NextTrackName(const std::vector<int>& files, int listed) {
    PrepareMusic(files, listed);
    Connect();
    AudioInfo info{};
    EXPECT_TRUE(StoreTrack(song_, &info));
    const COwnedArray& tracks = connection_->TrackList();
    return tracks.Get<PlayerEntry>(tracks.Count() - 1).shortName;
  }

  static std::string TrackName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "TRACK%03d.MP3", number);
    return name;
  }

  // The packed bitmap that the name font draws for a text, and its width.
  std::string Bitmap(const char* text, uint16_t* width) {
    uint8_t packed[player::NameBitmapSize] = {};
    player::RenderNameBitmap(packed, text, width, settings_.nameFont.View());
    return std::string(reinterpret_cast<char*>(packed), sizeof packed);
  }

  PlayerEntry FirstTrack() {
    PlayerEntry entry;
    connection_->BeginListing();
    EXPECT_TRUE(connection_->NextEntry(entry));
    connection_->EndListing();
    return entry;
  }

  std::string song_;
};

TEST_F(TrackFilesTest, AStoredTrackHoldsTheAudioRangeItsRecordAndItsPlaylistLine) {
  Connect();
  AudioInfo info{};
  ASSERT_TRUE(StoreTrack(song_, &info));
  ASSERT_GT(info.dataStart, 0u) << "lame's ID3 tags put the audio inside the file";

  EXPECT_EQ(ReadFromImage("/MUSIC/TRACK001.MP3"), ReadFile(song_).substr(info.dataStart, info.dataLength));
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "1\nTRACK001.MP3\n");

  const std::string record = ReadFromImage("/MUSIC/TRACK001.INF");
  ASSERT_EQ(record.size(), 1024u);
  uint16_t width = 0;
  const std::string bitmap = Bitmap("Song - Band", &width);
  EXPECT_EQ(Get16(record, 0), 0x0100u);
  EXPECT_EQ(Get16(record, 4), width);
  EXPECT_EQ(Get16(record, 6), 16u);
  EXPECT_EQ(Get16(record, 8), (info.dataLength / info.duration) & 0xFFFF);
  EXPECT_EQ(Get16(record, 10), info.duration);
  EXPECT_EQ(record.substr(64, 4), std::string("\x01\x03\x01\x00", 4));
  EXPECT_EQ(Get32(record, 68), 44100u);
  EXPECT_EQ(Get32(record, 72), info.bitRate);
  EXPECT_EQ(record.substr(192, 5), std::string("Song\0", 5));
  EXPECT_EQ(record.substr(272, 5), std::string("Band\0", 5));
  EXPECT_EQ(record.substr(512), bitmap);
  EXPECT_EQ(record.substr(12, 52), std::string(52, '\0'));
  EXPECT_EQ(record.substr(76, 116), std::string(116, '\0'));
  ExpectClean();

  Connect();  // read back as the player view lists it
  EXPECT_EQ(List(), (std::vector<std::string>{"Song", "<USER>"}));
}

// The first free number from the list's length on: past taken ones, into a
// gap, and round from 999 to 1.
TEST_F(TrackFilesTest, NumberingMovesOnFromTheListsLengthAndWraps) {
  EXPECT_EQ(NextTrackName({1, 2, 3}, 3), "TRACK004.MP3");
  EXPECT_EQ(NextTrackName({1, 5}, 2), "TRACK002.MP3");
  std::vector<int> files = {998, 999};
  for (int number = 1; number <= 996; ++number) files.push_back(number);
  EXPECT_EQ(NextTrackName(files, 998), "TRACK997.MP3");
  EXPECT_EQ(connection_->TrackList().Count(), 999);
}

// 999 listed tracks, or every number taken below that: nothing is written.
TEST_F(TrackFilesTest, NoNumberLeftIsMemoryFull) {
  AudioInfo info{};
  PrepareMusic({}, 999);
  Connect();
  EXPECT_EQ(MediaErrorOf([&] { StoreTrack(song_, &info); }), int(StringId::MemoryFull));
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output, "::/MUSIC/PLAYLIST.DAT\n");

  std::vector<int> files;
  for (int number = 1; number <= 999; ++number) files.push_back(number);
  PrepareMusic(files, 5);
  Connect();
  EXPECT_EQ(MediaErrorOf([&] { StoreTrack(song_, &info); }), int(StringId::MemoryFull));
  EXPECT_EQ(connection_->TrackList().Count(), 5);
}

// A rename changes the title and the bitmap, never the files or the numbers;
// tags are cut to their fields; both read back after a new connection.
TEST_F(TrackFilesTest, RenameAndTagsRoundTrip) {
  Connect();
  AudioInfo info{};
  ASSERT_TRUE(StoreTrack(song_, &info));
  const std::string before = ReadFromImage("/MUSIC/TRACK001.INF");
  PlayerEntry entry = FirstTrack();
  ASSERT_TRUE(entry.trackInfo);
  connection_->RenameEntry(entry, "Other Name");
  EXPECT_EQ(entry.DisplayName(), "Other Name");

  std::string after = ReadFromImage("/MUSIC/TRACK001.INF");
  uint16_t width = 0;
  EXPECT_EQ(after.substr(512), Bitmap("Other Name - Band", &width));
  EXPECT_EQ(Get16(after, 4), width);
  EXPECT_EQ(after.substr(6, 186), before.substr(6, 186)) << "the numbers stay";
  EXPECT_EQ(after.substr(192, 11), std::string("Other Name\0", 11));
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output,
            "::/MUSIC/TRACK001.MP3\n::/MUSIC/TRACK001.INF\n::/MUSIC/PLAYLIST.DAT\n");

  TrackInfo tags = *entry.trackInfo;
  tags.artist = "";
  tags.comment = CText(std::string(90, 'c'));
  connection_->SetTrackTags(entry, tags);
  EXPECT_EQ(entry.trackInfo->comment, CText(std::string(79, 'c')));
  after = ReadFromImage("/MUSIC/TRACK001.INF");
  EXPECT_EQ(after.substr(512), Bitmap("Other Name", &width)) << "without an artist the title alone is drawn";

  Connect();
  const PlayerEntry reread = FirstTrack();
  ASSERT_TRUE(reread.trackInfo);
  EXPECT_EQ(reread.trackInfo->title, "Other Name");
  EXPECT_EQ(reread.trackInfo->comment, entry.trackInfo->comment);
  EXPECT_EQ(reread.trackInfo->duration, info.duration);
  ExpectClean();

  ASSERT_EQ(Player("lock internal").exitCode, 0);
  Connect();
  entry = FirstTrack();
  EXPECT_EQ(MediaErrorOf([&] { connection_->SetTrackTags(entry, tags); }), int(StringId::MediaProtected));
}

TEST_F(TrackFilesTest, TracksWithoutARecordOrADotAreNotRenamed) {
  Connect();
  AudioInfo info{};
  ASSERT_TRUE(StoreTrack(song_, &info));
  PlayerEntry entry = FirstTrack();
  PlayerEntry withoutDot = entry;
  withoutDot.SetShortName("TRACK001");
  EXPECT_EQ(MediaErrorOf([&] { connection_->RenameEntry(withoutDot, "X"); }), int(StringId::UnknownError));

  ASSERT_EQ(Mtools("mdel", "::/MUSIC/TRACK001.INF").exitCode, 0);
  Connect();
  entry = FirstTrack();
  EXPECT_FALSE(entry.trackInfo) << "shown by its file name";
  EXPECT_EQ(MediaErrorOf([&] { connection_->RenameEntry(entry, "X"); }), int(StringId::UnknownError));
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output, "::/MUSIC/TRACK001.MP3\n::/MUSIC/PLAYLIST.DAT\n");
}

// A store that cannot finish leaves nothing behind: neither a name that
// draws nothing nor a medium with room for the audio but not its record.
TEST_F(TrackFilesTest, AFailedStoreLeavesNothing) {
  Connect();
  AudioInfo info{};
  auto untitled = [](AudioInfo* audio) { audio->title[0] = audio->artist[0] = '\0'; };
  EXPECT_EQ(MediaErrorOf([&] { StoreTrack(song_, &info, untitled); }), int(StringId::UnknownError));
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output, "");

  const uint32_t cluster = 2048;  // volkit formats 4 MB with clusters of 2 KiB
  const uint32_t audioClusters = (info.dataLength + cluster - 1) / cluster;
  PutOnImage("/FILLER", std::string(connection_->GetFreeBytes() - audioClusters * cluster, 'f'));
  Connect();
  EXPECT_EQ(MediaErrorOf([&] { StoreTrack(song_, &info); }), int(StringId::MemoryFull));
  EXPECT_EQ(connection_->TrackList().Count(), 0);
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output, "");
  ExpectClean();
}

// What another system may leave: a record cut short keeps the title it
// holds; a play-order name without '.' still names its track's two files.
TEST_F(TrackFilesTest, ShortRecordsAndNamesWithoutADot) {
  PrepareMusic({1}, 1);
  std::string record(200, '\0');
  record.replace(192, 5, "Short");
  PutOnImage("/MUSIC/TRACK001.INF", record);
  Connect();
  PlayerEntry entry = FirstTrack();
  ASSERT_TRUE(entry.trackInfo);
  EXPECT_EQ(entry.trackInfo->title, "Short");

  PutOnImage("/MUSIC/PLAYLIST.DAT", "1\nTRACK001\n");
  Connect();
  entry = FirstTrack();
  ASSERT_STREQ(entry.shortName, "TRACK001");
  connection_->DeleteEntry(entry);
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output, "::/MUSIC/PLAYLIST.DAT\n");
}

// A batch that never ends (the program killed) leaves stored tracks outside
// the play order. Check finds them, halves of tracks and lines without a
// file; repair appends the tracks and removes the rest.
TEST_F(TrackFilesTest, CheckAndRepairWhatAKillLeaves) {
  Connect();
  AudioInfo info{};
  ASSERT_TRUE(StoreTrack(song_, &info));
  connection_->BeginUpdate();
  const std::string audio = ReadFile(song_).substr(info.dataStart, info.dataLength);
  ASSERT_TRUE(Write("a.mp3", audio, nullptr, &info));
  ASSERT_TRUE(Write("b.mp3", audio, nullptr, &info));
  connection_ = std::make_unique<PlayerConnection>(settings_);  // killed before the batch's end
  connection_->LoadPlugins();
  PutOnImage("/MUSIC/TRACK007.INF", std::string(1024, 'i'));
  PutOnImage("/MUSIC/TRACK008.MP3", audio);
  PutOnImage("/MUSIC/PLAYLIST.DAT", "3\nTRACK001.MP3\nTRACK009.MP3\nTRACK008.MP3\n");

  Connect();
  const TrackCheck check = connection_->CheckTracks();
  EXPECT_EQ(check.outsidePlayOrder, (std::vector<CText>{"TRACK002.MP3", "TRACK003.MP3"}));
  EXPECT_EQ(check.missingFiles, std::vector<CText>{"TRACK009.MP3"});
  EXPECT_EQ(check.recordsWithoutAudio, std::vector<CText>{"TRACK007.INF"});
  EXPECT_EQ(check.audioWithoutRecord, std::vector<CText>{"TRACK008.MP3"});
  connection_->RepairTracks(check);
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "3\nTRACK001.MP3\nTRACK002.MP3\nTRACK003.MP3\n");
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC/*.INF").output,
            "::/MUSIC/TRACK001.INF\n::/MUSIC/TRACK002.INF\n::/MUSIC/TRACK003.INF\n");
  EXPECT_TRUE(connection_->CheckTracks().Clean());
  ExpectClean();
}

}  // namespace
