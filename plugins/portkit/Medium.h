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
  ~Medium() { close(); }

  // 0, or the errno value that stopped it. A file without write permission
  // and a block device marked read-only open read-only.
  int open(const std::string& source);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  uint64_t size() const { return size_; }
  bool isReadOnly() const { return readOnly_; }
  bool isBlockDevice() const { return blockDevice_; }

  // 0 or an errno value; a transfer cut short by the end of the storage is EIO.
  int readAt(uint64_t offset, void* buffer, size_t size) const;
  int writeAt(uint64_t offset, const void* buffer, size_t size) const;
  int sync() const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  bool readOnly_ = false;
  bool blockDevice_ = false;
};

}  // namespace portkit
