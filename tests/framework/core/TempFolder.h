// The shared temporary folder, with paths as the framework takes them.
#pragma once

#include "framework/core/Text.h"
#include "tests/TempFiles.h"

class CoreFolder : public TempFolder {
 public:
  CText operator/(const std::string& name) const { return CText(file(name)); }
  void Put(const std::string& name, const std::string& data) const { WriteFile(file(name), data); }
  std::string Contents(const std::string& name) const { return ReadFile(file(name)); }
  std::filesystem::path Path() const { return path(); }
};
