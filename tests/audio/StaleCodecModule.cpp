// A codec module left over from another build: its table is of a later version.
#include "audio/CodecModule.h"

extern "C" __attribute__((visibility("default"))) const CodecFunctions* GetCodecFunctions() {
  static const CodecFunctions functions = {sizeof(CodecFunctions), CodecModuleVersion + 1, nullptr, nullptr, nullptr};
  return &functions;
}
