// A read-only registry: empty by default, filled from the optional text file
// "registry.ini" in the program folder (read at the first access) and by
// tests. Key paths and value names ignore case; key paths use '\'.
//
// The file is UTF-8 text in the form of .reg files, one value per line:
//   ; a comment (so is # at the start of a line)
//   [HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\FontAssoc\Associated DefaultFonts]
//   FontPackage=IPAGothic
//   @=the key's default value
// Roots are HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKCR,
// HKCU, HKLM. Blanks around names and values are dropped. A line that does
// not fit is ignored, and so are the values under a section line that does
// not; the rest of the file still counts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// Whether a key exists.
bool RegistryKeyExists(RegistryRoot root, std::string_view keyPath);
// A value of a key; nullopt (last error FileNotFound) when missing.
std::optional<std::string> RegistryValue(RegistryRoot root, std::string_view keyPath, std::string_view name);
// Fills in a value as the registry file would.
void RegistrySetValue(RegistryRoot root, std::string_view keyPath, std::string_view name, std::string_view value);
// Empties the registry; the file is not read after this.
void RegistryClear();
// Adds the values of a file in the format above; false (and the last error)
// when it cannot be read.
bool RegistryLoadFile(std::string_view path);

}  // namespace platform
