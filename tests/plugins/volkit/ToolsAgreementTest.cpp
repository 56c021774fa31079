// What volkit writes, dosfstools and mtools accept and read; what mkfs.fat and
// mcopy write, volkit reads. Each FAT type, bare and inside a partition.
#include <map>
#include <regex>

#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

struct Layout {
  const char* name;
  uint64_t volumeBytes;
  const char* mkfsOptions;
  uint32_t fatBits;
  uint32_t partitionStart;  // 0: bare volume
};

class ToolsAgreementTest : public testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    const Layout& layout = GetParam();
    CreateImage(player_.Image(), layout.volumeBytes + uint64_t(layout.partitionStart) * 512);
    if (layout.partitionStart != 0) WritePartitionTable(player_.Image(), layout.partitionStart, 0x0C);
    MakeFat(player_.Image(), std::string(layout.mkfsOptions) + " -n TUNES", layout.partitionStart);
  }

  std::string Mtools() const { return MtoolsImage(player_.Image(), GetParam().partitionStart); }
  std::string Fsck() const { return FsckProblems(player_.Image(), GetParam().partitionStart); }

  // Copies a PC file onto the image with mcopy.
  void Mcopy(const std::string& data, const std::string& target) {
    std::string source = pc_.File("source");
    std::ofstream(source, std::ios::binary) << data;
    Outcome result = RunTool("mcopy -i " + Mtools() + " " + Quote(source) + " " + Quote("::" + target));
    ASSERT_EQ(result.exitCode, 0) << result.output;
  }

  std::string Mtype(const std::string& path) {
    std::string target = pc_.File("out");
    Outcome result = RunTool("mcopy -n -i " + Mtools() + " " + Quote("::" + path) + " " + Quote(target));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return ::ReadFile(target);
  }

  Player player_;
  TempFolder pc_;
};

TEST_P(ToolsAgreementTest, VolkitReadsWhatMkfsAndMcopyWrote) {
  std::map<std::string, std::string> files = {
      {"README.TXT", Pattern(100, 1)},
      {"A long file name with spaces.mp3", Pattern(70000, 2)},
      {"empty.dat", ""},
      {"音楽ファイル.mp3", Pattern(5000, 3)},
      {"한국어 노래.mp3", Pattern(33000, 4)},
  };
  for (const auto& [name, data] : files) Mcopy(data, "/" + name);
  ASSERT_EQ(RunTool("mmd -i " + Mtools() + " " + Quote("::/フォルダ")).exitCode, 0);
  Mcopy(Pattern(9000, 5), "/フォルダ/inner.bin");

  player_.Attach();
  FileSystemInterface* fs = player_.Fs();
  VolumeInfoRecord info{};
  ASSERT_EQ(fs->getVolumeInfo(&info), 1u);
  EXPECT_EQ(info.fatBits, GetParam().fatBits);
  EXPECT_STREQ(info.label, "TUNES");

  std::vector<std::string> expected = {"フォルダ"};
  for (const auto& [name, data] : files) expected.push_back(name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListNames(fs), expected);
  for (const auto& [name, data] : files) {
    EXPECT_EQ(ReadFile(fs, name), data) << name;
  }
  DirEntryRecord record{};
  ASSERT_EQ(fs->lookup("readme.txt", &record), 1u);
  EXPECT_STREQ(record.shortName, "README.TXT");
  EXPECT_EQ(record.size, 100u);

  ASSERT_EQ(fs->changeDir("フォルダ"), 1u) << fs->lastError();
  EXPECT_EQ(CurrentDir(fs), "\\フォルダ");
  EXPECT_EQ(ListNames(fs), (std::vector<std::string>{".", "..", "inner.bin"}));
  EXPECT_EQ(ReadFile(fs, "inner.bin"), Pattern(9000, 5));
}

TEST_P(ToolsAgreementTest, ToolsReadWhatVolkitWrote) {
  player_.Attach();
  FileSystemInterface* fs = player_.Fs();
  std::map<std::string, std::string> files = {
      {"/TRACK001.MP3", Pattern(150000, 10)},
      {"/readme.txt", Pattern(10, 11)},
      {"/USER/日本語の長いファイル名です.txt", Pattern(4097, 12)},
      {"/USER/한국어 파일.bin", Pattern(1, 13)},
      {"/USER/Deep/empty", ""},
  };
  ASSERT_EQ(fs->makeDir("USER"), 1u) << fs->lastError();
  ASSERT_EQ(fs->makeDir("USER\\Deep"), 1u) << fs->lastError();
  for (const auto& [path, data] : files) {
    std::string name = path.substr(1);
    std::replace(name.begin(), name.end(), '/', '\\');
    ASSERT_EQ(WriteFile(fs, name, data), 1u) << path << " " << fs->lastError();
  }
  // Enough entries to make folders grow past their first cluster.
  ASSERT_EQ(fs->changeDir("\\USER\\Deep"), 1u);
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(WriteFile(fs, "long file name number " + std::to_string(i), Pattern(i, i)), 1u) << fs->lastError();
  }
  ASSERT_EQ(fs->setLabel("my player"), 1u) << fs->lastError();
  ASSERT_EQ(fs->endUpdate(), 1u);

  EXPECT_EQ(Fsck(), "");
  for (const auto& [path, data] : files) EXPECT_EQ(Mtype(path), data) << path;
  EXPECT_EQ(Mtype("/USER/Deep/long file name number 59"), Pattern(59, 59));
  Outcome listing = RunTool("mdir -/ -b -i " + Mtools() + " ::/");
  ASSERT_EQ(listing.exitCode, 0) << listing.output;
  for (const auto& [path, data] : files) {
    EXPECT_NE(listing.output.find("::" + path + "\n"), std::string::npos) << path << "\n" << listing.output;
  }
  Outcome label = RunTool("mlabel -s -i " + Mtools() + " ::");
  EXPECT_NE(label.output.find("MY PLAYER"), std::string::npos) << label.output;
  // A valid upper-case 8.3 name is stored without a long name: mdir shows no long name beside it.
  Outcome root = RunTool("mdir -i " + Mtools() + " ::/");
  EXPECT_TRUE(std::regex_search(root.output, std::regex("\nTRACK001 MP3 +150000 +[-0-9]+ +[0-9:]+ *\n")))
      << root.output;
  EXPECT_TRUE(std::regex_search(root.output, std::regex("\nREADME   TXT +10 +[-0-9]+ +[0-9:]+ +readme.txt\n")))
      << root.output;
}

INSTANTIATE_TEST_SUITE_P(Layouts, ToolsAgreementTest,
                         testing::Values(Layout{"Fat12", 4 << 20, "", 12, 0}, Layout{"Fat16", 32 << 20, "", 16, 0},
                                         Layout{"Fat32", 64 << 20, "-F 32", 32, 0},
                                         Layout{"Fat12InPartition", 4 << 20, "", 12, 2048},
                                         Layout{"Fat16InPartition", 32 << 20, "", 16, 63},
                                         Layout{"Fat32InPartition", 64 << 20, "-F 32", 32, 2048}),
                         [](const testing::TestParamInfo<Layout>& info) { return info.param.name; });

}  // namespace
}  // namespace volkit_testing
