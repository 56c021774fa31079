#include "framework/core/DiskFile.h"

#include <gtest/gtest.h>

#include "framework/core/Exception.h"
#include "platform/Errors.h"
#include "tests/framework/core/FailureCode.h"
#include "tests/framework/core/TempFolder.h"

using platform::OpenFlag::Create;
using platform::OpenFlag::CreateNew;
using platform::OpenFlag::Read;
using platform::OpenFlag::Truncate;
using platform::OpenFlag::Write;

namespace {

uint32_t OpenFailure(const CText& path, uint32_t flags) {
  return FailureCode([&] { CDiskFile().Open(path, flags); });
}

}  // namespace

TEST(DiskFile, CreationFlags) {
  TempFolder folder;
  folder.Put("old", "0123456789");

  EXPECT_EQ(OpenFailure(folder / "missing", Read), platform::Error::FileNotFound)
      << "no creation bit opens an existing file only";
  EXPECT_EQ(OpenFailure(folder / "old", Write | CreateNew), platform::Error::FileExists);
  EXPECT_EQ(OpenFailure(folder / "old", Write | CreateNew | Create | Truncate), platform::Error::FileExists)
      << "create-new overrides the other creation bits";
  EXPECT_EQ(folder.Contents("old"), "0123456789");

  CDiskFile file;
  file.Open(folder / "old", Write | Create);
  EXPECT_EQ(file.Size(), 10u) << "create alone keeps an existing file";
  file.Open(folder / "old", Write | Create | Truncate);
  EXPECT_EQ(file.Size(), 0u) << "create and truncate always start empty";
  file.Open(folder / "new", Write | CreateNew);
  file.WriteChars("fresh");
  file.Close();
  file.Close();
  EXPECT_EQ(folder.Contents("new"), "fresh");
  EXPECT_EQ(OpenFailure(folder / "nofolder/x", Write | Create), platform::Error::PathNotFound);
}

TEST(DiskFile, ReadingAtTheEndThrowsCodeZero) {
  TempFolder folder;
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
