// An Intel HEX firmware file of any bytes is taken whole or refused with
// the program's error, never half.
#include "framework/core/Exception.h"
#include "fuzz/MemoryFile.h"
#include "tools/FirmwareImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzing::MemoryFile file(data, size);
  FirmwareImage image;
  try {
    image.Load(CText(file.Path().c_str()));
  } catch (const CException&) {
  }
  return 0;
}
