#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/core/DroppedFiles.h"
#include "framework/core/Exception.h"
#include "framework/core/FileSearch.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "platform/Time.h"
#include "tests/framework/core/CoreTesting.h"

// The causes are the platform layer's; these helpers add which failures throw.
TEST(FileHelpers, MissingEntriesAreNoFailureOtherCausesThrow) {
  CoreFolder folder;
  folder.Put("a", "1");
  EXPECT_TRUE(DeleteFile(folder / "a"));
  EXPECT_FALSE(DeleteFile(folder / "a")) << "a missing file gives false, no exception";
  CreateFolder(folder / "music");
  folder.Put("music/x", "x");
  CreateFolder(folder / "music");
  EXPECT_EQ(folder.Contents("music/x"), "x") << "an existing folder is left alone";
  EXPECT_NE(FailureCode([&] { DeleteFile(folder / "music"); }), 0u) << "a folder is not deleted as a file";
  EXPECT_EQ(FailureCode([&] { CreateFolder(folder / "a/b"); }), platform::Error::PathNotFound);
}

TEST(FileHelpers, FileEntryDescribesOnePath) {
  CoreFolder folder;
  folder.Put("song.mp3", std::string(1234, 's'));
  std::filesystem::create_directory(folder.File("Albums"));

  const CFileEntry file = GetFileEntry(folder / "song.mp3");
  EXPECT_EQ(file.name, CText("song.mp3"));
  EXPECT_EQ(file.size, 1234u);
  EXPECT_FALSE(file.IsFolder());
  EXPECT_TRUE(file.shortName.IsEmpty());
  const uint64_t localNow = platform::FileTimeToLocal(platform::CurrentFileTime()) / 10000;
  EXPECT_NEAR(static_cast<double>(file.modified.Milliseconds()), static_cast<double>(localNow), 60000.0)
      << "the stamp is in local time";

  EXPECT_TRUE(GetFileEntry(folder / "Albums").IsFolder());
  EXPECT_EQ(FailureCode([&] { GetFileEntry(folder / "none"); }), platform::Error::FileNotFound);
}

TEST(FileHelpers, StringTableIsEmptyUntilRegisteredAndCutAt255) {
  EXPECT_TRUE(LoadStringText(61).IsEmpty());
  SetStringTable([](uint32_t id) {
    if (id == 61) return CText("Tunewarden");
    if (id == 2) return CText(std::string(300, 'm'));
    return CText();
  });
  EXPECT_EQ(LoadStringText(61), CText("Tunewarden"));
  EXPECT_EQ(LoadStringText(2).Length(), 255);
  EXPECT_TRUE(LoadStringText(3).IsEmpty());
  SetStringTable(nullptr);
  EXPECT_TRUE(LoadStringText(61).IsEmpty());
}

// Matching itself belongs to the platform layer; this layer adds the entry and Close.
TEST(FileSearch, GivesEntriesUntilClosed) {
  CoreFolder folder;
  folder.Put("a.hex", "");
  folder.Put("c.txt", "");
  CFileSearch search;
  CFileEntry entry;
  EXPECT_FALSE(search.Next(entry)) << "not started";
  ASSERT_TRUE(search.Start(folder / "*.HEX"));
  ASSERT_TRUE(search.Next(entry));
  EXPECT_EQ(entry.name, CText("a.hex"));
  search.Close();
  EXPECT_FALSE(search.Next(entry));
  EXPECT_FALSE(search.Start(folder / "missing/*"));
}

TEST(DroppedFiles, GivesEachDroppedPathInOrder) {
  CoreFolder folder;
  folder.Put("one.mp3", "12345");
  std::filesystem::create_directory(folder.File("Album"));

  auto drop = std::make_unique<DropHandle>();
  drop->paths = {folder / "one.mp3", folder / "Album", folder / "gone.mp3"};
  CDroppedFiles dropped;
  EXPECT_EQ(dropped.Attach(std::move(drop)), 3);

  CFileEntry entry;
  ASSERT_TRUE(dropped.Next(entry));
  EXPECT_EQ(entry.name, folder / "one.mp3") << "the name is the full path";
  EXPECT_EQ(entry.size, 5u);
  ASSERT_TRUE(dropped.Next(entry));
  EXPECT_TRUE(entry.IsFolder());
  EXPECT_THROW(dropped.Next(entry), CException) << "a dropped path that has gone";
  EXPECT_FALSE(dropped.Next(entry));

  EXPECT_EQ(dropped.Attach(nullptr), 0);
  EXPECT_FALSE(dropped.Next(entry));
}
