// One "last error" per thread, in the numbering the program's messages use.
// Every platform wrapper sets it from errno when it fails.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Locale.h"

namespace platform {

namespace Error {
constexpr uint32_t None = 0;
constexpr uint32_t FileNotFound = 2;
constexpr uint32_t PathNotFound = 3;
constexpr uint32_t TooManyOpenFiles = 4;
constexpr uint32_t AccessDenied = 5;
constexpr uint32_t InvalidHandle = 6;
constexpr uint32_t NotEnoughMemory = 8;
constexpr uint32_t InvalidData = 13;
constexpr uint32_t NotSameDevice = 17;
constexpr uint32_t NoMoreFiles = 18;
constexpr uint32_t WriteProtect = 19;
constexpr uint32_t NotReady = 21;
constexpr uint32_t GenFailure = 31;
constexpr uint32_t SharingViolation = 32;
constexpr uint32_t HandleEof = 38;
constexpr uint32_t NotSupported = 50;
constexpr uint32_t FileExists = 80;
constexpr uint32_t InvalidParameter = 87;
constexpr uint32_t BrokenPipe = 109;
constexpr uint32_t DiskFull = 112;
constexpr uint32_t InsufficientBuffer = 122;
constexpr uint32_t InvalidName = 123;
constexpr uint32_t ModuleNotFound = 126;
constexpr uint32_t ProcedureNotFound = 127;
constexpr uint32_t DirectoryNotEmpty = 145;
constexpr uint32_t Busy = 170;
constexpr uint32_t AlreadyExists = 183;
constexpr uint32_t NameTooLong = 206;
constexpr uint32_t FileTooLarge = 223;
constexpr uint32_t NotADirectory = 267;
constexpr uint32_t NoUnicodeTranslation = 1113;
constexpr uint32_t IoDevice = 1117;
constexpr uint32_t InvalidWindowHandle = 1400;
constexpr uint32_t Timeout = 1460;
constexpr uint32_t CantResolveFilename = 1921;
// An errno value without a counterpart above keeps its number behind this
// bit (the bit Windows leaves to applications), so no failure loses its cause.
constexpr uint32_t FromErrno = 0x20000000;
}  // namespace Error

uint32_t GetLastError();
void SetLastError(uint32_t code);
// Maps an errno value to the numbering above.
uint32_t ErrorFromErrno(int errnoValue);
// Sets the last error from errno (or the given value) and returns the code.
uint32_t SetLastErrorFromErrno();
uint32_t SetLastErrorFromErrno(int errnoValue);

// The message text of a code in the given language, as UTF-8; a generic text
// naming the number for codes the table lacks.
std::string ErrorMessageUtf8(uint32_t code, Language language);
// The same in the program's code page and interface language.
std::string ErrorMessage(uint32_t code);

}  // namespace platform
