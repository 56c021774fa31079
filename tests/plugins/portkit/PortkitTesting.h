// A player folder in a temporary place and the real portkit.so, loaded from
// the program folder as the program loads it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "contract/PluginContract.h"
#include "platform/Modules.h"
#include "tests/TempFiles.h"

namespace portkit_testing {

inline std::vector<uint8_t> ReadBytes(const std::string& path, uint64_t offset, size_t size) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::vector<uint8_t> bytes(size);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  bytes.resize(in.gcount());
  return bytes;
}

inline void MakeImage(const std::string& path, uint64_t size) {
  WriteFile(path, "");
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0) << path;
}

class PlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    player_ = temp_ + "/player";
    setenv("TUNEWARDEN_PLAYER", player_.c_str(), 1);
    module_ = platform::LoadModule("portkit.so");  // from the test's program folder
    ASSERT_NE(module_, nullptr);
    auto create = reinterpret_cast<CreateDeviceInterfaceFn>(platform::ModuleSymbol(module_, "CreateInterface"));
    ASSERT_NE(create, nullptr);
    device_ = create();
    ASSERT_NE(device_, nullptr);
  }

  void TearDown() override {
    if (device_) device_->destroy(1);
    platform::FreeModule(module_);
    unsetenv("TUNEWARDEN_PLAYER");
  }

  std::string File(const std::string& name) const { return player_ + "/" + name; }

  // A player folder written by hand, so that each test sets exactly the state it needs.
  void MakePlayer(uint64_t internalSize, uint64_t cardSize = 0, const std::string& cardType = "sd") {
    std::filesystem::create_directories(player_);
    MakeImage(File("internal.img"), internalSize);
    if (cardSize) MakeImage(File("card.img"), cardSize);
    WriteFile(File("player.conf"), "card-type = " + cardType + "\n");
  }

  void OpenAndSelect(const char* medium, uint32_t mode = 0) {
    ASSERT_EQ(device_->open(0, mode), 1u) << device_->lastError();
    ASSERT_EQ(device_->selectMedia(medium), 1u) << device_->lastError();
  }

  // The device's code for a call that must fail.
  uint32_t Failure(uint32_t result) {
    EXPECT_EQ(result, 0u);
    return device_->lastError();
  }

  void Reopen() {
    device_->close();
    ASSERT_EQ(device_->open(0, 0), 1u) << device_->lastError();
  }

  TempFolder folder_;
  const std::string temp_ = folder_.Path();
  std::string player_;
  platform::ModuleHandle module_ = nullptr;
  DeviceInterface* device_ = nullptr;
};

inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9));
  return bytes;
}

}  // namespace portkit_testing
