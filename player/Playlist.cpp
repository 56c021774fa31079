// PLAYLIST.DAT in the MUSIC folder: the number of tracks, then one short
// name per line, in play order, each line ended by a line feed.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/core/Exception.h"
#include "player/MemoryTransfer.h"
#include "player/PlayerConnection.h"
#include "player/PlaylistText.h"
#include "resources/StringIds.h"

namespace {

// Longer lines are cut to this; a short name keeps at most 15 of it.
constexpr size_t MaxLineLength = 31;

uint32_t CollectText(TransferRequest* request, void* buffer, uint32_t length) {
  static_cast<PlaylistText*>(request->context)->Add(static_cast<const uint8_t*>(buffer), length);
  return 1;
}

}  // namespace

void PlaylistText::Add(const uint8_t* bytes, uint32_t length) {
  for (const uint8_t byte : std::span(bytes, length)) {
    if (byte == '\n' && previous_ == '\r') continue;
    previous_ = byte;
    if (byte == '\r' || byte == '\n') {
      // The count and the most names the play order can hold.
      if (!line_.empty() && lines_.size() <= size_t(PlayerConnection::MaxTracks)) lines_.push_back(line_);
      line_.clear();
    } else if (line_.size() < MaxLineLength) {
      line_ += static_cast<char>(byte);
    }
  }
}

std::vector<std::string> PlaylistText::Names() const {
  if (lines_.empty()) return {};
  const long count = std::strtol(lines_[0].c_str(), nullptr, 10);
  return {lines_.begin() + 1, lines_.begin() + 1 + std::clamp<long>(count, 0, long(lines_.size()) - 1)};
}

void PlayerConnection::LoadPlaylist() {
  flags_ &= ~FlagPlaylistChanged;
  trackList_.RemoveAll();
  DirEntryRecord record;
  if (!FileSystem().lookup(PlaylistName, &record)) {
    if (FileSystem().lastError() == FileSystemError::NotFound) return;  // no tracks yet
    RaiseFileSystem();
  }

  PlaylistText text;
  TransferRequest request{};
  request.name = PlaylistName;
  request.context = &text;
  request.data = CollectText;
  if (!FileSystem().readFile(&request))
    throw CMediaException(StringId::FileSystemNotAvailable,
                          FailureDetail(StringId::PlaylistUnreadable, FileSystem().lastError()));
  for (const std::string& name : text.Names()) {
    auto* entry = new PlayerEntry;
    entry->attributes = PlayerEntry::MissingTrackAttribute;
    entry->SetShortName(name.c_str());
    trackList_.Add(entry);
  }

  // Each file goes to the first line that names it; a name listed twice
  // leaves its later lines missing.
  std::unordered_map<std::string_view, PlayerEntry*> lines;
  for (int i = trackList_.Count() - 1; i >= 0; --i) {
    PlayerEntry& entry = trackList_.Get<PlayerEntry>(i);
    lines[entry.shortName] = &entry;
  }
  // The folder's first file of a name takes the line, straight from the
  // listing: a folder of tracks holds twice as many files as lines.
  DirEntryRecord file;
  if (!FileSystem().findBegin()) RaiseFileSystem();
  while (!lines.empty() && FileSystem().findNext(&file)) {
    auto line = lines.find(file.shortName);
    if (line == lines.end()) continue;
    PlayerEntry* entry = line->second;
    lines.erase(line);  // its key lies in the entry's name
    *entry = file;
  }
  FileSystem().findEnd();
}

void PlayerConnection::WritePlaylist() {
  if (!(flags_ & FlagPlaylistChanged)) return;
  // A CText grows 32 bytes at a time, which for a list of 999 names copies
  // the text some 400 times.
  std::string text = std::to_string(trackList_.Count()) + '\n';
  for (int i = 0; i < trackList_.Count(); ++i) text.append(trackList_.Get<PlayerEntry>(i).shortName).append(1, '\n');
  CheckWritable();
  MemoryCursor cursor{reinterpret_cast<uint8_t*>(text.data()), static_cast<uint32_t>(text.size())};
  TransferRequest request{};
  request.flags = TransferRequest::Write;
  request.name = PlaylistName;
  request.context = &cursor;
  request.data = CopyOutOfMemory;
  request.total = static_cast<uint32_t>(text.size());
  if (!FileSystem().writeFile(&request)) RaiseFileSystem();
  flags_ &= ~FlagPlaylistChanged;
}

std::unordered_map<std::string, DirEntryRecord> PlayerConnection::FilesByShortName() {
  std::unordered_map<std::string, DirEntryRecord> files;
  DirEntryRecord record;
  if (!FileSystem().findBegin()) RaiseFileSystem();
  while (FileSystem().findNext(&record)) files.try_emplace(record.shortName, record);
  FileSystem().findEnd();
  return files;
}

void PlayerConnection::ReorderPlaylist(const std::vector<CText>& names) {
  const std::unordered_map<std::string, DirEntryRecord> files = FilesByShortName();
  trackList_.RemoveAll();
  for (const CText& name : names) {
    auto file = files.find(name.Chars());
    if (file != files.end()) trackList_.Add(new PlayerEntry(file->second));
  }
  flags_ |= FlagPlaylistChanged;
  WritePlaylist();
}
