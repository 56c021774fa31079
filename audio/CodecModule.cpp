#include "audio/CodecModule.h"

#include "platform/Errors.h"
#include "platform/Modules.h"

const CodecFunctions* OpenCodecModule(std::string_view name) {
  const platform::ModuleHandle module = platform::LoadModule(name);
  const auto entry = reinterpret_cast<CodecEntry>(platform::ModuleSymbol(module, CodecEntryName));
  const CodecFunctions* functions = entry != nullptr ? entry() : nullptr;
  if (functions != nullptr && functions->size == sizeof(CodecFunctions) && functions->version == CodecModuleVersion)
    return functions;
  platform::FreeModule(module);
  platform::SetLastError(platform::Error::ModuleNotFound);
  return nullptr;
}

const CodecFunctions* Codecs() {
  static const CodecFunctions* const functions = OpenCodecModule(CodecModuleName);
  if (functions == nullptr) platform::SetLastError(platform::Error::ModuleNotFound);
  return functions;
}
