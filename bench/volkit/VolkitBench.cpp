// Throughput of volkit (through the real portkit.so over an image file)
// against mtools on the same kind of image in the same run: one 64 MiB file
// and 500 small files, written and read, printed as ratios (above 1.0 means
// volkit is faster). Both sides read from and write to PC files; neither
// side's time includes a final fsync. Also prints how much the process grew
// while volkit moved the big file, to show memory independent of file size.
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchTools.h"
#include "contract/PluginContract.h"
#include "platform/Modules.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t ImageBytes = 256ull << 20;
constexpr uint32_t BigBytes = 64u << 20;
constexpr int SmallCount = 500;

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

uint32_t CopyFromPc(TransferRequest* request, void* buffer, uint32_t length) {
  return std::fread(buffer, 1, length, static_cast<FILE*>(request->context)) == length;
}

uint32_t CopyToPc(TransferRequest* request, void* buffer, uint32_t length) {
  return std::fwrite(buffer, 1, length, static_cast<FILE*>(request->context)) == length;
}

uint32_t GoOn(TransferRequest*) { return 1; }

class Player {
 public:
  explicit Player(const std::string& folder) {
    setenv("TUNEWARDEN_PLAYER", folder.c_str(), 1);
    portkit_ = platform::LoadModule("portkit.so");
    volkit_ = platform::LoadModule("volkit.so");
    if (!portkit_ || !volkit_) throw std::runtime_error("portkit.so and volkit.so must lie beside the benchmark");
    device_ = reinterpret_cast<CreateDeviceInterfaceFn>(platform::ModuleSymbol(portkit_, "CreateInterface"))();
    fs_ = reinterpret_cast<CreateFileSystemInterfaceFn>(platform::ModuleSymbol(volkit_, "CreateInterface"))();
    if (!device_->open(0, 0) || !device_->selectMedia("Internal") || !fs_->attach(device_)) {
      throw std::runtime_error("cannot attach the benchmark image");
    }
  }
  ~Player() {
    fs_->destroy(1);
    device_->destroy(1);
    platform::FreeModule(portkit_);
    platform::FreeModule(volkit_);
  }

  void Write(const std::string& pcFile, const std::string& name) {
    FILE* file = std::fopen(pcFile.c_str(), "rb");
    TransferRequest request{};
    request.flags = TransferRequest::Write;
    request.name = name.c_str();
    request.context = file;
    request.progress = GoOn;
    request.data = CopyFromPc;
    request.total = uint32_t(fs::file_size(pcFile));
    uint32_t ok = fs_->writeFile(&request);
    std::fclose(file);
    if (!ok) throw std::runtime_error("writeFile failed: " + std::to_string(fs_->lastError()));
  }

  void Read(const std::string& name, const std::string& pcFile) {
    FILE* file = std::fopen(pcFile.c_str(), "wb");
    Read(name, file);
    std::fclose(file);
  }

  void Read(const std::string& name, FILE* file) {
    TransferRequest request{};
    request.name = name.c_str();
    request.context = file;
    request.progress = GoOn;
    request.data = CopyToPc;
    if (!fs_->readFile(&request)) throw std::runtime_error("readFile failed: " + std::to_string(fs_->lastError()));
  }

  FileSystemInterface* Fs() const { return fs_; }

 private:
  void* portkit_ = nullptr;
  void* volkit_ = nullptr;
  DeviceInterface* device_ = nullptr;
  FileSystemInterface* fs_ = nullptr;
};

void FreshImage(const std::string& image) {
  fs::remove(image);
  Run("truncate -s " + std::to_string(ImageBytes) + " " + image);
  Run("mkfs.fat " + image);
}

void Report(const char* what, double volkitSeconds, double mtoolsSeconds, const char* peer, uint64_t bytes) {
  double mib = double(bytes) / (1 << 20);
  std::printf("%-28s volkit %7.1f MiB/s   %-6s %7.1f MiB/s   ratio %.2f\n", what, mib / volkitSeconds, peer,
              mib / mtoolsSeconds, mtoolsSeconds / volkitSeconds);
}

}  // namespace

int main() {
  char pattern[] = "/tmp/volkit-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  std::string root = pattern, player = root + "/player", pc = root + "/pc";
  fs::create_directories(player);
  fs::create_directories(pc + "/small");
  fs::create_directories(pc + "/out");
  std::string image = player + "/internal.img";
  std::string big = pc + "/big.bin";
  WriteRandomFile(big, BigBytes, 1);
  std::mt19937 sizes(2);
  uint64_t smallBytes = 0;
  std::string smallList;
  for (int i = 0; i < SmallCount; ++i) {
    size_t size = 1000 + sizes() % 20000;
    smallBytes += size;
    std::string name = "small file " + std::to_string(i) + ".bin";
    WriteRandomFile(pc + "/small/" + name, size, i);
    smallList += " '" + pc + "/small/" + name + "'";
  }

  try {
    // Big file: volkit, then mcopy / mtype on a fresh image of the same kind.
    FreshImage(image);
    double volkitWrite, volkitRead, volkitSmallWrite, volkitSmallRead;
    long peakBefore, peakAfter;
    {
      Player p(player);
      peakBefore = PeakKiB();
      p.Fs()->beginUpdate();
      volkitWrite = Seconds([&] { p.Write(big, "big.bin"); });
      volkitRead = Seconds([&] { p.Read("big.bin", pc + "/out/big.bin"); });
      peakAfter = PeakKiB();
      p.Fs()->makeDir("small");
      p.Fs()->changeDir("small");
      volkitSmallWrite = Seconds([&] {
        for (int i = 0; i < SmallCount; ++i) {
          std::string name = "small file " + std::to_string(i) + ".bin";
          p.Write(pc + "/small/" + name, name);
        }
      });
      // Into one PC file, as mtype prints every file to one output.
      volkitSmallRead = Seconds([&] {
        FILE* out = std::fopen((pc + "/out/all-volkit.bin").c_str(), "wb");
        for (int i = 0; i < SmallCount; ++i) p.Read("small file " + std::to_string(i) + ".bin", out);
        std::fclose(out);
      });
      p.Fs()->endUpdate();
    }
    FreshImage(image);
    double mcopyWrite = Seconds([&] { Run("mcopy -i " + image + " " + big + " ::/big.bin"); });
    double mtypeRead = Seconds([&] { Run("mtype -i " + image + " ::/big.bin > " + pc + "/out/big-mtools.bin"); });
    Run("mmd -i " + image + " ::/small");
    double mcopySmallWrite = Seconds([&] { Run("mcopy -i " + image + smallList + " ::/small/"); });
    double mtypeSmallRead =
        Seconds([&] { Run("mtype -i " + image + " '::/small/*' > " + pc + "/out/all-mtools.bin"); });

    std::printf("image %llu MiB (mkfs.fat defaults), %d small files of %llu bytes in all\n",
                static_cast<unsigned long long>(ImageBytes >> 20), SmallCount,
                static_cast<unsigned long long>(smallBytes));
    Report("write one 64 MiB file", volkitWrite, mcopyWrite, "mcopy", BigBytes);
    Report("read one 64 MiB file", volkitRead, mtypeRead, "mtype", BigBytes);
    Report("write 500 small files", volkitSmallWrite, mcopySmallWrite, "mcopy", smallBytes);
    Report("read 500 small files", volkitSmallRead, mtypeSmallRead, "mtype", smallBytes);
    std::printf("process growth while volkit moved 64 MiB: %ld KiB\n", peakAfter - peakBefore);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    fs::remove_all(root);
    return 1;
  }
  fs::remove_all(root);
  return 0;
}
