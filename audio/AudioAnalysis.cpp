#include "audio/AudioAnalysis.h"

#include <cstring>
#include <limits>

#include "platform/CodePage.h"

namespace {

constexpr uint32_t BlockSize = 2048;
constexpr uint32_t TailSize = 128;
constexpr uint32_t MacBinaryHeaderSize = 128;
constexpr uint32_t Id3v2HeaderSize = 10;
constexpr uint32_t TagFieldSize = 30;
// The Xing test reads 16 bytes behind the VBR header position, the VBRI test 18.
constexpr uint32_t VbrHeaderExtent = 18;
constexpr uint32_t MinimumBlock = 156;

// kbit/s by [MPEG-1 or not][layer - 1][bit-rate index].
constexpr uint16_t BitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

// Hz by [version - 1][sampling-frequency index].
constexpr uint32_t SampleRates[3][3] = {
    {44100, 48000, 32000},
    {22050, 24000, 16000},
    {11025, 12000, 8000},
};

bool StartsWith(const uint8_t* bytes, const char* magic) { return std::memcmp(bytes, magic, std::strlen(magic)) == 0; }

uint32_t ReadLittleEndian32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint32_t SamplesPerFrame(const FrameHeader& header) {
  if (header.layer == 1) return 384;
  if (header.layer == 2 || header.version == 1) return 1152;
  return 576;
}

// Layer III side information lies between the header and a Xing or VBRI header.
uint32_t SideInfoLength(const FrameHeader& header) {
  if (header.layer != 3) return 0;
  bool single = header.channelMode == 3;
  if (header.version == 1) return single ? 17 : 32;
  return single ? 9 : 17;
}

bool SeekTo(platform::FileHandle file, uint64_t position) {
  uint64_t reached = 0;
  return platform::SeekFile(file, int64_t(position), platform::SeekOrigin::Begin, &reached);
}

bool ReadExactlyAt(platform::FileHandle file, uint64_t position, uint8_t* buffer, uint32_t count) {
  uint32_t done = 0;
  return SeekTo(file, position) && platform::ReadFile(file, buffer, count, &done) && done == count;
}

// A short file fills only part of the block; the rest is zeroed, which never
// forms a frame sync, and `length` tells how much was read.
bool ReadBlockAt(platform::FileHandle file, uint64_t position, uint8_t* block, uint32_t* length) {
  uint32_t done = 0;
  if (!SeekTo(file, position) || !platform::ReadFile(file, block, BlockSize, &done)) return false;
  std::memset(block + done, 0, BlockSize - done);
  *length = done;
  return true;
}

// The whole ID3v2 tag whose header starts the block: header and syncsafe size.
uint32_t Id3v2TagSize(const uint8_t* block) {
  return Id3v2HeaderSize + (uint32_t(block[6] & 0x7F) << 21 | uint32_t(block[7] & 0x7F) << 14 |
                            uint32_t(block[8] & 0x7F) << 7 | uint32_t(block[9] & 0x7F));
}

// ID3 version 1 fields are padded with zeros or blanks; neither belongs to the text.
void CopyTagField(const uint8_t* field, char* text) {
  size_t length = 0;
  while (length < TagFieldSize && field[length] != 0) ++length;
  while (length > 0 && field[length - 1] == ' ') --length;
  std::memcpy(text, field, length);
  text[length] = 0;
}

// Samples can hold byte pairs that look like a frame header, so a WAVE file
// that says it holds samples is refused before any search.
bool HoldsSamples(platform::FileHandle file, uint64_t formatChunk) {
  constexpr uint16_t Pcm = 1, Float = 3, Extensible = 0xFFFE;
  uint8_t tag[2];
  if (!ReadExactlyAt(file, formatChunk, tag, sizeof tag)) return false;
  uint16_t format = uint16_t(tag[0] | tag[1] << 8);
  return format == Pcm || format == Float || format == Extensible;
}

// Walks the chunk list from the first chunk behind the RIFF form type and sets
// the audio range to the contents of the "data" chunk.
bool FindRiffData(platform::FileHandle file, uint64_t fileSize, AudioInfo* info) {
  uint64_t position = 12;
  for (;;) {
    uint8_t chunk[8];
    if (position + sizeof chunk > fileSize || !ReadExactlyAt(file, position, chunk, sizeof chunk)) return false;
    position += sizeof chunk;
    uint32_t chunkSize = ReadLittleEndian32(chunk + 4);
    if (StartsWith(chunk, "data")) {
      info->dataStart = uint32_t(position);
      info->dataLength = chunkSize;
      return true;
    }
    if (StartsWith(chunk, "fmt ") && chunkSize >= 2 && HoldsSamples(file, position)) return false;
    position += chunkSize;  // no pad byte: chunks are taken as they are stored
  }
}

}  // namespace

uint32_t ReadBigEndian32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

bool FindFrameSync(const uint8_t* buffer, uint32_t length, uint32_t* offset) {
  if (length < 4) return false;
  for (uint32_t i = 0; i < length - 3; ++i) {
    uint8_t high = buffer[i + 1] & 0xF0;
    if (buffer[i] == 0xFF && (high == 0xF0 || high == 0xE0)) {
      *offset = i;
      return true;
    }
  }
  return false;
}

bool DecodeFrameHeader(const uint8_t* bytes, FrameHeader* header) {
  uint8_t b1 = bytes[1], b2 = bytes[2], b3 = bytes[3];
  int versionBit = (b1 >> 3) & 1;
  int layerBits = (b1 >> 1) & 3;
  int protectionBit = b1 & 1;
  header->bitRateIndex = b2 >> 4;
  header->sampleRateIndex = (b2 >> 2) & 3;
  header->padding = (b2 >> 1) & 1;
  header->privateBit = b2 & 1;
  header->channelMode = b3 >> 6;
  header->modeExtension = (b3 >> 4) & 3;
  header->copyright = (b3 >> 3) & 1;
  header->original = (b3 >> 2) & 1;
  header->emphasis = b3 & 3;

  if (bytes[0] != 0xFF) return false;
  if ((b1 & 0xF0) == 0xF0)
    header->version = versionBit ? 1 : 2;
  else if ((b1 & 0xF0) == 0xE0)
    header->version = 3;  // the reserved version code is read as MPEG-2.5 too
  else
    return false;
  // Free format (index 0) has no table bit rate to work with.
  if (header->sampleRateIndex == 3 || header->bitRateIndex == 0 || header->bitRateIndex == 15 || layerBits == 0)
    return false;
  header->layer = 4 - layerBits;
  header->protection = protectionBit ? 0 : 1;
  return true;
}

bool IsMacBinaryHeader(const uint8_t* bytes) {
  if (bytes[0] != 0 || bytes[74] != 0) return false;
  if (StartsWith(bytes + 102, "mBIN")) return true;
  if (bytes[102] != 0 || bytes[103] != 0 || bytes[104] != 0 || bytes[105] != 0) return false;
  if (bytes[123] == 129) return true;
  return bytes[1] >= 1 && bytes[1] <= 63;
}

int32_t ParseMpegAudio(const uint8_t* buffer, uint32_t length, AudioInfo* info) {
  if (length < MinimumBlock) return -1;

  FrameHeader header;
  uint32_t frame = 0;
  for (uint32_t from = 0;; from = frame + 1) {
    uint32_t found = 0;
    if (!FindFrameSync(buffer + from, length - from, &found)) return -1;
    frame = from + found;
    if (DecodeFrameHeader(buffer + frame, &header)) break;
  }

  uint32_t vbr = frame + 4 + (header.protection ? 2 : 0) + SideInfoLength(header);
  // A frame so close to the end of the block that a Xing or VBRI header behind
  // it cannot be read whole is refused: guessing constant bit rate could get
  // the length and playing time of a variable-bit-rate file badly wrong.
  if (vbr + VbrHeaderExtent > length) return -1;

  uint32_t frameCount = 0;
  uint32_t bitRate = 0;
  uint32_t vbrLength = 0;
  if (StartsWith(buffer + vbr, "Xing")) {
    // Without its frame and byte counts the header cannot give a playing time
    // or bit rate, so the file is refused rather than reported with zeros.
    if ((ReadBigEndian32(buffer + vbr + 4) & 3) == 0) return -1;
    frameCount = ReadBigEndian32(buffer + vbr + 8);
    vbrLength = ReadBigEndian32(buffer + vbr + 12);
  } else if (StartsWith(buffer + vbr, "VBRI")) {
    vbrLength = ReadBigEndian32(buffer + vbr + 10);
    frameCount = ReadBigEndian32(buffer + vbr + 14);
  } else {
    bitRate = BitRates[header.version == 1 ? 0 : 1][header.layer - 1][header.bitRateIndex] * 1000;
  }
  if (bitRate == 0) {
    // A VBR header that counts no frames leaves nothing to reckon time or rate from.
    if (frameCount == 0) return -1;
    info->dataLength = vbrLength;
  }

  info->version = uint8_t(header.version);
  info->layer = uint8_t(header.layer);
  info->channels = header.channelMode == 3 ? 1 : 2;
  info->sampleRate = SampleRates[header.version - 1][header.sampleRateIndex];
  info->bitRate = bitRate;
  info->frameCount = frameCount;
  info->samplesPerFrame = SamplesPerFrame(header);
  return int32_t(frame);
}

bool AnalyseAudioFile(platform::FileHandle file, std::string_view name, AudioInfo* info) {
  *info = {};
  uint64_t fileSize = 0;
  if (!platform::GetFileSize(file, &fileSize)) return false;
  // The record's offsets are 32-bit; a file too short for a tail holds no usable frame.
  if (fileSize < TailSize || fileSize > std::numeric_limits<uint32_t>::max()) return false;
  info->dataLength = uint32_t(fileSize);

  uint8_t tail[TailSize];
  if (!ReadExactlyAt(file, fileSize - TailSize, tail, TailSize)) return false;
  if (StartsWith(tail, "TAG")) {
    info->dataLength -= TailSize;
    CopyTagField(tail + 3, info->title);
    CopyTagField(tail + 33, info->artist);
    CopyTagField(tail + 63, info->album);
    CopyTagField(tail + 97, info->comment);
  }

  uint8_t block[BlockSize];
  uint32_t length = 0;
  if (!ReadBlockAt(file, 0, block, &length)) return false;

  if (IsMacBinaryHeader(block)) {
    if (info->dataLength < MacBinaryHeaderSize) return false;
    info->dataStart = MacBinaryHeaderSize;
    info->dataLength -= MacBinaryHeaderSize;
    if (!ReadBlockAt(file, info->dataStart, block, &length)) return false;
  }

  if (StartsWith(block, "RIFF")) {
    if (!FindRiffData(file, fileSize, info)) return false;
    if (!ReadBlockAt(file, info->dataStart, block, &length)) return false;
  }

  if (StartsWith(block, "ID3")) {
    const uint32_t total = Id3v2TagSize(block);
    if (total > info->dataLength || uint64_t(info->dataStart) + total > fileSize) return false;
    info->dataStart += total;
    info->dataLength -= total;
    if (!ReadBlockAt(file, info->dataStart, block, &length)) return false;
  }

  int32_t offset = ParseMpegAudio(block, length, info);
  if (offset < 0 || uint32_t(offset) > info->dataLength) return false;
  info->dataLength -= uint32_t(offset);
  info->dataStart += uint32_t(offset);

  // 32-bit arithmetic throughout, like the record the figures go into.
  if (info->frameCount == 0) {
    info->duration = info->dataLength / (info->bitRate / 8);
  } else {
    info->duration = info->samplesPerFrame * info->frameCount / info->sampleRate;
    // Under one second there is no bit rate to work out; such a file is refused.
    if (info->duration == 0) return false;
    info->bitRate = info->dataLength * 8 / info->duration;
  }

  if (info->title[0] == 0) {
    std::string_view title = name.substr(0, platform::CutAtCharBoundary(name, sizeof info->title - 1));
    title = title.substr(0, title.find('.'));
    std::memcpy(info->title, title.data(), title.size());
  }
  return true;
}

bool StartsWithMpegAudio(platform::FileHandle file, const AudioInfo& info) {
  if (info.dataStart == 0) return true;
  uint8_t head[Id3v2HeaderSize];
  return ReadExactlyAt(file, 0, head, sizeof head) && StartsWith(head, "ID3") && Id3v2TagSize(head) == info.dataStart;
}
