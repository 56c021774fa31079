// Turns the plug-ins' failure codes into the program's two exception types:
// CMediaException with the string id of its message, or CException with the
// platform's error code, whose own text is shown.
#pragma once

#include <cstdint>

#include "contract/PluginContract.h"
#include "framework/core/Text.h"

[[noreturn]] void RaiseDeviceError(uint32_t code);
// Code 9 means that the device knows more: its lastError is mapped instead
// (without a device, the failure is unknown). `subject` names the entry the
// call was about, for the detail of "not found" and "not empty", which the
// design shows as "Unknown error!!".
[[noreturn]] void RaiseFileSystemError(uint32_t code, DeviceInterface* device, const CText& subject = CText());
// What a user is told of a file-system failure code: the message of what
// RaiseFileSystemError throws, or its detail where it has one.
CText FileSystemErrorText(uint32_t code, DeviceInterface* device);
// A detail of the string (one %s) filled with the text.
CText DetailText(uint32_t stringId, const CText& text);
