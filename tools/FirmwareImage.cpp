#include "tools/FirmwareImage.h"

#include <optional>
#include <string_view>

#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "framework/core/LineReader.h"
#include "platform/Errors.h"

namespace {

constexpr uint32_t LineBlockSize = 4096;
// ':', the byte count, the address and the record type.
constexpr size_t RecordHeadLength = 9;

std::optional<uint8_t> UpperHexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  return std::nullopt;
}

// The bytes of hexadecimal text, two digits each, high digit first; false at
// a character that is not an upper-case hexadecimal digit.
bool DecodeHex(std::string_view text, uint8_t* bytes) {
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const auto high = UpperHexDigit(text[i]);
    const auto low = UpperHexDigit(text[i + 1]);
    if (!high || !low) return false;
    *bytes++ = static_cast<uint8_t>(*high << 4 | *low);
  }
  return true;
}

// A data record of 16 bytes into `bytes`; false for any other record.
bool DecodeRecord(std::string_view record, uint8_t* bytes) {
  uint8_t count = 0;
  return record.size() >= RecordHeadLength + 2 * size_t{FirmwareImage::RecordBytes} &&
         DecodeHex(record.substr(1, 2), &count) && count == FirmwareImage::RecordBytes &&
         DecodeHex(record.substr(RecordHeadLength, 2 * size_t{FirmwareImage::RecordBytes}), bytes);
}

}  // namespace

void FirmwareImage::Load(const CText& path) {
  CDiskFile file;
  CLineReader reader;
  uint32_t filled = 0;
  try {
    file.Open(path, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
    reader.Open(file, LineBlockSize);
    while (filled < Bytes) {
      const CText line = reader.ReadLine();  // CException 0 at the end of the file
      if (line.IsEmpty() || line.View()[0] != ':') continue;
      if (!DecodeRecord(line.View(), &bytes_[filled])) break;
      filled += RecordBytes;
    }
  } catch (const CException&) {
    // unreadable, or too short: refused below like a bad record
  }
  if (filled < Bytes) throw CException(platform::Error::FileNotFound);
}
