#include "plugins/portkit/PlayerFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <sstream>

#include "contract/PluginContract.h"

namespace portkit {
namespace {

constexpr const char* UnpluggedMark = "unplugged";
constexpr const char* EjectedMark = "card.ejected";
constexpr const char* ConfigFile = "player.conf";
constexpr const char* FaultsFile = "faults";

struct CardTypeNameEntry {
  const char* name;
  uint8_t type;
};
constexpr CardTypeNameEntry CardTypeNames[] = {
    {"sd", MediaType::SdCard}, {"mmc", MediaType::MultiMediaCard}, {"smmc", MediaType::SecureMmc}};

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// False with errno set; a missing file reads as empty.
bool ReadTextFile(const std::string& path, std::string* text) {
  text->clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) text->append(buffer, got);
  const int saved = errno;
  close(fd);
  errno = saved;
  return got == 0;
}

// Reads "key = value" lines ('#' starts a comment). `take` returns an empty
// text when it accepts the pair, else what is wrong with it.
bool ReadSettingsFile(const std::string& path,
                      const std::function<std::string(std::string_view, std::string_view)>& take, std::string* error) {
  std::string content;
  if (!ReadTextFile(path, &content)) {
    const int saved = errno;
    *error = path + ": " + strerror(saved);
    errno = saved;
    return false;
  }
  std::istringstream in(content);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string_view text = line;
    text = Trim(text.substr(0, text.find('#')));
    if (text.empty()) continue;
    const auto equals = text.find('=');
    std::string problem = equals == std::string_view::npos
                              ? "expected key=value"
                              : take(Trim(text.substr(0, equals)), Trim(text.substr(equals + 1)));
    if (!problem.empty()) {
      *error = path + ":" + std::to_string(number) + ": " + problem;
      errno = EINVAL;
      return false;
    }
  }
  return true;
}

std::optional<uint32_t> ParseCount(std::string_view text) {
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view content) {
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  errno = 0;
  const bool written = write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  int saved = written ? 0 : (errno ? errno : EIO);
  close(fd);
  if (written && rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (written) saved = errno;
  unlink(temporary.c_str());
  errno = saved;
  return false;
}

std::optional<uint8_t> CardTypeFromName(std::string_view name) {
  for (const auto& entry : CardTypeNames)
    if (name == entry.name) return entry.type;
  return std::nullopt;
}

const char* CardTypeName(uint8_t type) {
  for (const auto& entry : CardTypeNames)
    if (type == entry.type) return entry.name;
  return "?";
}

std::optional<MediumId> MediumFromName(std::string_view name) {
  if (name == "internal") return MediumId::Internal;
  if (name == "card") return MediumId::Card;
  return std::nullopt;
}

const char* MediumName(MediumId medium) { return medium == MediumId::Internal ? "internal" : "card"; }

bool FolderWatch::changed() {
  // A change gives the folder a change time no earlier than the clock's
  // coarse tick then, so it is certain to show once the time seen lies that
  // far in the past: 20 ms on file systems with fine times, two seconds on
  // those that keep whole seconds (FAT keeps even ones).
  timespec now;
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  struct stat current;
  const bool found = stat(folder_.c_str(), &current) == 0;
  const bool same = found && trusted_ && current.st_dev == seen_.st_dev && current.st_ino == seen_.st_ino &&
                    current.st_ctim.tv_sec == seen_.st_ctim.tv_sec && current.st_ctim.tv_nsec == seen_.st_ctim.tv_nsec;
  const auto nanoseconds = [](const timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
  const int64_t margin = current.st_ctim.tv_nsec == 0 ? 2'000'000'000 : 20'000'000;
  seen_ = current;
  trusted_ = found && nanoseconds(current.st_ctim) + margin < nanoseconds(now);
  return !same;
}

PlayerFolder::PlayerFolder(std::string path) : path_(std::move(path)) {
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
}

std::string PlayerFolder::file(std::string_view name) const { return path_ + "/" + std::string(name); }

bool PlayerFolder::isPlayer() const {
  return IsRegularFile(imageFile(MediumId::Internal)) || IsRegularFile(file(ConfigFile));
}

bool PlayerFolder::isPlugged() const { return isPlayer() && !hasMark(UnpluggedMark); }
bool PlayerFolder::isCardEjected() const { return hasMark(EjectedMark); }
bool PlayerFolder::isLocked(MediumId medium) const { return hasMark(std::string(MediumName(medium)) + ".lock"); }

bool PlayerFolder::setPlugged(bool plugged) const { return setMark(UnpluggedMark, !plugged); }
bool PlayerFolder::setCardEjected(bool ejected) const { return setMark(EjectedMark, ejected); }
bool PlayerFolder::setLocked(MediumId medium, bool locked) const {
  return setMark(std::string(MediumName(medium)) + ".lock", locked);
}

bool PlayerFolder::hasMark(std::string_view name) const { return access(file(name).c_str(), F_OK) == 0; }

bool PlayerFolder::setMark(std::string_view name, bool on) const {
  const std::string path = file(name);
  if (!on) return unlink(path.c_str()) == 0 || errno == ENOENT;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool PlayerFolder::readConfig(PlayerConfig* config, std::string* error) const {
  *config = PlayerConfig();
  return ReadSettingsFile(
      file(ConfigFile),
      [config](std::string_view key, std::string_view value) -> std::string {
        if (key == "internal") {
          config->internalDevice = value;
        } else if (key == "card") {
          config->cardDevice = value;
        } else if (key == "card-type") {
          const auto type = CardTypeFromName(value);
          if (!type) return "card-type must be sd, mmc or smmc";
          config->cardType = *type;
        } else {
          return "unknown key '" + std::string(key) + "'";
        }
        return {};
      },
      error);
}

bool PlayerFolder::writeConfig(const PlayerConfig& config) const {
  std::ostringstream text;
  text << "# media of this player; internal= or card= may name a block device instead of the image\n";
  if (!config.internalDevice.empty()) text << "internal=" << config.internalDevice << "\n";
  if (!config.cardDevice.empty()) text << "card=" << config.cardDevice << "\n";
  text << "card-type=" << CardTypeName(config.cardType) << "\n";
  return ReplaceFile(file(ConfigFile), text.str());
}

bool PlayerFolder::readFaults(Faults* faults, std::string* error) const {
  *faults = Faults();
  return ReadSettingsFile(
      file(FaultsFile),
      [faults](std::string_view key, std::string_view value) -> std::string {
        std::optional<uint32_t>* limit = key == "fail-after"      ? &faults->failAfter
                                         : key == "timeout-after" ? &faults->timeoutAfter
                                         : key == "unplug-after"  ? &faults->unplugAfter
                                                                  : nullptr;
        if (!limit) return "unknown fault '" + std::string(key) + "'";
        *limit = ParseCount(value);
        if (!*limit) return std::string("'").append(value).append("' is not a count");
        return {};
      },
      error);
}

bool PlayerFolder::writeFaults(const Faults& faults) const {
  if (!faults.any()) return unlink(file(FaultsFile).c_str()) == 0 || errno == ENOENT;
  std::ostringstream text;
  if (faults.failAfter) text << "fail-after=" << *faults.failAfter << "\n";
  if (faults.timeoutAfter) text << "timeout-after=" << *faults.timeoutAfter << "\n";
  if (faults.unplugAfter) text << "unplug-after=" << *faults.unplugAfter << "\n";
  return ReplaceFile(file(FaultsFile), text.str());
}

std::string PlayerFolder::mediumSource(MediumId medium, const PlayerConfig& config) const {
  const std::string& device = medium == MediumId::Internal ? config.internalDevice : config.cardDevice;
  if (!device.empty()) return device;
  return imageFile(medium);
}

bool PlayerFolder::hasCard(const PlayerConfig& config) const {
  return !config.cardDevice.empty() || IsRegularFile(imageFile(MediumId::Card));
}

std::string PlayerFolder::imageFile(MediumId medium) const { return file(std::string(MediumName(medium)) + ".img"); }

std::string PlayerFolder::reservedBlockFile(MediumId medium) const {
  return file(std::string(MediumName(medium)) + ".reserved");
}

bool PlayerFolder::createMediumFiles(MediumId medium, uint64_t size) const {
  const std::string image = imageFile(medium);
  const int fd = open(image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool sized = ftruncate(fd, static_cast<off_t>(size)) == 0;
  const int saved = errno;
  close(fd);
  errno = saved;
  return sized && ReplaceFile(reservedBlockFile(medium), std::string(128, '\0'));
}

std::string PlayerFolder::firmwareFile() const { return file("firmware.bin"); }

}  // namespace portkit
