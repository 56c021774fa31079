#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/Errors.h"
#include "platform/Registry.h"

namespace platform {
namespace {

using namespace std::string_literals;

constexpr auto LocalMachine = RegistryRoot::LocalMachine;
constexpr auto ClassesRoot = RegistryRoot::ClassesRoot;
constexpr const char* FontAssoc = "SYSTEM\\CurrentControlSet\\Control\\FontAssoc\\Associated DefaultFonts";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegistryClear(); }
  void TearDown() override {
    RegistryClear();
    std::remove(path_.c_str());
  }
  bool Load(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
    return RegistryLoadFile(path_);
  }
  std::string path_ = testing::TempDir() + "tw-registry.ini";
};

TEST_F(RegistryTest, SetValuesAreFoundIgnoringCase) {
  EXPECT_FALSE(RegistryKeyExists(LocalMachine, FontAssoc));
  EXPECT_EQ(RegistryValue(LocalMachine, FontAssoc, "FontPackage"), std::nullopt);
  EXPECT_EQ(GetLastError(), Error::FileNotFound);
  RegistrySetValue(LocalMachine, FontAssoc, "FontPackage", "IPAGothic");
  EXPECT_EQ(RegistryValue(LocalMachine,
                          "\\system\\currentcontrolset\\control\\fontassoc\\"
                          "associated defaultfonts\\",
                          "FONTPACKAGE"),
            "IPAGothic");
  EXPECT_TRUE(RegistryKeyExists(LocalMachine, "SYSTEM\\CurrentControlSet"));  // a parent
  EXPECT_FALSE(RegistryKeyExists(LocalMachine, "SYSTEM\\Current"));
  EXPECT_FALSE(RegistryKeyExists(RegistryRoot::CurrentUser, FontAssoc));
  EXPECT_EQ(RegistryValue(LocalMachine, FontAssoc, "FontPackageModern"), std::nullopt);
}

TEST_F(RegistryTest, FileIsReadLineByLineSkippingBrokenLines) {
  ASSERT_TRUE(
      Load("\xEF\xBB\xBF; a comment\r\n"
           "Orphan=before any section\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\FontAssoc\\Associated DefaultFonts]\r\n"
           "  FontPackage = IPAGothic  \r\n"
           "no equals sign here\r\n"
           "FontPackageModern=first\n"
           "FontPackageModern=later=wins\n"
           "Broken=\xff\xfe\n"
           "[HKCR\\.mp3\n"
           "Lost=under a broken section line\n"
           "[HKEY_NOWHERE\\Key]\n"
           "Lost=under an unknown root\n"
           "# another comment\n"
           "[hkcr\\mp3file\\DefaultIcon]\n"
           "@=C:\\icons\\mp3.ico,0\n"
           "\"Quoted=Name\" = \"C:\\\\a \\\"b\\\"\"\n"
           "\"Unclosed=x\n"
           "Trailing=\"x\" y\n"
           "Bin\0ary=x\n"
           "Last=no line end"s));
  EXPECT_EQ(RegistryValue(LocalMachine, FontAssoc, "FontPackage"), "IPAGothic");
  EXPECT_EQ(RegistryValue(LocalMachine, FontAssoc, "FontPackageModern"), "later=wins");
  EXPECT_EQ(RegistryValue(LocalMachine, FontAssoc, "Broken"), std::nullopt);
  EXPECT_EQ(RegistryValue(LocalMachine, FontAssoc, "Orphan"), std::nullopt);
  EXPECT_FALSE(RegistryKeyExists(ClassesRoot, ".mp3"));
  EXPECT_EQ(RegistryValue(ClassesRoot, "mp3file\\DefaultIcon", ""), "C:\\icons\\mp3.ico,0");
  EXPECT_EQ(RegistryValue(ClassesRoot, "mp3file\\DefaultIcon", "Last"), "no line end");
  EXPECT_EQ(RegistryValue(ClassesRoot, "mp3file\\DefaultIcon", "quoted=name"), "C:\\a \"b\"");
  EXPECT_EQ(RegistryValue(ClassesRoot, "mp3file\\DefaultIcon", "\"Unclosed"), std::nullopt);
  EXPECT_EQ(RegistryValue(ClassesRoot, "mp3file\\DefaultIcon", "Trailing"), std::nullopt);
  EXPECT_EQ(RegistryValue(ClassesRoot, "mp3file\\DefaultIcon", "Lost"), std::nullopt);

  EXPECT_FALSE(RegistryLoadFile(path_ + ".none"));
  EXPECT_EQ(GetLastError(), Error::FileNotFound);
}

}  // namespace
}  // namespace platform
