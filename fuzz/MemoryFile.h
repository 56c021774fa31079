// The input as a file for code that reads files: a memory file, by its
// descriptor or, where a path is wanted, by its /proc path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace fuzzing {

class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size) : file_(memfd_create("fuzz-input", 0)) {
    for (size_t done = 0; done < size;) {
      const ssize_t written = ::write(file_, data + done, size - done);
      if (written <= 0) break;
      done += size_t(written);
    }
    ::lseek(file_, 0, SEEK_SET);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() { ::close(file_); }

  int Descriptor() const { return file_; }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(file_); }

 private:
  int file_;
};

}  // namespace fuzzing
