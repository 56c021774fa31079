#include "transfer/PlaylistFile.h"

#include <algorithm>
#include <map>

#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"

namespace {

// Far beyond any real playlist; a larger file is not one.
constexpr uint32_t MaxPlaylistSize = 16u << 20;

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         std::equal(text.end() - long(end.size()), text.end(), end.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EndsWithNoCase(text.substr(0, start.size()), start);
}

std::string ReadWhole(const CText& path) {
  CDiskFile file;
  file.Open(path, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
  const uint32_t size = file.Size();
  if (size > MaxPlaylistSize) throw CException(platform::Error::InvalidData);
  std::string bytes(size, '\0');
  bytes.resize(file.Read(bytes.data(), size));
  return bytes;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "file:///music/a%20b.mp3" is "/music/a b.mp3"; other URLs stay as they are
// and are then not found.
std::string FromFileUrl(const std::string& entry) {
  if (!StartsWithNoCase(entry, "file://")) return entry;
  std::string path = entry.substr(7);
  if (StartsWithNoCase(path, "localhost/")) path.erase(0, 9);
  std::string decoded;
  for (size_t i = 0; i < path.size(); ++i) {
    const int high = path[i] == '%' && i + 2 < path.size() ? HexDigit(path[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(path[i + 2]) : -1;
    if (low < 0) {
      decoded += path[i];
    } else {
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return decoded;
}

// The entry as a PC path in the code page, relative to `folder`.
CText EntryPath(std::string entry, const std::string& folder) {
  entry = FromFileUrl(entry);
  if (entry.find("://") == std::string::npos) {
    std::replace(entry.begin(), entry.end(), '\\', '/');
    if (!entry.starts_with('/')) entry.insert(0, folder);  // also for an empty "file://"
  }
  std::string path;
  if (!platform::Utf8ToCodePage(entry, &path)) path = entry;
  return CText(std::string_view(path));
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

bool IsPlaylistName(std::string_view name) {
  return EndsWithNoCase(name, ".m3u") || EndsWithNoCase(name, ".m3u8") || EndsWithNoCase(name, ".pls");
}

std::vector<CText> ReadPlaylistFile(const CText& path) {
  std::string text = ReadWhole(path);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  if (!EndsWithNoCase(path.View(), ".m3u8") && !platform::IsValidUtf8(text)) text = platform::Latin1ToUtf8(text);
  std::string folder;
  const std::string_view pathText = path.View();
  if (!platform::CodePageToUtf8(pathText.substr(0, pathText.rfind('/') + 1), &folder)) folder.clear();

  std::vector<CText> paths;
  if (EndsWithNoCase(path.View(), ".pls")) {
    // FileN=path lines, in the order of N whatever the order of the lines.
    std::map<long, std::string> files;
    for (const std::string& line : Lines(text)) {
      const size_t equals = line.find('=');
      if (!StartsWithNoCase(line, "file") || equals == std::string::npos || equals == 4) continue;
      char* end = nullptr;
      const long number = std::strtol(line.c_str() + 4, &end, 10);
      if (end == line.c_str() + equals && equals + 1 < line.size()) files[number] = line.substr(equals + 1);
    }
    for (const auto& [number, entry] : files) paths.push_back(EntryPath(entry, folder));
  } else {
    for (const std::string& line : Lines(text))
      if (line.front() != '#') paths.push_back(EntryPath(line, folder));
  }
  return paths;
}

std::string FormatM3u8(const std::vector<PlaylistLine>& lines) {
  std::string text = "#EXTM3U\n";
  for (const PlaylistLine& line : lines) {
    std::string title, fileName;
    platform::CodePageToUtf8(line.title.View(), &title);
    platform::CodePageToUtf8(line.fileName.View(), &fileName);
    text += "#EXTINF:" + std::to_string(line.seconds) + "," + title + "\n" + fileName + "\n";
  }
  return text;
}
