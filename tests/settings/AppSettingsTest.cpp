// The settings file in the program folder: what is applied, what is not, and
// what the program writes back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "resources/StringTables.h"
#include "settings/AppSettings.h"
#include "tests/OwnProgramFolder.h"

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

TEST_F(AppSettingsTest, OnlyEndedLinesOfTheGeneralSectionApplyKeysIgnoringCaseButNotBlanks) {
  struct Case {
    const char* why;
    std::string file;  // none: no file at all
    std::string download, upload, font;
  };
  const std::string folder = Folder();
  const std::string longFont(5000, 'f');
  for (const Case& settings : std::initializer_list<Case>{
           {"no file", "", folder, folder, "MS Gothic"},
           {"no section", "downloadDir=/music/\r\n[general]\r\nuploadDir=/up/\r\nnameFont=X\r\n", folder, folder,
            "MS Gothic"},
           {"case and blanks",
            "uploaddir=/before/\r\n[General]\r\nDOWNLOADDIR=/home/me/Music\r\nuploadDir = /blanks/\r\n"
            "NameFont= IPA Gothic = x\r\n",
            "/home/me/Music/", folder, " IPA Gothic = x"},
           {"later lines win, other sections do not stop, an empty folder is the root",
            "[General]\ndownloadDir=/first/\n\nno equals sign\n"
            "[Other]\ndownloadDir=/second\nuploadDir=\rnameFont=Kept\n",
            "/second/", "/", "Kept"},
           {"unended last line", "[General]\r\nnameFont=Cut", folder, folder, "MS Gothic"},
           {"ended by a carriage return", "[General]\r\nnameFont=Whole\r", folder, folder, "Whole"},
           {"a line longer than a read block", "[General]\r\nnameFont=" + longFont + "\n", folder, folder, longFont},
       }) {
    SCOPED_TRACE(settings.why);
    std::filesystem::remove(Path());
    if (!settings.file.empty()) std::ofstream(Path(), std::ios::binary | std::ios::trunc) << settings.file;
    AppSettings read;
    ASSERT_TRUE(read.ReadSettings());
    EXPECT_EQ(read.downloadFolder, settings.download.c_str());
    EXPECT_EQ(read.uploadFolder, settings.upload.c_str());
    EXPECT_EQ(read.nameFont, settings.font.c_str());
  }
}

TEST_F(AppSettingsTest, WrittenSettingsReadBackAlike) {
  AppSettings settings;
  settings.SetDefaults();
  settings.downloadFolder = "/home/me/Music/";
  settings.uploadFolder = "/home/me/Backup=old/";
  settings.nameFont = "IPAGothic";
  settings.selectedMedium = 1;
  settings.readTags = false;
  ASSERT_TRUE(settings.WriteSettings());
  std::ifstream in(Path(), std::ios::binary);
  EXPECT_EQ(
      std::string(std::istreambuf_iterator<char>(in), {}),
      "[General]\r\ndownloadDir=/home/me/Music/\r\nuploadDir=/home/me/Backup=old/\r\nnameFont=IPAGothic\r\n"
      "readTags=0\r\nreadPlaylists=1\r\nconvertAudio=1\r\nmp3Quality=2\r\nmp3SampleRate=44100\r\nskipDuplicates=1\r\n");

  AppSettings back;
  back.ReadSettings();
  EXPECT_EQ(back.downloadFolder, settings.downloadFolder);
  EXPECT_EQ(back.uploadFolder, settings.uploadFolder);
  EXPECT_EQ(back.nameFont, settings.nameFont);
  EXPECT_FALSE(back.readTags);
  EXPECT_EQ(back.selectedMedium, 0) << "the medium is not saved";
}

TEST_F(AppSettingsTest, MusicSwitchesAreOnUnlessTheFileSaysZero) {
  std::ofstream(Path()) << "[General]\nreadTags=no\n";
  AppSettings settings;
  settings.ReadSettings();
  EXPECT_TRUE(settings.readTags) << "a value other than 0 or 1 leaves the default";
  std::ofstream(Path()) << "[General]\nREADTAGS=0\nmp3Quality=10\nmp3SampleRate=22050\n";
  settings.ReadSettings();
  EXPECT_FALSE(settings.readTags);
  EXPECT_EQ(settings.mp3Quality, 2) << "LAME's qualities end at 9";
  EXPECT_EQ(settings.mp3SampleRate, 22050);
}

}  // namespace
