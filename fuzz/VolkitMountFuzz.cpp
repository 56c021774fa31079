// volkit attaches a mutated FAT12, FAT16 or FAT32 volume, walks its tree and
// reads its files: whatever the bytes, it answers with a code and never
// crashes, hangs or runs outside the volume. Attaching also mends a volume
// whose dirty flag is set, so the mending meets damage too.
//
// Input: the volume's sector count (u32, little-endian), then records of a
// sector number (u32) and its 512 bytes; sectors no record names are zeros.
#include <memory>
#include <string_view>
#include <vector>

#include "fuzz/MemoryDevice.h"
#include "plugins/volkit/FileSystem.h"

namespace {

using fuzzing::MemoryDevice;

constexpr uint32_t MaxSectors = 1 << 17;  // 64 MiB: room for a FAT32 volume
constexpr uint32_t MaxBytesRead = 256 * 1024;

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

uint32_t CountBytes(TransferRequest* request, void*, uint32_t length) {
  auto* total = static_cast<uint32_t*>(request->context);
  *total += length;
  return *total < MaxBytesRead;
}

void Read(FileSystemInterface* fs, const char* name) {
  uint32_t total = 0;
  TransferRequest request{};
  request.name = name;
  request.context = &total;
  request.data = CountBytes;
  fs->readFile(&request);
}

// Every folder down to a depth, each entry looked up, each file read.
void Walk(FileSystemInterface* fs, int depth, int* budget) {
  std::vector<DirEntryRecord> entries;
  if (!fs->findBegin()) return;
  for (DirEntryRecord record; entries.size() < 256 && fs->findNext(&record);) entries.push_back(record);
  fs->findEnd();
  for (const DirEntryRecord& entry : entries) {
    if (--*budget < 0) return;
    const std::string_view name = entry.longName;
    fs->lookup(entry.longName, nullptr);
    if (!(entry.attributes & DirEntryRecord::Folder)) {
      Read(fs, entry.longName);
    } else if (name != "." && name != ".." && depth < 8 && fs->changeDir(entry.longName)) {
      Walk(fs, depth + 1, budget);
      fs->changeDir("..");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  MemoryDevice device(std::clamp<uint32_t>(Get32(data), 1, MaxSectors));
  constexpr size_t RecordBytes = 4 + MemoryDevice::SectorBytes;
  for (size_t at = 4; at + RecordBytes <= size; at += RecordBytes) {
    MemoryDevice::Sector& sector = device.sectors[Get32(data + at) % device.sectorCount()];
    std::copy_n(data + at + 4, MemoryDevice::SectorBytes, sector.begin());
  }
  std::unique_ptr<FileSystemInterface, void (*)(FileSystemInterface*)> fs(
      volkit::CreateFileSystem(), [](FileSystemInterface* f) { f->destroy(1); });
  if (!fs->attach(&device)) return 0;
  VolumeInfoRecord info{};
  fs->getVolumeInfo(&info);
  fs->freeClusters();
  int budget = 2000;
  Walk(fs.get(), 0, &budget);
  return 0;
}
