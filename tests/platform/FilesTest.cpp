#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "tests/TempFiles.h"

namespace platform {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void TearDown() override { SetActiveCodePage(0); }
  void Put(const std::string& name, const std::string& content) { ::WriteFile(dir_ + name, content); }
  std::string Content(const std::string& name) { return ::ReadFile(dir_ + name); }
  // Opens, expecting failure with the given code.
  void ExpectOpenFails(const std::string& path, uint32_t flags, uint32_t code) {
    SetLastError(Error::None);
    EXPECT_EQ(OpenFile(path, flags), InvalidFile) << path;
    EXPECT_EQ(GetLastError(), code) << path;
  }
  std::vector<std::string> Search(const std::string& pattern) {
    std::vector<std::string> names;
    DirectorySearch search;
    FileInfo info;
    if (search.Start(pattern)) {
      while (search.Next(&info)) names.push_back(info.name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  TempFolder folder_;
  const std::string dir_ = folder_.Path() + "/";
};

TEST_F(FilesTest, OpenHonoursEveryCreationBit) {
  using namespace OpenFlag;
  Put("old", "content");
  ExpectOpenFails(dir_ + "missing", Read, Error::FileNotFound);
  ExpectOpenFails(dir_ + "nofolder/missing", Read | Write | Create, Error::PathNotFound);
  ExpectOpenFails(dir_ + "old", Write | CreateNew, Error::FileExists);
  ExpectOpenFails(dir_ + "old", Write | CreateNew | Create | Truncate, Error::FileExists);
  ExpectOpenFails(dir_ + "old/x", Read, Error::PathNotFound);  // a file used as a folder
  ExpectOpenFails(dir_, Read, Error::AccessDenied);            // a folder is not a file
  EXPECT_EQ(Content("old"), "content");

  FileHandle kept = OpenFile(dir_ + "old", Write | Create | ShareRead | ShareWrite);
  ASSERT_NE(kept, InvalidFile);
  CloseFile(kept);
  EXPECT_EQ(Content("old"), "content");  // create-if-missing leaves an existing file alone

  FileHandle emptied = OpenFile(dir_ + "old", Write | Create | Truncate);
  ASSERT_NE(emptied, InvalidFile);
  CloseFile(emptied);
  EXPECT_EQ(Content("old"), "");

  FileHandle created = OpenFile(dir_ + "new", Write | CreateNew);
  ASSERT_NE(created, InvalidFile);
  CloseFile(created);
  EXPECT_TRUE(FileExists(dir_ + "new"));
}

TEST_F(FilesTest, ReadWriteSeekAndSize) {
  FileHandle file = OpenFile(dir_ + "data", OpenFlag::Read | OpenFlag::Write | OpenFlag::Create);
  ASSERT_NE(file, InvalidFile);
  std::string text(10000, 'x');
  uint32_t done = 0;
  ASSERT_TRUE(WriteFile(file, text.data(), text.size(), &done));
  EXPECT_EQ(done, 10000u);
  uint64_t size = 0, position = 0;
  ASSERT_TRUE(GetFileSize(file, &size));
  EXPECT_EQ(size, 10000u);
  ASSERT_TRUE(SeekFile(file, -100, SeekOrigin::End, &position));
  EXPECT_EQ(position, 9900u);
  char buffer[300];
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 100u);  // only what is left
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 0u);  // the end is not a failure
  SetLastError(Error::None);
  EXPECT_FALSE(SeekFile(file, -1, SeekOrigin::Begin, &position));
  EXPECT_EQ(GetLastError(), Error::InvalidParameter);
  ASSERT_TRUE(CloseFile(file));
  EXPECT_FALSE(ReadFile(file, buffer, 1, &done));
  EXPECT_EQ(GetLastError(), Error::InvalidHandle);

  FileHandle readOnly = OpenFile(dir_ + "data", OpenFlag::Read);
  EXPECT_FALSE(WriteFile(readOnly, "y", 1, &done));
  EXPECT_EQ(GetLastError(), Error::InvalidHandle);
  CloseFile(readOnly);
}

TEST_F(FilesTest, FolderAndEntryOperationsReportTheirCauses) {
  auto fails = [](bool result, uint32_t code) {
    EXPECT_FALSE(result);
    EXPECT_EQ(GetLastError(), code);
  };
  Put("file", "1");
  fails(DeleteFile(dir_ + "missing"), Error::FileNotFound);
  fails(DeleteFile(dir_ + "gone/missing"), Error::PathNotFound);
  ASSERT_TRUE(CreateFolder(dir_ + "sub"));
  fails(CreateFolder(dir_ + "sub"), Error::AlreadyExists);
  fails(CreateFolder(dir_ + "a/b"), Error::PathNotFound);
  fails(DeleteFile(dir_ + "sub"), Error::AccessDenied);
  Put("sub/inner", "2");
  fails(RemoveFolder(dir_ + "sub"), Error::DirectoryNotEmpty);
  fails(RemoveFolder(dir_ + "file"), Error::NotADirectory);
  fails(RenameFile(dir_ + "file", dir_ + "sub/inner"), Error::AlreadyExists);
  EXPECT_EQ(Content("sub/inner"), "2");
  EXPECT_EQ(Content("file"), "1");
  ASSERT_TRUE(RenameFile(dir_ + "file", dir_ + "moved"));
  EXPECT_FALSE(FileExists(dir_ + "file"));
  ASSERT_TRUE(DeleteFile(dir_ + "sub/inner"));
  ASSERT_TRUE(RemoveFolder(dir_ + "sub"));
  EXPECT_FALSE(FileExists(dir_ + "sub"));
}

TEST_F(FilesTest, FileInfoDescribesTheEntry) {
  Put(".hidden", "12345");
  chmod((dir_ + ".hidden").c_str(), 0444);
  FileInfo info;
  ASSERT_TRUE(GetFileInfo(dir_ + ".hidden", &info));
  EXPECT_EQ(info.name, ".hidden");
  EXPECT_EQ(info.size, 5u);
  EXPECT_EQ(info.attributes, Attribute::Archive | Attribute::ReadOnly | Attribute::Hidden);
  EXPECT_LT(CurrentFileTime() - info.modified, 600'000'000u);  // within a minute
  EXPECT_TRUE(info.shortName.empty());
  ASSERT_TRUE(GetFileInfo(dir_, &info));
  EXPECT_EQ(info.attributes & Attribute::Directory, Attribute::Directory);
  EXPECT_EQ(info.name, dir_.substr(5, dir_.size() - 6));
  EXPECT_FALSE(GetFileInfo(dir_ + "none", &info));
  EXPECT_EQ(GetLastError(), Error::FileNotFound);
}

TEST(WildcardTest, MatchesLikeTheOriginalSystem) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"*.HEX", "fw.hex", true}, {"*.hex", "b.hex.bak", false}, {"?.txt", "ab.txt", false},
      {"a?c", "ac", false},      {"*a*b", "xaxxab", true},      {"*a*b", "xaxxa", false},
      {"", "a", false},          {"*.*", "README", true},       {"x*.*", "yz", false}};
  for (auto [pattern, name, match] : cases) {
    EXPECT_EQ(WildcardMatch(pattern, name), match) << pattern << " " << name;
  }
  SetActiveCodePage(932);  // '?' takes a whole double-byte character
  EXPECT_TRUE(WildcardMatch("?.txt", "\x83\x5c.txt"));
  EXPECT_FALSE(WildcardMatch("??.txt", "\x83\x5c.txt"));
  SetActiveCodePage(CodePageUtf8);
  EXPECT_TRUE(WildcardMatch("?.txt", "日.txt"));
  SetActiveCodePage(0);
}

TEST_F(FilesTest, DirectorySearchListsMatchingEntriesHereOrInTheCurrentDirectory) {
  Put("A.HEX", "12");
  Put("b.hex", "");
  Put("c.txt", "");
  ASSERT_TRUE(CreateFolder(dir_ + "sub.hex"));
  EXPECT_EQ(Search(dir_ + "*.hex"), (std::vector<std::string>{"A.HEX", "b.hex", "sub.hex"}));
  EXPECT_EQ(Search(dir_ + "*"), (std::vector<std::string>{".", "..", "A.HEX", "b.hex", "c.txt", "sub.hex"}));

  DirectorySearch search;
  FileInfo info;
  ASSERT_TRUE(search.Start(dir_ + "a.hex"));
  ASSERT_TRUE(search.Next(&info));
  EXPECT_EQ(info.size, 2u);
  EXPECT_FALSE(search.Next(&info));
  EXPECT_EQ(GetLastError(), Error::NoMoreFiles);
  EXPECT_FALSE(search.Start(dir_ + "*.zip"));
  EXPECT_EQ(GetLastError(), Error::FileNotFound);
  EXPECT_FALSE(search.Next(&info));
  EXPECT_FALSE(search.Start(dir_ + "none/*"));
  EXPECT_EQ(GetLastError(), Error::PathNotFound);

  // A relative pattern searches the current directory.
  std::string here = CurrentDirectory();
  ASSERT_TRUE(here.ends_with('/'));
  ASSERT_TRUE(SetCurrentDirectory(dir_ + "sub.hex"));
  EXPECT_EQ(CurrentDirectory(), std::filesystem::canonical(dir_ + "sub.hex").string() + "/");
  Put("sub.hex/inner", "");
  EXPECT_EQ(Search("*.*"), (std::vector<std::string>{".", "..", "inner"}));
  EXPECT_FALSE(SetCurrentDirectory(dir_ + "c.txt"));
  EXPECT_EQ(GetLastError(), Error::NotADirectory);
  EXPECT_FALSE(SetCurrentDirectory(dir_ + "missing"));
  EXPECT_EQ(GetLastError(), Error::FileNotFound);
  ASSERT_TRUE(SetCurrentDirectory(here));
  EXPECT_TRUE(ProgramPath().ends_with("/PlatformTest"));
  EXPECT_EQ(ProgramFolder() + "PlatformTest", ProgramPath());
}

TEST_F(FilesTest, PathsAreInTheProgramsCodePage) {
  SetActiveCodePage(932);
  std::string name = "\x93\xfa\x96\x7b.txt";  // 日本.txt
  FileHandle file = OpenFile(dir_ + name, OpenFlag::Write | OpenFlag::Create);
  ASSERT_NE(file, InvalidFile);
  CloseFile(file);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "日本.txt"));
  Put("한국.txt", "");  // cannot be named in this page: listed, marked as such
  EXPECT_EQ(Search(dir_ + "*.txt"), (std::vector<std::string>{"??.txt", name}));
  DirectorySearch search;
  FileInfo info;
  ASSERT_TRUE(search.Start(dir_ + "*.txt"));
  while (search.Next(&info)) EXPECT_EQ(info.nameLost, info.name == "??.txt") << info.name;
  EXPECT_FALSE(FileExists(dir_ + "\x83"));  // a lead byte without its trail byte
  EXPECT_EQ(GetLastError(), Error::InvalidName);
  EXPECT_FALSE(FileExists(std::string("a\0b", 3)));
  EXPECT_EQ(GetLastError(), Error::InvalidName);
}

}  // namespace
}  // namespace platform
