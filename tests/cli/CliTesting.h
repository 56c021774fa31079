// tunewarden-cli and tunewarden-player run as a user would, in a temporary
// player folder; what they write is checked with mtools and fsck.fat.
#pragma once

#include "tests/player/PlayerTesting.h"

namespace cli_testing {

using namespace player_testing;

class CliFixture : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TUNEWARDEN_PLAYER", (temp_ + "/player").c_str(), 1);
    setenv("MTOOLS_SKIP_CHECK", "1", 1);
  }
  void TearDown() override { unsetenv("TUNEWARDEN_PLAYER"); }

  // Standard output and, apart, standard error.
  Outcome Run(const std::string& command) {
    const std::string errors = temp_ + "/stderr";
    Outcome outcome = RunShell(command + " 2>'" + errors + "'", false);
    errors_ = ReadFile(errors);
    return outcome;
  }
  Outcome Cli(const std::string& arguments) { return Run(std::string(CLI_COMMAND) + " " + arguments); }
  Outcome Player(const std::string& arguments) { return Run(std::string(PLAYER_COMMAND) + " " + arguments); }
  std::string Image(const std::string& medium = "internal") { return temp_ + "/player/" + medium + ".img"; }
  Outcome Mtools(const std::string& tool, const std::string& arguments, const std::string& medium = "internal") {
    return Run(tool + " -i '" + Image(medium) + "' " + arguments);
  }
  std::string ReadFromImage(const std::string& path) { return Mtools("mtype", "'::" + path + "'").output; }
  void ExpectClean(const std::string& medium = "internal") {
    const Outcome checked = Run("fsck.fat -n '" + Image(medium) + "'");
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
  }

  TempFolder folder_;
  const std::string temp_ = folder_.Path();
  std::string errors_;  // of the last command
};

}  // namespace cli_testing
