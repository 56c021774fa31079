// A device that fails in the middle of a write, on FAT12, FAT16 and FAT32
// (whose table of more than 256 KiB goes out copy by copy): the device's
// code comes back, files complete before stay intact under one of their
// names, and once the next attach has mended the volume fsck.fat finds
// nothing.
#include <filesystem>
#include <functional>
#include <set>

#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

// 81,000 clusters of 512 bytes: a FAT32 table of 320 KiB a copy.
const FatKind Kinds[] = {{"FAT12", 8 << 20, "-F 12"}, {"FAT16", 16 << 20, "-F 16"}, {"FAT32", 40 << 20, "-F 32 -s 1"}};

class FaultTest : public testing::TestWithParam<FatKind> {
 protected:
  void SetUp() override {
    player_.AttachNewFat(GetParam());
    FileSystemInterface* fs = player_.Fs();
    ASSERT_EQ(WriteFile(fs, "one.bin", Pattern(200000, 1)), 1u);
    ASSERT_EQ(WriteFile(fs, "two.bin", Pattern(50000, 2)), 1u);
    ASSERT_EQ(fs->makeDir("Folder"), 1u);
    ASSERT_EQ(WriteFile(fs, "Folder\\three with a long name.bin", Pattern(3000, 3)), 1u);
    ASSERT_EQ(fs->setLabel("OLD"), 1u);
    RunTool("cp --sparse=always " + Quote(player_.Image()) + " " + Quote(saved_));
  }

  void Restore() { RunTool("cp --sparse=always " + Quote(saved_) + " " + Quote(player_.Image())); }

  // The first file found of `names`, or nothing.
  std::optional<std::string> ReadAny(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      if (std::optional<std::string> data = ReadFile(player_.Fs(), name)) return data;
    }
    return std::nullopt;
  }

  // With the faults gone and the volume attached anew: what was complete
  // before step `failed` (1-based) is intact, under its old or new name.
  void ExpectEarlierFilesIntact(size_t failed, const std::string& context) {
    player_.SetFaults("");
    player_.Attach();
    FileSystemInterface* fs = player_.Fs();
    EXPECT_EQ(ReadFile(fs, "one.bin"), Pattern(200000, 1)) << context;
    EXPECT_EQ(ReadAny({"Folder\\three with a long name.bin", "Folder renamed\\three with a long name.bin"}),
              Pattern(3000, 3))
        << context;
    std::optional<std::string> two = ReadFile(fs, "two.bin");
    EXPECT_TRUE(two == Pattern(50000, 2) || two == Pattern(120000, 5)) << context << ": old or new, never half";
    if (failed > 1 && failed < 7) {
      EXPECT_EQ(ReadAny({"Folder\\new file.bin", "Folder\\renamed.bin", "Folder renamed\\renamed.bin"}),
                Pattern(70000, 4))
          << context;
    }
    VolumeInfoRecord info{};
    ASSERT_EQ(fs->getVolumeInfo(&info), 1u);
    EXPECT_TRUE(std::string(info.label) == "OLD" || std::string(info.label) == "NEW") << context;
    EXPECT_EQ(FsckProblems(player_.Image()), "") << context << ": attach mends what the failure left";
  }

  // Whether the image's first two table copies differ.
  bool TablesDiffer() {
    std::vector<uint8_t> boot = ReadPcBytes(player_.Image(), 0, 512);
    uint64_t first = uint64_t(boot[14] | boot[15] << 8) * 512;
    uint64_t size = uint64_t(boot[36] | boot[37] << 8 | boot[38] << 16) * 512;  // FAT32's table size
    return ReadPcBytes(player_.Image(), first, size) != ReadPcBytes(player_.Image(), first + size, size);
  }

  Player player_;
  TempFolder temp_;
  std::string saved_ = temp_.File("saved.img");
};

TEST_P(FaultTest, FailingEverySectorOperationInTurn) {
  std::set<size_t> failedSteps;
  uint32_t differing = 0;
  // From failures inside attach, through every step, to the first run without one.
  for (uint32_t limit = 0; limit < 100; ++limit) {
    Restore();
    player_.SetFaults("fail-after=" + std::to_string(limit) + "\n");
    player_.Connect();
    FileSystemInterface* fs = player_.Fs();
    if (fs->attach(player_.Device()) == 0) {
      EXPECT_EQ(fs->lastError(), FileSystemError::Device);
      continue;
    }
    // New files, a replacement, folder changes, renames and the label, one
    // after the other.
    const std::function<uint32_t()> steps[] = {[&] { return WriteFile(fs, "Folder\\new file.bin", Pattern(70000, 4)); },
                                               [&] { return WriteFile(fs, "two.bin", Pattern(120000, 5)); },
                                               [&] { return fs->makeDir("Another"); },
                                               [&] { return fs->rename("Folder\\new file.bin", "renamed.bin"); },
                                               [&] { return fs->rename("Folder", "Folder renamed"); },
                                               [&] { return fs->setLabel("NEW"); },
                                               [&] { return fs->deleteFile("Folder renamed\\renamed.bin"); },
                                               [&] { return fs->endUpdate(); }};
    size_t step = 0;
    while (step < std::size(steps) && steps[step]() != 0) ++step;
    if (step == std::size(steps)) break;
    failedSteps.insert(step);
    EXPECT_EQ(fs->lastError(), FileSystemError::Device) << limit;
    EXPECT_EQ(player_.Device()->lastError(), DeviceError::Communication) << limit;
    differing += std::string(GetParam().name) == "FAT32" && TablesDiffer();
    ExpectEarlierFilesIntact(step + 1, "fail-after=" + std::to_string(limit));
  }
  EXPECT_EQ(failedSteps.size(), 7u) << "every step but the last, which writes nothing, failed once";
  if (std::string(GetParam().name) == "FAT32") {
    EXPECT_GT(differing, 0u) << "no failure between two table copies";
  }
}

TEST_P(FaultTest, TimeOutsAndUnpluggingReportTheDevicesCode) {
  for (const auto& [fault, code] : {std::pair{"timeout-after=8\n", DeviceError::Timeout},
                                    std::pair{"unplug-after=8\n", DeviceError::NotConnected}}) {
    Restore();
    player_.SetFaults(fault);
    player_.Attach();
    EXPECT_EQ(WriteFile(player_.Fs(), "big.bin", Pattern(2000000, 6)), 0u) << fault;
    EXPECT_EQ(player_.Fs()->lastError(), FileSystemError::Device) << fault;
    EXPECT_EQ(player_.Device()->lastError(), code) << fault;
    std::filesystem::remove(player_.Image().substr(0, player_.Image().rfind('/')) + "/unplugged");
    ExpectEarlierFilesIntact(1, fault);
  }
}

// A rename that finds no room beside its entry writes the new entry first:
// cut off before the old one goes, the next attach keeps one of the names.
TEST(RenameFaultTest, WithoutRoomBesideTheEntryOneNameStays) {
  Player player;
  player.AttachNewFat({"FAT16", 16 << 20, "-F 16 -s 1"});
  ASSERT_EQ(player.Fs()->makeDir("F"), 1u);
  for (int i = 0; i < 14; ++i) {  // with "." and "..", the folder's one sector is full
    ASSERT_EQ(WriteFile(player.Fs(), "F\\" + std::to_string(i) + ".TXT", Pattern(100, i)), 1u);
  }
  TempFolder temp;
  const std::string saved = temp.File("saved.img");
  RunTool("cp --sparse=always " + Quote(player.Image()) + " " + Quote(saved));
  std::set<std::string> outcomes;
  for (uint32_t limit = 0; outcomes.count("new") == 0; ++limit) {
    ASSERT_LT(limit, 40u);
    RunTool("cp --sparse=always " + Quote(saved) + " " + Quote(player.Image()));
    player.SetFaults("fail-after=" + std::to_string(limit) + "\n");
    player.Connect();
    if (!player.Fs()->attach(player.Device())) continue;
    player.Fs()->rename("F\\7.TXT", "a name too long for the sector.txt");
    player.SetFaults("");
    player.Attach();
    std::optional<std::string> before = ReadFile(player.Fs(), "F\\7.TXT");
    std::optional<std::string> after = ReadFile(player.Fs(), "F\\a name too long for the sector.txt");
    EXPECT_NE(before.has_value(), after.has_value()) << limit;
    EXPECT_EQ(before.value_or(after.value_or("")), Pattern(100, 7)) << limit;
    EXPECT_EQ(FsckProblems(player.Image()), "") << limit;
    outcomes.insert(before ? "old" : "new");
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultTest, testing::ValuesIn(Kinds),
                         [](const testing::TestParamInfo<FatKind>& info) { return info.param.name; });

}  // namespace
}  // namespace volkit_testing
