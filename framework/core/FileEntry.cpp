#include "framework/core/FileEntry.h"

CFileEntry CFileEntry::FromInfo(const platform::FileInfo& info) {
  CFileEntry entry;
  entry.name = CText(info.name);
  entry.size = static_cast<uint32_t>(info.size);
  entry.attributes = info.attributes;
  entry.modified = CFileStamp(platform::FileTimeToLocal(info.modified));
  entry.shortName = CText(info.shortName);
  entry.sizeHigh = static_cast<uint32_t>(info.size >> 32);
  entry.identity = info.identity;
  entry.nameLost = info.nameLost;
  return entry;
}
