// AnalyseAudioFile against ffprobe over the same 1,000 MP3 files: both read
// each file's stream parameters and playing time. Prints files per second of
// each and the ratio (target: at least 20 times ffprobe).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/AudioAnalysis.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int FileCount = 1000;

std::vector<std::string> audioFiles;
double analyseFilesPerSecond = 0;
double ffprobeFilesPerSecond = 0;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Id3v2Tag(uint32_t size) {
  std::string tag = "ID3";
  tag += std::string("\x03\x00\x00", 3);
  for (int shift = 21; shift >= 0; shift -= 7) tag += char((size >> shift) & 0x7F);
  tag += std::string("TIT2\0\0\0\x06\0\0\0Bench", 16);
  tag.resize(10 + size, '\0');
  return tag;
}

std::string Id3v1Tag(int number) {
  std::string tag(128, '\0');
  std::string title = "Bench track " + std::to_string(number);
  tag.replace(0, 3, "TAG");
  tag.replace(3, title.size(), title);
  tag.replace(33, 6, "Artist");
  return tag;
}

// A few lame encodings of a sine, then 1,000 variants of them: some behind an
// ID3 version 2 tag of varying size, some with an ID3 version 1 tag.
void MakeFiles(const fs::path& folder) {
  fs::create_directories(folder);
  std::string wav = (folder / "source.wav").string();
  std::string make =
      "ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=20 -ac 2 -ar 44100 '" + wav + "'";
  if (std::system(make.c_str()) != 0) throw std::runtime_error("ffmpeg failed");
  const char* encodings[] = {"-b 128", "-V 2", "-b 64 --resample 22.05", "-m m -b 96", "-V 5 --resample 16"};
  std::vector<std::string> sources;
  for (const char* options : encodings) {
    fs::path mp3 = folder / ("source" + std::to_string(sources.size()) + ".mp3");
    std::string encode = std::string("lame --quiet ") + options + " '" + wav + "' '" + mp3.string() + "'";
    if (std::system(encode.c_str()) != 0) throw std::runtime_error("lame failed");
    sources.push_back(ReadAll(mp3));
  }
  for (int i = 0; i < FileCount; ++i) {
    std::string bytes = sources[i % sources.size()];
    if (i % 3 == 0) bytes = Id3v2Tag(200 + 37 * i) + bytes;
    if (i % 2 == 0) bytes += Id3v1Tag(i);
    fs::path file = folder / ("track" + std::to_string(i) + ".mp3");
    WriteAll(file, bytes);
    audioFiles.push_back(file.string());
  }
}

void BM_AnalyseAudioFile(benchmark::State& state) {
  auto start = Clock::now();
  for (auto _ : state) {
    for (const std::string& path : audioFiles) {
      platform::FileHandle file = platform::OpenFile(path, platform::OpenFlag::Read);
      AudioInfo info;
      if (!AnalyseAudioFile(file, fs::path(path).filename().string(), &info)) {
        state.SkipWithError(("not analysed: " + path).c_str());
        return;
      }
      benchmark::DoNotOptimize(info);
      platform::CloseFile(file);
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  analyseFilesPerSecond = double(state.iterations()) * FileCount / seconds;
  state.counters["files/s"] = benchmark::Counter(double(FileCount), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AnalyseAudioFile)->UseRealTime()->Unit(benchmark::kMillisecond);

// ffprobe asked for the same facts, one process per file as a caller would run it.
void BM_Ffprobe(benchmark::State& state) {
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  auto start = Clock::now();
  for (auto _ : state) {
    for (const std::string& path : audioFiles) {
      const char* argv[] = {"ffprobe",
                            "-v",
                            "error",
                            "-show_entries",
                            "stream=codec_name,sample_rate,channels,bit_rate:format=duration:format_tags",
                            "-of",
                            "compact",
                            path.c_str(),
                            nullptr};
      pid_t child;
      int status = 0;
      if (posix_spawnp(&child, "ffprobe", &quiet, nullptr, const_cast<char**>(argv), environ) != 0 ||
          waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        state.SkipWithError(("ffprobe failed on " + path).c_str());
        break;
      }
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ffprobeFilesPerSecond = double(state.iterations()) * FileCount / seconds;
  state.counters["files/s"] = benchmark::Counter(double(FileCount), benchmark::Counter::kIsIterationInvariantRate);
  posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_Ffprobe)->UseRealTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = fs::temp_directory_path() / ("tw-audio-bench-" + std::to_string(getpid()));
  try {
    MakeFiles(folder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot make the test files: %s\n", error.what());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(folder);
  if (analyseFilesPerSecond > 0 && ffprobeFilesPerSecond > 0)
    std::printf("AnalyseAudioFile %.0f files/s, ffprobe %.1f files/s: %.0f times faster (target 20)\n",
                analyseFilesPerSecond, ffprobeFilesPerSecond, analyseFilesPerSecond / ffprobeFilesPerSecond);
  return 0;
}
