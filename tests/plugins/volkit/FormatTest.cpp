// Formatting: the layout mkfs.fat would choose, partitions kept, full
// formats that report progress in the medium's units and can be stopped.
#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

VolumeInfoRecord Attached(Player& player) {
  player.Attach();
  VolumeInfoRecord info{};
  EXPECT_EQ(player.Fs()->getVolumeInfo(&info), 1u);
  return info;
}

class FormatSizeTest : public testing::TestWithParam<uint64_t> {};

TEST_P(FormatSizeTest, ChoosesTheFatTypeAndClusterSizeOfMkfs) {
  uint64_t bytes = GetParam() << 20;
  Player reference;
  CreateImage(reference.Image(), bytes);
  MakeFat(reference.Image(), "");
  VolumeInfoRecord expected = Attached(reference);

  Player player;
  CreateImage(player.Image(), bytes);
  player.Connect();
  ASSERT_EQ(player.Fs()->format(player.Device(), nullptr), 1u) << player.Fs()->lastError();
  VolumeInfoRecord info{};
  ASSERT_EQ(player.Fs()->getVolumeInfo(&info), 1u);
  EXPECT_EQ(info.fatBits, expected.fatBits);
  EXPECT_EQ(info.bytesPerCluster, expected.bytesPerCluster);
  EXPECT_EQ(player.Fs()->freeClusters(), info.totalClusters - (info.fatBits == 32 ? 1 : 0));
  EXPECT_EQ(FsckProblems(player.Image()), "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, FormatSizeTest, testing::Values(1, 8, 9, 129, 300, 600, 8200, 16400));

class FormatTest : public testing::Test {
 protected:
  Player player_;
};

TEST_F(FormatTest, KeepsThePartitionTableAndIsUsableAtOnce) {
  CreateImage(player_.Image(), 40 << 20);
  WritePartitionTable(player_.Image(), 2048, 0x83);
  player_.Connect();
  ASSERT_EQ(player_.Fs()->format(player_.Device(), nullptr), 1u) << player_.Fs()->lastError();
  // The display images are written right after a format, without attach.
  ASSERT_EQ(WriteFile(player_.Fs(), "intro.lcd", Pattern(1234, 1)), 1u) << player_.Fs()->lastError();

  std::vector<uint8_t> mbr = ReadPcBytes(player_.Image(), 0, 512);
  EXPECT_EQ(mbr[446 + 4], 0x06) << "the type names FAT16 now";
  EXPECT_EQ(mbr[446 + 8] | mbr[446 + 9] << 8, 2048);
  EXPECT_EQ(mbr[510], 0x55);
  EXPECT_EQ(FsckProblems(player_.Image(), 2048), "");
  TempFolder pc;
  Outcome copy =
      RunTool("mcopy -n -i " + MtoolsImage(player_.Image(), 2048) + " ::/intro.lcd " + Quote(pc.File("intro.lcd")));
  ASSERT_EQ(copy.exitCode, 0) << copy.output;
  EXPECT_EQ(::ReadFile(pc.File("intro.lcd")), Pattern(1234, 1));
}

struct FormatProgress {
  std::vector<uint32_t> done;
  uint32_t total = 0;
  std::optional<size_t> stopAtCall;
};

uint32_t OnFormatProgress(TransferRequest* request) {
  auto* progress = static_cast<FormatProgress*>(request->context);
  progress->done.push_back(request->done);
  progress->total = request->total;
  return !(progress->stopAtCall && progress->done.size() - 1 == *progress->stopAtCall);
}

TEST_F(FormatTest, FullFormatClearsTheDataInUnitsAndCanBeStopped) {
  player_.AttachNewFat(6 << 20);
  std::string secret(100000, 'S');
  ASSERT_EQ(WriteFile(player_.Fs(), "secret", secret), 1u);

  FormatProgress progress;
  TransferRequest request{};
  request.context = &progress;
  request.progress = OnFormatProgress;
  ASSERT_EQ(player_.Fs()->format(player_.Device(), &request), 1u) << player_.Fs()->lastError();
  MediaInfoRecord media{};
  player_.Device()->getMediaInfo(&media);
  EXPECT_EQ(progress.total, media.capacity / media.unitSize);
  ASSERT_GE(progress.done.size(), 3u);
  EXPECT_EQ(progress.done.front(), 0u);
  EXPECT_EQ(progress.done.back(), progress.total);
  EXPECT_TRUE(std::is_sorted(progress.done.begin(), progress.done.end()));
  EXPECT_EQ(::ReadFile(player_.Image()).find(std::string(512, 'S')), std::string::npos);
  EXPECT_EQ(ListNames(player_.Fs()), std::vector<std::string>{});
  EXPECT_EQ(FsckProblems(player_.Image()), "");

  // Stopped half way, the medium still holds a valid empty volume.
  ASSERT_EQ(WriteFile(player_.Fs(), "again", secret), 1u);
  FormatProgress stopped;
  stopped.stopAtCall = 4;
  request.context = &stopped;
  EXPECT_EQ(player_.Fs()->format(player_.Device(), &request), 0u);
  EXPECT_EQ(player_.Fs()->lastError(), FileSystemError::Stopped);
  EXPECT_EQ(stopped.done.size(), 5u);
  EXPECT_EQ(FsckProblems(player_.Image()), "");
  player_.Attach();
  EXPECT_EQ(ListNames(player_.Fs()), std::vector<std::string>{});
}

// The internal memory keeps its last unit: the volume ends inside the
// capacity the medium reports. Two formats in one second differ in serial.
TEST_F(FormatTest, StaysInsideTheReportedCapacityWithASerialOfItsOwn) {
  CreateImage(player_.Image(), 64 << 20);
  player_.Connect();
  VolumeInfoRecord first{}, second{};
  ASSERT_EQ(player_.Fs()->format(player_.Device(), nullptr), 1u);
  ASSERT_EQ(player_.Fs()->getVolumeInfo(&first), 1u);
  ASSERT_EQ(player_.Fs()->format(player_.Device(), nullptr), 1u);
  ASSERT_EQ(player_.Fs()->getVolumeInfo(&second), 1u);
  EXPECT_NE(first.serialNumber, second.serialNumber);

  MediaInfoRecord media{};
  player_.Device()->getMediaInfo(&media);
  std::vector<uint8_t> boot = ReadPcBytes(player_.Image(), 32, 4);
  EXPECT_LE(uint64_t(boot[0] | boot[1] << 8 | boot[2] << 16 | boot[3] << 24) * 512, media.capacity);
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

TEST_F(FormatTest, AMediumTooSmallForFatIsRefused) {
  CreateImage(player_.Image(), uint64_t{16} * 1024);
  player_.Connect();
  EXPECT_EQ(player_.Fs()->format(player_.Device(), nullptr), 0u);
  EXPECT_EQ(player_.Fs()->lastError(), FileSystemError::NoFileSystem);
}

}  // namespace
}  // namespace volkit_testing
