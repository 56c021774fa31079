// The description of one PC file or folder.
#pragma once

#include <cstdint>

#include "framework/core/FileStamp.h"
#include "framework/core/Text.h"
#include "platform/Files.h"

struct CFileEntry {
  CText name;
  uint32_t size = 0;        // the low 32 bits
  uint32_t attributes = 0;  // platform::Attribute bits
  CFileStamp modified;      // local time
  CText shortName;          // the 8.3 alternative name; empty when there is none

  bool IsFolder() const { return (attributes & platform::Attribute::Directory) != 0; }
  static CFileEntry FromInfo(const platform::FileInfo& info);
};
