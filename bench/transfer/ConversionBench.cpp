// Conversion on the way in: tunewarden-cli put of 20 FLAC files of 30 s each
// into the track list of a fresh player, decoded, encoded to MP3 (VBR quality
// 2, 44.1 kHz) and stored, against ffmpeg encoding each file with
// libmp3lame at the same quality (-q:a 2) into /dev/null, in the same run,
// rounds interleaved. Prints each round's ratio (our time over ffmpeg's: 1.1
// or less is the aim) and their minimum and median.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchTools.h"

namespace {

namespace fs = std::filesystem;

constexpr int FileCount = 20;
constexpr int Rounds = 3;

}  // namespace

int main() {
  char pattern[] = "/tmp/conversion-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string root = pattern, music = root + "/music", player = root + "/player";
  fs::create_directories(music);
  setenv("TUNEWARDEN_PLAYER", player.c_str(), 1);
  int exitCode = 0;
  try {
    std::vector<std::string> files;
    for (int i = 0; i < FileCount; ++i) {
      files.push_back(music + "/track " + std::to_string(i) + ".flac");
      // Two tones over pink noise: music-like work for the encoder, not silence.
      Run("ffmpeg -v error -f lavfi -i 'sine=frequency=" + std::to_string(220 + 20 * i) +
          ":duration=30' -f lavfi -i 'anoisesrc=color=pink:amplitude=0.2:duration=30:seed=" + std::to_string(i) +
          "' -filter_complex amix=inputs=2 -ac 2 -ar 44100 -metadata title='Track " + std::to_string(i) + "' '" +
          files.back() + "'");
    }
    std::vector<double> ratios;
    for (int round = 0; round < Rounds; ++round) {
      fs::remove_all(player);
      Run(std::string(PLAYER_COMMAND) + " create --format --internal 256M");
      const double ours = Seconds([&] { Run(std::string(CLI_COMMAND) + " put '\\MUSIC' '" + music + "'"); });
      const double peer = Seconds([&] {
        for (const std::string& file : files)
          Run("ffmpeg -v error -y -i '" + file + "' -c:a libmp3lame -q:a 2 -f mp3 /dev/null");
      });
      ratios.push_back(ours / peer);
      std::printf("round %d: put %.2f s, ffmpeg %.2f s\n", round + 1, ours, peer);
    }
    std::printf("put's time over ffmpeg -c:a libmp3lame -q:a 2 per file, %d FLAC files of 30 s, ratios", FileCount);
    for (const double ratio : ratios) std::printf(" %.2f", ratio);
    std::sort(ratios.begin(), ratios.end());
    std::printf("   min %.2f   median %.2f\n", ratios.front(), ratios[ratios.size() / 2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    exitCode = 1;
  }
  fs::remove_all(root);
  return exitCode;
}
