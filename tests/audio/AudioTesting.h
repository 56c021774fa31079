// Byte streams and files for the audio analysis tests: frame headers, tags and
// wrappers built by hand where lame makes none of them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "audio/AudioAnalysis.h"
#include "platform/Files.h"
#include "tests/TempFiles.h"

namespace audio_testing {

using Bytes = std::vector<uint8_t>;

enum class Mpeg { V1, V2, V25 };
constexpr int Stereo = 0, JointStereo = 1, SingleChannel = 3;
constexpr size_t FrameSize128k = 417;  // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no padding

struct HeaderFields {
  Mpeg mpeg = Mpeg::V1;
  int layer = 3;
  int bitRateIndex = 9;  // 128 kbit/s for MPEG-1 Layer III
  int sampleRateIndex = 0;
  int channelMode = JointStereo;
  bool crc = false;
};

inline void Append(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
inline void AppendText(Bytes& bytes, std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }
inline void AppendLittleEndian32(Bytes& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}
inline void PutBigEndian32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = uint8_t(value >> (24 - 8 * i));
}
inline void PutText(Bytes& bytes, size_t at, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) bytes.at(at + i) = uint8_t(text[i]);
}

// A frame: the header, then zeros up to `size` bytes (at least the header).
inline Bytes Frame(const HeaderFields& f, size_t size = 4) {
  int versionBits = f.mpeg == Mpeg::V1 ? 3 : f.mpeg == Mpeg::V2 ? 2 : 0;
  Bytes frame = {0xFF, uint8_t(0xE0 | versionBits << 3 | (4 - f.layer) << 1 | (f.crc ? 0 : 1)),
                 uint8_t(f.bitRateIndex << 4 | f.sampleRateIndex << 2), uint8_t(f.channelMode << 6)};
  frame.resize(std::max<size_t>(size, 4));
  return frame;
}

inline Bytes Frames(const HeaderFields& fields, size_t size, size_t count) {
  Bytes frame = Frame(fields, size), all;
  for (size_t i = 0; i < count; ++i) Append(all, frame);
  return all;
}

inline void PutXing(Bytes& frame, size_t at, uint32_t flags, uint32_t frames, uint32_t bytes) {
  PutText(frame, at, "Xing");
  PutBigEndian32(frame, at + 4, flags);
  PutBigEndian32(frame, at + 8, frames);
  PutBigEndian32(frame, at + 12, bytes);
}

inline void PutVbri(Bytes& frame, size_t at, uint32_t bytes, uint32_t frames) {
  PutText(frame, at, "VBRI");
  frame.at(at + 5) = 1;  // version
  PutBigEndian32(frame, at + 10, bytes);
  PutBigEndian32(frame, at + 14, frames);
}

// 128 bytes; fields shorter than 30 bytes are padded with `pad`.
inline Bytes Id3v1Tag(std::string_view title, std::string_view artist = "", std::string_view album = "",
                      std::string_view comment = "", char pad = 0) {
  Bytes tag(128, uint8_t(pad));
  PutText(tag, 0, "TAG");
  PutText(tag, 3, title);
  PutText(tag, 33, artist);
  PutText(tag, 63, album);
  PutText(tag, 97, comment);
  tag[127] = 12;  // genre
  return tag;
}

// An ID3 version 2.3 tag with a title frame, padded to `size` bytes behind its header.
inline Bytes Id3v2Tag(uint32_t size) {
  Bytes tag = {'I', 'D', '3', 3, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(uint8_t((size >> shift) & 0x7F));
  AppendText(tag, "TIT2");
  tag.insert(tag.end(), {0, 0, 0, 6, 0, 0, 0});
  AppendText(tag, "Other");
  // Tag contents such as pictures can hold what looks like a frame header; a
  // search that does not skip the tag would take this MPEG-2 one.
  size_t framesEnd = tag.size();
  tag.resize(10 + size, 0);
  if (framesEnd + 4 <= tag.size()) PutBigEndian32(tag, framesEnd, 0xFFF35000);
  return tag;
}

// A RIFF/WAVE file holding one chunk.
inline Bytes RiffFile(std::string_view chunkId, uint32_t chunkSize, const Bytes& contents) {
  Bytes file;
  AppendText(file, "RIFFxxxxWAVE");  // the form size is not consulted
  AppendText(file, chunkId);
  AppendLittleEndian32(file, chunkSize);
  Append(file, contents);
  return file;
}

inline void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Opens the file through the platform layer and analyses it under its own name.
inline bool AnalysePath(const std::filesystem::path& path, AudioInfo* info) {
  platform::FileHandle file = platform::OpenFile(path.string(), platform::OpenFlag::Read);
  EXPECT_NE(file, platform::InvalidFile) << path;
  bool valid = AnalyseAudioFile(file, path.filename().string(), info);
  platform::CloseFile(file);
  return valid;
}

}  // namespace audio_testing
