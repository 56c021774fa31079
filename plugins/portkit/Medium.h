// The storage behind one medium: an image file or a block device, kept open
// while the medium is selected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace portkit {

class Medium {
 public:
  Medium() = default;
  Medium(const Medium&) = delete;
  Medium& operator=(const Medium&) = delete;
  ~Medium() { Close(); }

  // 0, or the errno value that stopped it. A file without write permission
  // and a block device marked read-only open read-only.
  int Open(const std::string& source);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  uint64_t Size() const { return size_; }
  bool IsReadOnly() const { return readOnly_; }
  bool IsBlockDevice() const { return blockDevice_; }

  // 0 or an errno value; a transfer cut short by the end of the storage is EIO.
  int ReadAt(uint64_t offset, void* buffer, size_t size) const;
  int WriteAt(uint64_t offset, const void* buffer, size_t size) const;
  int Sync() const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  bool readOnly_ = false;
  bool blockDevice_ = false;
};

}  // namespace portkit
