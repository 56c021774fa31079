// A download through the transfer window, its own callbacks, display updates
// and message pumping included, against mcopy on the same kind of image in
// the same run: one 64 MiB file and 500 small files into a USER folder,
// rounds interleaved, each on a fresh image. Both sides end with the data on
// the disk: the window's run ends with the plug-in's flush, mcopy's with a
// sync of the image. Prints each round's ratio (mcopy's time over the
// window's: above 1.0 means the window is faster) and their minimum and
// median.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchTools.h"
#include "framework/core/Exception.h"
#include "framework/ui/Application.h"
#include "platform/Files.h"
#include "player/PlayerConnection.h"
#include "resources/ui/UiResources.h"
#include "settings/AppSettings.h"
#include "transfer/ui/TransferDialog.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t ImageBytes = 256ull << 20;
constexpr uint32_t BigBytes = 64u << 20;
constexpr int SmallCount = 500;
constexpr int Rounds = 5;

// A fresh empty volume with a USER folder, as mkfs.fat makes it.
void FreshImage(const std::string& image) {
  fs::remove(image);
  Run("truncate -s " + std::to_string(ImageBytes) + " '" + image + "'");
  Run("mkfs.fat '" + image + "'");
  Run("mmd -i '" + image + "' ::/USER");
}

// The download as the view starts it: connected, in <USER>, the PC folder
// current.
double WindowSeconds(const std::string& image, const std::string& pc, const std::vector<CText>& paths) {
  FreshImage(image);
  AppSettings settings;
  settings.SetDefaults();
  PlayerConnection connection(settings);
  connection.LoadPlugins();
  connection.Open(0);
  connection.SelectMedia();
  connection.OpenFileSystem();
  connection.ChangeFolder(PlayerConnection::UserEntryName);
  platform::SetCurrentDirectory(pc);
  int result = 0;
  const double seconds = Seconds([&] { result = TransferDialog(connection).RunDownload(nullptr, paths); });
  connection.Close();
  if (result != 1) throw std::runtime_error("the download failed");
  return seconds;
}

double McopySeconds(const std::string& image, const std::string& arguments) {
  FreshImage(image);
  return Seconds([&] {
    Run("mcopy -i '" + image + "' " + arguments);
    Run("sync '" + image + "'");
  });
}

void Report(const char* what, std::vector<double> ratios) {
  std::printf("%-24s ratios", what);
  for (double ratio : ratios) std::printf(" %.2f", ratio);
  std::sort(ratios.begin(), ratios.end());
  std::printf("   min %.2f   median %.2f\n", ratios.front(), ratios[ratios.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  char pattern[] = "/tmp/transfer-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string root = pattern, pc = root + "/pc", image = root + "/player/internal.img";
  fs::create_directories(root + "/player");
  fs::create_directories(pc + "/small");
  setenv("TUNEWARDEN_PLAYER", (root + "/player").c_str(), 1);
  WriteRandomFile(pc + "/big.bin", BigBytes, 1);
  std::mt19937 sizes(2);
  for (int i = 0; i < SmallCount; ++i)
    WriteRandomFile(pc + "/small/small file " + std::to_string(i) + ".bin", 1000 + sizes() % 20000, i);

  CApplication application;
  application.Init(argc, argv);
  InstallUiResources();
  int exitCode = 0;
  try {
    std::vector<double> big, small;
    for (int round = 0; round < Rounds; ++round) {
      const double window = WindowSeconds(image, pc, {"big.bin"});
      big.push_back(McopySeconds(image, "'" + pc + "/big.bin' ::/USER/") / window);
      const double windowSmall = WindowSeconds(image, pc, {"small"});
      small.push_back(McopySeconds(image, "-s '" + pc + "/small' ::/USER/") / windowSmall);
    }
    std::printf("mcopy's time over the transfer window's, %d rounds on a %llu MiB image\n", Rounds,
                static_cast<unsigned long long>(ImageBytes >> 20));
    Report("one 64 MiB file", big);
    Report("500 small files", small);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    exitCode = 1;
  } catch (const CException& error) {
    std::fprintf(stderr, "error %u\n", error.Code());
    exitCode = 1;
  }
  application.Term();
  fs::remove_all(root);
  return exitCode;
}
