// What the benchmarks share: running a peer program, timing, and PC files of
// random bytes.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

// Runs a shell command quietly; a failure throws.
inline void Run(const std::string& command) {
  const int status = std::system(("MTOOLS_SKIP_CHECK=1 " + command + " > /dev/null 2>&1").c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("failed: " + command);
}

inline double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Written in small pieces, so that making the files does not raise the
// process's peak memory before the work is measured.
inline void WriteRandomFile(const std::string& path, size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> words(16384);
  FILE* file = std::fopen(path.c_str(), "wb");
  for (size_t left = size; left > 0;) {
    for (uint32_t& word : words) word = random();
    const size_t n = std::min(left, words.size() * 4);
    std::fwrite(words.data(), 1, n, file);
    left -= n;
  }
  std::fclose(file);
}
