// A PC file as a byte stream. Open flags are platform::OpenFlag bits.
#pragma once

#include <cstdint>

#include "framework/core/ByteStream.h"
#include "framework/core/Text.h"
#include "platform/Files.h"

class CDiskFile : public CByteStream {
 public:
  CDiskFile() = default;
  CDiskFile(const CDiskFile&) = delete;
  CDiskFile& operator=(const CDiskFile&) = delete;
  ~CDiskFile() override { Close(); }

  // Closes any open file first. Throws CException on failure.
  void Open(const CText& path, uint32_t flags);
  void Close();
  bool IsOpen() const { return handle_ != platform::InvalidFile; }
  // For readers that work on the platform's handle (the audio analysis).
  platform::FileHandle Handle() const { return handle_; }

  // Throws CException with code 0 when no byte is left.
  uint32_t Read(void* buffer, uint32_t count) override;
  uint32_t Write(const void* buffer, uint32_t count) override;
  uint64_t Seek(int64_t offset, platform::SeekOrigin origin);
  uint32_t Size() const;  // the low 32 bits

 private:
  platform::FileHandle handle_ = platform::InvalidFile;
};
