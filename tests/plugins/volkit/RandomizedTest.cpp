// Thousands of seeded operations on volkit and on an in-memory model of the
// tree, on FAT12, FAT16 and FAT32, must agree in listings and contents;
// fsck.fat finds nothing at any point between operations, and mtools sees the
// same tree at the end. Now and then an operation meets a failing device: the
// tree is then as before it or as after it, and the next attach leaves
// nothing for fsck.fat to find.
#include <functional>
#include <map>
#include <random>
#include <set>

#include "tests/plugins/volkit/TreeModel.h"
#include "tests/plugins/volkit/VolkitTesting.h"

namespace volkit_testing {
namespace {

const std::vector<std::string> FileNames = {"TRACK001.MP3",
                                            "TRACK002.MP3",
                                            "A.TXT",
                                            "notes.txt",
                                            "README",
                                            "a rather long file name number 7.dat",
                                            "another long name.mp3",
                                            "Mixed Case Name.Mp3",
                                            "日本語の曲.mp3",
                                            "한국어 노래.mp3",
                                            "x",
                                            "dots.in.the.name.bin",
                                            "with spaces .txt",
                                            "音楽",
                                            "PLAYLIST.DAT",
                                            "name-with-dash_and_underscore.txt",
                                            "長い名前のファイル、その二.wav"};
const std::vector<std::string> FolderNames = {"USER", "Music 2", "フォルダ", "폴더", "deep", "ALBUM"};

class RandomizedTest : public testing::TestWithParam<std::tuple<FatKind, uint32_t>> {
 protected:
  void SetUp() override {
    player_.AttachNewFat(std::get<0>(GetParam()));
    fs_ = player_.Fs();
    VolumeInfoRecord info{};
    ASSERT_EQ(fs_->getVolumeInfo(&info), 1u);
    clusterBytes_ = info.bytesPerCluster;
    random_.seed(std::get<1>(GetParam()));
  }

  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[random_() % items.size()];
  }
  std::string PickFolder() { return Pick(std::vector<std::string>(model_.folders.begin(), model_.folders.end())); }
  uint32_t Chance() { return random_() % 100; }
  uint32_t Clusters(size_t bytes) const { return uint32_t((bytes + clusterBytes_ - 1) / clusterBytes_); }

  // The program passes names relative to the current folder; paths from the
  // root work as well.
  std::string Address(const std::string& path) {
    std::string folder = Model::Parent(path), name = path.substr(path.rfind('\\') + 1);
    return folder == cwd_ && Chance() < 70 ? name : path;
  }

  void WriteSome(const std::string& what) {
    std::string folder = PickFolder(), name = Pick(FileNames);
    std::optional<std::string> existing = model_.Find(folder, name);
    if (existing && model_.folders.count(*existing)) return;
    std::string path = existing.value_or(Model::Join(folder, name));
    uint32_t size = Chance() < 70 ? random_() % 5000 : Chance() < 85 ? random_() % 60000 : random_() % 1500000;
    std::string data = Pattern(size, random_());
    uint32_t freeBefore = fs_->freeClusters();
    uint32_t result = WriteFile(fs_, Address(path), data);
    if (result) {
      model_.files[path] = data;
      return;
    }
    ++refusedForRoom_;
    ASSERT_EQ(fs_->lastError(), FileSystemError::MediumFull) << what;
    uint32_t old = existing ? Clusters(model_.files[path].size()) : 0;
    // Refused only when it could not fit (a new entry may need a folder cluster).
    EXPECT_GT(Clusters(size) + 1, freeBefore + old) << what;
  }

  void StoppedWrite(const std::string& what) {
    if (fs_->freeClusters() < 10) return;
    std::string folder = PickFolder(), name = Pick(FileNames);
    std::optional<std::string> existing = model_.Find(folder, name);
    if (existing && model_.folders.count(*existing)) return;
    WriteOptions options = Chance() < 50 ? WriteOptions{.stopDataAtBlock = 0}
                                         : WriteOptions{.stopProgressAtCall = uint32_t(random_() % 2)};
    EXPECT_EQ(WriteFile(fs_, Address(existing.value_or(Model::Join(folder, name))), Pattern(4000, 1), options), 0u);
    EXPECT_EQ(fs_->lastError(), FileSystemError::Stopped) << what;
  }

  void MakeFolder(const std::string& what) {
    std::string parent = PickFolder(), name = Pick(FolderNames);
    std::optional<std::string> existing = model_.Find(parent, name);
    uint32_t result = fs_->makeDir(Address(Model::Join(parent, name)).c_str());
    if (existing) {
      EXPECT_EQ(result, 0u) << what;
      EXPECT_EQ(fs_->lastError(),
                model_.folders.count(*existing) ? FileSystemError::NothingToDo : FileSystemError::NameExists)
          << what;
    } else if (result) {
      model_.folders.insert(Model::Join(parent, name));
    } else {
      EXPECT_EQ(fs_->lastError(), FileSystemError::MediumFull) << what;
    }
  }

  void RemoveFolder(const std::string& what) {
    std::string folder = PickFolder();
    if (folder.empty() || cwd_.rfind(folder, 0) == 0) return;
    uint32_t result = fs_->removeDir(Address(folder).c_str());
    if (!model_.ChildrenOf(folder).empty()) {
      EXPECT_EQ(result, 0u) << what;
      EXPECT_EQ(fs_->lastError(), FileSystemError::FolderNotEmpty) << what;
      return;
    }
    EXPECT_EQ(result, 1u) << what << " " << fs_->lastError();
    model_.folders.erase(folder);
  }

  void DeleteSome(const std::string& what) {
    if (model_.files.empty()) return;
    auto it = std::next(model_.files.begin(), long(random_() % model_.files.size()));
    EXPECT_EQ(fs_->deleteFile(Address(it->first).c_str()), 1u) << what << " " << fs_->lastError();
    model_.files.erase(it);
  }

  void RenameSome(const std::string& what) {
    std::vector<std::string> entries;
    for (const std::string& folder : model_.folders) {
      if (!folder.empty() && cwd_.rfind(folder, 0) != 0) entries.push_back(folder);
    }
    for (const auto& [path, data] : model_.files) entries.push_back(path);
    if (entries.empty()) return;
    std::string from = Pick(entries);
    std::string parent = Model::Parent(from);
    std::string name = model_.folders.count(from) ? Pick(FolderNames) : Pick(FileNames);
    std::optional<std::string> clash = model_.Find(parent, name);
    uint32_t result = fs_->rename(Address(from).c_str(), name.c_str());
    if (clash && *clash != from) {
      EXPECT_EQ(result, 0u) << what;
      EXPECT_EQ(fs_->lastError(), FileSystemError::NameExists) << what;
    } else if (result) {
      model_.Rename(from, Model::Join(parent, name));
    } else {
      EXPECT_EQ(fs_->lastError(), FileSystemError::MediumFull) << what;
    }
  }

  void ChangeFolder(const std::string& what) {
    std::string folder = PickFolder();
    ASSERT_EQ(fs_->changeDir(folder.empty() ? "\\" : folder.c_str()), 1u) << what << " " << fs_->lastError();
    cwd_ = folder;
  }

  void ReadSome(const std::string& what) {
    if (model_.files.empty()) return;
    auto it = std::next(model_.files.begin(), long(random_() % model_.files.size()));
    EXPECT_EQ(ReadFile(fs_, Address(it->first)), it->second) << what;
  }

  // Every folder lists what the model holds; every file reads back.
  void CompareTree(const std::string& what) {
    for (const std::string& folder : model_.folders) {
      ASSERT_EQ(fs_->changeDir(folder.empty() ? "\\" : folder.c_str()), 1u) << what << " " << folder;
      std::vector<std::string> expected;
      if (!folder.empty()) expected = {".", ".."};
      for (const std::string& path : model_.ChildrenOf(folder)) expected.push_back(path.substr(path.rfind('\\') + 1));
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(ListNames(fs_), expected) << what << " in " << folder;
    }
    ASSERT_EQ(fs_->changeDir(cwd_.empty() ? "\\" : cwd_.c_str()), 1u);
    for (const auto& [path, data] : model_.files) EXPECT_EQ(ReadFile(fs_, path), data) << what << " " << path;
  }

  // The whole tree as volkit has it.
  Model ReadTree() {
    Model tree;
    for (std::vector<std::string> pending{""}; !pending.empty();) {
      std::string folder = pending.back();
      pending.pop_back();
      EXPECT_EQ(fs_->changeDir(folder.empty() ? "\\" : folder.c_str()), 1u) << folder;
      for (const DirEntryRecord& record : List(fs_)) {
        std::string path = Model::Join(folder, record.longName);
        if (record.longName == std::string(".") || record.longName == std::string("..")) continue;
        if (record.attributes & 0x10) {
          tree.folders.insert(path);
          pending.push_back(path);
        } else {
          tree.files[path] = ReadFile(fs_, path).value_or("unreadable");
        }
      }
    }
    return tree;
  }

  // One operation on a device that fails after a few sector operations, on
  // a copy of the volume that is put back afterwards. Attached anew, the tree
  // is as before the operation or as after it, and fsck.fat finds nothing.
  void FaultTrial(const std::string& what) {
    Model after = model_;
    std::function<uint32_t()> operation;
    std::vector<std::string> entries(std::next(model_.folders.begin()), model_.folders.end());
    for (const auto& [path, data] : model_.files) entries.push_back(path);
    uint32_t kind = Chance() % 3;
    if (kind == 0 || entries.empty()) {
      std::string folder = PickFolder(), name = Pick(FileNames);
      std::optional<std::string> existing = model_.Find(folder, name);
      if (existing && model_.folders.count(*existing)) return;
      std::string path = existing.value_or(Model::Join(folder, name)), data = Pattern(random_() % 60000, random_());
      after.files[path] = data;
      operation = [=, this] { return WriteFile(fs_, path, data); };
    } else if (kind == 1) {
      std::string from = Pick(entries), parent = Model::Parent(from);
      std::string name = model_.folders.count(from) ? Pick(FolderNames) : Pick(FileNames);
      std::optional<std::string> clash = model_.Find(parent, name);
      if (clash && *clash != from) return;
      after.Rename(from, Model::Join(parent, name));
      operation = [=, this] { return fs_->rename(from.c_str(), name.c_str()); };
    } else {
      if (model_.files.empty()) return;
      std::string path = std::next(model_.files.begin(), long(random_() % model_.files.size()))->first;
      after.files.erase(path);
      operation = [=, this] { return fs_->deleteFile(path.c_str()); };
    }
    ASSERT_EQ(fs_->endUpdate(), 1u) << what;  // the batch's mark goes: attach needs few operations
    TempFolder copy;
    RunTool("cp --sparse=always " + Quote(player_.Image()) + " " + Quote(copy.File("saved.img")));
    // The first limit under which attach succeeds, and a few sector operations more.
    for (uint32_t limit = 0;; ++limit) {
      ASSERT_LT(limit, 30u) << what;
      player_.SetFaults("fail-after=" + std::to_string(limit) + "\n");
      player_.Connect();
      if (fs_->attach(player_.Device())) {
        player_.SetFaults("fail-after=" + std::to_string(limit + random_() % 12) + "\n");
        player_.Attach();
        break;
      }
    }
    operation();
    player_.SetFaults("");
    player_.Attach();
    Model tree = ReadTree();
    EXPECT_TRUE(tree == model_ || tree == after) << what;
    EXPECT_EQ(FsckProblems(player_.Image()), "") << what;
    RunTool("cp --sparse=always " + Quote(copy.File("saved.img")) + " " + Quote(player_.Image()));
    player_.Attach();
    ASSERT_EQ(fs_->beginUpdate(), 1u);
    ASSERT_EQ(fs_->changeDir(cwd_.empty() ? "\\" : cwd_.c_str()), 1u) << what;
  }

  Player player_;
  FileSystemInterface* fs_ = nullptr;
  uint32_t clusterBytes_ = 0;
  std::mt19937 random_;
  Model model_;
  std::string cwd_;
  int refusedForRoom_ = 0;
};

TEST_P(RandomizedTest, VolkitAgreesWithTheModel) {
  constexpr int Operations = 2500;
  ASSERT_EQ(fs_->beginUpdate(), 1u);
  for (int step = 1; step <= Operations && !HasFatalFailure(); ++step) {
    std::string what = "seed " + std::to_string(std::get<1>(GetParam())) + " step " + std::to_string(step);
    uint32_t kind = Chance();
    if (kind < 30) {
      WriteSome(what);
    } else if (kind < 37) {
      StoppedWrite(what);
    } else if (kind < 47) {
      MakeFolder(what);
    } else if (kind < 55) {
      RemoveFolder(what);
    } else if (kind < 70) {
      DeleteSome(what);
    } else if (kind < 80) {
      RenameSome(what);
    } else if (kind < 88) {
      ChangeFolder(what);
    } else {
      ReadSome(what);
    }
    if (step % 100 == 0) FaultTrial(what);
    if (step % 250 == 0) CompareTree(what);
    // Between two operations the volume on disk is consistent, batch or not.
    if (step % 500 == 0) {
      EXPECT_EQ(FsckProblems(player_.Image()), "") << what;
    }
  }
  ASSERT_EQ(fs_->endUpdate(), 1u);
  EXPECT_GT(refusedForRoom_, 0) << "the medium was never full";
  CompareTree("at the end");
  EXPECT_EQ(FsckProblems(player_.Image()), "");

  // mdir lists every path, folders with a trailing slash.
  std::set<std::string> listed, expected;
  std::istringstream lines(RunTool("mdir -/ -b -i " + MtoolsImage(player_.Image()) + " ::/").output);
  for (std::string line; std::getline(lines, line);) {
    std::replace(line.begin(), line.end(), '/', '\\');
    if (line.rfind("::\\", 0) == 0) listed.insert(line.substr(2));
  }
  for (const auto& [path, data] : model_.files) expected.insert(path);
  for (const std::string& folder : model_.folders) {
    if (!folder.empty()) expected.insert(folder + "\\");
  }
  EXPECT_EQ(listed, expected);
}

const FatKind Fat12{"FAT12", 3 << 20, ""}, Fat16{"FAT16", 4 << 20, "-F 16 -s 1"},
    Fat32{"FAT32", 34 << 20, "-F 32 -s 1", 3 << 20};
INSTANTIATE_TEST_SUITE_P(Seeds, RandomizedTest,
                         testing::Values(std::tuple{Fat12, 1u}, std::tuple{Fat12, 2u}, std::tuple{Fat16, 3u},
                                         std::tuple{Fat32, 4u}),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace volkit_testing
