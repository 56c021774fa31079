// tunewarden.ini of any bytes: the settings come out usable, the folders
// ending in '/'.
#include <cstdlib>
#include <fstream>

#include "resources/StringTables.h"
#include "settings/AppSettings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InstallStringTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // This target's folder is its own program folder, where the file is read.
  std::ofstream(AppSettings::SettingsPath().Chars(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  AppSettings settings;
  settings.ReadSettings();
  for (const CText* folder : {&settings.downloadFolder, &settings.uploadFolder}) {
    if (folder->IsEmpty() || folder->Chars()[folder->Length() - 1] != '/') std::abort();
  }
  return 0;
}
