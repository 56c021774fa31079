// The simulated player is a folder. Its media are image files (or block devices
// named in player.conf); its switches and cables are small marker files, so the
// plug-in, the tunewarden-player command and tests all see one state.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace portkit {

enum class MediumId { Internal, Card };

constexpr uint32_t InternalUnitSize = 512 * 1024;
constexpr uint32_t CardUnitSize = 64 * 1024;
constexpr uint32_t FirmwareBlockCount = 480;

// "sd", "mmc", "smmc" and the contract's type codes.
std::optional<uint8_t> CardTypeFromName(std::string_view name);
const char* CardTypeName(uint8_t type);

// "internal" / "card".
std::optional<MediumId> MediumFromName(std::string_view name);
const char* MediumName(MediumId medium);

// player.conf.
struct PlayerConfig {
  std::string internalDevice;  // empty: internal.img in the folder
  std::string cardDevice;      // empty: card.img in the folder
  uint8_t cardType = 18;       // MediaType::SdCard
};

// The faults file: each limit counts the sector operations since `open` that
// succeed before the fault strikes.
struct Faults {
  std::optional<uint32_t> failAfter;     // then every sector operation fails with 104
  std::optional<uint32_t> timeoutAfter;  // then every sector operation fails with 102
  std::optional<uint32_t> unplugAfter;   // then the player is unplugged
  bool any() const { return failAfter || timeoutAfter || unplugAfter; }
};

// Replaces a file in one step, so that a reader never sees half of it; false
// with errno set.
bool ReplaceFile(const std::string& path, std::string_view content);

// Tells whether a name in a folder may have been created, removed or renamed
// since it was last asked, from the folder's change time, so that marks are
// looked for again only then (looking for a missing file costs about a
// microsecond, and a write asks for two).
class FolderWatch {
 public:
  explicit FolderWatch(std::string folder) : folder_(std::move(folder)) {}
  bool changed();

 private:
  std::string folder_;
  struct stat seen_ = {};
  bool trusted_ = false;  // seen_ is old enough that any change since gives a new time
};

class PlayerFolder {
 public:
  explicit PlayerFolder(std::string path);

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const;

  // A folder is a player when it holds the internal image or a player.conf.
  bool isPlayer() const;
  bool isPlugged() const;
  bool isCardEjected() const;
  bool isLocked(MediumId medium) const;
  // False with errno set when the mark cannot be changed.
  bool setPlugged(bool plugged) const;
  bool setCardEjected(bool ejected) const;
  bool setLocked(MediumId medium, bool locked) const;

  // Missing files read as defaults; false with a message on a broken file
  // (errno is then EINVAL, or the error that stopped the read).
  bool readConfig(PlayerConfig* config, std::string* error) const;
  bool readFaults(Faults* faults, std::string* error) const;
  // Whole-file replacements; false with errno set.
  bool writeConfig(const PlayerConfig& config) const;
  bool writeFaults(const Faults& faults) const;

  // The image file or block device that holds a medium.
  std::string mediumSource(MediumId medium, const PlayerConfig& config) const;
  // Whether the player has a card at all (inserted or not).
  bool hasCard(const PlayerConfig& config) const;
  std::string imageFile(MediumId medium) const;
  std::string reservedBlockFile(MediumId medium) const;
  // A new sparse image of `size` bytes and its zero-filled reserved block;
  // false with errno set.
  bool createMediumFiles(MediumId medium, uint64_t size) const;
  std::string firmwareFile() const;

 private:
  bool hasMark(std::string_view name) const;
  bool setMark(std::string_view name, bool on) const;

  std::string path_;
};

}  // namespace portkit
