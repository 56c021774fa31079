#include "cli/PngFile.h"

#include <algorithm>
#include <array>
#include <vector>

#include "framework/core/DiskFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBigEndian32(Bytes& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(value >> shift));
}

uint32_t Crc32(const uint8_t* bytes, size_t count) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const Bytes& bytes) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

// Length, type, data, and the CRC of type and data.
void PutChunk(Bytes& png, const char* type, const Bytes& data) {
  PutBigEndian32(png, uint32_t(data.size()));
  const size_t typeAt = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBigEndian32(png, Crc32(png.data() + typeAt, png.size() - typeAt));
}

// A zlib stream of stored deflate blocks.
Bytes StoredZlib(const Bytes& raw) {
  constexpr size_t MaxBlock = 65535;
  Bytes stream = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t count = std::min(MaxBlock, raw.size() - at);
    const bool last = at + count == raw.size();
    stream.push_back(last ? 1 : 0);
    stream.push_back(uint8_t(count));
    stream.push_back(uint8_t(count >> 8));
    stream.push_back(uint8_t(~count));
    stream.push_back(uint8_t(~count >> 8));
    stream.insert(stream.end(), raw.begin() + long(at), raw.begin() + long(at + count));
    at += count;
  } while (at < raw.size());
  PutBigEndian32(stream, Adler32(raw));
  return stream;
}

}  // namespace

void WriteGreyPng(const CText& path, int width, int height, std::span<const uint8_t> pixels) {
  Bytes header;
  PutBigEndian32(header, uint32_t(width));
  PutBigEndian32(header, uint32_t(height));
  header.insert(header.end(), {8, 0, 0, 0, 0});  // 8 bits, grey, deflate, no filter, no interlace

  Bytes rows;  // each row behind its filter byte, 0 (none)
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    const auto row = pixels.subspan(size_t(y) * width, size_t(width));
    rows.insert(rows.end(), row.begin(), row.end());
  }

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(rows));
  PutChunk(png, "IEND", {});

  CDiskFile file;
  file.Open(path, platform::OpenFlag::Write | platform::OpenFlag::Create | platform::OpenFlag::Truncate);
  file.WriteAll(png.data(), uint32_t(png.size()));
  file.Close();
}
