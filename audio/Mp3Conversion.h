// Music files that are not MPEG audio (FLAC, Ogg Vorbis, Opus, AAC/M4A, ALAC,
// WAVE, AIFF, ...) made into MP3 on their way to the player: decoded by
// FFmpeg's libraries, resampled by libswresample and encoded by LAME, all of
// which live in the module that CodecModule.h opens on first use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Files.h"

struct Mp3Quality {
  int vbrQuality;  // LAME's -V: 0 best .. 9 smallest
  int sampleRate;  // Hz
};

// NotMusic: no audio that FFmpeg can decode; WriteFailed: the MP3 file could
// not be written, NoModule: the module did not load; the platform's last
// error tells why.
enum class ConversionResult { Done, NotMusic, Stopped, WriteFailed, NoModule };

// True when FFmpeg's demuxers find audio in the file and none of it is MPEG
// audio: such a file is converted even where our analysis would take a byte
// pair in its data for a frame header. Reads only the file's head; false
// when the module does not load.
bool HoldsOtherAudio(const std::string& systemPath);

// Told how much of the source has been read, in bytes; false stops.
using ConversionProgress = std::function<bool(uint64_t done, uint64_t total)>;

// Writes into `mp3`, an empty file open for writing, the source's tags as an
// ID3v2.4 tag (read through TagLib) and then its audio as a variable-bit-rate
// MP3 stream whose first frame is LAME's header (frame and byte counts), so
// that our analysis reads it as it reads lame's files. `systemPath` names the
// source as the operating system does.
ConversionResult ConvertToMp3(const std::string& systemPath, platform::FileHandle mp3, const Mp3Quality& quality,
                              const ConversionProgress& progress);
