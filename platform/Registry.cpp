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

// The text in double quotes at the start of `text`, with .reg's escapes
// (\\ and \") undone; `text` is left after the closing quote. Nothing when
// the quote is not closed.
std::optional<std::string> Unquoted(std::string_view* text) {
  std::string result;
  for (size_t i = 1; i < text->size(); ++i) {
    char c = (*text)[i];
    if (c == '"') {
      text->remove_prefix(i + 1);
      return result;
    }
    if (c == '\\' && i + 1 < text->size()) c = (*text)[++i];
    result += c;
  }
  return std::nullopt;
}

// A value line, `name=value` or .reg's `"name"="value"` (either side may be
// quoted); `@` names the default value. Nothing for a broken line.
std::optional<std::pair<std::string, std::string>> ValueLine(std::string_view line) {
  std::string name;
  if (line.starts_with('"')) {
    std::optional<std::string> quoted = Unquoted(&line);
    line = Trimmed(line);
    if (!quoted || !line.starts_with('=')) return std::nullopt;
    name = *quoted;
    line.remove_prefix(1);
  } else {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    name = Trimmed(line.substr(0, equals));
    if (name == "@") name.clear();
    line.remove_prefix(equals + 1);
  }
  line = Trimmed(line);
  if (!line.starts_with('"')) return std::pair{name, std::string(line)};
  std::optional<std::string> value = Unquoted(&line);
  if (!value || !Trimmed(line).empty()) return std::nullopt;
  return std::pair{name, *value};
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
    if (utf8Line[0] != '[') {
      // Quotes and escapes are read before the conversion, in which a
      // double-byte character may carry a backslash byte.
      std::optional<std::pair<std::string, std::string>> value = ValueLine(utf8Line);
      std::string name, data;
      if (section == nullptr || !value || !Utf8ToCodePage(value->first, &name) ||
          !Utf8ToCodePage(value->second, &data)) {
        continue;
      }
      (*section)[Lower(name)] = data;
      continue;
    }
    section = nullptr;
    std::string line;
    if (!Utf8ToCodePage(utf8Line, &line) || line.back() != ']') continue;
    std::string_view path = std::string_view(line).substr(1, line.size() - 2);
    std::optional<RegistryRoot> root = RootNamed(path.substr(0, path.find('\\')));
    if (root) {
      path = path.find('\\') == std::string_view::npos ? std::string_view() : path.substr(path.find('\\'));
      section = &registry.keys[KeyOf(*root, path)];
    }
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
