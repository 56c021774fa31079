#include <gtest/gtest.h>

#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "platform/Errors.h"
#include "tests/framework/core/CoreTesting.h"

using platform::OpenFlag::CreateNew;
using platform::OpenFlag::Read;
using platform::OpenFlag::Write;

namespace {

uint32_t OpenFailure(const CText& path, uint32_t flags) {
  return FailureCode([&] { CDiskFile().Open(path, flags); });
}

}  // namespace

// The flag semantics belong to the platform layer; this layer adds the throw.
TEST(DiskFile, FailedOpenThrowsTheCause) {
  CoreFolder folder;
  folder.Put("old", "0123456789");
  EXPECT_EQ(OpenFailure(folder / "missing", Read), platform::Error::FileNotFound);
  EXPECT_EQ(OpenFailure(folder / "old", Write | CreateNew), platform::Error::FileExists);
  EXPECT_EQ(folder.Contents("old"), "0123456789");
}

TEST(DiskFile, ReadingAtTheEndThrowsCodeZero) {
  CoreFolder folder;
  folder.Put("data", "abcdef");
  CDiskFile file;
  file.Open(folder / "data", Read | platform::OpenFlag::ShareRead);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
  EXPECT_STREQ(buffer, "efcd");
  EXPECT_EQ(FailureCode([&] { file.Read(buffer, 1); }), 0u);
  EXPECT_EQ(FailureCode([&] { file.Read(buffer, 1); }), 0u) << "and again";
  EXPECT_EQ(file.Seek(-3, platform::SeekOrigin::End), 3u);
  EXPECT_EQ(FailureCode([&] { file.ReadExact(buffer, 4); }), 0u) << "only three bytes were left";
}
