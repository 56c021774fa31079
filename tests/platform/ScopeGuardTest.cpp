#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/ScopeGuard.h"

namespace platform {
namespace {

TEST(ScopeGuardTest, CleansUpOnlyWhenLeftByAnException) {
  int cleanups = 0;
  {
    const OnFailure guard([&] { ++cleanups; });
  }
  EXPECT_EQ(cleanups, 0);

  // A guard made while another exception is already unwinding (in a
  // destructor) counts only failures of its own scope.
  struct UnwindingScope {
    int* cleanups;
    ~UnwindingScope() {
      const OnFailure guard([this] { ++*cleanups; });
    }
  };
  EXPECT_THROW(
      {
        UnwindingScope scope{&cleanups};
        const OnFailure guard([&] { ++cleanups; });
        throw std::runtime_error("work");
      },
      std::runtime_error);
  EXPECT_EQ(cleanups, 1);
}

TEST(ScopeGuardTest, TheFirstErrorIsTheOneReported) {
  try {
    const OnFailure guard([] { throw std::runtime_error("clean-up"); });
    throw std::runtime_error("work");
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "work");
  }
}

}  // namespace
}  // namespace platform
