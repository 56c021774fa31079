// Shared by the volkit tests: the real plug-in loaded from the test's program
// folder, media image files, transfers through TransferRequest and the
// independent tools (dosfstools, mtools) run as processes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "player/PluginContract.h"


namespace volkit_test {

// A temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The tool's exit status and everything it printed.
struct ToolResult {
  int status;
  std::string output;
};
// Runs a shell command with mtools' checks off and a UTF-8 locale; a tool that
// is not installed fails the test rather than skipping it.
ToolResult RunTool(const std::string& command);
std::string Quote(const std::string& text);

// A sparse image file of `bytes`.
void CreateImage(const std::string& path, uint64_t bytes);
// A partition table with one partition from `firstSector` to the end.
void WritePartitionTable(const std::string& path, uint32_t firstSector, uint8_t type);
// mkfs.fat on the image (at `offsetSectors` when partitioned); `options` are passed on.
void MakeFat(const std::string& path, const std::string& options, uint32_t offsetSectors = 0);
// "" when fsck.fat -n finds nothing, else its report.
std::string FsckProblems(const std::string& path, uint32_t offsetSectors = 0);
// The mtools image argument: path, with @@offset for a partitioned image.
std::string MtoolsImage(const std::string& path, uint32_t offsetSectors = 0);
std::string ReadPcFile(const std::string& path);
// `size` bytes of a PC file from `offset` on.
std::vector<uint8_t> ReadPcBytes(const std::string& path, uint64_t offset, size_t size);
void WritePcFile(const std::string& path, const std::string& data);
// Reproducible bytes of the given length.
std::string Pattern(size_t length, uint32_t seed);

// A simulated player in a temporary folder (TUNEWARDEN_PLAYER) whose
// internal.img the test makes, driven through the real portkit.so and
// volkit.so loaded from the test's program folder, as the program loads them.
class Player {
 public:
  Player();
  ~Player();

  std::string image() const { return folder_.file("internal.img"); }
  // Writes the faults file (removes it for ""); it takes effect at the next connect.
  void setFaults(const std::string& text);
  // open + selectMedia("Internal"), after closing an earlier connection.
  void connect();
  // connect, then attach the file system (expected to succeed).
  void attach();
  // A new internal.img of `bytes` made by mkfs.fat with its defaults, attached.
  void attachNewFat(uint64_t bytes);
  DeviceInterface* device() const { return device_; }
  FileSystemInterface* fs() const { return fs_; }

 private:
  TempFolder folder_;
  void* portkit_ = nullptr;
  void* volkit_ = nullptr;
  DeviceInterface* device_ = nullptr;
  FileSystemInterface* fs_ = nullptr;
};

// Transfers through the interface the program uses.
struct WriteOptions {
  std::optional<uint32_t> stopDataAtBlock;      // the data callback refuses this block
  std::optional<uint32_t> stopProgressAtCall;   // the progress callback refuses this call
};
inline WriteOptions StopData(uint32_t block) {
  WriteOptions options;
  options.stopDataAtBlock = block;
  return options;
}
inline WriteOptions StopProgress(uint32_t call) {
  WriteOptions options;
  options.stopProgressAtCall = call;
  return options;
}
struct TransferLog {
  std::vector<uint32_t> blockLengths;
  std::vector<uint32_t> progressDone;
  uint32_t totalAtFirstProgress = 0;
  bool lastHadUpdateNow = false;
};
// Result of writeFile; `log` receives what the callbacks saw.
uint32_t WriteFile(FileSystemInterface* fs, const std::string& name, const std::string& data,
                   const WriteOptions& options = {}, TransferLog* log = nullptr);
// The file's bytes, or nullopt when readFile failed.
std::optional<std::string> ReadFile(FileSystemInterface* fs, const std::string& name, TransferLog* log = nullptr);
std::vector<DirEntryRecord> List(FileSystemInterface* fs);
std::vector<std::string> ListNames(FileSystemInterface* fs);
std::string CurrentDir(FileSystemInterface* fs);

}  // namespace volkit_test
