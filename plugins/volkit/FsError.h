// Failures inside the file system travel as FsError and become the interface's
// lastError at its boundary; nothing is thrown past the plug-in.
#pragma once

#include <cstdint>

#include "contract/PluginContract.h"

namespace volkit {

struct FsError {
  uint32_t code;
};

[[noreturn]] inline void Fail(uint32_t code) { throw FsError{code}; }

// A number read from disk that cannot be right.
[[noreturn]] inline void Damaged() { Fail(FileSystemError::DamagedChain); }

}  // namespace volkit
