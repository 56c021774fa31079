// Real MP3 files for the tests, made by lame from silence at test time.
#pragma once

#include <string>

#include "tests/player/ConnectionFixture.h"

namespace connection_testing {

// Encodes `seconds` of mono silence at 44.1 kHz; a title or artist makes lame
// add ID3 tags at both ends, so the audio range lies inside the file.
inline void MakeMp3(const std::string& path, int seconds, const std::string& title = "",
                    const std::string& artist = "") {
  std::string command =
      "head -c " + std::to_string(seconds * 88200) + " /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16";
  if (!title.empty()) command += " --tt '" + title + "'";
  if (!artist.empty()) command += " --ta '" + artist + "'";
  const Outcome made = RunShell(command + " - '" + path + "'");
  ASSERT_EQ(made.exitCode, 0) << made.output;
}

}  // namespace connection_testing
