// Track files of the MUSIC folder: TRACKnnn.MP3 with its information record
// TRACKnnn.INF, found by the track's short name.
#include <algorithm>
#include <cstring>

#include "framework/core/Exception.h"
#include "player/DisplayText.h"
#include "player/PlayerConnection.h"
#include "resources/StringIds.h"

namespace {

// The part of the record that holds the numbers and the four texts.
constexpr uint32_t RecordHeadSize = 512;
constexpr size_t TagSize = 80;

struct RecordHead {
  uint8_t bytes[RecordHeadSize];
  uint32_t filled;
};

// Keeps the first bytes of the file and lets the rest go by.
uint32_t KeepRecordHead(TransferRequest* request, void* buffer, uint32_t length) {
  auto* head = static_cast<RecordHead*>(request->context);
  const uint32_t n = std::min(length, RecordHeadSize - head->filled);
  std::memcpy(head->bytes + head->filled, buffer, n);
  head->filled += n;
  return 1;
}

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

CText Tag(const uint8_t* field) {
  char text[TagSize + 1];
  CopyBounded(text, sizeof text, reinterpret_cast<const char*>(field));
  return text;
}

// The companion file of a track: its short name up to the first '.', then the
// extension; false when the short name has no '.'.
bool CompanionName(const char* shortName, const char* extension, CText* name) {
  const char* dot = std::strchr(shortName, '.');
  if (dot == nullptr) return false;
  *name = CText(std::string_view(shortName, static_cast<size_t>(dot - shortName)));
  *name += extension;
  return true;
}

}  // namespace

void PlayerConnection::LoadTrackInfo(PlayerEntry& entry) {
  CText recordName;
  RecordHead head{};
  bool read = CompanionName(entry.shortName, ".INF", &recordName);
  if (read) {
    TransferRequest request{};
    request.name = recordName.Chars();
    request.context = &head;
    request.data = KeepRecordHead;
    read = FileSystem().readFile(&request) && head.filled == RecordHeadSize;
  }
  // A track without a readable record is shown by its file name.
  if (!read) {
    entry.trackInfo.reset();
    return;
  }
  if (!entry.trackInfo) entry.trackInfo = std::make_unique<TrackInfo>();
  TrackInfo& info = *entry.trackInfo;
  info.version = head.bytes[64];
  info.layer = head.bytes[65];
  info.sampleRate = Le32(head.bytes + 68);
  info.bitRate = Le32(head.bytes + 72);
  info.duration = Le16(head.bytes + 10);
  info.title = Tag(head.bytes + 192);
  info.artist = Tag(head.bytes + 272);
  info.album = Tag(head.bytes + 352);
  info.comment = Tag(head.bytes + 432);
}

void PlayerConnection::DeleteTrack(const PlayerEntry& entry) {
  for (const char* extension : {".MP3", ".INF"}) {
    CText name;
    if (CompanionName(entry.shortName, extension, &name)) FileSystem().deleteFile(name.Chars());
  }
  for (int i = 0; i < trackList_.Count(); ++i) {
    if (std::strcmp(trackList_.Get<PlayerEntry>(i).shortName, entry.shortName) == 0) {
      trackList_.Remove(i);
      flags_ |= FlagPlaylistChanged;
      return;
    }
  }
}

// Storing and renaming tracks draw name bitmaps and build information
// records; until those land, both are refused as unsupported.
bool PlayerConnection::CreateTrack(TransferRequest&) { throw CMediaException(StringId::NotSupported); }

void PlayerConnection::RenameTrack(PlayerEntry&, const CText&) { throw CMediaException(StringId::NotSupported); }
