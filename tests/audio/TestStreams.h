// Byte streams and files for the audio analysis tests: frame headers, tags and
// wrappers built by hand where lame makes none of them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "audio/AudioAnalysis.h"

namespace audiotest {

using Bytes = std::vector<uint8_t>;

enum class Mpeg { V1, V2, V25 };
constexpr int Stereo = 0, JointStereo = 1, SingleChannel = 3;

struct HeaderFields {
  Mpeg mpeg = Mpeg::V1;
  int layer = 3;
  int bitRateIndex = 9;  // 128 kbit/s for MPEG-1 Layer III
  int sampleRateIndex = 0;
  int channelMode = JointStereo;
  bool crc = false;
};

Bytes FrameHeaderBytes(const HeaderFields& fields);
// A frame: the header, then zeros up to `size` bytes.
Bytes Frame(const HeaderFields& fields, size_t size);
// `count` copies of that frame.
Bytes Frames(const HeaderFields& fields, size_t size, size_t count);

void Append(Bytes& bytes, const Bytes& more);
void AppendText(Bytes& bytes, std::string_view text);
void AppendLittleEndian32(Bytes& bytes, uint32_t value);
void PutBigEndian32(Bytes& bytes, size_t at, uint32_t value);
void PutText(Bytes& bytes, size_t at, std::string_view text);

// A Xing header (flags, frame count, byte count) written into `frame` at `at`.
void PutXing(Bytes& frame, size_t at, uint32_t flags, uint32_t frames, uint32_t bytes);
// A VBRI header (byte count, frame count) written into `frame` at `at`.
void PutVbri(Bytes& frame, size_t at, uint32_t bytes, uint32_t frames);

// 128 bytes; fields shorter than 30 bytes are padded with `pad`.
Bytes Id3v1Tag(std::string_view title, std::string_view artist, std::string_view album,
               std::string_view comment, char pad = 0);
// An ID3 version 2.3 tag with a title frame, padded to `size` bytes behind its header.
Bytes Id3v2Tag(uint32_t size);

// A folder under the system's temporary folder, removed with its contents.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::filesystem::path Path(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::filesystem::path& path);

// Opens the file through the platform layer and analyses it under its own name.
bool AnalysePath(const std::filesystem::path& path, AudioInfo* info);

}  // namespace audiotest
