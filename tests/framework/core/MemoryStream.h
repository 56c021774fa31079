// A byte stream over memory for the tests, handing out at most `step` bytes per
// Read so that callers meet short reads.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/core/ByteStream.h"
#include "framework/core/Exception.h"

class MemoryStream final : public CByteStream {
 public:
  explicit MemoryStream(std::string data = {}, uint32_t step = 0xFFFFFFFF) : data_(std::move(data)), step_(step) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>({count, step_, data_.size() - position_}));
    if (n == 0) throw CException(0);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
  }
  uint32_t Write(const void* buffer, uint32_t count) override {
    const uint32_t n = std::min(count, step_);
    data_.append(static_cast<const char*>(buffer), n);
    return n;
  }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
  size_t position_ = 0;
  uint32_t step_;
};
