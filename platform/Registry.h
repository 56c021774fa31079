// A read-only registry: empty by default, filled from the optional text file
// "registry.ini" in the program folder and by tests. Key paths use '\'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// Whether a key exists.
bool RegistryKeyExists(RegistryRoot root, std::string_view keyPath);
// A value of a key; nullopt (last error FileNotFound) when missing.
std::optional<std::string> RegistryValue(RegistryRoot root, std::string_view keyPath,
                                         std::string_view name);
// Fills in a value as the registry file would.
void RegistrySetValue(RegistryRoot root, std::string_view keyPath, std::string_view name,
                      std::string_view value);
void RegistryClear();

}  // namespace platform
