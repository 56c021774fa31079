// An abstract byte stream. Derived streams supply Read and Write; the rest is
// built on them. Read throws CException 0 when the data has ended.
#pragma once

#include <cstdint>

#include "framework/core/Root.h"
#include "framework/core/Text.h"

class CByteStream : public CRoot {
 public:
  virtual void ReadExact(void* buffer, uint32_t count);
  virtual void ReadObject(CRoot& object);
  virtual void WriteAll(const void* buffer, uint32_t count);
  virtual void WriteText(const CText& text);   // the characters only
  virtual void WriteChars(const char* chars);  // without the terminator
  virtual void WriteObject(const CRoot& object);
  virtual uint32_t Read(void* buffer, uint32_t count) = 0;
  virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
};
