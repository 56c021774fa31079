#include "platform/Modules.h"

#include <dlfcn.h>

#include <string>

#include "platform/Errors.h"
#include "platform/Files.h"

namespace platform {

namespace {

ModuleHandle Open(const std::string& path) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return nullptr;
  return dlopen(systemPath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

// The program folder first, so that the libraries shipped beside the program
// win over any of the same name on the system's search path.
ModuleHandle LoadModule(std::string_view bareName) {
  ModuleHandle module = nullptr;
  if (!bareName.empty()) {  // an empty name would give the program itself
    std::string name(bareName);
    module = Open(ProgramFolder() + name);
    if (module == nullptr) module = Open(name);
  }
  if (module == nullptr) SetLastError(Error::ModuleNotFound);
  return module;
}

void* ModuleSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr) {
    SetLastError(Error::InvalidHandle);
    return nullptr;
  }
  void* symbol = dlsym(module, name);
  if (symbol == nullptr) SetLastError(Error::ProcedureNotFound);
  return symbol;
}

void FreeModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

const void* LoadModuleTable(std::string_view bareName, const char* entry, uint32_t size, uint32_t version) {
  struct Head {
    uint32_t size;
    uint32_t version;
  };
  const ModuleHandle module = LoadModule(bareName);
  using Entry = const Head* (*)();
  const auto get = reinterpret_cast<Entry>(ModuleSymbol(module, entry));
  const Head* table = get != nullptr ? get() : nullptr;
  if (table != nullptr && table->size == size && table->version == version) return table;
  FreeModule(module);
  SetLastError(Error::ModuleNotFound);
  return nullptr;
}

}  // namespace platform
