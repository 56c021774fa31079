#include "player/InfoRecord.h"

#include <cstring>

#include "platform/CodePage.h"
#include "player/NameBitmap.h"

namespace {

using namespace InfoRecord;

void Put16(InfoRecordBytes record, size_t at, uint32_t value) {
  record[at] = uint8_t(value);
  record[at + 1] = uint8_t(value >> 8);
}

void Put32(InfoRecordBytes record, size_t at, uint32_t value) {
  Put16(record, at, value);
  Put16(record, at + 2, value >> 16);
}

uint32_t Get16(std::span<const uint8_t> bytes, size_t at) { return bytes[at] | bytes[at + 1] << 8; }
uint32_t Get32(std::span<const uint8_t> bytes, size_t at) { return Get16(bytes, at) | Get16(bytes, at + 2) << 16; }

// A text field up to its terminator; a field without one ends with the field.
std::string_view GetText(std::span<const uint8_t> bytes, size_t at) {
  const char* chars = reinterpret_cast<const char*>(bytes.data() + at);
  return {chars, strnlen(chars, TextSize)};
}

void PutText(InfoRecordBytes record, size_t at, std::string_view text) {
  const CText kept = RecordText(text);
  std::memset(record.data() + at, 0, TextSize);
  std::memcpy(record.data() + at, kept.Chars(), size_t(kept.Length()));
}

}  // namespace

CText RecordText(std::string_view text) {
  return CText(text.substr(0, platform::CutAtCharBoundary(text, TextSize - 1)));
}

void BuildInfoRecord(const AudioInfo& audioInfo, InfoRecordBytes record) {
  Put16(record, Marker, 0x0100);
  Put16(record, BitmapWidth, 0);
  Put16(record, BitmapHeight, player::NameBitmapHeight);
  const uint32_t duration = audioInfo.duration;
  Put16(record, BytesPerSecond, duration ? audioInfo.dataLength / duration : audioInfo.dataLength);
  Put16(record, Duration, duration);
  record[Version] = audioInfo.version;
  record[Version + 1] = audioInfo.layer;
  record[Version + 2] = audioInfo.channels;
  record[Version + 3] = audioInfo.spare;
  Put32(record, SampleRate, audioInfo.sampleRate);
  Put32(record, BitRate, audioInfo.bitRate);
  PutText(record, Title, {audioInfo.title, strnlen(audioInfo.title, TextSize)});
  PutText(record, Artist, {audioInfo.artist, strnlen(audioInfo.artist, TextSize)});
  PutText(record, Album, {audioInfo.album, strnlen(audioInfo.album, TextSize)});
  PutText(record, Comment, {audioInfo.comment, strnlen(audioInfo.comment, TextSize)});
}

CText ComposeDisplayText(std::span<const uint8_t> record) {
  CText text(GetText(record, Title));
  const std::string_view artist = GetText(record, Artist);
  if (!artist.empty()) {
    text += " - ";
    text.Append(artist);
  }
  return text;
}

bool DrawRecordName(InfoRecordBytes record, std::string_view faceName) {
  const CText text = ComposeDisplayText(record);
  uint16_t width = 0;
  std::memset(record.data() + Bitmap, 0, Size - Bitmap);
  const size_t drawn =
      player::RenderNameBitmap(record.subspan<Bitmap, player::NameBitmapSize>(), text.View(), &width, faceName);
  Put16(record, BitmapWidth, width);
  return drawn != 0;
}

void ReadTrackInfo(std::span<const uint8_t> head, TrackInfo* info) {
  info->version = head[Version];
  info->layer = head[Version + 1];
  info->sampleRate = Get32(head, SampleRate);
  info->bitRate = Get32(head, BitRate);
  info->duration = Get16(head, Duration);
  info->title = CText(GetText(head, Title));
  info->artist = CText(GetText(head, Artist));
  info->album = CText(GetText(head, Album));
  info->comment = CText(GetText(head, Comment));
}

void WriteTrackTexts(const TrackInfo& info, InfoRecordBytes record) {
  PutText(record, Title, info.title.View());
  PutText(record, Artist, info.artist.View());
  PutText(record, Album, info.album.View());
  PutText(record, Comment, info.comment.View());
}
