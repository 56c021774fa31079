#include "framework/core/LineReader.h"

#include "framework/core/Exception.h"
#include "platform/Errors.h"

void CLineReader::Open(CByteStream& stream, uint32_t blockSize) {
  if (blockSize == 0) throw CException(platform::Error::InvalidParameter);
  stream_ = &stream;
  buffer_.assign(blockSize, 0);
  unread_ = 0;
  position_ = 0;
  lines_ = 0;
  skipLineFeed_ = false;
}

CText CLineReader::ReadLine() {
  if (!stream_) throw CException(platform::Error::InvalidHandle);
  CText line;
  bool started = false;  // an unterminated last line still counts
  for (;;) {
    if (unread_ == 0) {
      try {
        unread_ = stream_->Read(buffer_.data(), static_cast<uint32_t>(buffer_.size()));
      } catch (const CException& e) {
        if (e.Code() != 0 || !started) throw;
        break;
      }
      if (unread_ == 0) {
        if (!started) throw CException(0);
        break;
      }
      position_ = 0;
    }
    const char* chars = buffer_.data() + position_;
    if (skipLineFeed_) {
      skipLineFeed_ = false;
      if (*chars == '\n') {
        ++position_;
        --unread_;
        continue;
      }
    }
    uint32_t n = 0;
    while (n < unread_ && chars[n] != '\r' && chars[n] != '\n') ++n;
    line.Append(std::string_view(chars, n));
    started = true;
    position_ += n;
    unread_ -= n;
    if (unread_ > 0) {
      skipLineFeed_ = chars[n] == '\r';
      ++position_;
      --unread_;
      break;
    }
  }
  ++lines_;
  return line;
}
