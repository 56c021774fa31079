#include "tests/audio/TestStreams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/Files.h"

namespace audiotest {

Bytes FrameHeaderBytes(const HeaderFields& f) {
  int versionBits = f.mpeg == Mpeg::V1 ? 3 : f.mpeg == Mpeg::V2 ? 2 : 0;
  uint8_t b1 = uint8_t(0xE0 | versionBits << 3 | (4 - f.layer) << 1 | (f.crc ? 0 : 1));
  uint8_t b2 = uint8_t(f.bitRateIndex << 4 | f.sampleRateIndex << 2);
  uint8_t b3 = uint8_t(f.channelMode << 6);
  return {0xFF, b1, b2, b3};
}

Bytes Frame(const HeaderFields& fields, size_t size) {
  Bytes frame = FrameHeaderBytes(fields);
  frame.resize(size);
  return frame;
}

Bytes Frames(const HeaderFields& fields, size_t size, size_t count) {
  Bytes frame = Frame(fields, size), all;
  for (size_t i = 0; i < count; ++i) Append(all, frame);
  return all;
}

void Append(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

void AppendText(Bytes& bytes, std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

void AppendLittleEndian32(Bytes& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

void PutBigEndian32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = uint8_t(value >> (24 - 8 * i));
}

void PutText(Bytes& bytes, size_t at, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) bytes.at(at + i) = uint8_t(text[i]);
}

void PutXing(Bytes& frame, size_t at, uint32_t flags, uint32_t frames, uint32_t bytes) {
  PutText(frame, at, "Xing");
  PutBigEndian32(frame, at + 4, flags);
  PutBigEndian32(frame, at + 8, frames);
  PutBigEndian32(frame, at + 12, bytes);
}

void PutVbri(Bytes& frame, size_t at, uint32_t bytes, uint32_t frames) {
  PutText(frame, at, "VBRI");
  frame.at(at + 5) = 1;  // version
  PutBigEndian32(frame, at + 10, bytes);
  PutBigEndian32(frame, at + 14, frames);
}

Bytes Id3v1Tag(std::string_view title, std::string_view artist, std::string_view album,
               std::string_view comment, char pad) {
  Bytes tag(128, uint8_t(pad));
  PutText(tag, 0, "TAG");
  PutText(tag, 3, title);
  PutText(tag, 33, artist);
  PutText(tag, 63, album);
  PutText(tag, 97, comment);
  tag[127] = 12;  // genre
  return tag;
}

Bytes Id3v2Tag(uint32_t size) {
  Bytes tag;
  AppendText(tag, "ID3");
  tag.insert(tag.end(), {3, 0, 0});
  for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(uint8_t((size >> shift) & 0x7F));
  AppendText(tag, "TIT2");
  tag.insert(tag.end(), {0, 0, 0, 6, 0, 0, 0});
  AppendText(tag, "Other");
  // Tag contents such as pictures can hold what looks like a frame header; a
  // search that does not skip the tag would take this MPEG-2 one.
  size_t framesEnd = tag.size();
  tag.resize(10 + size, 0);
  if (framesEnd + 4 <= tag.size()) {
    const uint8_t lookalike[] = {0xFF, 0xF3, 0x50, 0x00};
    std::copy(std::begin(lookalike), std::end(lookalike), tag.begin() + framesEnd);
  }
  return tag;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tw-audio-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool AnalysePath(const std::filesystem::path& path, AudioInfo* info) {
  platform::FileHandle file = platform::OpenFile(path.string(), platform::OpenFlag::Read);
  EXPECT_NE(file, platform::InvalidFile) << path;
  bool valid = AnalyseAudioFile(file, path.filename().string(), info);
  platform::CloseFile(file);
  return valid;
}

}  // namespace audiotest
