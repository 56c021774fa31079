// The player's firmware as an Intel HEX file gives it: 480 blocks of 128
// bytes from the file's data records, read and checked whole before anything
// is sent to the player.
#pragma once

#include <array>
#include <cstdint>

#include "framework/core/Text.h"

class FirmwareImage {
 public:
  static constexpr uint32_t BlockBytes = 128;
  static constexpr uint32_t BlockCount = 480;
  static constexpr uint32_t SentBlockCount = 472;  // the last eight are loaded, never sent
  static constexpr uint32_t Bytes = BlockBytes * BlockCount;
  static constexpr uint32_t RecordBytes = 16;

  // Takes the data records (lines that begin with ':') in file order, 16 bytes
  // each, until the image is full; addresses, record types and checksums are
  // not looked at. Throws CException 2 (file not found) when the file cannot
  // be read, has too few data records, or one of the records needed holds
  // other than 16 bytes or other than upper-case hexadecimal digits.
  void Load(const CText& path);
  const uint8_t* Block(uint32_t index) const { return bytes_.data() + size_t(index) * BlockBytes; }

 private:
  std::array<uint8_t, Bytes> bytes_{};
};
