// The application with the program's real resources, once per test binary and
// ended before the program's static objects go.
#pragma once

#include <gtest/gtest.h>

#include "framework/ui/Application.h"
#include "resources/ui/UiResources.h"

class ProgramEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static char name[] = "tunewarden";
    static char* argv[] = {name, nullptr};
    application_.Init(1, argv);
    InstallUiResources();
  }
  void TearDown() override { application_.Term(); }

 private:
  CApplication application_;
};
inline ::testing::Environment* const programEnvironment = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);
