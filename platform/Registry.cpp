#include "platform/Registry.h"

#include <map>
#include <mutex>

#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace platform {

namespace {

constexpr std::string_view RegistryFile = "registry.ini";

// Keys are stored as "<root digit>\<lower-case path>", so that a key's
// subkeys sort directly after it.
using Values = std::map<std::string, std::string>;

struct Registry {
  std::mutex mutex;
  std::map<std::string, Values> keys;
  bool fileRead = false;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

std::string Lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return result;
}

std::string_view Trimmed(std::string_view text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

std::string KeyOf(RegistryRoot root, std::string_view path) {
  size_t start = path.find_first_not_of('\\');
  path = start == std::string_view::npos ? std::string_view() : path.substr(start);
  path = path.substr(0, path.find_last_not_of('\\') + 1);
  return std::to_string(static_cast<int>(root)) + '\\' + Lower(path);
}

std::optional<RegistryRoot> RootNamed(std::string_view name) {
  std::string lower = Lower(name);
  if (lower == "hkey_classes_root" || lower == "hkcr") return RegistryRoot::ClassesRoot;
  if (lower == "hkey_current_user" || lower == "hkcu") return RegistryRoot::CurrentUser;
  if (lower == "hkey_local_machine" || lower == "hklm") return RegistryRoot::LocalMachine;
  return std::nullopt;
}

void Parse(std::string_view text, Registry& registry) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  Values* section = nullptr;                                    // none before the first good section line
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view utf8Line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (utf8Line.empty() || utf8Line[0] == ';' || utf8Line[0] == '#') continue;
    bool sectionLine = utf8Line[0] == '[';
    if (sectionLine) section = nullptr;
    std::string line;
    if (!Utf8ToCodePage(utf8Line, &line)) continue;
    if (sectionLine) {
      if (line.back() != ']') continue;
      std::string_view path = std::string_view(line).substr(1, line.size() - 2);
      std::optional<RegistryRoot> root = RootNamed(path.substr(0, path.find('\\')));
      if (root) {
        path = path.find('\\') == std::string_view::npos ? std::string_view() : path.substr(path.find('\\'));
        section = &registry.keys[KeyOf(*root, path)];
      }
      continue;
    }
    size_t equals = line.find('=');
    if (section == nullptr || equals == std::string::npos) continue;
    std::string_view name = Trimmed(std::string_view(line).substr(0, equals));
    (*section)[name == "@" ? std::string() : Lower(name)] = Trimmed(std::string_view(line).substr(equals + 1));
  }
}

bool LoadFile(std::string_view path, Registry& registry) {
  FileHandle file = OpenFile(path, OpenFlag::Read);
  if (file == InvalidFile) return false;
  std::string text;
  char block[4096];
  uint32_t done = 0;
  bool read;
  while ((read = ReadFile(file, block, sizeof block, &done)) && done > 0) text.append(block, done);
  uint32_t error = GetLastError();
  CloseFile(file);
  if (!read) {
    SetLastError(error);
    return false;
  }
  Parse(text, registry);
  return true;
}

// Every access reads the file first, once, so that values a test sets are
// never overwritten by it afterwards.
std::unique_lock<std::mutex> Locked(Registry& registry) {
  std::unique_lock lock(registry.mutex);
  if (!registry.fileRead) {
    registry.fileRead = true;
    uint32_t kept = GetLastError();  // the file is optional
    LoadFile(ProgramFolder() + std::string(RegistryFile), registry);
    SetLastError(kept);
  }
  return lock;
}

}  // namespace

bool RegistryKeyExists(RegistryRoot root, std::string_view keyPath) {
  Registry& registry = TheRegistry();
  auto lock = Locked(registry);
  std::string key = KeyOf(root, keyPath);
  if (registry.keys.contains(key)) return true;
  // A key that only has subkeys exists too.
  auto next = registry.keys.lower_bound(key + '\\');
  return next != registry.keys.end() && next->first.starts_with(key + '\\');
}

std::optional<std::string> RegistryValue(RegistryRoot root, std::string_view keyPath, std::string_view name) {
  Registry& registry = TheRegistry();
  auto lock = Locked(registry);
  auto key = registry.keys.find(KeyOf(root, keyPath));
  if (key != registry.keys.end()) {
    auto value = key->second.find(Lower(name));
    if (value != key->second.end()) return value->second;
  }
  SetLastError(Error::FileNotFound);
  return std::nullopt;
}

void RegistrySetValue(RegistryRoot root, std::string_view keyPath, std::string_view name, std::string_view value) {
  Registry& registry = TheRegistry();
  auto lock = Locked(registry);
  registry.keys[KeyOf(root, keyPath)][Lower(name)] = value;
}

void RegistryClear() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.keys.clear();
  registry.fileRead = true;
}

bool RegistryLoadFile(std::string_view path) {
  Registry& registry = TheRegistry();
  auto lock = Locked(registry);
  return LoadFile(path, registry);
}

}  // namespace platform
