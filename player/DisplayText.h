// The texts with which entries are shown: sizes, dates, and the bounded copy
// used for short names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/FileStamp.h"
#include "framework/core/Text.h"
#include "platform/Locale.h"

// "0KB", "1KB" up to 1024 bytes, otherwise whole kilobytes rounded down.
CText FormatSizeText(uint32_t bytes);
// The stamp's short date and time without seconds in the user's locale, as
// the stamp reads, without a time-zone change; a listing passes one format
// for all its rows.
CText FormatDateText(const CFileStamp& stamp, const platform::DateTimeFormat& format = platform::DateTimeFormat());
// Copies up to size - 1 bytes, stopping at the source's terminator, and always
// ends the destination with one. Size is at least 1.
void CopyBounded(char* destination, size_t size, const char* source);
