// The two thrown types. Code 0 in a CException is a silent stop (the end of a
// stream's data, or a user's "stop"); it is never shown as an error.
#pragma once

#include <cstdint>
#include <utility>

#include "framework/core/Text.h"

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
  explicit CMediaException(uint32_t code, CText detail = CText()) : code_(code), detail_(std::move(detail)) {}
  uint32_t Code() const { return code_; }
  // What failed, in words that the command line says in place of the code's
  // message, which the window keeps; empty when that message says it all.
  const CText& Detail() const { return detail_; }

 private:
  uint32_t code_;
  CText detail_;
};
