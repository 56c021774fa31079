// The settings file in the program folder: what is applied, what is not, and
// what the program writes back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/AppSettings.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "resources/StringTables.h"

namespace {

constexpr const char* FontKey = "SYSTEM\\CurrentControlSet\\Control\\FontAssoc\\Associated DefaultFonts";

class AppSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    InstallStringTables();
    platform::RegistryClear();
    std::filesystem::remove(Path());
  }
  void TearDown() override {
    std::filesystem::remove(Path());
    platform::RegistryClear();
  }

  static std::string Path() { return platform::ProgramFolder() + "tunewarden.ini"; }
  static std::string Folder() { return platform::ProgramFolder(); }

  const AppSettings& Read(const std::string& file) {
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << file;
    EXPECT_TRUE(read_.ReadSettings());
    return read_;
  }

  AppSettings read_;
};

TEST_F(AppSettingsTest, DefaultsComeFromTheStringTableAndTheRegistry) {
  AppSettings settings;
  settings.SetDefaults();
  EXPECT_STREQ(settings.title.Chars(), "Tunewarden");
  ASSERT_EQ(settings.mediaCount, 2);
  EXPECT_STREQ(settings.MediaName(0).Chars(), "Internal Memory");
  EXPECT_STREQ(settings.MediaName(1).Chars(), "MMC/SD Card");
  EXPECT_EQ(settings.selectedMedium, 0);
  EXPECT_EQ(settings.downloadFolder, Folder().c_str());
  EXPECT_EQ(settings.uploadFolder, Folder().c_str());
  EXPECT_STREQ(settings.nameFont.Chars(), "MS Gothic");

  platform::RegistrySetValue(platform::RegistryRoot::LocalMachine, FontKey, "FontPackageModern", "Gulim");
  settings.SetDefaults();
  EXPECT_STREQ(settings.nameFont.Chars(), "Gulim");
  platform::RegistrySetValue(platform::RegistryRoot::LocalMachine, FontKey, "FontPackage", "SimSun");
  settings.SetDefaults();
  EXPECT_STREQ(settings.nameFont.Chars(), "SimSun");
  EXPECT_EQ(settings.mediaCount, 2) << "the media are not added twice";
}

TEST_F(AppSettingsTest, AMissingFileOrOneWithoutItsSectionLeavesTheDefaults) {
  EXPECT_TRUE(read_.ReadSettings());
  EXPECT_EQ(read_.downloadFolder, Folder().c_str());
  const AppSettings& settings = Read("downloadDir=/music/\r\n[general]\r\nuploadDir=/up/\r\nnameFont=X\r\n");
  EXPECT_EQ(settings.downloadFolder, Folder().c_str());
  EXPECT_EQ(settings.uploadFolder, Folder().c_str());
  EXPECT_STREQ(settings.nameFont.Chars(), "MS Gothic");
}

TEST_F(AppSettingsTest, KeysIgnoreCaseButNotBlanks) {
  const AppSettings& settings = Read(
      "uploaddir=/before/\r\n"
      "[General]\r\n"
      "DOWNLOADDIR=/home/me/Music\r\n"
      "uploadDir = /blanks/\r\n"
      "NameFont= IPA Gothic = x\r\n");
  EXPECT_STREQ(settings.downloadFolder.Chars(), "/home/me/Music/");
  EXPECT_EQ(settings.uploadFolder, Folder().c_str());
  EXPECT_STREQ(settings.nameFont.Chars(), " IPA Gothic = x");
}

TEST_F(AppSettingsTest, LaterLinesWinOtherSectionsDoNotStopAndEmptyValuesBecomeTheRoot) {
  const AppSettings& settings = Read(
      "[General]\n"
      "downloadDir=/first/\n"
      "\n"
      "no equals sign\n"
      "[Other]\n"
      "downloadDir=/second\n"
      "uploadDir=\r"
      "nameFont=Kept\n");
  EXPECT_STREQ(settings.downloadFolder.Chars(), "/second/");
  EXPECT_STREQ(settings.uploadFolder.Chars(), "/");
  EXPECT_STREQ(settings.nameFont.Chars(), "Kept");
}

TEST_F(AppSettingsTest, AnUnendedLastLineIsNotApplied) {
  EXPECT_STREQ(Read("[General]\r\nnameFont=Cut").nameFont.Chars(), "MS Gothic");
  EXPECT_STREQ(Read("[General]\r\nnameFont=Whole\r").nameFont.Chars(), "Whole");
  const AppSettings& settings = Read("[General]\r\nnameFont=" + std::string(5000, 'f') + "\n");
  EXPECT_EQ(settings.nameFont.Length(), 5000) << "lines longer than a read block";
}

TEST_F(AppSettingsTest, WrittenSettingsReadBackAlike) {
  AppSettings settings;
  settings.SetDefaults();
  settings.downloadFolder = "/home/me/Music/";
  settings.uploadFolder = "/home/me/Backup=old/";
  settings.nameFont = "IPAGothic";
  settings.selectedMedium = 1;
  ASSERT_TRUE(settings.WriteSettings());
  std::ifstream in(Path(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "[General]\r\ndownloadDir=/home/me/Music/\r\nuploadDir=/home/me/Backup=old/\r\nnameFont=IPAGothic\r\n");

  AppSettings back;
  back.ReadSettings();
  EXPECT_EQ(back.downloadFolder, settings.downloadFolder);
  EXPECT_EQ(back.uploadFolder, settings.uploadFolder);
  EXPECT_EQ(back.nameFont, settings.nameFont);
  EXPECT_EQ(back.selectedMedium, 0) << "the medium is not saved";
}

}  // namespace
