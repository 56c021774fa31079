// Runs a shell command for the tests and keeps what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct Outcome {
  int exitCode = -1;
  std::string output;  // stdout, and stderr when asked
};

inline Outcome RunShell(const std::string& command, bool withErrors = true) {
  Outcome outcome;
  FILE* pipe = popen((command + (withErrors ? " 2>&1" : "")).c_str(), "r");
  if (!pipe) return outcome;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, got);
  const int status = pclose(pipe);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}
