// The contract between the program and its two plug-in libraries: the device
// library (portkit.so) and the file-system library (volkit.so). Each exports
// `extern "C" CreateInterface`, which returns one of the interfaces below.
//
// The program calls the interfaces' virtual operations by slot number, so the
// declaration order is the contract. Slots that the program never calls keep a
// placeholder so that every operation after them keeps its slot.
#pragma once

#include <cstddef>
#include <cstdint>

struct AudioInfo;

// Filled by getMediaInfo.
struct MediaInfoRecord {
  uint8_t imageMedium;  // 0: the medium that takes the display images after a format
  uint8_t reserved1;
  uint8_t type;  // MediaType
  uint8_t reserved3;
  uint32_t capacity;  // bytes
  uint32_t reserved8;
  uint32_t unitSize;  // bytes; format progress counts these
};
static_assert(sizeof(MediaInfoRecord) == 16);
static_assert(offsetof(MediaInfoRecord, imageMedium) == 0);
static_assert(offsetof(MediaInfoRecord, type) == 2);
static_assert(offsetof(MediaInfoRecord, capacity) == 4);
static_assert(offsetof(MediaInfoRecord, unitSize) == 12);

namespace MediaType {
constexpr uint8_t Internal = 0;
constexpr uint8_t MultiMediaCard = 1;
constexpr uint8_t SecureMmc = 17;
constexpr uint8_t SdCard = 18;
}  // namespace MediaType

// Filled by getVolumeInfo. The program reads bytesPerCluster and label only.
struct VolumeInfoRecord {
  uint32_t serialNumber;
  uint32_t totalClusters;
  uint32_t fatBits;  // 12, 16 or 32
  uint32_t bytesPerCluster;
  uint32_t bytesPerSector;
  uint32_t sectorsPerCluster;
  char label[256];  // empty when the volume has none
};
static_assert(sizeof(VolumeInfoRecord) == 280);
static_assert(offsetof(VolumeInfoRecord, bytesPerCluster) == 12);
static_assert(offsetof(VolumeInfoRecord, label) == 24);

// Filled by findNext and lookup.
struct DirEntryRecord {
  uint32_t attributes;  // DirEntryRecord::Folder marks a folder
  uint32_t size;
  uint16_t year, month, day, hour, minute, second;
  char shortName[16];  // the 8.3 name as NAME.EXT
  char longName[256];  // the name the program shows and passes back
  static constexpr uint32_t Folder = 0x10;
};
static_assert(sizeof(DirEntryRecord) == 292);
static_assert(offsetof(DirEntryRecord, size) == 4);
static_assert(offsetof(DirEntryRecord, year) == 8);
static_assert(offsetof(DirEntryRecord, second) == 18);
static_assert(offsetof(DirEntryRecord, shortName) == 20);
static_assert(offsetof(DirEntryRecord, longName) == 36);

struct TransferRequest;
// Returns nonzero to go on.
using TransferProgressCallback = uint32_t (*)(TransferRequest* request);
// Writes: fill `length` bytes of `buffer` with the next data. Reads: take the
// next `length` bytes from `buffer`. Returns nonzero to go on, 0 to stop.
using TransferDataCallback = uint32_t (*)(TransferRequest* request, void* buffer, uint32_t length);

// Zeroed, then filled by the caller. Field order is the contract; pointers
// have their native size.
struct TransferRequest {
  static constexpr uint32_t Write = 0x1;                // set by the caller for writeFile
  static constexpr uint32_t UpdateNow = 0x2;            // set by the library: redraw progress at once
  static constexpr uint32_t StoredLength = 0x80000000;  // set by the library: `done` is the stored length

  uint32_t flags;
  const char* name;      // file name on the player, relative to the current folder
  void* context;         // the caller's, passed back
  AudioInfo* audioInfo;  // downloads into the track list only
  TransferProgressCallback progress;
  TransferDataCallback data;
  uint32_t total;  // bytes (units of the unit size for format)
  uint32_t done;   // bytes so far (units for format)
};
static_assert(offsetof(TransferRequest, flags) == 0);
static_assert(offsetof(TransferRequest, name) < offsetof(TransferRequest, context));
static_assert(offsetof(TransferRequest, context) < offsetof(TransferRequest, audioInfo));
static_assert(offsetof(TransferRequest, audioInfo) < offsetof(TransferRequest, progress));
static_assert(offsetof(TransferRequest, progress) < offsetof(TransferRequest, data));
static_assert(offsetof(TransferRequest, data) < offsetof(TransferRequest, total));
static_assert(offsetof(TransferRequest, total) + 4 == offsetof(TransferRequest, done));

// Every operation returns nonzero for success unless its comment says otherwise;
// after a zero result lastError() tells why.
class DeviceInterface {
 public:
  virtual uint32_t destroy(uint32_t deleteSelf) = 0;         // 0
  virtual uint32_t lastError() = 0;                          // 1
  virtual uint32_t unused2() { return 0; }                   // 2
  virtual uint32_t open(uint32_t port, uint32_t mode) = 0;   // 3: mode 255 = firmware
  virtual uint32_t close() = 0;                              // 4
  virtual uint32_t unused5() { return 0; }                   // 5
  virtual uint32_t selectMedia(const char* name) = 0;        // 6: "Internal", "MMC"
  virtual uint32_t getMediaInfo(MediaInfoRecord* info) = 0;  // 7
  virtual uint32_t unused8() { return 0; }                   // 8
  virtual uint32_t unused9() { return 0; }                   // 9
  virtual uint32_t checkWritable() = 0;                      // 10
  // Private sector access of the selected medium, used by the file-system library only.
  virtual uint32_t sectorSize() = 0;                                                         // 11: bytes
  virtual uint32_t sectorCount() = 0;                                                        // 12
  virtual uint32_t readSectors(uint32_t first, uint32_t count, void* buffer) = 0;            // 13
  virtual uint32_t writeSectors(uint32_t first, uint32_t count, const void* buffer) = 0;     // 14
  virtual uint32_t flush() = 0;                                                              // 15
  virtual uint32_t unused16() { return 0; }                                                  // 16
  virtual uint32_t unused17() { return 0; }                                                  // 17
  virtual uint32_t unused18() { return 0; }                                                  // 18
  virtual uint32_t unused19() { return 0; }                                                  // 19
  virtual uint32_t unused20() { return 0; }                                                  // 20
  virtual uint32_t unused21() { return 0; }                                                  // 21
  virtual uint32_t unused22() { return 0; }                                                  // 22
  virtual uint32_t readFirmwareBlock(uint32_t index, void* buffer, uint32_t one) = 0;        // 23
  virtual uint32_t writeFirmwareBlock(uint32_t index, const void* block, uint32_t one) = 0;  // 24
  virtual uint32_t readReservedBlock(void* buffer) = 0;                                      // 25: 128 bytes
  virtual uint32_t writeReservedBlock(const void* block) = 0;                                // 26: 128 bytes

  static constexpr uint32_t FirmwareMode = 255;
  static constexpr uint32_t FirmwareBlockSize = 128;
  static constexpr uint32_t ReservedBlockSize = 128;

 protected:
  ~DeviceInterface() = default;  // destroy(1) deletes
};

class FileSystemInterface {
 public:
  virtual uint32_t destroy(uint32_t deleteSelf) = 0;                                // 0
  virtual uint32_t lastError() = 0;                                                 // 1
  virtual uint32_t unused2() { return 0; }                                          // 2
  virtual uint32_t attach(DeviceInterface* device) = 0;                             // 3
  virtual uint32_t format(DeviceInterface* device, TransferRequest* progress) = 0;  // 4: null = quick
  virtual uint32_t beginUpdate() = 0;                                               // 5
  virtual uint32_t endUpdate() = 0;                                                 // 6
  virtual uint32_t getVolumeInfo(VolumeInfoRecord* info) = 0;                       // 7
  virtual uint32_t setLabel(const char* label) = 0;                                 // 8
  virtual uint32_t freeClusters() = 0;                                              // 9: a count, not a flag
  virtual uint32_t isAtRoot() = 0;                                                  // 10
  virtual uint32_t getCurrentDir(char* buffer, uint32_t size) = 0;                  // 11: returns the length
  virtual uint32_t changeDir(const char* path) = 0;                                 // 12
  virtual uint32_t makeDir(const char* name) = 0;                                   // 13
  virtual uint32_t removeDir(const char* name) = 0;                                 // 14
  virtual uint32_t findBegin() = 0;                                                 // 15
  virtual uint32_t findNext(DirEntryRecord* entry) = 0;                             // 16: 0 = no more
  virtual uint32_t findEnd() = 0;                                                   // 17
  virtual uint32_t lookup(const char* name, DirEntryRecord* entry) = 0;             // 18: entry may be null
  virtual uint32_t rename(const char* oldName, const char* newName) = 0;            // 19
  virtual uint32_t deleteFile(const char* name) = 0;                                // 20
  virtual uint32_t writeFile(TransferRequest* request) = 0;                         // 21
  virtual uint32_t readFile(TransferRequest* request) = 0;                          // 22

 protected:
  ~FileSystemInterface() = default;  // destroy(1) deletes
};

// Codes that DeviceInterface::lastError reports.
namespace DeviceError {
constexpr uint32_t System = 2;  // the platform's last error tells more
constexpr uint32_t NoCard = 11;
constexpr uint32_t NotConnected = 101;
constexpr uint32_t Timeout = 102;
constexpr uint32_t UnsupportedResponse = 103;
constexpr uint32_t Communication = 104;
constexpr uint32_t WriteProtected = 105;
constexpr uint32_t SectorOutOfRange = 106;
constexpr uint32_t FirmwareBlock = 110;
}  // namespace DeviceError

// Codes that FileSystemInterface::lastError reports.
namespace FileSystemError {
constexpr uint32_t Stopped = 0;  // a callback asked to stop
constexpr uint32_t System = 2;
constexpr uint32_t Device = 9;        // ask the device's lastError
constexpr uint32_t NothingToDo = 14;  // folder exists / missing on removal / ".." at the root
constexpr uint32_t DamagedChain = 202;
constexpr uint32_t OutOfMemory = 204;
constexpr uint32_t MediumFull = 205;
constexpr uint32_t InvalidName = 221;
constexpr uint32_t NotRepresentable = 222;
constexpr uint32_t WrongKind = 223;
constexpr uint32_t FolderNotEmpty = 224;
constexpr uint32_t NotFound = 225;
constexpr uint32_t NameExists = 226;
constexpr uint32_t NameTooLong = 227;
constexpr uint32_t NoFileSystem = 228;
}  // namespace FileSystemError

// Each library's only export.
extern "C" {
using CreateDeviceInterfaceFn = DeviceInterface* (*)();
using CreateFileSystemInterfaceFn = FileSystemInterface* (*)();
}
