// The FAT structures as they lie on a medium, named once for the code that
// writes them and the code that reads them: the boot sector with its FAT32
// extension and extended boot record, FSInfo, the 32-byte folder slot and the
// partition table entry. Offsets count bytes from the start of the structure;
// all numbers are little-endian.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace volkit {

namespace BootSector {
constexpr size_t Jump = 0;                // u8[3]: EB xx 90 or E9 xx xx
constexpr size_t OemName = 3;             // char[8]
constexpr size_t BytesPerSector = 11;     // u16
constexpr size_t SectorsPerCluster = 13;  // u8
constexpr size_t ReservedSectors = 14;    // u16
constexpr size_t FatCount = 16;           // u8
constexpr size_t RootEntries = 17;        // u16, 0 on FAT32
constexpr size_t TotalSectors16 = 19;     // u16, 0 when the count needs TotalSectors32
constexpr size_t MediaDescriptor = 21;    // u8
constexpr size_t FatSectors16 = 22;       // u16, 0 on FAT32
constexpr size_t SectorsPerTrack = 24;    // u16
constexpr size_t HeadCount = 26;          // u16
constexpr size_t HiddenSectors = 28;      // u32: sectors before the volume
constexpr size_t TotalSectors32 = 32;     // u32
constexpr size_t ExtendedRecord = 36;     // FAT12/16: the extended boot record starts here
constexpr size_t Signature = 510;         // u8[2]: 55 AA

constexpr uint8_t ShortJump = 0xEB, NearJump = 0xE9, NoOperation = 0x90;
constexpr uint8_t FixedMedium = 0xF8;
constexpr uint8_t Signature0 = 0x55, Signature1 = 0xAA;
}  // namespace BootSector

// FAT32 replaces the extended boot record at 36 with these fields and moves
// it behind them.
namespace Fat32Boot {
constexpr size_t FatSectors = 36;        // u32
constexpr size_t RootCluster = 44;       // u32
constexpr size_t FsInfoSector = 48;      // u16
constexpr size_t BackupBootSector = 50;  // u16
constexpr size_t ExtendedRecord = 64;
}  // namespace Fat32Boot

// Offsets from BootSector::ExtendedRecord or Fat32Boot::ExtendedRecord.
namespace ExtendedBoot {
constexpr size_t DriveNumber = 0;      // u8
constexpr size_t State = 1;            // u8: bit Dirty set while the volume may be inconsistent
constexpr size_t Signature = 2;        // u8: Present when the three fields below hold values
constexpr size_t SerialNumber = 3;     // u32
constexpr size_t Label = 7;            // char[LabelSize], blank-padded; "NO NAME" for none
constexpr size_t FileSystemType = 18;  // char[8], blank-padded: "FAT12", "FAT16", "FAT32"

constexpr size_t Size = 26;  // the boot code follows

constexpr uint8_t FirstFixedDrive = 0x80;
constexpr uint8_t Dirty = 0x01;
constexpr uint8_t Present = 0x29;
constexpr std::string_view NoLabel = "NO NAME";
constexpr size_t LabelSize = 11;
constexpr size_t FileSystemTypeSize = 8;
}  // namespace ExtendedBoot

namespace FsInfo {
constexpr size_t LeadSignature = 0;      // u32 LeadValue
constexpr size_t StructSignature = 484;  // u32 StructValue
constexpr size_t FreeCount = 488;        // u32 clusters, 0xFFFFFFFF when unknown
constexpr size_t NextFree = 492;         // u32: where to look for a free cluster first
constexpr size_t TrailSignature = 508;   // u32 TrailValue

constexpr uint32_t LeadValue = 0x41615252, StructValue = 0x61417272, TrailValue = 0xAA550000;
constexpr uint32_t Unknown = 0xFFFFFFFF;  // FreeCount and NextFree
}  // namespace FsInfo

// A short entry, or (Attributes == LongNamePart) one part of a long name.
namespace DirSlot {
constexpr size_t Size = 32;
constexpr size_t Name = 0;             // u8[NameSize]: 8 + 3, blank-padded; Name[0] also marks the slot
constexpr size_t Attributes = 11;      // u8: the bits of DirEntry
constexpr size_t CaseFlags = 12;       // u8: LowerBase, LowerExtension
constexpr size_t CreationTenths = 13;  // u8
constexpr size_t CreationTime = 14;    // u16 DOS time
constexpr size_t CreationDate = 16;    // u16 DOS date
constexpr size_t AccessDate = 18;      // u16
constexpr size_t ClusterHigh = 20;     // u16, FAT32 only
constexpr size_t WriteTime = 22;       // u16
constexpr size_t WriteDate = 24;       // u16
constexpr size_t ClusterLow = 26;      // u16
constexpr size_t FileSize = 28;        // u32 bytes

constexpr size_t NameSize = 11;
constexpr uint8_t EndMark = 0x00;    // Name[0]: this slot and all after it are free
constexpr uint8_t FreeMark = 0xE5;   // Name[0]: a deleted entry
constexpr uint8_t EscapedE5 = 0x05;  // Name[0]: a name that starts with byte E5
constexpr uint8_t LowerBase = 0x08, LowerExtension = 0x10;

// The long-name part of a slot.
constexpr size_t Order = 0;      // u8: part number from 1, LastPart on the part stored first
constexpr size_t Checksum = 13;  // u8: of the short name the parts belong to
constexpr uint8_t LastPart = 0x40, OrderMask = 0x1F;
constexpr size_t CharsPerPart = 13;
// Where the UTF-16 characters of a part lie.
constexpr size_t PartChars[CharsPerPart] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
}  // namespace DirSlot

// The four entries of the partition table in sector 0.
namespace PartitionEntry {
constexpr size_t TableStart = 446;
constexpr size_t Size = 16;
constexpr size_t Status = 0;        // u8: 0, or Bootable
constexpr size_t Type = 4;          // u8: 0 for an unused entry
constexpr size_t FirstSector = 8;   // u32
constexpr size_t SectorCount = 12;  // u32
constexpr int Count = 4;
constexpr uint8_t Bootable = 0x80;
}  // namespace PartitionEntry

// Little-endian fields of the structures above.
inline uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
inline void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// A blank-padded text field without its padding.
inline std::string ReadBlankPadded(const uint8_t* field, size_t size) {
  std::string text(reinterpret_cast<const char*>(field), size);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}
// `text`, at most `size` bytes of it, padded with blanks to fill the field.
inline void WriteBlankPadded(uint8_t* field, size_t size, std::string_view text) {
  size_t length = std::min(size, text.size());
  std::copy_n(text.begin(), length, field);
  std::fill(field + length, field + size, uint8_t(' '));
}

// Whether a sector carries the FSInfo sector's lead and structure signatures.
inline bool HasFsInfoSignatures(const uint8_t* sector) {
  return Get32(sector + FsInfo::LeadSignature) == FsInfo::LeadValue &&
         Get32(sector + FsInfo::StructSignature) == FsInfo::StructValue;
}

// Whether a sector carries the boot signature.
inline bool HasBootSignature(const uint8_t* sector) {
  return sector[BootSector::Signature] == BootSector::Signature0 &&
         sector[BootSector::Signature + 1] == BootSector::Signature1;
}

}  // namespace volkit
