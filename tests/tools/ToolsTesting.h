// Firmware files for the upgrade tests: random images, written as Intel HEX
// by srec_cat, an independent tool, and damaged copies of such files.
#pragma once

#include <random>
#include <string>

#include "tests/Shell.h"
#include "tests/TempFiles.h"

namespace tools_testing {

constexpr size_t ImageBytes = 61440;
constexpr size_t SentBytes = 60416;

inline std::string RandomImage(unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(ImageBytes, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// srec_cat's file: 3840 data records of 16 bytes, then the end record.
inline std::string WriteHexFile(const std::string& path, const std::string& bytes) {
  WriteFile(path + ".bin", bytes);
  const Outcome made =
      RunShell("srec_cat '" + path + ".bin' -binary -o '" + path + "' -intel -address-length=2 -obs=16");
  if (made.exitCode != 0) throw std::runtime_error("srec_cat: " + made.output);
  return ReadFile(path);
}

// The text with its `line`-th line (0 = the first) replaced.
inline std::string WithLine(const std::string& text, size_t line, const std::string& replacement) {
  size_t start = 0;
  for (size_t i = 0; i < line; ++i) start = text.find('\n', start) + 1;
  const size_t end = text.find('\n', start);
  return text.substr(0, start) + replacement + text.substr(end);
}

}  // namespace tools_testing
