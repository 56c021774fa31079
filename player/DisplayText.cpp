#include "player/DisplayText.h"

#include <string>

CText FormatSizeText(uint32_t bytes) {
  if (bytes == 0) return "0KB";
  if (bytes <= 1024) return "1KB";
  return CText(std::to_string(bytes / 1024) + "KB");
}

CText FormatDateText(const CFileStamp& stamp, const platform::DateTimeFormat& format) {
  return stamp.Text(CFileStamp::ShortDate, CFileStamp::NoSeconds, format);
}

void CopyBounded(char* destination, size_t size, const char* source) {
  size_t n = 0;
  while (n + 1 < size && source[n] != '\0') {
    destination[n] = source[n];
    ++n;
  }
  destination[n] = '\0';
}
