// Reads text lines from a stream in blocks. A carriage return, a line feed, or
// both in that order end a line. At the end of the data ReadLine lets the
// stream's CException 0 through (after handing out an unterminated last line).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/ByteStream.h"
#include "framework/core/Text.h"

class CLineReader : public CRoot {
 public:
  void Open(CByteStream& stream, uint32_t blockSize);
  CText ReadLine();
  int LinesRead() const { return lines_; }

 private:
  CByteStream* stream_ = nullptr;
  std::vector<char> buffer_;
  uint32_t unread_ = 0;
  uint32_t position_ = 0;
  int lines_ = 0;
  bool skipLineFeed_ = false;
};
