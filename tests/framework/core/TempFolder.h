// The shared temporary folder, with paths as the framework takes them.
#pragma once

#include "framework/core/Text.h"
#include "tests/TempFiles.h"

class CoreFolder : public TempFolder {
 public:
  CText operator/(const std::string& name) const { return CText(File(name)); }
  void Put(const std::string& name, const std::string& data) const { WriteFile(File(name), data); }
  std::string Contents(const std::string& name) const { return ReadFile(File(name)); }
};
