#include "framework/core/ByteStream.h"

#include <cstring>

#include "framework/core/Exception.h"
#include "platform/Errors.h"

void CByteStream::ReadExact(void* buffer, uint32_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const uint32_t done = Read(out, count);
    // A stream that reports nothing without throwing has ended as well.
    if (done == 0) throw CException(0);
    out += done;
    count -= done;
  }
}

void CByteStream::ReadObject(CRoot& object) { object.Load(*this); }

void CByteStream::WriteAll(const void* buffer, uint32_t count) {
  auto* in = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    const uint32_t done = Write(in, count);
    if (done == 0) throw CException(platform::Error::DiskFull);
    in += done;
    count -= done;
  }
}

void CByteStream::WriteText(const CText& text) { WriteAll(text.Chars(), static_cast<uint32_t>(text.Length())); }

void CByteStream::WriteChars(const char* chars) { WriteAll(chars, static_cast<uint32_t>(std::strlen(chars))); }

void CByteStream::WriteObject(const CRoot& object) { object.Save(*this); }
