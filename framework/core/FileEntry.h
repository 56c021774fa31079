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
  uint32_t sizeHigh = 0;    // the bits above the low 32
  platform::FileIdentity identity;
  bool nameLost = false;  // see platform::FileInfo

  bool IsFolder() const { return (attributes & platform::Attribute::Directory) != 0; }
  // A pipe, socket, device node or broken link: nothing to copy.
  bool IsDevice() const { return (attributes & platform::Attribute::Device) != 0; }
  static CFileEntry FromInfo(const platform::FileInfo& info);
};
