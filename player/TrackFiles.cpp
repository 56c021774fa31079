// Track files of the MUSIC folder: TRACKnnn.MP3 with its information record
// TRACKnnn.INF, found by the track's short name.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "framework/core/Exception.h"
#include "platform/ScopeGuard.h"
#include "player/InfoRecord.h"
#include "player/MemoryTransfer.h"
#include "player/PlayerConnection.h"
#include "resources/StringIds.h"

namespace {

constexpr int NumberTries = 1000;

// Keeps the record's head and lets the rest of the file go by.
struct RecordHead {
  uint8_t* bytes;
  uint32_t filled;
};

uint32_t KeepRecordHead(TransferRequest* request, void* buffer, uint32_t length) {
  auto* head = static_cast<RecordHead*>(request->context);
  const uint32_t n = std::min<uint32_t>(length, InfoRecord::HeadSize - head->filled);
  std::memcpy(head->bytes + head->filled, buffer, n);
  head->filled += n;
  return 1;
}

// A track's short name up to its first '.', the whole name without one.
CText TrackStem(const char* shortName) {
  const char* dot = std::strchr(shortName, '.');
  return CText(dot == nullptr ? std::string_view(shortName) : std::string_view(shortName, size_t(dot - shortName)));
}

// The companion file of a track: its stem, then the extension; false when
// the short name has no '.', which would address the track file itself.
bool CompanionName(const char* shortName, const char* extension, CText* name) {
  if (std::strchr(shortName, '.') == nullptr) return false;
  *name = TrackStem(shortName) + extension;
  return true;
}

// The record of a track, or the refusal of an entry that names none: without
// a '.' the track file itself would be addressed.
CText RecordNameOf(const PlayerEntry& entry) {
  CText name;
  if (!CompanionName(entry.shortName, ".INF", &name)) throw CMediaException(StringId::UnknownError);
  return name;
}

CText TrackFileName(int number, const char* extension) {
  CText name;
  name.Format("TRACK%03d%s", number, extension);
  return name;
}

}  // namespace

int PlayerConnection::ReadRecordHead(const CText& recordName, InfoRecordBytes record) {
  RecordHead head{record.data(), 0};
  TransferRequest request{};
  request.name = recordName.Chars();
  request.context = &head;
  request.data = KeepRecordHead;
  if (!FileSystem().readFile(&request)) return -1;
  return int(head.filled);
}

// The record comes from memory, so a write that stops without a code is a
// failure too, never a user's stop.
void PlayerConnection::WriteRecord(const CText& recordName, InfoRecordBytes record) {
  MemoryCursor cursor{record.data(), InfoRecord::Size};
  TransferRequest request{};
  request.flags = TransferRequest::Write;
  request.name = recordName.Chars();
  request.context = &cursor;
  request.data = CopyOutOfMemory;
  request.total = InfoRecord::Size;
  if (!FileSystem().writeFile(&request)) RaiseFileSystem();
}

bool PlayerConnection::CreateTrack(TransferRequest& request) {
  if (request.audioInfo == nullptr) throw CMediaException(StringId::UnknownError);
  const int count = trackList_.Count();
  if (count >= MaxTracks) throw CMediaException(StringId::MemoryFull);

  // Numbers start at the list's length, so a gap that a deletion left near
  // the end is filled first; the search wraps round from 999 to 1.
  int number = count == 0 ? 1 : count;
  CText trackName = TrackFileName(number, ".MP3");
  for (int tries = 1; FileSystem().lookup(trackName.Chars(), nullptr); ++tries) {
    if (tries == NumberTries) throw CMediaException(StringId::MemoryFull);
    number = number == MaxTracks ? 1 : number + 1;
    trackName = TrackFileName(number, ".MP3");
  }

  // The record is made before anything is written, so that a name that
  // cannot be drawn stores nothing.
  AudioInfo& audioInfo = *request.audioInfo;
  uint8_t record[InfoRecord::Size] = {};
  auto makeRecord = [&] {
    BuildInfoRecord(audioInfo, record);
    if (!DrawRecordName(record, settings_.nameFont.View())) throw CMediaException(StringId::UnknownError);
  };
  makeRecord();

  const char* callerName = request.name;
  request.name = trackName.Chars();
  request.flags |= TransferRequest::Write;
  const bool written = FileSystem().writeFile(&request);
  request.name = callerName;
  if (!written) {
    if (FileSystem().lastError() != FileSystemError::Stopped) RaiseFileSystem();
    return false;
  }

  // A track is stored whole or not at all: audio whose record cannot follow
  // goes again.
  const platform::OnFailure removeAudio([&] { FileSystem().deleteFile(trackName.Chars()); });
  DirEntryRecord stored;
  if (!FileSystem().lookup(trackName.Chars(), &stored)) RaiseFileSystem();
  if (request.flags & TransferRequest::StoredLength) {
    audioInfo.dataLength = request.done;
    makeRecord();
  }
  WriteRecord(TrackFileName(number, ".INF"), record);
  trackList_.Add(new PlayerEntry(stored));
  flags_ |= FlagPlaylistChanged;
  return true;
}

void PlayerConnection::DeleteTrack(const PlayerEntry& entry) {
  for (const char* extension : {".MP3", ".INF"})
    FileSystem().deleteFile((TrackStem(entry.shortName) + extension).Chars());
  for (int i = 0; i < trackList_.Count(); ++i) {
    if (std::strcmp(trackList_.Get<PlayerEntry>(i).shortName, entry.shortName) == 0) {
      trackList_.Remove(i);
      flags_ |= FlagPlaylistChanged;
      return;
    }
  }
}

void PlayerConnection::RenameTrack(PlayerEntry& entry, const CText& newName) {
  if (!entry.trackInfo) throw CMediaException(StringId::UnknownError);
  TrackInfo info = *entry.trackInfo;
  info.title = newName;
  SetTrackTags(entry, info);
}

void PlayerConnection::LoadTrackInfo(PlayerEntry& entry) {
  CText recordName;
  uint8_t head[InfoRecord::Size] = {};
  // A track without a readable record is shown by its file name; a record
  // cut short keeps what it holds.
  if (!CompanionName(entry.shortName, ".INF", &recordName) || ReadRecordHead(recordName, head) < 0) {
    entry.trackInfo.reset();
    return;
  }
  if (!entry.trackInfo) entry.trackInfo = std::make_unique<TrackInfo>();
  ReadTrackInfo(std::span<const uint8_t>(head, InfoRecord::HeadSize), entry.trackInfo.get());
}

void PlayerConnection::UpdateTrackInfo(const PlayerEntry& entry, const TrackInfo& info) {
  CheckWritable();  // the properties dialog comes here without RenameEntry
  const CText recordName = RecordNameOf(entry);
  uint8_t record[InfoRecord::Size] = {};
  const int kept = ReadRecordHead(recordName, record);
  if (kept < 0) RaiseFileSystem();
  // A record cut short is left alone rather than rewritten with numbers of 0.
  if (kept != int(InfoRecord::HeadSize)) throw CMediaException(StringId::UnknownError);
  WriteTrackTexts(info, record);
  if (!DrawRecordName(record, settings_.nameFont.View())) throw CMediaException(StringId::UnknownError);
  WriteRecord(recordName, record);
}

void PlayerConnection::SetTrackTags(PlayerEntry& entry, const TrackInfo& info) {
  UpdateTrackInfo(entry, info);
  if (!entry.trackInfo) entry.trackInfo = std::make_unique<TrackInfo>();
  TrackInfo& own = *entry.trackInfo;
  own = info;
  for (CText* text : {&own.title, &own.artist, &own.album, &own.comment}) *text = RecordText(text->View());
}

TrackCheck PlayerConnection::CheckTracks() {
  std::set<std::string> audio, records;  // stems of TRACKnnn.MP3 and TRACKnnn.INF
  DirEntryRecord record;
  if (!FileSystem().findBegin()) RaiseFileSystem();
  while (FileSystem().findNext(&record)) {
    const std::string_view name = record.shortName;
    if (record.attributes & PlayerEntry::FolderAttribute) continue;
    if (name.ends_with(".MP3")) audio.emplace(TrackStem(record.shortName).View());
    if (name.ends_with(".INF")) records.emplace(TrackStem(record.shortName).View());
  }
  FileSystem().findEnd();

  TrackCheck check;
  std::set<std::string> listed;
  for (int i = 0; i < trackList_.Count(); ++i) {
    const PlayerEntry& entry = trackList_.Get<PlayerEntry>(i);
    if (entry.attributes == PlayerEntry::MissingTrackAttribute) check.missingFiles.emplace_back(entry.shortName);
    listed.insert(entry.shortName);
  }
  for (const std::string& stem : audio) {
    if (!records.contains(stem)) {
      check.audioWithoutRecord.emplace_back((stem + ".MP3").c_str());
    } else if (!listed.contains(stem + ".MP3")) {
      check.outsidePlayOrder.emplace_back((stem + ".MP3").c_str());
    }
  }
  for (const std::string& stem : records) {
    if (!audio.contains(stem)) check.recordsWithoutAudio.emplace_back((stem + ".INF").c_str());
  }
  return check;
}

void PlayerConnection::RepairTracks(const TrackCheck& check) {
  CheckWritable();
  for (const auto* halves : {&check.recordsWithoutAudio, &check.audioWithoutRecord}) {
    for (const CText& name : *halves) {
      if (!FileSystem().deleteFile(name.Chars())) RaiseFileSystem();
    }
  }
  for (const auto* gone : {&check.missingFiles, &check.audioWithoutRecord}) {
    for (const CText& name : *gone) {
      for (int i = trackList_.Count() - 1; i >= 0; --i) {
        if (name == trackList_.Get<PlayerEntry>(i).shortName) trackList_.Remove(i);
      }
    }
  }
  const std::unordered_map<std::string, DirEntryRecord> files = FilesByShortName();
  for (const CText& name : check.outsidePlayOrder) {
    auto file = files.find(name.Chars());
    if (trackList_.Count() < MaxTracks && file != files.end()) trackList_.Add(new PlayerEntry(file->second));
  }
  flags_ |= FlagPlaylistChanged;
  WritePlaylist();
}
