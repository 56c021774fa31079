#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/Modules.h"

namespace platform {
namespace {

// twtest_module.so is built beside this test program and nowhere else.
TEST(ModulesTest, LoadsFromTheProgramFolderByBareName) {
  ModuleHandle module = LoadModule("twtest_module.so");
  ASSERT_NE(module, nullptr);
  auto answer = reinterpret_cast<int (*)()>(ModuleSymbol(module, "TestModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(ModuleSymbol(module, "NoSuchSymbol"), nullptr);
  EXPECT_EQ(GetLastError(), Error::ProcedureNotFound);
  FreeModule(module);
}

TEST(ModulesTest, FallsBackToTheSystemAndReportsWhatIsMissing) {
  ModuleHandle system = LoadModule("libm.so.6");
  ASSERT_NE(system, nullptr);
  EXPECT_NE(ModuleSymbol(system, "cos"), nullptr);
  FreeModule(system);
  for (const char* name : {"nomodule.so", ""}) {
    SetLastError(Error::None);
    EXPECT_EQ(LoadModule(name), nullptr);
    EXPECT_EQ(GetLastError(), Error::ModuleNotFound);
  }
  EXPECT_EQ(ModuleSymbol(nullptr, "cos"), nullptr);
  EXPECT_EQ(GetLastError(), Error::InvalidHandle);
  FreeModule(nullptr);
}

}  // namespace
}  // namespace platform
