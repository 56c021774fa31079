#include "audio/CodecModule.h"

#include "platform/Errors.h"
#include "platform/Modules.h"

const CodecFunctions* Codecs() {
  static const CodecFunctions* const functions =
      platform::LoadModuleTable<CodecFunctions>(CodecModuleName, CodecEntryName, CodecModuleVersion);
  if (functions == nullptr) platform::SetLastError(platform::Error::ModuleNotFound);
  return functions;
}
