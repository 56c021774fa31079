// Operations chosen by the input run on volumes as mkfs.fat makes them (FAT12,
// FAT16, and FAT32 with tables over 256 KiB, each with little room), beside a
// model of the tree, on a device that fails after a number of sector
// operations the input also chooses. Attached anew without the fault, the
// tree is the model as before the operation in flight or as after it (a
// replaced file may be gone when only its room let the new one fit), and
// fsck.fat -n finds nothing: the attach has mended what the failure left.
//
// Input: the kind of volume, two bytes for the sector operations before the
// device fails (0xFFFF: never), then operations of four bytes each.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz/MemoryDevice.h"
#include "plugins/volkit/FileSystem.h"
#include "tests/plugins/volkit/TreeModel.h"

namespace {

using fuzzing::MemoryDevice;
using volkit_testing::Model;

struct Kind {
  uint32_t sectors;
  const char* mkfsOptions;
  uint32_t usableSectors;  // the rest is marked bad, so that the volume fills soon
};
const Kind Kinds[] = {{2048, "-F 12 -s 1", 0}, {5120, "-F 16 -s 1", 0}, {69632, "-F 32 -s 1", 4096}};

const char* const FileNames[] = {"A.TXT", "TRACK001.MP3", "a long file name.dat", "Mixed Case.Mp3", "日本語.mp3",
                                 "x",     "PLAYLIST.DAT", "dots.in.name.bin"};
const char* const FolderNames[] = {"USER", "Music 2", "フォルダ", "deep"};
const char* const Labels[] = {"", "MUSIC", "TEST 1"};

std::string workFolder;                                             // for mkfs.fat's and fsck.fat's images
std::vector<std::map<uint32_t, MemoryDevice::Sector>> baseVolumes;  // the volumes of Kinds

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "volkit model: %s\n", what.c_str());
  std::abort();
}

std::string Image() { return workFolder + "/volume.img"; }

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

struct Transfer {
  const std::string* out = nullptr;
  std::string in;
  size_t at = 0;
};
uint32_t GiveData(TransferRequest* request, void* buffer, uint32_t length) {
  auto* transfer = static_cast<Transfer*>(request->context);
  transfer->out->copy(static_cast<char*>(buffer), length, transfer->at);
  transfer->at += length;
  return 1;
}
uint32_t TakeData(TransferRequest* request, void* buffer, uint32_t length) {
  static_cast<Transfer*>(request->context)->in.append(static_cast<const char*>(buffer), length);
  return 1;
}

uint32_t WriteFile(FileSystemInterface* fs, const std::string& path, const std::string& data) {
  Transfer transfer;
  transfer.out = &data;
  TransferRequest request{};
  request.flags = TransferRequest::Write;
  request.name = path.c_str();
  request.context = &transfer;
  request.data = GiveData;
  request.total = uint32_t(data.size());
  return fs->writeFile(&request);
}

std::string ReadFile(FileSystemInterface* fs, const std::string& path) {
  Transfer transfer;
  TransferRequest request{};
  request.name = path.c_str();
  request.context = &transfer;
  request.data = TakeData;
  if (!fs->readFile(&request)) Fail("cannot read " + path);
  return transfer.in;
}

Model ReadTree(FileSystemInterface* fs) {
  Model tree;
  for (std::vector<std::string> pending{""}; !pending.empty();) {
    const std::string folder = pending.back();
    pending.pop_back();
    if (!fs->changeDir(folder.empty() ? "\\" : folder.c_str())) Fail("cannot enter " + folder);
    std::vector<DirEntryRecord> records;
    fs->findBegin();
    for (DirEntryRecord record; fs->findNext(&record);) records.push_back(record);
    fs->findEnd();
    for (const DirEntryRecord& record : records) {
      const std::string name = record.longName, path = folder + "\\" + name;
      if (name == "." || name == "..") continue;
      if (record.attributes & DirEntryRecord::Folder) {
        tree.folders.insert(path);
        pending.push_back(path);
      } else {
        tree.files[path] = ReadFile(fs, path);
      }
    }
  }
  return tree;
}

// The operation that `op` names on `model`, or nothing when it would be
// refused; `after` becomes the model as the operation leaves it, `replaced`
// the file a write replaces.
std::function<uint32_t(FileSystemInterface*)> Operation(const Model& model, const uint8_t* op, Model* after,
                                                        std::string* replaced) {
  *after = model;
  replaced->clear();
  const std::vector<std::string> folders(model.folders.begin(), model.folders.end());
  const std::string& folder = folders[op[1] % folders.size()];
  switch (op[0] % 6) {
    case 0: {
      const std::string name = FileNames[op[2] % std::size(FileNames)], path = Model::Join(folder, name);
      const std::optional<std::string> clash = model.Find(folder, name);
      if (model.folders.count(path) || (clash && *clash != path)) return nullptr;
      std::string data(size_t(op[3]) * 251, '\0');
      for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + op[3]);
      if (model.files.count(path)) *replaced = path;
      after->files[path] = data;
      return [=](FileSystemInterface* fs) { return WriteFile(fs, path, data); };
    }
    case 1: {
      const std::string name = FolderNames[op[2] % std::size(FolderNames)], path = Model::Join(folder, name);
      if (model.Find(folder, name)) return nullptr;
      after->folders.insert(path);
      return [=](FileSystemInterface* fs) { return fs->makeDir(path.c_str()); };
    }
    case 2: {
      std::vector<std::string> entries(std::next(folders.begin()), folders.end());
      for (const auto& [path, data] : model.files) entries.push_back(path);
      if (entries.empty()) return nullptr;
      const std::string from = entries[op[1] % entries.size()];
      const std::string name = model.folders.count(from) ? FolderNames[op[2] % std::size(FolderNames)]
                                                         : FileNames[op[2] % std::size(FileNames)];
      const std::optional<std::string> clash = model.Find(Model::Parent(from), name);
      if (clash && *clash != from) return nullptr;
      const std::string to = Model::Join(Model::Parent(from), name);
      after->Rename(from, to);
      return [=](FileSystemInterface* fs) { return fs->rename(from.c_str(), name.c_str()); };
    }
    case 3: {
      if (model.files.empty()) return nullptr;
      const std::string path = std::next(model.files.begin(), long(op[1] % model.files.size()))->first;
      after->files.erase(path);
      return [=](FileSystemInterface* fs) { return fs->deleteFile(path.c_str()); };
    }
    case 4: {
      if (folder.empty() || !model.ChildrenOf(folder).empty()) return nullptr;
      after->folders.erase(folder);
      return [=](FileSystemInterface* fs) { return fs->removeDir(folder.c_str()); };
    }
    default: {
      const std::string label = Labels[op[1] % std::size(Labels)];
      return [=](FileSystemInterface* fs) { return fs->setLabel(label.c_str()); };
    }
  }
}

using FileSystem = std::unique_ptr<FileSystemInterface, void (*)(FileSystemInterface*)>;
FileSystem NewFileSystem() {
  return FileSystem(volkit::CreateFileSystem(), [](FileSystemInterface* fs) { fs->destroy(1); });
}

// fsck.fat -n on the device's sectors.
void ExpectClean(const MemoryDevice& device, uint32_t sectors) {
  const int file = ::open(Image().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (file < 0 || ::ftruncate(file, off_t(sectors) * MemoryDevice::SectorBytes) != 0) Fail("no image file");
  for (const auto& [number, sector] : device.sectors) {
    if (::pwrite(file, sector.data(), sector.size(), off_t(number) * MemoryDevice::SectorBytes) < 0) Fail("write");
  }
  ::close(file);
  if (!Run("fsck.fat -n '" + Image() + "'")) Fail("fsck.fat finds problems in " + Image());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* temp = std::getenv("TMPDIR");
  std::string pattern = std::string(temp != nullptr ? temp : "/tmp") + "/tw-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) Fail("no temporary folder");
  workFolder = pattern;
  for (const Kind& kind : Kinds) {
    std::string options = kind.mkfsOptions;
    if (kind.usableSectors != 0) {
      FILE* bad = std::fopen((workFolder + "/bad").c_str(), "w");
      for (uint32_t block = kind.usableSectors / 2; block < kind.sectors / 2; ++block) std::fprintf(bad, "%u\n", block);
      std::fclose(bad);
      options += " -l '" + workFolder + "/bad'";
    }
    if (!Run("rm -f '" + Image() + "' && truncate -s " + std::to_string(kind.sectors * 512) + " '" + Image() +
             "' && mkfs.fat " + options + " '" + Image() + "'")) {
      Fail("mkfs.fat " + options);
    }
    MemoryDevice device(kind.sectors);
    const int file = ::open(Image().c_str(), O_RDONLY);
    MemoryDevice::Sector sector;
    for (uint32_t number = 0; ::pread(file, sector.data(), sector.size(), off_t(number) * 512) == 512; ++number) {
      if (std::any_of(sector.begin(), sector.end(), [](uint8_t b) { return b != 0; })) device.sectors[number] = sector;
    }
    ::close(file);
    if (kind.usableSectors != 0) {
      // mkfs.fat counts bad clusters as free in FSInfo: the count is made unknown.
      MemoryDevice::Sector& info = device.sectors[device.sectors[0][48] | device.sectors[0][49] << 8];
      std::fill_n(info.begin() + 488, 4, 0xFF);
    }
    baseVolumes.push_back(device.sectors);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const size_t kind = data[0] % std::size(Kinds);
  MemoryDevice device(Kinds[kind].sectors);
  device.sectors = baseVolumes[kind];
  const uint32_t fault = data[1] | data[2] << 8;
  if (fault != 0xFFFF) device.failAfter = fault % 400;

  Model model, after;
  std::optional<Model> beforeFailure;
  std::string replaced;
  FileSystem fs = NewFileSystem();
  if (fs->attach(&device)) {
    for (size_t at = 3; at + 4 <= size && at < 3 + 4 * 32 && !beforeFailure; at += 4) {
      auto operation = Operation(model, data + at, &after, &replaced);
      if (!operation) continue;
      if (operation(fs.get())) {
        model = after;
        continue;
      }
      const uint32_t error = fs->lastError();
      if (error == FileSystemError::Device) {
        beforeFailure = model;
      } else if (error != FileSystemError::MediumFull) {
        Fail("unexpected code " + std::to_string(error));
      } else if (!replaced.empty() && !fs->lookup(replaced.c_str(), nullptr)) {
        model.files.erase(replaced);  // only the old file's room could have let the new one fit
      }
    }
  } else if (device.lastError() != DeviceError::Communication) {
    Fail("a volume mkfs.fat made is refused");
  }

  device.failAfter.reset();
  fs = NewFileSystem();
  if (!fs->attach(&device)) Fail("the volume is refused after the failure");
  const Model tree = ReadTree(fs.get());
  bool expected = tree == model;
  if (beforeFailure) {
    Model gone = *beforeFailure;
    gone.files.erase(replaced);  // a replacement for which the old file had made way
    expected = tree == *beforeFailure || tree == after || (!replaced.empty() && tree == gone);
  }
  if (!expected) Fail("the tree is neither as before the operation in flight nor as after it");
  fs.reset();
  ExpectClean(device, Kinds[kind].sectors);
  return 0;
}
