// The 1024-byte information record of a track (TRACKnnn.INF): the audio
// numbers, four tag texts and the picture of the name that the player shows.
// All numbers are little-endian; bytes no field fills are 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "audio/AudioAnalysis.h"
#include "framework/core/Text.h"
#include "player/TrackInfo.h"

namespace InfoRecord {
constexpr size_t Size = 1024;
// The numbers and the texts; the player reads the bitmap behind them.
constexpr size_t HeadSize = 512;
constexpr size_t Marker = 0;          // u16 0x0100
constexpr size_t BitmapWidth = 4;     // u16 pixels
constexpr size_t BitmapHeight = 6;    // u16 rows: 16
constexpr size_t BytesPerSecond = 8;  // u16
constexpr size_t Duration = 10;       // u16 seconds
constexpr size_t Version = 64;        // u8 each: version, layer, channels, spare
constexpr size_t SampleRate = 68;     // u32 Hz
constexpr size_t BitRate = 72;        // u32 bit/s
constexpr size_t Title = 192;         // char[80] each
constexpr size_t Artist = 272;
constexpr size_t Album = 352;
constexpr size_t Comment = 432;
constexpr size_t Bitmap = 512;
constexpr size_t TextSize = 80;
}  // namespace InfoRecord

using InfoRecordBytes = std::span<uint8_t, InfoRecord::Size>;

// Fills the first 512 bytes of a zeroed record from the analysis of the file.
void BuildInfoRecord(const AudioInfo& audioInfo, InfoRecordBytes record);
// The text the name bitmap shows: the title, or "title - artist".
CText ComposeDisplayText(std::span<const uint8_t> record);
// Draws the record's display text with the name font into its bitmap and
// stores the width; false when nothing can be drawn (an empty text, no font).
bool DrawRecordName(InfoRecordBytes record, std::string_view faceName);

// The numbers and texts of a record's first 512 bytes.
void ReadTrackInfo(std::span<const uint8_t> head, TrackInfo* info);
// Puts the four texts of the information into the record, each cut to what
// its field holds.
void WriteTrackTexts(const TrackInfo& info, InfoRecordBytes record);
// The text as a record field keeps it: at most 79 bytes, never ending inside
// a character.
CText RecordText(std::string_view text);
