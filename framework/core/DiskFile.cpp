#include "framework/core/DiskFile.h"

#include "framework/core/Exception.h"

void CDiskFile::Open(const CText& path, uint32_t flags) {
  Close();
  handle_ = platform::OpenFile(path.View(), flags);
  if (handle_ == platform::InvalidFile) CException::ThrowLastError();
}

void CDiskFile::Close() {
  if (handle_ == platform::InvalidFile) return;
  platform::CloseFile(handle_);
  handle_ = platform::InvalidFile;
}

uint32_t CDiskFile::Read(void* buffer, uint32_t count) {
  if (count == 0) return 0;
  uint32_t done = 0;
  if (!platform::ReadFile(handle_, buffer, count, &done)) CException::ThrowLastError();
  if (done == 0) throw CException(0);
  return done;
}

uint32_t CDiskFile::Write(const void* buffer, uint32_t count) {
  uint32_t done = 0;
  if (!platform::WriteFile(handle_, buffer, count, &done)) CException::ThrowLastError();
  return done;
}

uint64_t CDiskFile::Seek(int64_t offset, platform::SeekOrigin origin) {
  uint64_t position = 0;
  if (!platform::SeekFile(handle_, offset, origin, &position)) CException::ThrowLastError();
  return position;
}

uint32_t CDiskFile::Size() const {
  uint64_t size = 0;
  if (!platform::GetFileSize(handle_, &size)) CException::ThrowLastError();
  return static_cast<uint32_t>(size);
}
