// Loading shared libraries by bare name, the program folder first.
#pragma once

#include <string_view>

namespace platform {

using ModuleHandle = void*;

// Null (last error ModuleNotFound) when the library does not load.
ModuleHandle LoadModule(std::string_view bareName);
// Null (last error ProcedureNotFound) when the symbol is missing.
void* ModuleSymbol(ModuleHandle module, const char* name);
void FreeModule(ModuleHandle module);

}  // namespace platform
