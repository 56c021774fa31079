#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "tests/OwnProgramFolder.h"

namespace platform {
namespace {

// The program reads registry.ini from its own folder at the first access; this
// run has a folder of its own, so the file cannot disturb anything else.
TEST(RegistryFileTest, ReadFromTheProgramFolderAtFirstAccess) {
  std::string path = ProgramFolder() + "registry.ini";
  std::ofstream(path) << "[HKLM\\SYSTEM\\Key]\nName=Value\n";
  EXPECT_EQ(RegistryValue(RegistryRoot::LocalMachine, "SYSTEM\\Key", "Name"), "Value");
  std::remove(path.c_str());
  RegistryClear();
  EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, "SYSTEM\\Key"));
}

}  // namespace
}  // namespace platform
