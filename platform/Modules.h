// Loading shared libraries by bare name, the program folder first.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Errors.h"

namespace platform {

using ModuleHandle = void*;

// Null (last error ModuleNotFound) when the library does not load.
ModuleHandle LoadModule(std::string_view bareName);
// Null (last error ProcedureNotFound) when the symbol is missing.
void* ModuleSymbol(ModuleHandle module, const char* name);
void FreeModule(ModuleHandle module);

// The table of functions that a module's `entry` returns, where the table
// starts with its size and version as two uint32_t: the module is kept open
// for the process when they are the ones given, else closed again. Null (last
// error ModuleNotFound) also when the module does not load or lacks the entry.
const void* LoadModuleTable(std::string_view bareName, const char* entry, uint32_t size, uint32_t version);

template <class Table>
const Table* LoadModuleTable(std::string_view bareName, const char* entry, uint32_t version) {
  return static_cast<const Table*>(LoadModuleTable(bareName, entry, sizeof(Table), version));
}

// The same, loaded on the first call and kept for the process (one module per
// table type); so is a failure, with its last error set again on every call.
template <class Table>
const Table* SharedModuleTable(std::string_view bareName, const char* entry, uint32_t version) {
  static const Table* const table = LoadModuleTable<Table>(bareName, entry, version);
  if (table == nullptr) SetLastError(Error::ModuleNotFound);
  return table;
}

}  // namespace platform
