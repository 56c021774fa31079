// Damaged volumes: bad boot sectors are refused, bad numbers in tables and
// entries are reported, and nothing loops or reaches outside the volume.
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

// Byte-level access to a FAT16 image made by mkfs.fat, to damage it.
class RawFat16 {
 public:
  explicit RawFat16(const std::string& path) : path_(path) {
    std::vector<uint8_t> boot = Read(0, 512);
    reserved_ = U16(boot, 14);
    fatSectors_ = U16(boot, 22);
    rootEntries_ = U16(boot, 17);
  }

  std::vector<uint8_t> Read(uint64_t offset, size_t size) const { return ReadPcBytes(path_, offset, size); }

  void Write(uint64_t offset, const std::vector<uint8_t>& bytes) const {
    std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(offset));
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  void SetFat(uint32_t cluster, uint16_t value) const {
    for (uint32_t copy = 0; copy < 2; ++copy) {
      Write((reserved_ + copy * fatSectors_) * 512ull + cluster * 2ull, {uint8_t(value), uint8_t(value >> 8)});
    }
  }

  // The offset of the root entry with this 11-byte short name.
  uint64_t RootEntry(const std::string& shortName) const {
    uint64_t root = (reserved_ + 2ull * fatSectors_) * 512;
    std::vector<uint8_t> bytes = Read(root, rootEntries_ * size_t{32});
    for (size_t i = 0; i < bytes.size(); i += 32) {
      if (std::equal(shortName.begin(), shortName.end(), bytes.begin() + long(i))) return root + i;
    }
    ADD_FAILURE() << shortName << " not in the root folder";
    return root;
  }

  uint16_t FirstCluster(const std::string& shortName) const { return U16(Read(RootEntry(shortName) + 26, 2), 0); }
  // The little-endian `value` in `bytes` bytes at `at` in the entry.
  void SetEntryField(const std::string& shortName, size_t at, uint32_t value, size_t bytes) const {
    std::vector<uint8_t> field;
    for (size_t i = 0; i < bytes; ++i) field.push_back(uint8_t(value >> (8 * i)));
    Write(RootEntry(shortName) + at, field);
  }

 private:
  static uint16_t U16(const std::vector<uint8_t>& bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

  std::string path_;
  uint32_t reserved_, fatSectors_, rootEntries_;
};

class DamageTest : public testing::Test {
 protected:
  void SetUp() override {
    player_.AttachNewFat(16 << 20);
    ASSERT_EQ(WriteFile(player_.Fs(), "A.BIN", Pattern(5000, 1)), 1u);  // three 2 KiB clusters
    ASSERT_EQ(WriteFile(player_.Fs(), "B.BIN", Pattern(100, 2)), 1u);
    ASSERT_EQ(player_.Fs()->makeDir("DIR"), 1u);
    ASSERT_EQ(WriteFile(player_.Fs(), "DIR\\C.BIN", Pattern(100, 3)), 1u);
    raw_ = std::make_unique<RawFat16>(player_.Image());
    std::filesystem::copy_file(player_.Image(), saved_);
  }

  // The image as SetUp left it, before the next damage.
  void Restore() {
    std::filesystem::copy_file(saved_, player_.Image(), std::filesystem::copy_options::overwrite_existing);
  }

  // Attaches anew after the image was changed behind volkit's back.
  FileSystemInterface* Reattached() {
    player_.Attach();
    return player_.Fs();
  }

  uint32_t CodeOf(uint32_t result) {
    EXPECT_EQ(result, 0u);
    return player_.Fs()->lastError();
  }

  Player player_;
  TempFolder temp_;
  std::string saved_ = temp_.File("saved.img");
  std::unique_ptr<RawFat16> raw_;
};

TEST_F(DamageTest, BadBootSectorsAreRefused) {
  struct Damage {
    const char* what;
    uint64_t offset;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> good = raw_->Read(0, 512);
  for (const Damage& damage : {
           Damage{"no signature", 510, {0, 0}},
           Damage{"no jump", 0, {0, 0, 0}},
           Damage{"zero bytes per sector", 11, {0, 0}},
           Damage{"three sectors per cluster", 13, {3}},
           Damage{"no reserved sector", 14, {0, 0}},
           Damage{"no FAT", 16, {0}},
           Damage{"larger than the medium", 19, {0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10}},
           Damage{"a FAT too small for the clusters", 22, {1, 0}},
       }) {
    raw_->Write(0, good);
    raw_->Write(damage.offset, damage.bytes);
    player_.Connect();
    EXPECT_EQ(player_.Fs()->attach(player_.Device()), 0u) << damage.what;
    EXPECT_EQ(player_.Fs()->lastError(), FileSystemError::NoFileSystem) << damage.what;
  }
}

TEST_F(DamageTest, BadClusterNumbersAndLoopsAreReported) {
  uint16_t first = raw_->FirstCluster("A       BIN");
  struct Damage {
    const char* what;
    std::function<void()> apply;
  };
  for (const Damage& damage : {
           Damage{"start outside the volume", [&] { raw_->SetEntryField("A       BIN", 26, 0xFFF0, 2); }},
           Damage{"link outside the volume", [&] { raw_->SetFat(first + 1, 0xFFF0); }},
           Damage{"link to a free cluster", [&] { raw_->SetFat(first + 1, 0); }},
           Damage{"bad-cluster mark in the chain", [&] { raw_->SetFat(first, 0xFFF7); }},
           Damage{"chain looping back", [&] { raw_->SetFat(first + 2, first); }},
       }) {
    damage.apply();
    FileSystemInterface* fs = Reattached();
    EXPECT_EQ(ReadFile(fs, "A.BIN"), std::nullopt) << damage.what;
    EXPECT_EQ(fs->lastError(), FileSystemError::DamagedChain) << damage.what;
    EXPECT_EQ(CodeOf(fs->deleteFile("A.BIN")), FileSystemError::DamagedChain) << damage.what;
    EXPECT_EQ(CodeOf(WriteFile(fs, "A.BIN", "new")), FileSystemError::DamagedChain) << damage.what;
    // The rest of the volume stays usable.
    EXPECT_EQ(ReadFile(fs, "B.BIN"), Pattern(100, 2)) << damage.what;
    EXPECT_EQ(WriteFile(fs, "D.BIN", "fine"), 1u) << damage.what;
    Restore();
  }
}

TEST_F(DamageTest, AChainShorterThanTheSizeIsNotReadPastItsEnd) {
  raw_->SetEntryField("A       BIN", 28, 1 << 20, 4);
  FileSystemInterface* fs = Reattached();
  EXPECT_EQ(ReadFile(fs, "A.BIN"), std::nullopt);
  EXPECT_EQ(fs->lastError(), FileSystemError::DamagedChain);
}

TEST_F(DamageTest, FoldersOutsideTheVolumeOrLoopingAreReported) {
  uint16_t folder = raw_->FirstCluster("DIR        ");
  for (uint16_t cluster : {uint16_t(0xFFF0), uint16_t(0)}) {
    raw_->SetEntryField("DIR        ", 26, cluster, 2);
    FileSystemInterface* fs = Reattached();
    EXPECT_EQ(CodeOf(fs->changeDir("DIR")), FileSystemError::DamagedChain) << cluster;
    EXPECT_EQ(ReadFile(fs, "DIR\\C.BIN"), std::nullopt);
    EXPECT_EQ(CodeOf(fs->removeDir("DIR")), FileSystemError::DamagedChain) << cluster;
    EXPECT_EQ(CurrentDir(fs), "\\");
    EXPECT_EQ(List(fs).size(), 3u) << "the root still lists";
    Restore();
  }
  raw_->SetFat(folder, folder);
  FileSystemInterface* fs = Reattached();
  EXPECT_EQ(CodeOf(fs->changeDir("DIR")), FileSystemError::DamagedChain);
  EXPECT_EQ(CodeOf(WriteFile(fs, "DIR\\E.BIN", "x")), FileSystemError::DamagedChain);
}

// FAT32 keeps its free count in FSInfo, and attaching takes it as it stands.
// A wrong one costs a count: what fits is stored, what does not is refused
// without a search round the table for ever, and the next write corrects it.
TEST(FreeCountTest, FsInfoCountIsTakenButAWrongOneIsCaught) {
  auto setCount = [](const std::string& image, uint32_t count) {
    std::vector<uint8_t> boot = ReadPcBytes(image, 0, 512);
    std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff((boot[48] | boot[49] << 8) * 512 + 488));
    const char bytes[] = {char(count), char(count >> 8), char(count >> 16), char(count >> 24)};
    file.write(bytes, 4);
  };
  Player roomy;
  roomy.AttachNewFat({"FAT32", 40 << 20, "-F 32 -s 1"});
  const uint32_t free = roomy.Fs()->freeClusters();
  setCount(roomy.Image(), 1);
  roomy.Attach();
  EXPECT_EQ(roomy.Fs()->freeClusters(), 1u);
  ASSERT_EQ(WriteFile(roomy.Fs(), "fits.bin", Pattern(size_t{100} * 512, 1)), 1u) << roomy.Fs()->lastError();
  EXPECT_EQ(roomy.Fs()->freeClusters(), free - 100);
  EXPECT_EQ(FsckProblems(roomy.Image()), "");

  Player full;
  full.AttachNewFat({"FAT32", 34 << 20, "-F 32 -s 1", 3 << 20});  // mostly bad clusters
  const uint32_t left = full.Fs()->freeClusters();
  setCount(full.Image(), left + 20000);
  full.Attach();
  EXPECT_EQ(full.Fs()->freeClusters(), left + 20000);
  EXPECT_EQ(WriteFile(full.Fs(), "too big.bin", Pattern(size_t{left + 1} * 512, 2)), 0u);
  EXPECT_EQ(full.Fs()->lastError(), FileSystemError::MediumFull);
  EXPECT_EQ(full.Fs()->freeClusters(), left);
  ASSERT_EQ(WriteFile(full.Fs(), "small.bin", "x"), 1u);
  EXPECT_EQ(FsckProblems(full.Image()), "");
}

// A batch writes the count once, at its end; until then FSInfo says
// "unknown", so that an interruption leaves no stale count to be trusted.
TEST(FreeCountTest, ABatchWritesTheCountWhenItEnds) {
  Player player;
  player.AttachNewFat({"FAT32", 40 << 20, "-F 32 -s 1"});
  auto diskCount = [&] {
    std::vector<uint8_t> boot = ReadPcBytes(player.Image(), 0, 512);
    std::vector<uint8_t> count = ReadPcBytes(player.Image(), uint64_t(boot[48] | boot[49] << 8) * 512 + 488, 4);
    return uint32_t(count[0] | count[1] << 8 | count[2] << 16 | uint32_t(count[3]) << 24);
  };
  FileSystemInterface* fs = player.Fs();
  ASSERT_EQ(fs->beginUpdate(), 1u);
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) ASSERT_EQ(WriteFile(fs, name, Pattern(5000, 3)), 1u);
  EXPECT_EQ(diskCount(), 0xFFFFFFFFu);
  ASSERT_EQ(fs->endUpdate(), 1u);
  EXPECT_EQ(diskCount(), fs->freeClusters());
  ASSERT_EQ(WriteFile(fs, "d.bin", "x"), 1u);  // outside a batch: at the end of the operation
  EXPECT_EQ(diskCount(), fs->freeClusters());
  EXPECT_EQ(FsckProblems(player.Image()), "");
}

}  // namespace
}  // namespace volkit_testing
