// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "framework/core/Text.h"

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tw_core_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }

  // A path inside the folder, as the framework takes it.
  CText operator/(const std::string& name) const { return CText((path_ / name).string()); }
  void Put(const std::string& name, const std::string& data) const {
    std::ofstream(path_ / name, std::ios::binary) << data;
  }
  std::string Contents(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};
