// tunewarden-player: creates the simulated player and works its cables,
// switches and card slot from the shell.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "contract/PluginContract.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/ScopeGuard.h"
#include "plugins/portkit/Medium.h"
#include "plugins/portkit/PlayerDevice.h"
#include "plugins/portkit/PlayerFolder.h"
#include "tunewarden/Version.h"

namespace fs = std::filesystem;
using namespace portkit;

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

constexpr const char* Usage =
    "usage: tunewarden-player [--player DIR] COMMAND\n"
    "       tunewarden-player --help | --version\n"
    "\n"
    "  create [--internal SIZE] [--card SIZE [--type sd|mmc|smmc]] [--format]\n"
    "                       make a new player (internal memory 64M unless given;\n"
    "                       SIZE in bytes or with K, M, G, T); --format puts FAT on its media\n"
    "  plug | unplug        connect or disconnect the player\n"
    "  insert | eject       put the card in or take it out\n"
    "  lock MEDIUM          set the write protection of internal or card\n"
    "  unlock MEDIUM        clear it\n"
    "  faults [--fail-after N] [--timeout-after N] [--unplug-after N]\n"
    "                       after N sector operations from the next connection on,\n"
    "                       fail them (I/O error), time them out, or unplug the player\n"
    "  faults --clear       no injected faults\n"
    "  faults               show the injected faults\n"
    "  status               show the player, with the POSIX cksum of its firmware\n"
    "\n"
    "The player is the folder DIR, else $TUNEWARDEN_PLAYER, else\n"
    "$XDG_DATA_HOME/tunewarden/player, else ~/.local/share/tunewarden/player.\n";

constexpr uint64_t DefaultInternalSize = 64ull << 20;
constexpr uint64_t MinimumMediumSize = 1ull << 20;
constexpr uint64_t MaximumMediumSize = uint64_t(UINT32_MAX) * PlayerDevice::SectorBytes;

struct UsageError {
  std::string message;
};
struct Failure {
  std::string message;
};

std::string SystemText(int error) { return strerror(error); }

std::optional<uint64_t> ParseSize(std::string_view text) {
  uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end == text.data()) return std::nullopt;
  const std::string_view suffix(end, text.data() + text.size() - end);
  int shift = 0;
  if (suffix == "K" || suffix == "k")
    shift = 10;
  else if (suffix == "M" || suffix == "m")
    shift = 20;
  else if (suffix == "G" || suffix == "g")
    shift = 30;
  else if (suffix == "T" || suffix == "t")
    shift = 40;
  else if (!suffix.empty())
    return std::nullopt;
  if (value > (UINT64_MAX >> shift)) return std::nullopt;
  return value << shift;
}

uint64_t MediumSize(std::string_view option, std::string_view text) {
  const auto size = ParseSize(text);
  if (!size) throw UsageError{std::string(option) + ": '" + std::string(text) + "' is not a size (like 64M or 1G)"};
  if (*size < MinimumMediumSize || *size > MaximumMediumSize || *size % PlayerDevice::SectorBytes != 0)
    throw UsageError{std::string(option) + ": a medium is 1M to 2T, in whole 512-byte sectors"};
  return *size;
}

uint32_t ParseCountOption(std::string_view option, std::string_view text) {
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty())
    throw UsageError{std::string(option) + ": '" + std::string(text) + "' is not a count"};
  return value;
}

// Walks "--option value" pairs of a command.
class Options {
 public:
  explicit Options(std::vector<std::string> args) : args_(std::move(args)) {}
  bool next(std::string* option) {
    if (next_ >= args_.size()) return false;
    *option = args_[next_++];
    return true;
  }
  std::string value(const std::string& option) {
    if (next_ >= args_.size()) throw UsageError{option + " needs a value"};
    return args_[next_++];
  }

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
};

std::string DescribeDeviceError(uint32_t code) {
  switch (code) {
    case DeviceError::System:
      return platform::ErrorMessageUtf8(platform::GetLastError(), platform::Language::English);
    case DeviceError::NoCard:
      return "no card inserted";
    case DeviceError::NotConnected:
      return "player not connected";
    case DeviceError::Timeout:
      return "time-out";
    case DeviceError::Communication:
      return "communication error";
    case DeviceError::WriteProtected:
      return "medium write-protected";
    case DeviceError::SectorOutOfRange:
      return "sector out of range";
    default:
      return "device error " + std::to_string(code);
  }
}

std::string DescribeFileSystemError(uint32_t code, DeviceInterface& device) {
  switch (code) {
    case FileSystemError::Stopped:
      return "stopped";
    case FileSystemError::Device:
      return DescribeDeviceError(device.lastError());
    case FileSystemError::OutOfMemory:
      return "out of memory";
    case FileSystemError::MediumFull:
      return "medium full";
    case FileSystemError::NoFileSystem:
      return "no FAT file system";
    default:
      return "file-system error " + std::to_string(code);
  }
}

PlayerFolder ExistingPlayer(const std::string& path) {
  PlayerFolder folder(path);
  if (!folder.isPlayer()) throw Failure{"no player at " + path + " (make one with: tunewarden-player create)"};
  return folder;
}

// One of the folder's settings files, or a failure that tells what is wrong in it.
template <typename Settings>
Settings ReadOrFail(const PlayerFolder& folder, bool (PlayerFolder::*read)(Settings*, std::string*) const) {
  Settings settings;
  std::string problem;
  if (!(folder.*read)(&settings, &problem)) throw Failure{problem};
  return settings;
}

PlayerConfig ReadConfig(const PlayerFolder& folder) { return ReadOrFail(folder, &PlayerFolder::readConfig); }
Faults ReadFaults(const PlayerFolder& folder) { return ReadOrFail(folder, &PlayerFolder::readFaults); }

void RequireCard(const PlayerFolder& folder) {
  if (!folder.hasCard(ReadConfig(folder)))
    throw Failure{"the player at " + folder.path() + " has no card (make one with: create --card SIZE)"};
}

void Check(bool done, const std::string& what) {
  if (!done) throw Failure{what + ": " + SystemText(errno)};
}

// Formats every medium of a player folder through the real file-system plug-in
// that lies beside this command.
void FormatMedia(const std::string& path, bool withCard) {
  platform::ModuleHandle module = platform::LoadModule("volkit.so");
  if (!module)
    throw Failure{"--format needs volkit.so beside tunewarden-player: " +
                  platform::ErrorMessageUtf8(platform::GetLastError(), platform::Language::English)};
  auto create = reinterpret_cast<CreateFileSystemInterfaceFn>(platform::ModuleSymbol(module, "CreateInterface"));
  FileSystemInterface* fileSystem = create ? create() : nullptr;
  if (!fileSystem) {
    platform::FreeModule(module);
    throw Failure{"volkit.so has no file-system interface"};
  }
  PlayerDevice device(path);
  std::string problem;
  if (!device.open(0, 0)) problem = "cannot connect: " + DescribeDeviceError(device.lastError());
  std::vector<std::pair<const char*, const char*>> media = {{"Internal", "internal memory"}};
  if (withCard) media.push_back({"MMC", "card"});
  for (const auto& [medium, shown] : media) {
    if (!problem.empty()) break;
    if (!device.selectMedia(medium))
      problem = std::string("cannot select the ") + shown + ": " + DescribeDeviceError(device.lastError());
    else if (!fileSystem->format(&device, nullptr))
      problem = std::string("formatting the ") + shown +
                " failed: " + DescribeFileSystemError(fileSystem->lastError(), device);
  }
  device.close();
  fileSystem->destroy(1);
  platform::FreeModule(module);
  if (!problem.empty()) throw Failure{problem};
}

void PrintStatus(const PlayerFolder& folder);

// Builds the player in a staging folder beside the target and moves it into
// place whole, so that a failure or a kill never leaves half a player.
void Create(const std::string& path, Options options) {
  uint64_t internalSize = DefaultInternalSize;
  std::optional<uint64_t> cardSize;
  std::optional<uint8_t> cardType;
  bool format = false;
  std::string option;
  while (options.next(&option)) {
    if (option == "--internal") {
      internalSize = MediumSize(option, options.value(option));
    } else if (option == "--card") {
      cardSize = MediumSize(option, options.value(option));
    } else if (option == "--type") {
      const std::string name = options.value(option);
      cardType = CardTypeFromName(name);
      if (!cardType) throw UsageError{"--type: '" + name + "' is not sd, mmc or smmc"};
    } else if (option == "--format") {
      format = true;
    } else {
      throw UsageError{"create: unknown option '" + option + "'"};
    }
  }
  if (cardType && !cardSize) throw UsageError{"--type needs --card SIZE"};

  const PlayerFolder target(path);
  std::error_code ec;
  if (target.isPlayer()) throw Failure{"a player already exists at " + path};
  if (fs::exists(path, ec) && !(fs::is_directory(path, ec) && fs::is_empty(path, ec)))
    throw Failure{path + " exists and is not an empty folder"};
  const fs::path parent = fs::path(target.path()).parent_path();
  if (!parent.empty() && !fs::create_directories(parent, ec) && ec)
    throw Failure{"cannot make " + parent.string() + ": " + ec.message()};

  const std::string staging = target.path() + ".creating-" + std::to_string(getpid());
  Check(mkdir(staging.c_str(), 0755) == 0, "cannot make " + staging);
  {
    const platform::OnFailure removeStaging([&] { fs::remove_all(staging, ec); });
    const PlayerFolder folder(staging);
    PlayerConfig config;
    if (cardType) config.cardType = *cardType;
    Check(folder.createMediumFiles(MediumId::Internal, internalSize), "cannot make the internal image");
    if (cardSize) Check(folder.createMediumFiles(MediumId::Card, *cardSize), "cannot make the card image");
    Check(folder.writeConfig(config), "cannot write player.conf");
    if (format) FormatMedia(staging, cardSize.has_value());
    // An empty target folder gives way to the finished player.
    if (fs::exists(path, ec)) Check(rmdir(path.c_str()) == 0, "cannot replace " + path);
    Check(rename(staging.c_str(), target.path().c_str()) == 0, "cannot move the player to " + path);
  }
  PrintStatus(target);
}

std::string SizeText(uint64_t bytes) {
  return std::to_string(bytes >> 20) + " MiB (" + std::to_string(bytes) + " bytes)";
}

void PrintMedium(const PlayerFolder& folder, const PlayerConfig& config, MediumId medium) {
  const std::string source = folder.mediumSource(medium, config);
  std::printf("%-9s%s", MediumName(medium), source.c_str());
  if (medium == MediumId::Card) std::printf(", %s", CardTypeName(config.cardType));
  if (medium == MediumId::Card) std::printf(", %s", folder.isCardEjected() ? "ejected" : "inserted");
  Medium storage;
  if (const int error = storage.open(source); error != 0) {
    std::printf(", cannot be opened: %s\n", SystemText(error).c_str());
    return;
  }
  const char* protection = folder.isLocked(medium) ? "locked" : storage.isReadOnly() ? "read-only" : "writable";
  std::printf(", %s, %s\n", SizeText(storage.size()).c_str(), protection);
}

std::string FaultsText(const Faults& faults) {
  if (!faults.any()) return "none";
  std::string text;
  const auto add = [&text](const char* what, const std::optional<uint32_t>& limit) {
    if (!limit) return;
    if (!text.empty()) text += "; ";
    text += std::string(what) + " after " + std::to_string(*limit) + " sector operations";
  };
  add("fail", faults.failAfter);
  add("time out", faults.timeoutAfter);
  add("unplug", faults.unplugAfter);
  return text;
}

// The checksum and length that POSIX cksum prints for the bytes, so that a
// user can compare the firmware with a file of their own.
std::string PosixChecksum(std::string_view bytes) {
  uint32_t crc = 0;
  const auto add = [&crc](uint8_t byte) {
    crc ^= uint32_t(byte) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  };
  for (char byte : bytes) add(static_cast<uint8_t>(byte));
  for (uint64_t length = bytes.size(); length != 0; length >>= 8) add(static_cast<uint8_t>(length));
  return std::to_string(~crc) + " " + std::to_string(bytes.size());
}

// The firmware as the device holds it: erased (0xFF) until first written.
std::string FirmwareText(const PlayerFolder& folder) {
  std::ifstream file(folder.firmwareFile(), std::ios::binary);
  if (!file)
    return "cksum " +
           PosixChecksum(std::string(size_t(FirmwareBlockCount) * DeviceInterface::FirmwareBlockSize, '\xFF')) +
           ", never written";
  const std::string bytes{std::istreambuf_iterator<char>(file), {}};
  return "cksum " + PosixChecksum(bytes);
}

void PrintStatus(const PlayerFolder& folder) {
  const PlayerConfig config = ReadConfig(folder);
  std::printf("%-9s%s\n", "player", folder.path().c_str());
  std::printf("%-9s%s\n", "cable", folder.isPlugged() ? "plugged" : "unplugged");
  PrintMedium(folder, config, MediumId::Internal);
  if (folder.hasCard(config))
    PrintMedium(folder, config, MediumId::Card);
  else
    std::printf("%-9s%s\n", "card", "none");
  std::printf("%-9s%s\n", "faults", FaultsText(ReadFaults(folder)).c_str());
  std::printf("%-9s%s\n", "firmware", FirmwareText(folder).c_str());
}

void SetFaults(const PlayerFolder& folder, Options options) {
  Faults faults;
  bool clear = false;
  bool any = false;
  std::string option;
  while (options.next(&option)) {
    any = true;
    if (option == "--clear")
      clear = true;
    else if (option == "--fail-after")
      faults.failAfter = ParseCountOption(option, options.value(option));
    else if (option == "--timeout-after")
      faults.timeoutAfter = ParseCountOption(option, options.value(option));
    else if (option == "--unplug-after")
      faults.unplugAfter = ParseCountOption(option, options.value(option));
    else
      throw UsageError{"faults: unknown option '" + option + "'"};
  }
  if (clear && faults.any()) throw UsageError{"faults: --clear takes no other option"};
  if (any) Check(folder.writeFaults(faults), "cannot write the faults");
  std::printf("%-9s%s\n", "faults", FaultsText(ReadFaults(folder)).c_str());
}

MediumId MediumArgument(const std::string& command, const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError{command + " takes one medium: internal or card"};
  const auto medium = MediumFromName(args[0]);
  if (!medium) throw UsageError{command + ": '" + args[0] + "' is not internal or card"};
  return *medium;
}

void NoArguments(const std::string& command, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError{command + " takes no arguments"};
}

void Run(const std::string& path, const std::string& command, const std::vector<std::string>& args) {
  static const std::string_view commands[] = {"create", "status", "plug",   "unplug", "insert",
                                              "eject",  "lock",   "unlock", "faults"};
  if (std::find(std::begin(commands), std::end(commands), command) == std::end(commands))
    throw UsageError{"unknown command '" + command + "'"};
  if (command == "create") return Create(path, Options(args));
  const PlayerFolder folder = ExistingPlayer(path);
  if (command == "status") {
    NoArguments(command, args);
    PrintStatus(folder);
  } else if (command == "plug" || command == "unplug") {
    NoArguments(command, args);
    Check(folder.setPlugged(command == "plug"), "cannot " + command + " the player");
  } else if (command == "insert" || command == "eject") {
    NoArguments(command, args);
    RequireCard(folder);
    Check(folder.setCardEjected(command == "eject"), "cannot " + command + " the card");
  } else if (command == "lock" || command == "unlock") {
    const MediumId medium = MediumArgument(command, args);
    if (medium == MediumId::Card) RequireCard(folder);
    Check(folder.setLocked(medium, command == "lock"), "cannot " + command + " the " + args[0]);
  } else {
    SetFaults(folder, Options(args));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string path;
  try {
    if (auto option = std::find(args.begin(), args.end(), "--player"); option != args.end()) {
      if (option + 1 == args.end()) throw UsageError{"--player needs a folder"};
      path = option[1];
      args.erase(option, option + 2);
    }
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
      std::fputs(Usage, stdout);
      return 0;
    }
    if (!args.empty() && args[0] == "--version") {
      std::printf("tunewarden-player %s\n", TunewardenVersion);
      return 0;
    }
    if (args.empty()) throw UsageError{"no command given"};
    if (path.empty()) path = platform::SimulatedPlayerFolder();
    if (path.empty()) throw Failure{"no player folder: give --player DIR or set TUNEWARDEN_PLAYER"};
    const std::string command = args[0];
    args.erase(args.begin());
    Run(path, command, args);
    return 0;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "tunewarden-player: %s (see tunewarden-player --help)\n", error.message.c_str());
    return ExitUsage;
  } catch (const Failure& error) {
    std::fprintf(stderr, "tunewarden-player: %s\n", error.message.c_str());
    return ExitFailed;
  }
}
