// What reaches the player during an upgrade, with a counting fake device
// loaded as the device plug-in.
#include <gtest/gtest.h>

#include <cctype>

#include "framework/core/Exception.h"
#include "platform/Modules.h"
#include "tests/tools/ToolsTesting.h"
#include "tools/FirmwareUpgrade.h"

namespace {

using namespace tools_testing;

class FirmwareUpgradeTest : public testing::Test {
 protected:
  void SetUp() override {
    settings_.SetDefaults();
    connection_.LoadPlugins("twtest_countingdevice.so", "");
    module_ = platform::LoadModule("twtest_countingdevice.so");
    calls_ = reinterpret_cast<const char* (*)()>(platform::ModuleSymbol(module_, "FakeDeviceCalls"));
    reset_ = reinterpret_cast<void (*)(uint32_t)>(platform::ModuleSymbol(module_, "ResetFakeDevice"));
    hex_ = WriteHexFile(folder_.File("srec.hex"), RandomImage(1));
  }
  void TearDown() override { platform::FreeModule(module_); }

  // Upgrades from a file of that text: "done", or the code thrown.
  std::string Upgrade(const std::string& text, uint32_t failingBlock = UINT32_MAX) {
    WriteFile(folder_.File("firmware.hex"), text);
    reset_(failingBlock);
    try {
      UpgradeFirmware(connection_, CText(std::string_view(folder_.File("firmware.hex"))), [](uint32_t) {});
    } catch (const CMediaException& e) {
      return "media " + std::to_string(e.Code());
    } catch (const CException& e) {
      return "system " + std::to_string(e.Code());
    }
    return "done";
  }

  TempFolder folder_;
  AppSettings settings_;
  PlayerConnection connection_{settings_};
  platform::ModuleHandle module_ = nullptr;
  const char* (*calls_)() = nullptr;
  void (*reset_)(uint32_t) = nullptr;
  std::string hex_;
};

TEST_F(FirmwareUpgradeTest, AFileThatCannotBeUsedIsRefusedBeforeAnyDeviceCall) {
  const std::string record = hex_.substr(0, hex_.find('\n'));  // :10000000, 32 digits, checksum
  std::string lower = record;
  for (char& c : lower) c = static_cast<char>(std::tolower(c));
  for (const std::string& text : {WithLine(hex_, 3839, ""),  // 3839 data records, then the end record
                                  WithLine(hex_, 5, lower), WithLine(hex_, 6, record.substr(0, 25) + "00"),
                                  WithLine(hex_, 7, ":08" + record.substr(3, 6) + record.substr(9, 32)),
                                  WithLine(hex_, 8, record.substr(0, 20) + "G" + record.substr(21)), std::string()}) {
    EXPECT_EQ(Upgrade(text), "system 2") << text.substr(0, 300);
    EXPECT_STREQ(calls_(), "");
  }
  EXPECT_EQ(Upgrade("; lines that are no records are passed over\r\n\r\n" + hex_), "done");
  EXPECT_EQ(std::string(calls_()).substr(0, 24), "open 255\nwrite 0\nread 0\n");
}

TEST_F(FirmwareUpgradeTest, AFaultAtBlock100EndsTheUpgradeThere) {
  EXPECT_EQ(Upgrade(hex_, 100), "media 110");
  const std::string calls = calls_();
  EXPECT_EQ(calls.substr(calls.find("read 99\n")), "read 99\nwrite 100\nlastError\nclose\n");
  EXPECT_FALSE(connection_.IsOpen());
}

}  // namespace
