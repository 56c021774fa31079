// The two thrown types. Code 0 in a CException is a silent stop (the end of a
// stream's data, or a user's "stop"); it is never shown as an error.
#pragma once

#include <cstdint>

class CException {
 public:
  explicit CException(uint32_t code) : code_(code) {}
  // The platform's last error at the failing call.
  [[noreturn]] static void ThrowLastError();
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

// A device error code, which is also the string id of its message. Deliberately
// unrelated to CException so that a handler of one never catches the other.
class CMediaException {
 public:
  explicit CMediaException(uint32_t code) : code_(code) {}
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};
