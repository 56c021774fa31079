// The two code tables row by row.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "framework/core/Exception.h"
#include "platform/Errors.h"
#include "player/ErrorMapping.h"
#include "resources/StringIds.h"
#include "resources/StringTables.h"
#include "tests/player/PluginTesting.h"

namespace {

// What a mapping threw: "media N" or "system N".
template <class Raise>
std::string Thrown(Raise&& raise) {
  try {
    raise();
  } catch (const CMediaException& e) {
    return "media " + std::to_string(e.Code());
  } catch (const CException& e) {
    return "system " + std::to_string(e.Code());
  }
  return "nothing";
}

// A device whose lastError is set by the test: the file-system code 9 path
// without a real device failure.
class FakeDeviceForCode9 final : public StubDevice {
 public:
  explicit FakeDeviceForCode9(uint32_t code) : code_(code) {}
  uint32_t lastError() override { return code_; }

 private:
  uint32_t code_;
};

struct Row {
  uint32_t code;
  const char* thrown;
};

TEST(ErrorMappingTest, DeviceCodesRowByRow) {
  const Row rows[] = {{11, "media 103"},  {101, "media 103"}, {102, "media 104"},  {103, "media 107"},
                      {104, "media 106"}, {105, "media 108"}, {106, "media 152"},  {0, "media 101"},
                      {110, "media 101"}, {107, "media 101"}, {12345, "media 101"}};
  for (const Row& row : rows) EXPECT_EQ(Thrown([&] { RaiseDeviceError(row.code); }), row.thrown) << row.code;
}

TEST(ErrorMappingTest, FileSystemCodesRowByRow) {
  const Row rows[] = {{202, "media 152"}, {204, "media 153"}, {205, "media 154"}, {221, "system 123"},
                      {222, "media 201"}, {223, "media 202"}, {226, "system 80"}, {227, "system 206"},
                      {0, "media 101"},   {14, "media 101"},  {224, "media 101"}, {225, "media 101"},
                      {228, "media 101"}, {105, "media 101"}};
  for (const Row& row : rows) {
    EXPECT_EQ(Thrown([&] { RaiseFileSystemError(row.code, nullptr); }), row.thrown) << row.code;
  }
}

// The window shows the code's message; the command line the detail, which
// names the entry the call was about.
TEST(ErrorMappingTest, NotFoundAndNotEmptyNameTheirEntryBesideTheCodesMessage) {
  InstallStringTables();
  for (const auto& [code, detail] : {std::pair<uint32_t, std::string>{225, "'\\USER\\A' was not found."},
                                     std::pair<uint32_t, std::string>{224, "The folder '\\USER\\A' is not empty."}}) {
    try {
      RaiseFileSystemError(code, nullptr, "\\USER\\A");
    } catch (const CMediaException& e) {
      EXPECT_EQ(e.Code(), StringId::UnknownError) << code;
      EXPECT_EQ(std::string(e.Detail().Chars()), detail) << code;
    }
  }
}

TEST(ErrorMappingTest, Code2TakesThePlatformLastErrorAndZeroIsUnknown) {
  platform::SetLastError(platform::Error::AccessDenied);
  EXPECT_EQ(Thrown([] { RaiseDeviceError(2); }), "system 5");
  platform::SetLastError(platform::Error::DiskFull);
  EXPECT_EQ(Thrown([] { RaiseFileSystemError(2, nullptr); }), "system 112");
  platform::SetLastError(0);
  EXPECT_EQ(Thrown([] { RaiseDeviceError(2); }), "media 101");
  EXPECT_EQ(Thrown([] { RaiseFileSystemError(2, nullptr); }), "media 101");
}

TEST(ErrorMappingTest, Code9AsksTheDeviceWithAFakeDevice) {
  FakeDeviceForCode9 timedOut(102), protectedMedium(105), system(2);
  EXPECT_EQ(Thrown([&] { RaiseFileSystemError(9, &timedOut); }), "media 104");
  EXPECT_EQ(Thrown([&] { RaiseFileSystemError(9, &protectedMedium); }), "media 108");
  platform::SetLastError(platform::Error::FileNotFound);
  EXPECT_EQ(Thrown([&] { RaiseFileSystemError(9, &system); }), "system 2");
  // No device to ask: nothing more is known.
  EXPECT_EQ(Thrown([] { RaiseFileSystemError(9, nullptr); }), "media 101");
}

}  // namespace
