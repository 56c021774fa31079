// The framework application with the program's real resources, once per test
// binary.
#pragma once

#include <stdlib.h>

#include "resources/ui/UiResources.h"
#include "tests/framework/ui/UiFrameworkTesting.h"

class ProgramResources : public ::testing::Environment {
 public:
  void SetUp() override { InstallUiResources(); }
};
inline ::testing::Environment* const ProgramResourcesRegistration =
    ::testing::AddGlobalTestEnvironment(new ProgramResources);

// The resources in one interface language while it lives, English after.
class InLanguage {
 public:
  explicit InLanguage(const char* tag) {
    setenv("TUNEWARDEN_LANG", tag, 1);
    InstallUiResources();
  }
  ~InLanguage() {
    setenv("TUNEWARDEN_LANG", "en", 1);
    InstallUiResources();
  }
};
