#include "plugins/portkit/Medium.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace portkit {
namespace {

// Repeats a pread- or pwrite-like call until every byte has moved; 0 or errno.
template <typename Byte, typename Call>
int MoveAll(Byte* bytes, size_t size, uint64_t offset, Call call) {
  while (size > 0) {
    const ssize_t moved = call(bytes, size, static_cast<off_t>(offset));
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0) return errno;
    if (moved == 0) return EIO;  // the storage ended early
    bytes += moved;
    offset += moved;
    size -= moved;
  }
  return 0;
}

}  // namespace

int Medium::open(const std::string& source) {
  close();
  readOnly_ = false;
  int fd = ::open(source.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    readOnly_ = true;
  }
  if (fd < 0) return errno;

  struct stat st;
  int error = fstat(fd, &st) == 0 ? 0 : errno;
  blockDevice_ = S_ISBLK(st.st_mode);
  if (error == 0 && blockDevice_) {
    int readOnlyFlag = 0;
    if (ioctl(fd, BLKGETSIZE64, &size_) != 0)
      error = errno;
    else if (ioctl(fd, BLKROGET, &readOnlyFlag) == 0 && readOnlyFlag)
      readOnly_ = true;
  } else if (error == 0 && S_ISREG(st.st_mode)) {
    size_ = st.st_size;
    // Root may open any file for writing; a read-only image stays write-protected for it too.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) readOnly_ = true;
  } else if (error == 0) {
    error = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
  }
  if (error != 0) {
    ::close(fd);
    return error;
  }
  fd_ = fd;
  return 0;
}

void Medium::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

int Medium::readAt(uint64_t offset, void* buffer, size_t size) const {
  return MoveAll(static_cast<char*>(buffer), size, offset,
                 [this](char* bytes, size_t count, off_t at) { return pread(fd_, bytes, count, at); });
}

int Medium::writeAt(uint64_t offset, const void* buffer, size_t size) const {
  return MoveAll(static_cast<const char*>(buffer), size, offset,
                 [this](const char* bytes, size_t count, off_t at) { return pwrite(fd_, bytes, count, at); });
}

int Medium::sync() const { return fdatasync(fd_) == 0 ? 0 : errno; }

}  // namespace portkit
