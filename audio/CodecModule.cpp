#include "audio/CodecModule.h"

#include "platform/Modules.h"

const CodecFunctions* Codecs() {
  return platform::SharedModuleTable<CodecFunctions>(CodecModuleName, CodecEntryName, CodecModuleVersion);
}
