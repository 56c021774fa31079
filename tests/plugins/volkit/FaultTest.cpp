// A device that fails in the middle of a write: the device's code comes
// back, files complete before stay intact, and fsck.fat finds at most lost
// clusters.
#include <filesystem>
#include <sstream>

#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

// The lines of a fsck.fat -n report that tell of more than lost clusters.
std::string WorseThanLostClusters(const std::string& report) {
  std::istringstream lines(report);
  std::string line, worse;
  for (std::getline(lines, line); std::getline(lines, line);) {  // the first line is the version
    bool harmless = line.empty() || line.find("Leaving filesystem unchanged") != std::string::npos ||
                    line.find(" files, ") != std::string::npos || line.find("Reclaimed") != std::string::npos ||
                    line.find("Free cluster summary") != std::string::npos ||
                    line.find("Auto-correcting") != std::string::npos;
    if (!harmless) worse += line + "\n";
  }
  return worse;
}

class FaultTest : public testing::Test {
 protected:
  void SetUp() override {
    player_.AttachNewFat(8 << 20);
    FileSystemInterface* fs = player_.Fs();
    ASSERT_EQ(WriteFile(fs, "one.bin", Pattern(200000, 1)), 1u);
    ASSERT_EQ(WriteFile(fs, "two.bin", Pattern(50000, 2)), 1u);
    ASSERT_EQ(fs->makeDir("Folder"), 1u);
    ASSERT_EQ(WriteFile(fs, "Folder\\three with a long name.bin", Pattern(3000, 3)), 1u);
    std::filesystem::copy_file(player_.Image(), saved_);
  }

  void Restore() {
    std::filesystem::copy_file(saved_, player_.Image(), std::filesystem::copy_options::overwrite_existing);
  }

  // With the faults gone: the files complete before the failure are intact.
  void ExpectEarlierFilesIntact(const std::string& context) {
    player_.SetFaults("");
    player_.Attach();
    FileSystemInterface* fs = player_.Fs();
    EXPECT_EQ(ReadFile(fs, "one.bin"), Pattern(200000, 1)) << context;
    EXPECT_EQ(ReadFile(fs, "Folder\\three with a long name.bin"), Pattern(3000, 3)) << context;
    std::optional<std::string> two = ReadFile(fs, "two.bin");
    EXPECT_TRUE(two == Pattern(50000, 2) || two == Pattern(120000, 5)) << context << ": old or new, never half";
    EXPECT_EQ(WorseThanLostClusters(FsckProblems(player_.Image())), "") << context;
  }

  Player player_;
  TempFolder temp_;
  std::string saved_ = temp_.File("saved.img");
};

TEST_F(FaultTest, FailingEverySectorOperationInTurn) {
  uint32_t failed = 0, completed = 0;
  for (uint32_t limit = 0; limit < 40; ++limit) {
    Restore();
    player_.SetFaults("fail-after=" + std::to_string(limit) + "\n");
    player_.Connect();
    FileSystemInterface* fs = player_.Fs();
    if (fs->attach(player_.Device()) == 0) {
      EXPECT_EQ(fs->lastError(), FileSystemError::Device);
      continue;
    }
    // New files, a replacement and folder changes, one after the other.
    bool ok = WriteFile(fs, "Folder\\new file.bin", Pattern(700000, 4)) &&
              WriteFile(fs, "two.bin", Pattern(120000, 5)) && fs->makeDir("Another") &&
              fs->rename("Folder\\new file.bin", "renamed.bin") && fs->deleteFile("Folder\\renamed.bin") &&
              fs->endUpdate();
    completed += ok;
    if (!ok) {
      ++failed;
      EXPECT_EQ(fs->lastError(), FileSystemError::Device) << limit;
      EXPECT_EQ(player_.Device()->lastError(), DeviceError::Communication) << limit;
    }
    ExpectEarlierFilesIntact("fail-after=" + std::to_string(limit));
  }
  // The limits run from failures inside attach, through every step, to none.
  EXPECT_GE(failed, 15u);
  EXPECT_GT(completed, 0u);
}

TEST_F(FaultTest, TimeOutsAndUnpluggingReportTheDevicesCode) {
  for (const auto& [fault, code] : {std::pair{"timeout-after=8\n", DeviceError::Timeout},
                                    std::pair{"unplug-after=8\n", DeviceError::NotConnected}}) {
    Restore();
    player_.SetFaults(fault);
    player_.Attach();
    EXPECT_EQ(WriteFile(player_.Fs(), "big.bin", Pattern(2000000, 6)), 0u) << fault;
    EXPECT_EQ(player_.Fs()->lastError(), FileSystemError::Device) << fault;
    EXPECT_EQ(player_.Device()->lastError(), code) << fault;
    std::filesystem::remove(player_.Image().substr(0, player_.Image().rfind('/')) + "/unplugged");
    ExpectEarlierFilesIntact(fault);
  }
}

}  // namespace
}  // namespace volkit_testing
