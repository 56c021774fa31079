// A key of the read-only registry.
#pragma once

#include <cstdint>

#include "framework/core/Root.h"
#include "framework/core/Text.h"
#include "platform/Registry.h"

class CRegistryKey : public CRoot {
 public:
  static constexpr uint32_t ReadAccess = 0x20019;

  ~CRegistryKey() override { Close(); }
  // Closes any open key first. Throws CException when the key is missing or
  // more than reading is asked for.
  void Open(platform::RegistryRoot root, const CText& path, uint32_t access = ReadAccess);
  // The value's text up to its first 0 byte; throws CException when missing.
  CText StringValue(const CText& name) const;
  void Close() { open_ = false; }
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
  platform::RegistryRoot root_ = platform::RegistryRoot::LocalMachine;
  CText path_;
};
