// The connection over the real plug-ins: state flags, media descriptions,
// free space and labels, and the device's errors as a user meets them.
#include "tests/OwnProgramFolder.h"
#include "tests/player/PlayerTesting.h"

namespace {

using namespace player_testing;

TEST_F(ConnectionTest, FlagsAfterEachStepOfTheConnection) {
  CreatePlayer();
  EXPECT_EQ(connection_->Flags(), 0);
  connection_->Open(0);
  EXPECT_EQ(connection_->Flags(), PlayerConnection::FlagOpen);
  EXPECT_TRUE(connection_->IsOpen());
  EXPECT_FALSE(connection_->IsMediaSelected() || connection_->IsFileSystemOpen() || connection_->IsLocked());
  connection_->SelectMedia();
  EXPECT_EQ(connection_->Flags(), 0x03);
  connection_->OpenFileSystem();
  EXPECT_EQ(connection_->Flags(), 0x07);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  connection_->ProbeDevice();
  EXPECT_EQ(connection_->Flags(), 0x07);
  connection_->Close();
  EXPECT_EQ(connection_->Flags(), 0);
  connection_->Open(0);
  EXPECT_EQ(connection_->Flags(), PlayerConnection::FlagOpen);
  connection_->UnloadPlugins();
  EXPECT_EQ(connection_->Flags(), 0);
}

TEST_F(ConnectionTest, AnUnpluggedPlayerIsNotFoundAndAProbeDropsEveryFlag) {
  CreatePlayer();
  Connect();
  ASSERT_EQ(Player("unplug").exitCode, 0);
  EXPECT_EQ(MediaErrorOf([&] { connection_->ProbeDevice(); }), 103);
  EXPECT_EQ(connection_->Flags(), 0);
  EXPECT_EQ(MediaErrorOf([&] { connection_->Open(0); }), 103);
  EXPECT_EQ(connection_->Flags(), 0);
  EXPECT_EQ(MediaErrorOf([&] { connection_->SelectMedia(); }), 101);  // not connected
}

TEST_F(ConnectionTest, AMissingCardIsNotFoundAndAnUnlistedMediumHasNoFileSystem) {
  CreatePlayer();
  settings_.selectedMedium = 1;
  connection_->Open(0);
  EXPECT_EQ(MediaErrorOf([&] { connection_->SelectMedia(); }), 103);
  EXPECT_EQ(connection_->Flags(), PlayerConnection::FlagOpen);

  settings_.selectedMedium = 5;  // beyond the media list: open without a device
  connection_->Open(0);
  EXPECT_EQ(connection_->Flags(), PlayerConnection::FlagOpen);
  connection_->SelectMedia();
  EXPECT_EQ(connection_->Flags(), 0x03);
  EXPECT_EQ(MediaErrorOf([&] { connection_->OpenFileSystem(); }), 151);
}

TEST_F(ConnectionTest, AMediumWithoutAFileSystemIsReportedAndLeftAlone) {
  ASSERT_EQ(Player("create --internal 2M").exitCode, 0);
  WriteFile(temp_ + "/before", ReadFile(Image()));
  connection_->Open(0);
  connection_->SelectMedia();
  EXPECT_EQ(MediaErrorOf([&] { connection_->OpenFileSystem(); }), 151);
  EXPECT_EQ(connection_->Flags(), 0x03);
  EXPECT_TRUE(ReadFile(Image()) == ReadFile(temp_ + "/before")) << "nothing was written";
}

TEST_F(ConnectionTest, ALockedMediumIsOpenedButNeverWritten) {
  CreatePlayer();
  // A locked medium without its MUSIC folder has nowhere to show tracks.
  ASSERT_EQ(Player("lock internal").exitCode, 0);
  connection_->Open(0);
  connection_->SelectMedia();
  EXPECT_EQ(MediaErrorOf([&] { connection_->OpenFileSystem(); }), 151);
  ASSERT_EQ(Player("unlock internal").exitCode, 0);
  Connect();
  ASSERT_EQ(Player("lock internal").exitCode, 0);
  Connect();
  EXPECT_EQ(connection_->Flags(), 0x0F);
  EXPECT_EQ(List(), std::vector<std::string>{"<USER>"});
  EXPECT_EQ(MediaErrorOf([&] { connection_->SetVolumeLabel("NEW"); }), 108);
  EXPECT_EQ(MediaErrorOf([&] { connection_->FormatMedia(nullptr); }), 108);
  EXPECT_EQ(MediaErrorOf([&] { connection_->CreateFolder("A"); }), 108);
  // The firmware and reserved-block calls keep the device's own code.
  uint8_t block[128] = {};
  EXPECT_EQ(MediaErrorOf([&] { connection_->WriteReservedBlock(block); }), 105);
  EXPECT_EQ(connection_->Flags(), 0x0F);
  // The refused format changed nothing: the MUSIC folder is still there.
  EXPECT_EQ(Mtools("mdir -b", "::/").output.find("MUSIC") != std::string::npos, true);
}

TEST_F(ConnectionTest, MediaDescriptionsByTypeAndSize) {
  const struct {
    std::string options;
    uint8_t medium;
    const char* description;
  } cases[] = {
      {"--internal 64524288", 0, "Internal Memory 61MB"},
      {"--card 64000000 --type mmc", 1, "MultiMediaCard 64MB"},
      {"--card 128000000 --type sd", 1, "SD Memory Card 128MB"},
      {"--card 32000000 --type smmc", 1, "Secure MMC 32MB"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(player_);
    const Outcome made = Player("create " + c.options);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    settings_.selectedMedium = c.medium;
    connection_->Open(0);
    connection_->SelectMedia();
    EXPECT_STREQ(connection_->GetMediaDescription().Chars(), c.description);
    connection_->Close();
  }
  EXPECT_EQ(connection_->GetCapacity(), 32000000u);
  EXPECT_EQ(connection_->GetUnitSize(), 65536u);
}

TEST_F(ConnectionTest, FreeBytesWrapAtFourGigabytes) {
  CreatePlayer("--card 5G");
  settings_.selectedMedium = 1;
  Connect();
  const Outcome listed = Mtools("mdir", "::/", "card");
  const size_t at = listed.output.find(" bytes free");
  ASSERT_NE(at, std::string::npos) << listed.output;
  std::string digits;
  for (size_t i = listed.output.rfind('\n', at) + 1; i < at; ++i) {
    if (isdigit(static_cast<unsigned char>(listed.output[i]))) digits += listed.output[i];
  }
  const uint64_t free = std::stoull(digits);
  ASSERT_GT(free, uint64_t{1} << 32);
  EXPECT_EQ(connection_->GetFreeBytes(), static_cast<uint32_t>(free));
}

TEST_F(ConnectionTest, VolumeLabelIsSetAndReadBack) {
  CreatePlayer();
  Connect();
  EXPECT_TRUE(connection_->GetVolumeLabel().IsEmpty());
  connection_->SetVolumeLabel("My Player");
  EXPECT_STREQ(connection_->GetVolumeLabel().Chars(), "MY PLAYER");
  EXPECT_NE(Mtools("mlabel -s", "::").output.find("MY PLAYER"), std::string::npos);
  // Names the file system cannot store come back as the program's errors.
  EXPECT_THROW(connection_->SetVolumeLabel("A/B"), CException);
  EXPECT_THROW(connection_->SetVolumeLabel("TWELVE CHARS"), CException);
  EXPECT_STREQ(connection_->GetVolumeLabel().Chars(), "MY PLAYER");
}

TEST_F(ConnectionTest, DeviceFailuresUnderTheFileSystemReachTheUserAsTheDevicesErrors) {
  CreatePlayer();
  ASSERT_EQ(Player("faults --fail-after 1").exitCode, 0);
  connection_->Open(0);
  connection_->SelectMedia();
  EXPECT_EQ(MediaErrorOf([&] {
              connection_->OpenFileSystem();
              connection_->CreateFolder("X");
            }),
            151);
  connection_->Close();

  // Once attached, a failing sector call comes up as code 9 and is asked of the device.
  for (const auto& [fault, message] : {std::pair{"--fail-after 40", 106},        // "CRC (communication) error."
                                       std::pair{"--timeout-after 40", 104}}) {  // "Connection attempt timed out."
    ASSERT_EQ(Player(std::string("faults ") + fault).exitCode, 0);
    Connect();
    connection_->ChangeFolder("<USER>");
    int error = -1;
    for (int i = 0; i < 40 && error < 0; ++i) {
      error = MediaErrorOf([&] { connection_->CreateFolder(CText("F") + std::to_string(i).c_str()); });
    }
    EXPECT_EQ(error, message) << fault;
    connection_->Close();
  }
}

TEST_F(ConnectionTest, FormatWritesTheDisplayImagesFromTheProgramFolder) {
  CreatePlayer("--internal 4M --card 4M");
  const std::string intro = platform::ProgramFolder() + "intro.lcd";
  const std::string ending = platform::ProgramFolder() + "ending.lcd";
  WriteFile(intro, std::string("INTRO\0\x01\xFF", 8));
  WriteFile(ending, "ENDING");
  Connect();
  connection_->ChangeFolder("<USER>");
  connection_->CreateFolder("OLD");
  EXPECT_TRUE(connection_->FormatMedia(nullptr));
  EXPECT_EQ(connection_->Flags() & 0x07, 0x07);
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\");
  EXPECT_EQ(ReadFromImage("/intro.lcd"), std::string("INTRO\0\x01\xFF", 8));
  EXPECT_EQ(ReadFromImage("/ending.lcd"), "ENDING");
  EXPECT_EQ(Mtools("mdir -b", "::/USER").exitCode, 1) << "the old tree is gone";

  // The card's media record says it takes no images.
  settings_.selectedMedium = 1;
  Connect();
  EXPECT_TRUE(connection_->FormatMedia(nullptr));
  EXPECT_EQ(Mtools("mdir -b", "::/", "card").output.find("lcd"), std::string::npos);

  // Without intro.lcd the format itself succeeds, but is reported, and
  // ending.lcd is not written either.
  std::filesystem::remove(intro);
  settings_.selectedMedium = 0;
  Connect();
  EXPECT_EQ(MediaErrorOf([&] { connection_->FormatMedia(nullptr); }), 151);
  EXPECT_EQ(connection_->Flags() & PlayerConnection::FlagFileSystemOpen, 0);
  EXPECT_EQ(Mtools("mdir -b", "::/").output.find("lcd"), std::string::npos);
  std::filesystem::remove(ending);
  ExpectClean();
}

uint32_t StopAtOnce(TransferRequest*) { return 0; }

TEST_F(ConnectionTest, AStoppedFullFormatIsNoError) {
  CreatePlayer();
  Connect();
  TransferRequest request{};
  request.progress = StopAtOnce;
  EXPECT_FALSE(connection_->FormatMedia(&request));
  EXPECT_EQ(connection_->Flags() & PlayerConnection::FlagFileSystemOpen, 0);
}

}  // namespace
