// Turns the plug-ins' failure codes into the program's two exception types:
// CMediaException with the string id of its message, or CException with the
// platform's error code, whose own text is shown.
#pragma once

#include <cstdint>

#include "contract/PluginContract.h"

[[noreturn]] void RaiseDeviceError(uint32_t code);
// Code 9 means that the device knows more: its lastError is mapped instead
// (without a device, the failure is unknown).
[[noreturn]] void RaiseFileSystemError(uint32_t code, DeviceInterface* device);
