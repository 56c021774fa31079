// Analysis of a PC audio file before it becomes a track: looks through ID3 tags
// and RIFF or MacBinary wrappers for the first MPEG audio frame and works out the
// audio parameters and the byte range that goes to the player.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Files.h"

// Parts of the record go byte for byte into the track's information record on
// the player, so its layout is fixed.
struct AudioInfo {
  uint8_t version;   // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  uint8_t layer;     // 1, 2 or 3
  uint8_t channels;  // 1 single channel, otherwise 2
  uint8_t spare;
  uint32_t sampleRate;       // Hz
  uint32_t bitRate;          // bit/s
  uint32_t dataStart;        // file offset of the first audio frame
  uint32_t dataLength;       // audio bytes from dataStart on
  uint32_t frameCount;       // from a Xing or VBRI header; 0 for constant bit rate
  uint32_t samplesPerFrame;  // 384, 1152 or 576
  uint32_t duration;         // whole seconds
  char title[80];            // zero-terminated, program's code page
  char artist[80];
  char album[80];
  char comment[80];
};
static_assert(offsetof(AudioInfo, spare) == 3);
static_assert(offsetof(AudioInfo, sampleRate) == 4);
static_assert(offsetof(AudioInfo, bitRate) == 8);
static_assert(offsetof(AudioInfo, dataStart) == 12);
static_assert(offsetof(AudioInfo, dataLength) == 16);
static_assert(offsetof(AudioInfo, frameCount) == 20);
static_assert(offsetof(AudioInfo, samplesPerFrame) == 24);
static_assert(offsetof(AudioInfo, duration) == 28);
static_assert(offsetof(AudioInfo, title) == 32);
static_assert(offsetof(AudioInfo, artist) == 112);
static_assert(offsetof(AudioInfo, album) == 192);
static_assert(offsetof(AudioInfo, comment) == 272);
static_assert(sizeof(AudioInfo) == 352);

// The four header bytes of an MPEG audio frame, split into their fields.
struct FrameHeader {
  int version;     // 1, 2 or 3 as in AudioInfo
  int layer;       // 1, 2 or 3
  int protection;  // 1 when a 16-bit CRC follows the header
  int bitRateIndex;
  int sampleRateIndex;
  int padding;
  int privateBit;
  int channelMode;  // 3 single channel
  int modeExtension;
  int copyright;
  int original;
  int emphasis;
};

// Fills info and returns true when the file holds a valid MPEG audio frame;
// false when a read failed or the file is not usable MPEG audio. name is the
// file's own name without folder, in the program's code page.
bool AnalyseAudioFile(platform::FileHandle file, std::string_view name, AudioInfo* info);

// True when the file that AnalyseAudioFile read as `info` is MPEG audio from
// its first byte, or from the end of an ID3v2 tag there: no other format's
// header comes first.
bool StartsWithMpegAudio(platform::FileHandle file, const AudioInfo& info);

// Offset of the first valid frame in the block, or -1. On success fills version,
// layer, channels, sampleRate, bitRate, frameCount, samplesPerFrame and, from a
// Xing or VBRI header, dataLength.
int32_t ParseMpegAudio(const uint8_t* buffer, uint32_t length, AudioInfo* info);

// Offset of the first 0xFF 0xE?/0xF? pair, or false when there is none.
bool FindFrameSync(const uint8_t* buffer, uint32_t length, uint32_t* offset);

// Decodes four header bytes; false when the header is not one we accept.
bool DecodeFrameHeader(const uint8_t* bytes, FrameHeader* header);

// True when the first 128 bytes form a MacBinary header.
bool IsMacBinaryHeader(const uint8_t* bytes);

uint32_t ReadBigEndian32(const uint8_t* bytes);
