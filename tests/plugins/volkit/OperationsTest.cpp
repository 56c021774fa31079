// The file-system operations as the program uses them: folders and paths,
// names and their codes, transfers with their callbacks, labels.
#include <numeric>

#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

class OperationsTest : public testing::Test {
 protected:
  void SetUp() override {
    player_.AttachNewFat(8 << 20);
    fs_ = player_.Fs();
  }

  uint32_t FailureCode(uint32_t result) {
    EXPECT_EQ(result, 0u);
    return fs_->lastError();
  }

  Player player_;
  FileSystemInterface* fs_ = nullptr;
};

TEST_F(OperationsTest, FoldersAndPaths) {
  EXPECT_EQ(CurrentDir(fs_), "\\");
  EXPECT_NE(fs_->isAtRoot(), 0u);
  EXPECT_EQ(FailureCode(fs_->changeDir("..")), FileSystemError::NothingToDo);
  ASSERT_EQ(fs_->makeDir("USER"), 1u);
  EXPECT_EQ(FailureCode(fs_->makeDir("user")), FileSystemError::NothingToDo);
  ASSERT_EQ(fs_->changeDir("user"), 1u);
  EXPECT_EQ(CurrentDir(fs_), "\\USER");
  EXPECT_EQ(fs_->isAtRoot(), 0u);
  ASSERT_EQ(fs_->makeDir("A"), 1u);
  ASSERT_EQ(fs_->changeDir("A"), 1u);
  EXPECT_EQ(CurrentDir(fs_), "\\USER\\A");

  // A buffer of exactly the length gets the text without a terminator.
  char buffer[9];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(fs_->getCurrentDir(buffer, 7), 7u);
  EXPECT_EQ(std::string(buffer, 9), "\\USER\\A##");

  std::vector<DirEntryRecord> listing = List(fs_);
  ASSERT_EQ(listing.size(), 2u);
  EXPECT_STREQ(listing[0].longName, ".");
  EXPECT_STREQ(listing[1].longName, "..");
  EXPECT_EQ(listing[1].attributes & DirEntryRecord::Folder, DirEntryRecord::Folder);

  ASSERT_EQ(fs_->changeDir(".."), 1u);
  EXPECT_EQ(CurrentDir(fs_), "\\USER");
  ASSERT_EQ(fs_->changeDir(""), 1u);
  EXPECT_EQ(CurrentDir(fs_), "\\");
  ASSERT_EQ(fs_->changeDir("\\USER\\A\\..\\A"), 1u);
  EXPECT_EQ(CurrentDir(fs_), "\\USER\\A");
  ASSERT_EQ(fs_->changeDir("\\"), 1u);
  EXPECT_EQ(ListNames(fs_), std::vector<std::string>{"USER"});

  ASSERT_EQ(WriteFile(fs_, "USER\\A\\file.txt", "x"), 1u);
  EXPECT_EQ(FailureCode(fs_->changeDir("USER\\missing")), FileSystemError::NotFound);
  EXPECT_EQ(FailureCode(fs_->changeDir("USER\\A\\file.txt")), FileSystemError::WrongKind);
  EXPECT_EQ(CurrentDir(fs_), "\\") << "a failed change keeps the folder";
  EXPECT_EQ(FailureCode(fs_->makeDir("USER\\A\\file.txt")), FileSystemError::NameExists);
  EXPECT_EQ(FailureCode(fs_->removeDir("USER\\A")), FileSystemError::FolderNotEmpty);
  EXPECT_EQ(FailureCode(fs_->removeDir("USER\\A\\file.txt")), FileSystemError::WrongKind);
  EXPECT_EQ(FailureCode(fs_->removeDir("USER\\B")), FileSystemError::NothingToDo);
  EXPECT_EQ(FailureCode(fs_->deleteFile("USER\\A")), FileSystemError::WrongKind);
  EXPECT_EQ(FailureCode(fs_->deleteFile("USER\\A\\other")), FileSystemError::NotFound);
  ASSERT_EQ(fs_->deleteFile("USER\\A\\FILE.TXT"), 1u);
  uint32_t freeBefore = fs_->freeClusters();
  ASSERT_EQ(fs_->removeDir("USER\\A"), 1u);
  EXPECT_EQ(fs_->freeClusters(), freeBefore + 1);
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

TEST_F(OperationsTest, NamesTheMediumCannotStoreAreRefused) {
  ASSERT_EQ(WriteFile(fs_, "taken.txt", "1"), 1u);
  EXPECT_EQ(FailureCode(WriteFile(fs_, "a*b", "")), FileSystemError::InvalidName);
  EXPECT_EQ(FailureCode(fs_->makeDir("what?")), FileSystemError::InvalidName);
  EXPECT_EQ(FailureCode(fs_->makeDir(" . ")), FileSystemError::InvalidName);
  EXPECT_EQ(FailureCode(WriteFile(fs_, std::string(256, 'n'), "")), FileSystemError::NameTooLong);
  EXPECT_EQ(FailureCode(WriteFile(fs_, "bad \xFF byte", "")), FileSystemError::NotRepresentable);
  EXPECT_EQ(FailureCode(fs_->rename("taken.txt", "a|b")), FileSystemError::InvalidName);
  EXPECT_EQ(FailureCode(fs_->rename("taken.txt", std::string(300, 'x').c_str())), FileSystemError::NameTooLong);
  EXPECT_EQ(FailureCode(fs_->rename("taken.txt", "\xC3")), FileSystemError::NotRepresentable);
  EXPECT_EQ(FailureCode(fs_->lookup("nothing", nullptr)), FileSystemError::NotFound);
  EXPECT_EQ(ListNames(fs_), std::vector<std::string>{"taken.txt"});

  std::string longest(255, 'l');
  ASSERT_EQ(WriteFile(fs_, longest, "z"), 1u) << fs_->lastError();
  EXPECT_EQ(ReadFile(fs_, longest), "z");
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

TEST_F(OperationsTest, GeneratedShortNamesAreUniqueAndExactOnesKeepNoLongName) {
  for (const char* name : {"long name one.txt", "long name two.txt", "Long.Name.txt", "TRACK001.MP3", "readme"}) {
    ASSERT_EQ(WriteFile(fs_, name, name), 1u) << name;
  }
  std::map<std::string, std::string> shortOf;
  for (const DirEntryRecord& record : List(fs_)) shortOf[record.longName] = record.shortName;
  EXPECT_EQ(shortOf["long name one.txt"], "LONGNA~1.TXT");
  EXPECT_EQ(shortOf["long name two.txt"], "LONGNA~2.TXT");
  EXPECT_EQ(shortOf["Long.Name.txt"], "LONGNA~3.TXT");
  EXPECT_EQ(shortOf["TRACK001.MP3"], "TRACK001.MP3");
  EXPECT_EQ(shortOf["readme"], "README");
  // Either name finds the file.
  EXPECT_EQ(ReadFile(fs_, "LONGNA~2.TXT"), "long name two.txt");
  EXPECT_EQ(ReadFile(fs_, "LONG NAME TWO.TXT"), "long name two.txt");
}

// Tails and slots freed by a deletion are the first taken again, as a search
// from the start would take them, though searches resume where they ended.
TEST_F(OperationsTest, FreedTailsAndSlotsAreTakenFirst) {
  char name[32];
  for (int i = 1; i <= 40; ++i) {
    std::snprintf(name, sizeof name, "a long name %02d", i);  // three slots, ALONGN~1 on
    ASSERT_EQ(WriteFile(fs_, name, "x"), 1u);
  }
  ASSERT_EQ(fs_->deleteFile("a long name 07"), 1u);
  ASSERT_EQ(fs_->deleteFile("a long name 30"), 1u);
  ASSERT_EQ(WriteFile(fs_, "a long name xx", "y"), 1u);
  ASSERT_EQ(WriteFile(fs_, "a long name yy", "z"), 1u);
  std::vector<DirEntryRecord> listed = List(fs_);
  ASSERT_EQ(listed.size(), 40u);
  EXPECT_STREQ(listed[6].longName, "a long name xx");
  EXPECT_STREQ(listed[6].shortName, "ALONGN~7");
  EXPECT_STREQ(listed[29].longName, "a long name yy");
  EXPECT_STREQ(listed[29].shortName, "ALONG~30");
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

TEST_F(OperationsTest, RenameKeepsContentsAndReportsClashes) {
  ASSERT_EQ(WriteFile(fs_, "first.mp3", Pattern(5000, 1)), 1u);
  ASSERT_EQ(WriteFile(fs_, "second.mp3", Pattern(10, 2)), 1u);
  ASSERT_EQ(fs_->makeDir("Folder"), 1u);
  EXPECT_EQ(FailureCode(fs_->rename("first.mp3", "SECOND.MP3")), FileSystemError::NameExists);
  EXPECT_EQ(FailureCode(fs_->rename("missing", "new")), FileSystemError::NotFound);
  EXPECT_EQ(FailureCode(fs_->rename("first.mp3", "Folder\\x")), FileSystemError::InvalidName);

  ASSERT_EQ(fs_->rename("first.mp3", "最初の曲 — a much longer name than before.mp3"), 1u) << fs_->lastError();
  ASSERT_EQ(fs_->rename("second.mp3", "SECOND.mp3"), 1u) << "a change of case only";
  ASSERT_EQ(fs_->changeDir("Folder"), 1u);
  ASSERT_EQ(fs_->rename("..\\Folder", "Renamed"), 1u) << fs_->lastError();
  EXPECT_EQ(CurrentDir(fs_), "\\Renamed");
  ASSERT_EQ(fs_->changeDir(".."), 1u);
  EXPECT_EQ(ListNames(fs_),
            (std::vector<std::string>{"Renamed", "SECOND.mp3", "最初の曲 — a much longer name than before.mp3"}));
  EXPECT_EQ(ReadFile(fs_, "最初の曲 — a much longer name than before.mp3"), Pattern(5000, 1));
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

TEST_F(OperationsTest, TransfersCallBackInBlocksWithTotalsAndProgress) {
  std::string data = Pattern(700000, 3);
  TransferLog writeLog;
  ASSERT_EQ(WriteFile(fs_, "big.bin", data, {}, &writeLog), 1u);
  EXPECT_EQ(std::accumulate(writeLog.blockLengths.begin(), writeLog.blockLengths.end(), size_t(0)), data.size());
  EXPECT_GT(writeLog.blockLengths.size(), 1u);
  ASSERT_EQ(writeLog.progressDone.size(), writeLog.blockLengths.size() + 1) << "a first call, then one per block";
  EXPECT_EQ(writeLog.progressDone.front(), 0u);
  EXPECT_EQ(writeLog.progressDone.back(), data.size());
  EXPECT_FALSE(writeLog.anyHadUpdateNow);

  TransferLog readLog;
  EXPECT_EQ(ReadFile(fs_, "big.bin", &readLog), data);
  EXPECT_EQ(readLog.totalAtFirstProgress, data.size());
  EXPECT_EQ(readLog.progressDone.back(), data.size());

  ASSERT_EQ(WriteFile(fs_, "empty", ""), 1u);
  EXPECT_EQ(ReadFile(fs_, "empty"), "");
  EXPECT_EQ(FailureCode(ReadFile(fs_, "missing").has_value()), FileSystemError::NotFound);
  ASSERT_EQ(fs_->makeDir("dir"), 1u);
  EXPECT_EQ(FailureCode(WriteFile(fs_, "dir", "x")), FileSystemError::WrongKind);
  EXPECT_EQ(FailureCode(ReadFile(fs_, "dir").has_value()), FileSystemError::WrongKind);
}

TEST_F(OperationsTest, StoppedAndRefusedWritesLeaveNoTrace) {
  std::string old = Pattern(300000, 4);
  ASSERT_EQ(WriteFile(fs_, "kept.bin", old), 1u);
  uint32_t freeBefore = fs_->freeClusters();
  std::string data = Pattern(900000, 5);

  EXPECT_EQ(FailureCode(WriteFile(fs_, "new.bin", data, WriteOptions{.stopDataAtBlock = 2})), FileSystemError::Stopped);
  EXPECT_EQ(FailureCode(WriteFile(fs_, "new.bin", data, WriteOptions{.stopProgressAtCall = 0})),
            FileSystemError::Stopped);
  EXPECT_EQ(FailureCode(WriteFile(fs_, "kept.bin", data, WriteOptions{.stopProgressAtCall = 3})),
            FileSystemError::Stopped);
  EXPECT_EQ(FailureCode(WriteFile(fs_, "huge.bin", std::string(9 << 20, 'h'))), FileSystemError::MediumFull);
  EXPECT_EQ(fs_->freeClusters(), freeBefore);
  EXPECT_EQ(ListNames(fs_), std::vector<std::string>{"kept.bin"});
  EXPECT_EQ(ReadFile(fs_, "kept.bin"), old);
  EXPECT_EQ(FsckProblems(player_.Image()), "");

  // A replacement that only fits in the old file's place still succeeds.
  VolumeInfoRecord info{};
  ASSERT_EQ(fs_->getVolumeInfo(&info), 1u);
  uint32_t filler = (fs_->freeClusters() - 2) * info.bytesPerCluster;
  ASSERT_EQ(WriteFile(fs_, "filler", std::string(filler, 'f')), 1u) << fs_->lastError();
  std::string replacement = Pattern(old.size(), 6);
  ASSERT_EQ(WriteFile(fs_, "kept.bin", replacement), 1u) << fs_->lastError();
  EXPECT_EQ(ReadFile(fs_, "kept.bin"), replacement);
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

TEST_F(OperationsTest, VolumeInformationAndLabel) {
  VolumeInfoRecord info{};
  ASSERT_EQ(fs_->getVolumeInfo(&info), 1u);
  EXPECT_EQ(info.bytesPerCluster, 2048u);
  EXPECT_EQ(info.fatBits, 12u);
  EXPECT_STREQ(info.label, "");
  uint32_t freeBefore = fs_->freeClusters();
  EXPECT_EQ(freeBefore, info.totalClusters);

  ASSERT_EQ(fs_->setLabel("Music 01"), 1u);
  ASSERT_EQ(fs_->getVolumeInfo(&info), 1u);
  EXPECT_STREQ(info.label, "MUSIC 01");
  EXPECT_EQ(FailureCode(fs_->setLabel("a.b")), FileSystemError::InvalidName);
  EXPECT_EQ(FailureCode(fs_->setLabel(" lead")), FileSystemError::InvalidName);  // fsck.fat would remove it
  EXPECT_EQ(FailureCode(fs_->setLabel("twelve chars")), FileSystemError::NameTooLong);
  EXPECT_NE(RunTool("mlabel -s -i " + MtoolsImage(player_.Image()) + " ::").output.find("MUSIC 01"), std::string::npos);
  ASSERT_EQ(fs_->setLabel(""), 1u);
  ASSERT_EQ(fs_->getVolumeInfo(&info), 1u);
  EXPECT_STREQ(info.label, "");
  EXPECT_EQ(fs_->freeClusters(), freeBefore) << "the label entry fits in the root folder";
  EXPECT_EQ(FsckProblems(player_.Image()), "");
}

// A medium without FAT is refused by attach as a damaged boot sector is (DamageTest).
TEST_F(OperationsTest, NothingWorksWithoutADevice) {
  EXPECT_EQ(FailureCode(fs_->attach(nullptr)), FileSystemError::NoFileSystem);
  EXPECT_EQ(FailureCode(fs_->format(nullptr, nullptr)), FileSystemError::NoFileSystem);
  EXPECT_EQ(FailureCode(fs_->makeDir("x")), FileSystemError::NoFileSystem);
  EXPECT_EQ(FailureCode(fs_->lookup(nullptr, nullptr)), FileSystemError::InvalidName);
}

}  // namespace
}  // namespace volkit_testing
