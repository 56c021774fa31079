// The play order's text arriving in pieces of any size, and an information
// record of any bytes and length: names and texts come out within their
// bounds.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/InfoRecord.h"
#include "player/PlayerConnection.h"
#include "player/PlaylistText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte sets the pieces' sizes.
  PlaylistText text;
  for (size_t at = 1, piece = data[0] % 37 + 1; at < size; at += piece, piece = piece * 7 % 37 + 1) {
    text.Add(data + at, uint32_t(std::min(piece, size - at)));
  }
  const std::vector<std::string> names = text.Names();
  if (names.size() > size_t(PlayerConnection::MaxTracks)) std::abort();
  for (const std::string& name : names) {
    if (name.empty() || name.size() > 31) std::abort();
  }

  // A record read short keeps what it holds; the rest is zeros.
  uint8_t record[InfoRecord::Size] = {};
  std::memcpy(record, data, std::min(size, InfoRecord::HeadSize));
  TrackInfo info;
  ReadTrackInfo(std::span<const uint8_t>(record, InfoRecord::HeadSize), &info);
  for (const CText* field : {&info.title, &info.artist, &info.album, &info.comment}) {
    if (field->Length() > int(InfoRecord::TextSize)) std::abort();
  }
  WriteTrackTexts(info, record);
  ComposeDisplayText(record);
  return 0;
}
