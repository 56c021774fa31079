// Small libraries that stand in for the plug-ins in the loader tests. Each
// reports what happens to it through RecordPluginEvent, which the test program
// exports. Built as twtest_device.so, twtest_filesystem.so and
// twtest_noentry.so (the last without CreateInterface).
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "player/PluginContract.h"

extern "C" void RecordPluginEvent(const char* event) __attribute__((weak));

namespace {

void Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char* format, ...) {
  char event[128];
  va_list args;
  va_start(args, format);
  std::vsnprintf(event, sizeof event, format, args);
  va_end(args);
  if (RecordPluginEvent) RecordPluginEvent(event);
}

__attribute__((destructor)) void Unloaded() { Record("%s freed", TEST_PLUGIN_ROLE); }

}  // namespace

#if defined(TEST_DEVICE)
namespace {

class RecordingDevice final : public DeviceInterface {
 public:
  uint32_t destroy(uint32_t deleteSelf) override {
    Record("device destroy %u", deleteSelf);
    if (deleteSelf) delete this;
    return 1;
  }
  uint32_t lastError() override { Record("device lastError"); return 104; }
  uint32_t open(uint32_t port, uint32_t mode) override { Record("device open %u %u", port, mode); return 1; }
  uint32_t close() override { Record("device close"); return 1; }
  uint32_t selectMedia(const char* name) override { Record("device selectMedia %s", name); return 1; }
  uint32_t getMediaInfo(MediaInfoRecord* info) override {
    Record("device getMediaInfo");
    std::memset(info, 0, sizeof *info);
    info->imageMedium = 1;
    info->type = MediaType::SdCard;
    info->capacity = 0x7A120000;
    info->unitSize = 65536;
    return 1;
  }
  uint32_t checkWritable() override { Record("device checkWritable"); return 0; }
  uint32_t sectorSize() override { Record("device sectorSize"); return 512; }
  uint32_t sectorCount() override { Record("device sectorCount"); return 4096; }
  uint32_t readSectors(uint32_t first, uint32_t count, void*) override {
    Record("device readSectors %u %u", first, count);
    return 1;
  }
  uint32_t writeSectors(uint32_t first, uint32_t count, const void*) override {
    Record("device writeSectors %u %u", first, count);
    return 1;
  }
  uint32_t flush() override { Record("device flush"); return 1; }
  uint32_t readFirmwareBlock(uint32_t index, void* buffer, uint32_t one) override {
    Record("device readFirmwareBlock %u %u", index, one);
    std::memset(buffer, 0xA5, FirmwareBlockSize);
    return 1;
  }
  uint32_t writeFirmwareBlock(uint32_t index, const void* block, uint32_t one) override {
    Record("device writeFirmwareBlock %u %02x %u", index, *static_cast<const unsigned char*>(block), one);
    return 1;
  }
  uint32_t readReservedBlock(void* buffer) override {
    Record("device readReservedBlock");
    std::memset(buffer, 0x5A, ReservedBlockSize);
    return 1;
  }
  uint32_t writeReservedBlock(const void* block) override {
    Record("device writeReservedBlock %02x", *static_cast<const unsigned char*>(block));
    return 1;
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) DeviceInterface* CreateInterface() {
  Record("device created");
  return new RecordingDevice;
}
#elif defined(TEST_FILESYSTEM)
namespace {

class RecordingFileSystem final : public FileSystemInterface {
 public:
  uint32_t destroy(uint32_t deleteSelf) override {
    Record("filesystem destroy %u", deleteSelf);
    if (deleteSelf) delete this;
    return 1;
  }
  uint32_t lastError() override { Record("filesystem lastError"); return 225; }
  uint32_t attach(DeviceInterface* device) override {
    Record("filesystem attach %s", device ? "device" : "null");
    return 1;
  }
  uint32_t format(DeviceInterface*, TransferRequest* request) override {
    Record("filesystem format %s", request ? "full" : "quick");
    if (request) {
      request->total = 8;
      for (request->done = 1; request->done <= request->total; ++request->done)
        if (!request->progress(request)) return 0;
    }
    return 1;
  }
  uint32_t beginUpdate() override { Record("filesystem beginUpdate"); return 1; }
  uint32_t endUpdate() override { Record("filesystem endUpdate"); return 1; }
  uint32_t getVolumeInfo(VolumeInfoRecord* info) override {
    Record("filesystem getVolumeInfo");
    std::memset(info, 0, sizeof *info);
    info->bytesPerCluster = 16384;
    std::strcpy(info->label, "TUNES");
    return 1;
  }
  uint32_t setLabel(const char* label) override { Record("filesystem setLabel %s", label); return 1; }
  uint32_t freeClusters() override { Record("filesystem freeClusters"); return 1234; }
  uint32_t isAtRoot() override { Record("filesystem isAtRoot"); return 0; }
  uint32_t getCurrentDir(char* buffer, uint32_t size) override {
    Record("filesystem getCurrentDir %u", size);
    if (buffer && size >= 7) std::memcpy(buffer, "\\MUSIC", 7);
    return 6;
  }
  uint32_t changeDir(const char* path) override { Record("filesystem changeDir %s", path); return 1; }
  uint32_t makeDir(const char* name) override { Record("filesystem makeDir %s", name); return 1; }
  uint32_t removeDir(const char* name) override { Record("filesystem removeDir %s", name); return 1; }
  uint32_t findBegin() override { Record("filesystem findBegin"); return 1; }
  uint32_t findNext(DirEntryRecord* entry) override {
    Record("filesystem findNext");
    std::memset(entry, 0, sizeof *entry);
    entry->attributes = DirEntryRecord::Folder;
    entry->year = 2026;
    entry->second = 58;
    std::strcpy(entry->shortName, "USER");
    std::strcpy(entry->longName, "USER");
    return 1;
  }
  uint32_t findEnd() override { Record("filesystem findEnd"); return 1; }
  uint32_t lookup(const char* name, DirEntryRecord* entry) override {
    Record("filesystem lookup %s %s", name, entry ? "record" : "null");
    return 0;
  }
  uint32_t rename(const char* oldName, const char* newName) override {
    Record("filesystem rename %s %s", oldName, newName);
    return 1;
  }
  uint32_t deleteFile(const char* name) override { Record("filesystem deleteFile %s", name); return 1; }
  uint32_t writeFile(TransferRequest* request) override {
    Record("filesystem writeFile %s %u", request->name, request->total);
    char block[4];
    return request->data(request, block, sizeof block);
  }
  uint32_t readFile(TransferRequest* request) override {
    Record("filesystem readFile %s", request->name);
    char block[3] = {'a', 'b', 'c'};
    request->total = 3;
    return request->data(request, block, sizeof block);
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) FileSystemInterface* CreateInterface() {
  Record("filesystem created");
  return new RecordingFileSystem;
}
#endif
