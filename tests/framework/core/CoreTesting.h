// Shared by the core tests: the temporary folder with paths as the framework
// takes them, a byte stream over memory, and the code of a thrown CException.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "framework/core/ByteStream.h"
#include "framework/core/Exception.h"
#include "framework/core/Text.h"
#include "tests/TempFiles.h"

class CoreFolder : public TempFolder {
 public:
  CText operator/(const std::string& name) const { return CText(File(name)); }
  void Put(const std::string& name, const std::string& data) const { WriteFile(File(name), data); }
  std::string Contents(const std::string& name) const { return ReadFile(File(name)); }
};

// Hands out at most `step` bytes per Read, so that callers meet short reads.
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

// The code of the CException an action throws; 0 when it throws none.
inline uint32_t FailureCode(const std::function<void()>& action) {
  try {
    action();
  } catch (const CException& e) {
    return e.Code();
  }
  return 0;
}
