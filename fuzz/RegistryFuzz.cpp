// registry.ini of any bytes: read line by line, broken lines passed over.
#include "fuzz/MemoryFile.h"
#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzing::MemoryFile file(data, size);
  platform::RegistryClear();
  platform::RegistryLoadFile(file.Path());
  const char* key = "SYSTEM\\CurrentControlSet\\Control\\FontAssoc\\Associated DefaultFonts";
  platform::RegistryValue(platform::RegistryRoot::LocalMachine, key, "FontPackage");
  platform::RegistryKeyExists(platform::RegistryRoot::ClassesRoot, ".mp3");
  return 0;
}
