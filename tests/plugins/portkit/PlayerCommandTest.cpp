// tunewarden-player on temporary folders, seen through the real portkit.so.
// What create --format leaves is checked by fsck.fat in the command-line tests.
#include "tests/Shell.h"
#include "tests/plugins/portkit/PortkitTesting.h"

namespace {

using namespace portkit_testing;

class PlayerCommandTest : public PlayerTest {
 protected:
  Outcome Player(const std::string& arguments) {
    return RunShell(std::string(PLAYER_COMMAND) + " --player '" + player_ + "' " + arguments);
  }

  // What is left beside the player folder: a failed create leaves nothing.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp_))
      names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(PlayerCommandTest, CreateMakesAPlayerThatTheDeviceOpens) {
  const Outcome created = Player("create --internal 8M --card 3M --type smmc");
  ASSERT_EQ(created.exitCode, 0) << created.output;
  EXPECT_EQ(std::filesystem::file_size(File("internal.img")), 8u << 20);
  EXPECT_EQ(std::filesystem::file_size(File("card.img")), 3u << 20);
  EXPECT_EQ(ReadFile(File("internal.reserved")), std::string(128, '\0'));
  EXPECT_EQ(Leftovers(), std::vector<std::string>{"player"});

  OpenAndSelect("MMC");
  MediaInfoRecord info{};
  ASSERT_EQ(device_->getMediaInfo(&info), 1u);
  EXPECT_EQ(info.type, MediaType::SecureMmc);
  EXPECT_EQ(info.capacity, 3u << 20);

  const Outcome status = Player("status");
  ASSERT_EQ(status.exitCode, 0) << status.output;
  EXPECT_NE(status.output.find("plugged"), std::string::npos) << status.output;
  EXPECT_NE(status.output.find("smmc, inserted, 3 MiB"), std::string::npos) << status.output;
  EXPECT_NE(status.output.find("8 MiB (8388608 bytes), writable"), std::string::npos) << status.output;
}

TEST_F(PlayerCommandTest, BadArgumentsFailClearlyAndCreateNothing) {
  const char* bad[] = {"create --internal 1048577",  // not whole sectors
                       "create --type sd", "create --card 4M --type xd", "create --internal", "explode"};
  for (const char* arguments : bad) {
    SCOPED_TRACE(arguments);
    const Outcome outcome = Player(arguments);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.output.find("tunewarden-player: "), std::string::npos) << outcome.output;
    EXPECT_TRUE(Leftovers().empty());
  }
  EXPECT_EQ(RunShell(std::string(PLAYER_COMMAND)).exitCode, 2);
  EXPECT_EQ(RunShell(std::string(PLAYER_COMMAND) + " status --player").exitCode, 2);

  const Outcome noPlayer = Player("status");
  EXPECT_EQ(noPlayer.exitCode, 1);
  EXPECT_NE(noPlayer.output.find("no player at"), std::string::npos) << noPlayer.output;

  // An empty folder is taken, with the default size and no card.
  std::filesystem::create_directories(player_);
  ASSERT_EQ(Player("create").exitCode, 0);
  EXPECT_EQ(std::filesystem::file_size(File("internal.img")), 64u << 20);
  EXPECT_FALSE(std::filesystem::exists(File("card.img")));
  EXPECT_EQ(Leftovers(), std::vector<std::string>{"player"});
}

TEST_F(PlayerCommandTest, CreateNeverReplacesAnExistingPlayerOrFolder) {
  ASSERT_EQ(Player("create --internal 2M").exitCode, 0);
  WriteFile(File("internal.reserved"), std::string(128, 'k'));
  EXPECT_EQ(Player("create --internal 4M").exitCode, 1);
  EXPECT_EQ(std::filesystem::file_size(File("internal.img")), 2u << 20);
  EXPECT_EQ(ReadFile(File("internal.reserved")), std::string(128, 'k'));

  const std::string other = temp_ + "/other";
  std::filesystem::create_directories(other);
  WriteFile(other + "/notes.txt", "mine");
  const Outcome outcome = RunShell(std::string(PLAYER_COMMAND) + " --player " + other + " create");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("not an empty folder"), std::string::npos) << outcome.output;
  EXPECT_EQ(ReadFile(other + "/notes.txt"), "mine");
}

TEST_F(PlayerCommandTest, CablesSlotsAndSwitchesReachTheDevice) {
  ASSERT_EQ(Player("create --internal 2M --card 2M").exitCode, 0);

  ASSERT_EQ(Player("unplug").exitCode, 0);
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::NotConnected);
  EXPECT_NE(Player("status").output.find("unplugged"), std::string::npos);
  ASSERT_EQ(Player("plug").exitCode, 0);
  ASSERT_EQ(device_->open(0, 0), 1u);

  ASSERT_EQ(Player("eject").exitCode, 0);
  EXPECT_EQ(Failure(device_->selectMedia("MMC")), DeviceError::NoCard);
  ASSERT_EQ(Player("insert").exitCode, 0);
  ASSERT_EQ(device_->selectMedia("MMC"), 1u);

  ASSERT_EQ(Player("lock card").exitCode, 0);
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::WriteProtected);
  EXPECT_NE(Player("status").output.find("locked"), std::string::npos);
  ASSERT_EQ(Player("unlock card").exitCode, 0);
  EXPECT_EQ(device_->checkWritable(), 1u);

  EXPECT_EQ(Player("lock").exitCode, 2);
  EXPECT_EQ(Player("lock firmware").exitCode, 2);
}

TEST_F(PlayerCommandTest, CardCommandsNeedACard) {
  ASSERT_EQ(Player("create --internal 2M").exitCode, 0);
  for (const char* command : {"insert", "eject", "lock card"}) {
    const Outcome outcome = Player(command);
    EXPECT_EQ(outcome.exitCode, 1) << command;
    EXPECT_NE(outcome.output.find("has no card"), std::string::npos) << outcome.output;
  }
  EXPECT_EQ(Player("lock internal").exitCode, 0);
}

TEST_F(PlayerCommandTest, FaultsAreSetShownAndCleared) {
  ASSERT_EQ(Player("create --internal 2M").exitCode, 0);
  const Outcome set = Player("faults --timeout-after 1 --unplug-after 5");
  ASSERT_EQ(set.exitCode, 0) << set.output;
  EXPECT_NE(set.output.find("time out after 1 sector operations; unplug after 5"), std::string::npos) << set.output;

  OpenAndSelect("Internal");
  std::vector<uint8_t> buffer(512);
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
  EXPECT_EQ(Failure(device_->readSectors(0, 1, buffer.data())), DeviceError::Timeout);

  EXPECT_EQ(Player("faults --clear --fail-after 3").exitCode, 2);
  EXPECT_EQ(Player("faults --fail-after many").exitCode, 2);
  ASSERT_EQ(Player("faults --clear").exitCode, 0);
  EXPECT_NE(Player("faults").output.find("none"), std::string::npos);
  Reopen();
  ASSERT_EQ(device_->selectMedia("Internal"), 1u);
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
}

}  // namespace
