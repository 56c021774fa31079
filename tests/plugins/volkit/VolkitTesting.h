// Shared by the volkit tests: the real plug-in loaded from the test's program
// folder, media image files, transfers through TransferRequest and the
// independent tools (dosfstools, mtools) run as processes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "contract/PluginContract.h"
#include "platform/Modules.h"
#include "tests/Shell.h"
#include "tests/TempFiles.h"

namespace volkit_testing {

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command with mtools' checks off and a UTF-8 locale; a tool that
// is not installed fails the test rather than skipping it.
inline Outcome RunTool(const std::string& command) {
  Outcome outcome = RunShell("MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8 " + command);
  EXPECT_NE(outcome.exitCode, 127) << "tool missing: " << command << "\n" << outcome.output;
  return outcome;
}

// A sparse image file of `bytes`.
inline void CreateImage(const std::string& path, uint64_t bytes) {
  std::filesystem::remove(path);
  std::ofstream(path, std::ios::binary).close();
  std::filesystem::resize_file(path, bytes);
}

// A partition table with one partition from `firstSector` to the end.
inline void WritePartitionTable(const std::string& path, uint32_t firstSector, uint8_t type) {
  uint64_t sectors = std::filesystem::file_size(path) / 512;
  std::array<uint8_t, 512> mbr{};
  uint8_t* entry = mbr.data() + 446;
  entry[4] = type;
  uint32_t length = uint32_t(sectors - firstSector);
  for (int i = 0; i < 4; ++i) {
    entry[8 + i] = uint8_t(firstSector >> (8 * i));
    entry[12 + i] = uint8_t(length >> (8 * i));
  }
  mbr[510] = 0x55;
  mbr[511] = 0xAA;
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.write(reinterpret_cast<const char*>(mbr.data()), mbr.size());
}

// mkfs.fat on the image (at `offsetSectors` when partitioned); `options` are passed on.
inline void MakeFat(const std::string& path, const std::string& options, uint32_t offsetSectors = 0) {
  std::string command = "mkfs.fat " + options;
  const std::string sectors = std::to_string(offsetSectors);
  if (offsetSectors != 0) command += " --offset=" + sectors + " -h " + sectors;
  command.append(" ").append(Quote(path));
  if (offsetSectors != 0) {
    // The partition's size in KiB, as mkfs.fat counts blocks.
    command.append(" ").append(
        std::to_string((std::filesystem::file_size(path) - uint64_t(offsetSectors) * 512) / 1024));
  }
  const Outcome result = RunTool(command);
  ASSERT_EQ(result.exitCode, 0) << result.output;
}

// "" when fsck.fat -n finds nothing, else its report.
inline std::string FsckProblems(const std::string& path, uint32_t offsetSectors = 0) {
  std::string target = path;
  TempFolder folder;
  if (offsetSectors != 0) {
    // fsck.fat has no offset option: it checks a copy of the partition.
    target = folder.File("partition.img");
    RunTool("dd status=none if=" + Quote(path) + " of=" + Quote(target) +
            " bs=512 skip=" + std::to_string(offsetSectors) + " conv=sparse");
  }
  const Outcome result = RunTool("fsck.fat -n " + Quote(target));
  return result.exitCode == 0 ? "" : result.output;
}

// The mtools image argument: path, with @@offset for a partitioned image.
inline std::string MtoolsImage(const std::string& path, uint32_t offsetSectors = 0) {
  return Quote(offsetSectors == 0 ? path : path + "@@" + std::to_string(uint64_t(offsetSectors) * 512));
}

// `size` bytes of a PC file from `offset` on.
inline std::vector<uint8_t> ReadPcBytes(const std::string& path, uint64_t offset, size_t size) {
  std::ifstream file(path, std::ios::binary);
  file.seekg(std::streamoff(offset));
  std::vector<uint8_t> bytes(size);
  file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size));
  return bytes;
}

// Reproducible bytes of the given length.
inline std::string Pattern(size_t length, uint32_t seed) {
  std::mt19937 random(seed);
  std::string data(length, '\0');
  for (char& c : data) c = char(random());
  return data;
}

// A kind of volume as mkfs.fat makes it. With `usableBytes`, the blocks
// beyond are marked bad, so that a FAT32 volume (32 MiB at least) fills as
// soon as a small one.
struct FatKind {
  const char* name;
  uint64_t bytes;
  const char* mkfsOptions;
  uint64_t usableBytes = 0;
};
inline void PrintTo(const FatKind& kind, std::ostream* out) { *out << kind.name; }

// A simulated player in a temporary folder (TUNEWARDEN_PLAYER) whose
// internal.img the test makes, driven through the real portkit.so and
// volkit.so loaded from the test's program folder, as the program loads them.
class Player {
 public:
  Player() {
    setenv("TUNEWARDEN_PLAYER", folder_.Path().c_str(), 1);
    portkit_ = platform::LoadModule("portkit.so");
    volkit_ = platform::LoadModule("volkit.so");
    if (portkit_ == nullptr || volkit_ == nullptr) throw std::runtime_error("plug-ins missing beside the test");
    device_ = CreateFrom<DeviceInterface>(portkit_);
    fs_ = CreateFrom<FileSystemInterface>(volkit_);
  }
  ~Player() {
    fs_->destroy(1);
    device_->destroy(1);
    platform::FreeModule(portkit_);
    platform::FreeModule(volkit_);
    unsetenv("TUNEWARDEN_PLAYER");
  }

  std::string Image() const { return folder_.File("internal.img"); }
  // Writes the faults file (removes it for ""); it takes effect at the next connect.
  void SetFaults(const std::string& text) {
    if (text.empty()) {
      std::filesystem::remove(folder_.File("faults"));
    } else {
      std::ofstream(folder_.File("faults")) << text;
    }
  }
  // open + selectMedia("Internal"), after closing an earlier connection.
  void Connect() {
    device_->close();
    ASSERT_EQ(device_->open(0, 0), 1u) << device_->lastError();
    ASSERT_EQ(device_->selectMedia("Internal"), 1u) << device_->lastError();
  }
  // connect, then attach the file system (expected to succeed).
  void Attach() {
    Connect();
    ASSERT_EQ(fs_->attach(device_), 1u) << fs_->lastError();
  }
  // A new internal.img of `bytes` made by mkfs.fat with its defaults, attached.
  void AttachNewFat(uint64_t bytes) { AttachNewFat({"", bytes, ""}); }
  void AttachNewFat(const FatKind& kind) {
    CreateImage(Image(), kind.bytes);
    std::string options = kind.mkfsOptions;
    if (kind.usableBytes != 0) {
      std::ofstream blocks(folder_.File("bad-blocks"));
      for (uint64_t block = kind.usableBytes / 1024; block < kind.bytes / 1024; ++block) blocks << block << "\n";
      options += " -l " + Quote(folder_.File("bad-blocks"));
    }
    MakeFat(Image(), options);
    if (kind.usableBytes != 0) {
      // mkfs.fat counts bad clusters as free in FSInfo: the count is made unknown.
      std::vector<uint8_t> boot = ReadPcBytes(Image(), 0, 512);
      std::fstream image(Image(), std::ios::in | std::ios::out | std::ios::binary);
      image.seekp(std::streamoff((boot[48] | boot[49] << 8) * 512 + 488));
      image.write("\xFF\xFF\xFF\xFF", 4);
    }
    Attach();
  }
  DeviceInterface* Device() const { return device_; }
  FileSystemInterface* Fs() const { return fs_; }

 private:
  template <class Interface>
  static Interface* CreateFrom(void* library) {
    auto create = reinterpret_cast<Interface* (*)()>(platform::ModuleSymbol(library, "CreateInterface"));
    if (create == nullptr) throw std::runtime_error("a plug-in without CreateInterface");
    return create();
  }

  TempFolder folder_;
  void* portkit_ = nullptr;
  void* volkit_ = nullptr;
  DeviceInterface* device_ = nullptr;
  FileSystemInterface* fs_ = nullptr;
};

// Transfers through the interface the program uses.
struct WriteOptions {
  std::optional<uint32_t> stopDataAtBlock = {};     // the data callback refuses this block
  std::optional<uint32_t> stopProgressAtCall = {};  // the progress callback refuses this call
};
struct TransferLog {
  std::vector<uint32_t> blockLengths;
  std::vector<uint32_t> progressDone;
  uint32_t totalAtFirstProgress = 0;
  bool anyHadUpdateNow = false;
};

// What the callbacks of one transfer share.
struct TransferContext {
  const std::string* data;  // writes
  size_t position = 0;
  uint32_t blocks = 0;
  uint32_t progressCalls = 0;
  WriteOptions options;
  TransferLog* log;
  std::string* received;  // reads

  static uint32_t OnProgress(TransferRequest* request) {
    auto* context = static_cast<TransferContext*>(request->context);
    uint32_t call = context->progressCalls++;
    if (call == 0) context->log->totalAtFirstProgress = request->total;
    context->log->progressDone.push_back(request->done);
    context->log->anyHadUpdateNow |= (request->flags & TransferRequest::UpdateNow) != 0;
    return !(context->options.stopProgressAtCall && call == *context->options.stopProgressAtCall);
  }
  static uint32_t OnWriteData(TransferRequest* request, void* buffer, uint32_t length) {
    auto* context = static_cast<TransferContext*>(request->context);
    context->log->blockLengths.push_back(length);
    if (context->options.stopDataAtBlock && context->blocks == *context->options.stopDataAtBlock) return 0;
    ++context->blocks;
    if (context->position + length > context->data->size()) return 0;
    std::copy_n(context->data->data() + context->position, length, static_cast<char*>(buffer));
    context->position += length;
    return 1;
  }
  static uint32_t OnReadData(TransferRequest* request, void* buffer, uint32_t length) {
    auto* context = static_cast<TransferContext*>(request->context);
    context->log->blockLengths.push_back(length);
    context->received->append(static_cast<const char*>(buffer), length);
    return 1;
  }
};

// Result of writeFile; `log` receives what the callbacks saw.
inline uint32_t WriteFile(FileSystemInterface* fs, const std::string& name, const std::string& data,
                          const WriteOptions& options = {}, TransferLog* log = nullptr) {
  TransferLog ignored;
  TransferContext context{&data, 0, 0, 0, options, log ? log : &ignored, nullptr};
  TransferRequest request{};
  request.flags = TransferRequest::Write;
  request.name = name.c_str();
  request.context = &context;
  request.progress = TransferContext::OnProgress;
  request.data = TransferContext::OnWriteData;
  request.total = uint32_t(data.size());
  return fs->writeFile(&request);
}

// The file's bytes, or nullopt when readFile failed.
inline std::optional<std::string> ReadFile(FileSystemInterface* fs, const std::string& name,
                                           TransferLog* log = nullptr) {
  TransferLog ignored;
  std::string received;
  TransferContext context{nullptr, 0, 0, 0, {}, log ? log : &ignored, &received};
  TransferRequest request{};
  request.name = name.c_str();
  request.context = &context;
  request.progress = TransferContext::OnProgress;
  request.data = TransferContext::OnReadData;
  if (!fs->readFile(&request)) return std::nullopt;
  return received;
}

inline std::vector<DirEntryRecord> List(FileSystemInterface* fs) {
  std::vector<DirEntryRecord> entries;
  EXPECT_NE(fs->findBegin(), 0u) << fs->lastError();
  DirEntryRecord record;
  while (fs->findNext(&record)) entries.push_back(record);
  fs->findEnd();
  return entries;
}

inline std::vector<std::string> ListNames(FileSystemInterface* fs) {
  std::vector<std::string> names;
  for (const DirEntryRecord& record : List(fs)) names.push_back(record.longName);
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string CurrentDir(FileSystemInterface* fs) {
  uint32_t length = fs->getCurrentDir(nullptr, 0);
  std::string path(length, '\0');
  fs->getCurrentDir(path.data(), length);
  return path;
}

}  // namespace volkit_testing
