// Per-item costs of tunewarden-cli against mtools on tmpfs images, in the
// same run, the two sides interleaved round by round (who goes first
// alternates), each put on a fresh copy of one image made by mkfs.fat. Prints
// every row as our time over the peer's (below 1.0 means we are faster), or
// as a ratio of our own times, per round and as minimum and median, by the
// wall clock and by the processes' user and system time (steadier when other
// work shares the machine); the music put's growth fitted to a + b·N + c·N²;
// the peak resident size of a 999-track put; and the time to draw one name
// bitmap in this process.
//
//   cli_bench [--rounds N] [--cli FOLDER]
//
// --cli measures the tunewarden-cli (and its plug-ins) of another build
// folder, so an older build can be measured by the same bench.
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchTools.h"
#include "platform/CodePage.h"
#include "player/NameBitmap.h"

namespace {

namespace fs = std::filesystem;

constexpr int GrowthCounts[] = {50, 100, 200, 400, 999};

struct Measured {
  double seconds;     // wall clock
  double cpuSeconds;  // user and system time: steadier on a loaded machine
  long peakKiB;

  Measured operator/(const Measured& other) const {
    return {seconds / other.seconds, cpuSeconds / other.cpuSeconds, 0};
  }
};

// One shell command as its own process, timed, with its peak resident size.
Measured RunMeasured(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", (command + " > /dev/null 2>&1").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("failed: " + command);
  auto cpu = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return {seconds, cpu(usage.ru_utime) + cpu(usage.ru_stime), usage.ru_maxrss};
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// A lame encoding of a tone of the given length, at 128 kbit/s.
void Encode(const std::string& mp3, int seconds) {
  Run("ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=" + std::to_string(seconds) +
      " -ac 2 -ar 44100 -f s16le - | lame --quiet -r -s 44.1 -b 128 - " + Quoted(mp3));
}

// A folder of `count` copies of a file, named by number.
std::string CopiesOf(const std::string& source, const std::string& folder, int count, const char* pattern) {
  fs::create_directories(folder);
  for (int i = 1; i <= count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, i);
    fs::copy_file(source, folder + "/" + name);
  }
  return folder;
}

class Bench {
 public:
  Bench(std::string root, const std::string& cliFolder)
      : root_(std::move(root)), cli_(cliFolder + "/tunewarden-cli"), player_(root_ + "/player") {
    Run(Quoted(cliFolder + "/tunewarden-player") + " --player " + Quoted(player_) + " create --card 8G");
    pristine_ = root_ + "/pristine.img";
    Run("truncate -s 1G " + Quoted(pristine_) + " && mkfs.fat " + Quoted(pristine_));
    Run("mkfs.fat -F 32 " + Quoted(player_ + "/card.img") + " && mmd -i " + Quoted(player_ + "/card.img") +
        " ::/MUSIC ::/USER");
    Run("mmd -i " + Quoted(pristine_) + " ::/MUSIC ::/USER");
  }

  // A fresh copy of the empty image, outside the time measured.
  std::string FreshImage() {
    std::string image = player_ + "/internal.img";
    fs::copy_file(pristine_, image, fs::copy_options::overwrite_existing);
    return image;
  }

  Measured Cli(const std::string& arguments) {
    return RunMeasured("TUNEWARDEN_PLAYER=" + Quoted(player_) + " " + Quoted(cli_) + " " + arguments);
  }

  // Ours on a fresh image.
  Measured Put(const std::string& folder, const std::string& pcPath) {
    FreshImage();
    return Cli("put --replace all " + Quoted(folder) + " " + Quoted(pcPath));
  }

  Measured Mtools(const std::string& command) {
    const std::string image = FreshImage();
    return RunMeasured("MTOOLS_SKIP_CHECK=1 " + command + " -i " + Quoted(image));
  }

  const std::string& Player() const { return player_; }

 private:
  std::string root_;
  std::string cli_;
  std::string player_;
  std::string pristine_;
};

struct Row {
  std::string what;
  double target;
  std::vector<Measured> ratios;
};

void PrintRatios(const char* kind, std::vector<double> ratios, double target) {
  std::printf("    %-5s", kind);
  for (double ratio : ratios) std::printf(" %5.2f", ratio);
  std::sort(ratios.begin(), ratios.end());
  const double median = ratios[ratios.size() / 2];
  std::printf("   min %5.2f  median %5.2f  %s\n", ratios.front(), median, median <= target ? "met" : "NOT MET");
}

void Print(const Row& row) {
  std::printf("%s (target <= %.1f)\n", row.what.c_str(), row.target);
  std::vector<double> wall, cpu;
  for (const Measured& ratio : row.ratios) {
    wall.push_back(ratio.seconds);
    cpu.push_back(ratio.cpuSeconds);
  }
  PrintRatios("wall", wall, row.target);
  PrintRatios("cpu", cpu, row.target);
}

// Least squares of t = a + b·N + c·N² through the medians.
std::array<double, 3> FitQuadratic(const std::vector<double>& n, const std::vector<double>& t) {
  double m[3][4] = {};
  for (size_t i = 0; i < n.size(); ++i) {
    const double powers[3] = {1, n[i], n[i] * n[i]};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) m[r][c] += powers[r] * powers[c];
      m[r][3] += powers[r] * t[i];
    }
  }
  for (int p = 0; p < 3; ++p) {
    for (int r = p + 1; r < 3; ++r) {
      const double f = m[r][p] / m[p][p];
      for (int c = p; c < 4; ++c) m[r][c] -= f * m[p][c];
    }
  }
  std::array<double, 3> x{};
  for (int r = 2; r >= 0; --r) {
    double sum = m[r][3];
    for (int c = r + 1; c < 3; ++c) sum -= m[r][c] * x[size_t(c)];
    x[size_t(r)] = sum / m[r][r];
  }
  return x;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Microseconds a name, drawing 999 different names with the name font.
double NameBitmapMicroseconds() {
  platform::SetActiveCodePage(platform::CodePageUtf8);
  uint8_t packed[player::NameBitmapSize];
  uint16_t width = 0;
  const double seconds = Seconds([&] {
    for (int i = 1; i <= 999; ++i) {
      const std::string name = "Song number " + std::to_string(i) + " - The Artist (Live)";
      if (player::RenderNameBitmap(packed, name, &width, "MS Gothic") == 0) throw std::runtime_error("no bitmap");
    }
  });
  return seconds / 999 * 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 5;
  std::string cliFolder = fs::canonical("/proc/self/exe").parent_path().string();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--cli") cliFolder = fs::absolute(argv[i + 1]).string();
  }
  char pattern[] = "/dev/shm/cli-bench-XXXXXX";  // tmpfs, as the targets are stated for
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string root = pattern, pc = root + "/pc";
  int exitCode = 0;
  try {
    Bench bench(root, cliFolder);
    fs::create_directories(pc);
    Encode(pc + "/long.mp3", 219);  // 3.5 MB
    Encode(pc + "/short.mp3", 3);   // 48 KB
    const std::string longTracks = CopiesOf(pc + "/long.mp3", pc + "/long", 200, "Long track %03d.mp3");
    std::map<int, std::string> shortTracks;
    for (int count : GrowthCounts)
      shortTracks[count] =
          CopiesOf(pc + "/short.mp3", pc + "/short" + std::to_string(count), count, "Short track number %03d.mp3");
    auto smallFiles = [&](int count, const char* pattern) {
      std::string folder = pc + "/" + std::string(pattern).substr(0, 3) + std::to_string(count);
      fs::create_directories(folder);
      for (int i = 1; i <= count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, pattern, i);
        WriteRandomFile(folder + "/" + name, 1000 + (i * 7919) % 20000, uint32_t(i));
      }
      return folder;
    };
    const std::string small500 = smallFiles(500, "small file %04d.bin");
    const std::string small2000 = smallFiles(2000, "small file %04d.bin");
    const std::string short500 = smallFiles(500, "F83%05d.BIN");
    const std::string music = "\\MUSIC";

    Row musicLong{"put '\\MUSIC' 200 MP3 files of 3.5 MB / mcopy -s", 1.0, {}};
    Row musicShort{"put '\\MUSIC' 400 short tracks (48 KB) / mcopy -s", 3.0, {}};
    Row growth{"put '\\MUSIC' 999 short tracks / 400", 2.6, {}};
    Row user{"put '<USER>' 2000 small files / 500 files", 4.5, {}};
    Row user83{"put '<USER>' 500 files with 8.3 names / mcopy -s", 1.0, {}};
    Row listTracks{"ls of a track list of 400 tracks / mdir", 1.5, {}};
    Row listCard{"ls on an empty 8 GB card / mdir", 2.0, {}};
    std::map<int, std::vector<double>> growthSeconds, growthCpu;
    std::vector<double> peaks;

    for (int round = 0; round < rounds; ++round) {
      const bool oursFirst = round % 2 == 0;
      auto pair = [&](Row& row, const std::function<Measured()>& ours, const std::function<Measured()>& peer) {
        Measured o{}, p{};
        if (oursFirst) {
          o = ours();
          p = peer();
        } else {
          p = peer();
          o = ours();
        }
        row.ratios.push_back(o / p);
      };
      pair(
          musicLong, [&] { return bench.Put(music, longTracks); },
          [&] { return bench.Mtools("mcopy -s " + Quoted(longTracks) + " ::/MUSIC/"); });
      pair(
          musicShort, [&] { return bench.Put(music, shortTracks[400]); },
          [&] { return bench.Mtools("mcopy -s " + Quoted(shortTracks[400]) + " ::/MUSIC/"); });
      // Both list the image that the last put of 400 tracks left.
      bench.Put(music, shortTracks[400]);
      const std::string mdir = "MTOOLS_SKIP_CHECK=1 mdir -i " + Quoted(bench.Player());
      pair(
          listTracks, [&] { return bench.Cli("ls"); }, [&] { return RunMeasured(mdir + "/internal.img ::/MUSIC"); });
      pair(
          listCard, [&] { return bench.Cli("--medium card ls"); },
          [&] { return RunMeasured(mdir + "/card.img ::/MUSIC"); });
      std::map<int, Measured> puts;
      for (int count : GrowthCounts) {
        puts[count] = bench.Put(music, shortTracks[count]);
        growthSeconds[count].push_back(puts[count].seconds);
        growthCpu[count].push_back(puts[count].cpuSeconds);
      }
      peaks.push_back(double(puts[999].peakKiB));
      growth.ratios.push_back(puts[999] / puts[400]);
      pair(
          user, [&] { return bench.Put("<USER>", small2000); }, [&] { return bench.Put("<USER>", small500); });
      pair(
          user83, [&] { return bench.Put("<USER>", short500); },
          [&] { return bench.Mtools("mcopy -s " + Quoted(short500) + " ::/USER/"); });
    }

    std::printf("%d rounds, tunewarden-cli of %s, images on tmpfs; ratios of each round, wall clock and cpu\n", rounds,
                cliFolder.c_str());
    for (const Row* row : {&musicLong, &musicShort, &growth, &user, &user83, &listTracks, &listCard}) Print(*row);
    for (const auto& [kind, times] : {std::pair{"wall", &growthSeconds}, std::pair{"cpu", &growthCpu}}) {
      std::vector<double> n, t;
      std::printf("  music put of short tracks, %s medians:", kind);
      for (int count : GrowthCounts) {
        n.push_back(count);
        t.push_back(Median(times->at(count)));
        std::printf("  %d: %.3f s", count, t.back());
      }
      const auto [a, b, c] = FitQuadratic(n, t);
      std::printf(
          "\n    fit a + b*N + c*N^2: a = %.4f s, b = %.3f ms, c = %.4f us; c*999^2 = %.3f s of %.3f s (%.1f%%)\n", a,
          b * 1e3, c * 1e6, c * 999 * 999, t.back(), 100 * c * 999 * 999 / t.back());
    }
    std::printf("peak resident size of a 999-track put: median %.0f KiB\n", Median(peaks));
    std::vector<double> bitmaps;
    bitmaps.reserve(size_t(rounds));
    for (int round = 0; round < rounds; ++round) bitmaps.push_back(NameBitmapMicroseconds());
    std::sort(bitmaps.begin(), bitmaps.end());
    std::printf("name bitmap: min %.1f us, median %.1f us a name (target <= 100)\n", bitmaps.front(),
                bitmaps[bitmaps.size() / 2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    exitCode = 1;
  }
  fs::remove_all(root);
  return exitCode;
}
