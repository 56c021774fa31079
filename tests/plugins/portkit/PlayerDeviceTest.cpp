// The real portkit.so over player folders in temporary places.
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/Errors.h"
#include "tests/plugins/portkit/PortkitTesting.h"

namespace {

using namespace portkit_testing;

constexpr uint64_t KiB = 1024;
constexpr uint64_t MiB = 1024 * KiB;
constexpr size_t Sector = 512;

using PlayerDeviceTest = PlayerTest;

TEST_F(PlayerDeviceTest, NoPlayerMeansNotConnected) {
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::NotConnected);  // the folder does not exist

  std::filesystem::create_directories(player_);  // a folder that is not a player
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::NotConnected);

  MakePlayer(4 * MiB);
  WriteFile(File("unplugged"), "");
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::NotConnected);
  EXPECT_EQ(Failure(device_->selectMedia("Internal")), DeviceError::NotConnected);

  std::filesystem::remove(File("unplugged"));
  EXPECT_EQ(Failure(device_->open(1, 0)), DeviceError::NotConnected);  // there is only port 0
  EXPECT_EQ(Failure(device_->open(0, 7)), DeviceError::UnsupportedResponse);
  EXPECT_EQ(device_->open(0, 0), 1u);
}

TEST_F(PlayerDeviceTest, MediaInfoForTheMemoryAndEachCardType) {
  MakePlayer(4 * MiB, 3 * MiB);
  const struct {
    const char *cardType, *medium;
    uint8_t imageMedium, type;
    uint32_t capacity, unitSize;
  } cases[] = {{"sd", "Internal", 0, MediaType::Internal, 4 * MiB - 512 * KiB, 512 * KiB},
               {"sd", "MMC", 1, MediaType::SdCard, 3 * MiB, 64 * 1024},
               {"mmc", "MMC", 1, MediaType::MultiMediaCard, 3 * MiB, 64 * 1024},
               {"smmc", "MMC", 1, MediaType::SecureMmc, 3 * MiB, 64 * 1024}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cardType);
    WriteFile(File("player.conf"), std::string("card-type=") + c.cardType + "\n");
    device_->close();
    OpenAndSelect(c.medium);
    MediaInfoRecord info;
    std::memset(&info, 0xAA, sizeof info);
    ASSERT_EQ(device_->getMediaInfo(&info), 1u);
    EXPECT_EQ(info.imageMedium, c.imageMedium);
    EXPECT_EQ(info.type, c.type);
    EXPECT_EQ(info.capacity, c.capacity);
    EXPECT_EQ(info.unitSize, c.unitSize);
    EXPECT_EQ(info.reserved1, 0);
    EXPECT_EQ(info.reserved8, 0u);
    EXPECT_EQ(device_->sectorSize(), Sector);
    EXPECT_EQ(device_->sectorCount(), (c.imageMedium ? 3 : 4) * MiB / Sector);
  }
}

TEST_F(PlayerDeviceTest, LargeImageClampsCapacityAndReachesItsLastSector) {
  const uint64_t size = 5ull << 30;  // sparse: takes no room
  MakePlayer(4 * MiB, size);
  OpenAndSelect("MMC");
  MediaInfoRecord info{};
  ASSERT_EQ(device_->getMediaInfo(&info), 1u);
  EXPECT_EQ(info.capacity, UINT32_MAX);
  ASSERT_EQ(device_->sectorCount(), size / Sector);

  // Offsets past 4 GiB must not wrap onto the start of the image.
  const auto data = Pattern(Sector, 3);
  const uint32_t last = static_cast<uint32_t>(size / Sector - 1);
  ASSERT_EQ(device_->writeSectors(last, 1, data.data()), 1u) << device_->lastError();
  EXPECT_EQ(ReadBytes(File("card.img"), uint64_t(last) * Sector, Sector), data);
  EXPECT_EQ(ReadBytes(File("card.img"), 0, Sector), std::vector<uint8_t>(Sector, 0));
}

TEST_F(PlayerDeviceTest, MissingOrEjectedCardAndUnknownNamesGiveNoCard) {
  MakePlayer(4 * MiB);
  ASSERT_EQ(device_->open(0, 0), 1u);
  EXPECT_EQ(Failure(device_->selectMedia("MMC")), DeviceError::NoCard);
  EXPECT_EQ(Failure(device_->selectMedia("")), DeviceError::NoCard);
  EXPECT_EQ(Failure(device_->selectMedia("internal")), DeviceError::NoCard);
  MediaInfoRecord info{};
  EXPECT_EQ(Failure(device_->getMediaInfo(&info)), DeviceError::NoCard);  // nothing selected

  MakeImage(File("card.img"), 2 * MiB);
  WriteFile(File("card.ejected"), "");
  EXPECT_EQ(Failure(device_->selectMedia("MMC")), DeviceError::NoCard);

  std::filesystem::remove(File("card.ejected"));
  ASSERT_EQ(device_->selectMedia("MMC"), 1u);
  WriteFile(File("card.ejected"), "");  // taken out while selected
  EXPECT_EQ(Failure(device_->getMediaInfo(&info)), DeviceError::NoCard);
  EXPECT_EQ(Failure(device_->readSectors(0, 1, Pattern(Sector, 0).data())), DeviceError::NoCard);
}

TEST_F(PlayerDeviceTest, SectorsRoundTripThroughTheImageAndStopAtItsEnd) {
  MakePlayer(4 * MiB);
  OpenAndSelect("Internal");
  const uint32_t count = device_->sectorCount();
  const auto data = Pattern(3 * Sector, 9);
  ASSERT_EQ(device_->writeSectors(10, 3, data.data()), 1u);
  ASSERT_EQ(device_->flush(), 1u);
  EXPECT_EQ(ReadBytes(File("internal.img"), 10 * Sector, 3 * Sector), data);

  std::vector<uint8_t> back(3 * Sector);
  ASSERT_EQ(device_->readSectors(10, 3, back.data()), 1u);
  EXPECT_EQ(back, data);

  EXPECT_EQ(device_->readSectors(count - 1, 1, back.data()), 1u);
  EXPECT_EQ(device_->readSectors(count, 0, back.data()), 1u);
  EXPECT_EQ(Failure(device_->readSectors(count - 1, 2, back.data())), DeviceError::SectorOutOfRange);
  EXPECT_EQ(Failure(device_->writeSectors(count, 1, back.data())), DeviceError::SectorOutOfRange);
  EXPECT_EQ(Failure(device_->readSectors(UINT32_MAX, 2, back.data())),
            DeviceError::SectorOutOfRange);  // no 32-bit wrap
}

TEST_F(PlayerDeviceTest, LockMarkAndReadOnlyImageProtectTheMedium) {
  MakePlayer(4 * MiB, 2 * MiB);
  const auto data = Pattern(Sector, 1);
  std::vector<uint8_t> buffer(Sector);
  uint8_t block[128] = {};

  WriteFile(File("card.lock"), "");
  OpenAndSelect("MMC");  // a locked medium is still selected
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::WriteProtected);
  EXPECT_EQ(Failure(device_->writeSectors(0, 1, data.data())), DeviceError::WriteProtected);
  EXPECT_EQ(Failure(device_->writeReservedBlock(block)), DeviceError::WriteProtected);
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
  EXPECT_EQ(ReadBytes(File("card.img"), 0, Sector), std::vector<uint8_t>(Sector, 0));

  ASSERT_EQ(device_->selectMedia("Internal"), 1u);  // the lock is the card's only
  EXPECT_EQ(device_->checkWritable(), 1u);

  std::filesystem::remove(File("card.lock"));
  ASSERT_EQ(device_->selectMedia("MMC"), 1u);
  EXPECT_EQ(device_->checkWritable(), 1u);
  EXPECT_EQ(device_->writeSectors(0, 1, data.data()), 1u);

  // checkWritable remembers a writable medium only until a name in the folder
  // changes: each switch made between two questions is seen by the second,
  // also once the folder's last change lies far enough back to be trusted.
  const auto settled = [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(device_->checkWritable(), 1u);
    EXPECT_EQ(device_->checkWritable(), 1u);
  };
  settled();
  WriteFile(File("card.lock"), "");
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::WriteProtected);
  std::filesystem::remove(File("card.lock"));
  settled();
  WriteFile(File("card.ejected"), "");
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::NoCard);
  std::filesystem::remove(File("card.ejected"));
  ASSERT_EQ(device_->selectMedia("MMC"), 1u);
  settled();
  WriteFile(File("unplugged"), "");
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::NotConnected);
  std::filesystem::remove(File("unplugged"));
  OpenAndSelect("MMC");

  chmod(File("internal.img").c_str(), 0444);
  ASSERT_EQ(device_->selectMedia("Internal"), 1u);
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::WriteProtected);
  EXPECT_EQ(Failure(device_->writeSectors(0, 1, data.data())), DeviceError::WriteProtected);
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
}

TEST_F(PlayerDeviceTest, FirmwareBlocksOnlyInFirmwareMode) {
  MakePlayer(4 * MiB);
  uint8_t block[128];
  ASSERT_EQ(device_->open(0, 0), 1u);
  EXPECT_EQ(Failure(device_->readFirmwareBlock(0, block, 1)), DeviceError::FirmwareBlock);
  EXPECT_EQ(Failure(device_->writeFirmwareBlock(0, block, 1)), DeviceError::FirmwareBlock);
  EXPECT_FALSE(std::filesystem::exists(File("firmware.bin")));

  ASSERT_EQ(device_->open(0, DeviceInterface::FirmwareMode), 1u);  // a probe may switch the mode
  ASSERT_EQ(device_->readFirmwareBlock(0, block, 1), 1u);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 128), std::vector<uint8_t>(128, 0xFF));  // erased
  const auto data = Pattern(128, 5);
  ASSERT_EQ(device_->writeFirmwareBlock(479, data.data(), 1), 1u);
  ASSERT_EQ(device_->readFirmwareBlock(479, block, 1), 1u);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 128), data);
  EXPECT_EQ(std::filesystem::file_size(File("firmware.bin")), 480u * 128);
  EXPECT_EQ(ReadBytes(File("firmware.bin"), uint64_t{479} * 128, 128), data);

  EXPECT_EQ(Failure(device_->writeFirmwareBlock(480, data.data(), 1)), DeviceError::FirmwareBlock);
  EXPECT_EQ(Failure(device_->readFirmwareBlock(0, block, 2)), DeviceError::FirmwareBlock);
}

TEST_F(PlayerDeviceTest, EachMediumKeepsItsOwnReservedBlock) {
  MakePlayer(4 * MiB, 2 * MiB);
  uint8_t block[128];
  ASSERT_EQ(device_->open(0, 0), 1u);
  EXPECT_EQ(Failure(device_->readReservedBlock(block)), DeviceError::NoCard);  // no medium selected

  ASSERT_EQ(device_->selectMedia("Internal"), 1u);
  ASSERT_EQ(device_->readReservedBlock(block), 1u);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 128), std::vector<uint8_t>(128, 0));
  const auto internal = Pattern(128, 1);
  ASSERT_EQ(device_->writeReservedBlock(internal.data()), 1u);

  ASSERT_EQ(device_->selectMedia("MMC"), 1u);
  const auto card = Pattern(128, 2);
  ASSERT_EQ(device_->writeReservedBlock(card.data()), 1u);

  Reopen();
  ASSERT_EQ(device_->selectMedia("Internal"), 1u);
  ASSERT_EQ(device_->readReservedBlock(block), 1u);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 128), internal);
  ASSERT_EQ(device_->selectMedia("MMC"), 1u);
  ASSERT_EQ(device_->readReservedBlock(block), 1u);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 128), card);
  EXPECT_EQ(ReadBytes(File("card.reserved"), 0, 128), card);
}

TEST_F(PlayerDeviceTest, InjectedFailureAndTimeoutLastUntilClose) {
  MakePlayer(4 * MiB);
  std::vector<uint8_t> buffer(Sector);
  const std::pair<const char*, uint32_t> faults[] = {{"fail-after", DeviceError::Communication},
                                                     {"timeout-after", DeviceError::Timeout}};
  for (const auto& [name, code] : faults) {
    SCOPED_TRACE(name);
    WriteFile(File("faults"), std::string(name) + "=2\n");
    device_->close();
    OpenAndSelect("Internal");
    EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
    EXPECT_EQ(device_->writeSectors(1, 1, buffer.data()), 1u);
    EXPECT_EQ(Failure(device_->writeSectors(2, 1, buffer.data())), code);
    EXPECT_EQ(Failure(device_->readSectors(0, 1, buffer.data())), code);
    EXPECT_EQ(Failure(device_->flush()), code);
    EXPECT_EQ(device_->checkWritable(), 1u);  // the player itself still answers
  }
  std::filesystem::remove(File("faults"));
  device_->close();
  OpenAndSelect("Internal");
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
}

TEST_F(PlayerDeviceTest, UnplugFromOutsideOrDuringATransferStaysUntilPlugged) {
  MakePlayer(4 * MiB);
  OpenAndSelect("Internal");
  std::vector<uint8_t> buffer(Sector);
  EXPECT_EQ(device_->open(0, 0), 1u);  // a probe keeps the selected medium
  EXPECT_EQ(device_->readSectors(0, 1, buffer.data()), 1u);
  WriteFile(File("unplugged"), "");
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::NotConnected);
  EXPECT_EQ(Failure(device_->readSectors(0, 1, buffer.data())), DeviceError::NotConnected);
  std::filesystem::remove(File("unplugged"));

  WriteFile(File("faults"), "unplug-after = 1  # during the second transfer\n");
  device_->close();
  OpenAndSelect("Internal");
  EXPECT_EQ(device_->writeSectors(0, 1, buffer.data()), 1u);
  EXPECT_EQ(Failure(device_->writeSectors(1, 1, buffer.data())), DeviceError::NotConnected);
  EXPECT_EQ(Failure(device_->checkWritable()), DeviceError::NotConnected);
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::NotConnected);
  EXPECT_TRUE(std::filesystem::exists(File("unplugged")));
  std::filesystem::remove(File("unplugged"));
  EXPECT_EQ(device_->open(0, 0), 1u);
}

TEST_F(PlayerDeviceTest, ConfigMayMapAMediumToAnotherStorage) {
  MakePlayer(4 * MiB);
  const std::string elsewhere = temp_ + "/reader.img";
  MakeImage(elsewhere, 2 * MiB);
  WriteFile(File("player.conf"), "# a card in a reader\ncard=" + elsewhere + "\ncard-type=mmc\n");
  OpenAndSelect("MMC");
  EXPECT_EQ(device_->sectorCount(), 2 * MiB / Sector);
  const auto data = Pattern(Sector, 4);
  ASSERT_EQ(device_->writeSectors(5, 1, data.data()), 1u);
  EXPECT_EQ(ReadBytes(elsewhere, 5 * Sector, Sector), data);

  std::filesystem::remove(elsewhere);  // the reader is empty
  EXPECT_EQ(Failure(device_->selectMedia("MMC")), DeviceError::NoCard);
}

TEST_F(PlayerDeviceTest, SystemErrorsCarryThePlatformLastError) {
  MakePlayer(4 * MiB);
  WriteFile(File("player.conf"), "card-type=floppy\n");
  platform::SetLastError(0);
  EXPECT_EQ(Failure(device_->open(0, 0)), DeviceError::System);
  EXPECT_EQ(platform::GetLastError(), platform::Error::InvalidData);

  WriteFile(File("player.conf"), "card-type=sd\n");
  std::filesystem::remove(File("internal.img"));
  ASSERT_EQ(device_->open(0, 0), 1u);
  EXPECT_EQ(Failure(device_->selectMedia("Internal")), DeviceError::System);
  EXPECT_EQ(platform::GetLastError(), platform::Error::FileNotFound);
}

}  // namespace
