#include "plugins/volkit/Directory.h"

#include <algorithm>
#include <ctime>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/Volume.h"

namespace volkit {

namespace {

constexpr uint32_t SlotBytes = 32;
constexpr uint32_t CharsPerLongSlot = 13;
constexpr uint32_t MaxSlots = 65536;  // the most a FAT folder may hold
constexpr uint8_t FreeMark = 0xE5;
constexpr uint8_t LastLongSlot = 0x40;
// Where the 13 UTF-16 characters of a long-name slot lie.
constexpr uint8_t LongCharOffsets[CharsPerLongSlot] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

}  // namespace

std::u16string DirEntry::name() const {
  return longName.empty() ? AsciiToUtf16(FormatShortName(shortName, caseFlags)) : longName;
}

void CurrentDosTime(uint16_t* date, uint16_t* time) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  int year = std::clamp(local.tm_year + 1900, 1980, 2107);
  *date = uint16_t((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
  *time = uint16_t(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
}

void WriteShortEntry(uint8_t* slot, const DirEntry& entry) {
  std::copy(entry.shortName.begin(), entry.shortName.end(), slot);
  slot[11] = entry.attributes;
  slot[12] = entry.caseFlags;
  Put16(slot + 14, entry.time);
  Put16(slot + 16, entry.date);
  Put16(slot + 18, entry.date);
  Put16(slot + 20, entry.cluster >> 16);
  Put16(slot + 22, entry.time);
  Put16(slot + 24, entry.date);
  Put16(slot + 26, entry.cluster);
  Put32(slot + 28, entry.size);
}

Directory::Directory(Volume& volume, uint32_t cluster) : volume_(volume), cluster_(cluster) {
  const Geometry& g = volume.geometry();
  if (cluster == 0 && g.fatBits != 32) {
    for (uint32_t s = 0; s < g.rootSectors(); ++s) sectors_.push_back(g.rootStart() + s);
  } else {
    std::vector<uint32_t> clusters = volume.fat().chain(cluster == 0 ? g.rootCluster : cluster);
    if (clusters.empty() || uint64_t(clusters.size()) * g.bytesPerCluster() / SlotBytes > MaxSlots) Damaged();
    for (uint32_t c : clusters) {
      for (uint32_t s = 0; s < g.sectorsPerCluster; ++s) sectors_.push_back(g.clusterSector(c) + s);
    }
  }
  bytes_.resize(sectors_.size() * g.bytesPerSector);
  dirty_.assign(sectors_.size(), false);
  // Runs of consecutive sectors are read at once.
  for (size_t i = 0; i < sectors_.size();) {
    size_t end = i + 1;
    while (end < sectors_.size() && sectors_[end] == sectors_[end - 1] + 1) ++end;
    volume.device().read(sectors_[i], uint32_t(end - i), bytes_.data() + i * g.bytesPerSector);
    i = end;
  }
  parse();
}

void Directory::parse() {
  endSlot_ = slotCount();
  entries_.clear();
  labelSlot_.reset();
  std::u16string pending;                   // the long name being collected
  uint32_t pendingStart = 0, expected = 0;  // the order number the next slot must carry
  bool complete = false;                    // a whole long name waits for its short entry
  uint8_t checksum = 0;
  for (uint32_t slot = 0; slot < slotCount(); ++slot) {
    const uint8_t* p = slotData(slot);
    if (p[0] == 0) {
      endSlot_ = slot;
      break;
    }
    if (p[0] == FreeMark) {
      expected = 0;
      complete = false;
      continue;
    }
    if (p[11] == DirEntry::LongNamePart) {
      complete = false;
      uint32_t order = p[0] & 0x1F;
      if (p[0] & LastLongSlot) {
        pending.assign(size_t(order) * CharsPerLongSlot, u'\0');
        pendingStart = slot;
        checksum = p[13];
        expected = order;
      }
      if (order == 0 || order != expected || p[13] != checksum) {
        expected = 0;
        continue;
      }
      for (uint32_t i = 0; i < CharsPerLongSlot; ++i) {
        pending[(order - 1) * CharsPerLongSlot + i] = char16_t(Get16(p + LongCharOffsets[i]));
      }
      complete = --expected == 0;
      continue;
    }
    if ((p[11] & DirEntry::Label) && !(p[11] & DirEntry::Folder)) {
      labelSlot_ = slot;
      expected = 0;
      complete = false;
      continue;
    }
    DirEntry entry;
    std::copy(p, p + 11, entry.shortName.begin());
    entry.attributes = p[11];
    entry.caseFlags = p[12];
    entry.time = Get16(p + 22);
    entry.date = Get16(p + 24);
    entry.cluster = uint32_t(Get16(p + 20)) << 16 | Get16(p + 26);
    if (volume_.geometry().fatBits != 32) entry.cluster &= 0xFFFF;
    entry.size = Get32(p + 28);
    entry.slot = entry.firstSlot = slot;
    if (complete && checksum == ShortNameChecksum(entry.shortName)) {
      entry.longName = pending.substr(0, pending.find(u'\0'));
      entry.firstSlot = pendingStart;
    }
    expected = 0;
    complete = false;
    entries_.push_back(std::move(entry));
  }
  index();
}

void Directory::index() {
  byName_.clear();
  // The first entry that answers to a name, by long or short name, keeps it.
  for (size_t i = 0; i < entries_.size(); ++i) {
    byName_.emplace(FoldCase(entries_[i].name()), i);
    byName_.emplace(FoldCase(AsciiToUtf16(FormatShortName(entries_[i].shortName))), i);
  }
}

const DirEntry* Directory::find(std::u16string_view name) const {
  auto found = byName_.find(FoldCase(name));
  return found == byName_.end() ? nullptr : &entries_[found->second];
}

bool Directory::isEmpty() const {
  return std::all_of(entries_.begin(), entries_.end(), [](const DirEntry& e) { return e.isDotEntry(); });
}

uint32_t Directory::SlotsFor(std::u16string_view name) {
  ShortName exact;
  if (ExactShortName(name, &exact)) return 1;
  return 1 + uint32_t((name.size() + CharsPerLongSlot - 1) / CharsPerLongSlot);
}

std::optional<uint32_t> Directory::findFreeRun(uint32_t slots) const {
  // A set that fits in one sector is kept in one, so that it reaches the
  // disk in one write.
  uint32_t perSector = volume_.geometry().bytesPerSector / SlotBytes;
  bool oneSector = slots <= perSector;
  uint32_t run = 0;
  for (uint32_t slot = 0; slot < slotCount(); ++slot) {
    if (oneSector && slot % perSector == 0) run = 0;
    if (slot == endSlot_) {
      // Everything after the end mark is free.
      uint32_t start = slot - run;
      if (oneSector && start / perSector != (start + slots - 1) / perSector) {
        start = (start / perSector + 1) * perSector;
      }
      if (start + slots <= slotCount()) return start;
      return std::nullopt;
    }
    run = slotData(slot)[0] == FreeMark ? run + 1 : 0;
    if (run == slots) return slot + 1 - slots;
  }
  return std::nullopt;
}

void Directory::grow() {
  const Geometry& g = volume_.geometry();
  if (cluster_ == 0 && g.fatBits != 32) Fail(FileSystemError::MediumFull);
  uint32_t slotsPerCluster = g.bytesPerCluster() / SlotBytes;
  if (slotCount() + slotsPerCluster > MaxSlots) Fail(FileSystemError::MediumFull);
  std::vector<uint32_t> clusters = volume_.fat().chain(cluster_ == 0 ? g.rootCluster : cluster_);
  uint32_t added = volume_.fat().allocate(1).front();
  volume_.fat().link(clusters.back(), added);
  volume_.device().writeZeros(g.clusterSector(added), g.sectorsPerCluster);
  for (uint32_t s = 0; s < g.sectorsPerCluster; ++s) sectors_.push_back(g.clusterSector(added) + s);
  bytes_.resize(sectors_.size() * g.bytesPerSector, 0);
  dirty_.resize(sectors_.size(), false);
  parse();
}

void Directory::reserve(uint32_t slots) {
  while (!findFreeRun(slots)) grow();
}

uint32_t Directory::claim(uint32_t slots) {
  reserve(slots);
  uint32_t start = *findFreeRun(slots);
  // Slots skipped past the end mark become free ones, and the end mark moves
  // behind the new set, so that the set is neither hidden nor followed by
  // stale slots.
  for (uint32_t slot = endSlot_; slot < start; ++slot) {
    slotData(slot)[0] = FreeMark;
    markDirty(slot);
  }
  uint32_t end = start + slots;
  if (end > endSlot_ && end < slotCount() && slotData(end)[0] != 0) {
    slotData(end)[0] = 0;
    markDirty(end);
  }
  return start;
}

DirEntry Directory::create(std::u16string_view name, const DirEntry& data) {
  uint32_t slots = SlotsFor(name);
  uint32_t start = claim(slots);

  DirEntry entry = data;
  entry.caseFlags = 0;
  if (slots == 1) {
    ExactShortName(name, &entry.shortName);
  } else {
    entry.shortName = GenerateShortName(name, [&](const ShortName& candidate) {
      return byName_.count(FoldCase(AsciiToUtf16(FormatShortName(candidate)))) != 0;
    });
  }
  uint8_t checksum = ShortNameChecksum(entry.shortName);
  uint32_t longSlots = slots - 1;
  for (uint32_t i = 0; i < longSlots; ++i) {
    uint32_t order = longSlots - i;  // the last part comes first on disk
    uint8_t* p = slotData(start + i);
    std::fill(p, p + SlotBytes, 0);
    p[0] = uint8_t(order | (i == 0 ? LastLongSlot : 0));
    p[11] = DirEntry::LongNamePart;
    p[13] = checksum;
    for (uint32_t k = 0; k < CharsPerLongSlot; ++k) {
      size_t index = size_t(order - 1) * CharsPerLongSlot + k;
      uint16_t c = index < name.size() ? name[index] : index == name.size() ? 0 : 0xFFFF;
      Put16(p + LongCharOffsets[k], c);
    }
    markDirty(start + i);
  }
  uint8_t* p = slotData(start + longSlots);
  std::fill(p, p + SlotBytes, 0);
  WriteShortEntry(p, entry);
  markDirty(start + longSlots);
  parse();
  auto created =
      std::find_if(entries_.begin(), entries_.end(), [&](const DirEntry& e) { return e.slot == start + longSlots; });
  return *created;
}

void Directory::update(const DirEntry& entry) {
  uint8_t* p = slotData(entry.slot);
  uint8_t created[7];
  std::copy(p + 13, p + 20, created);  // creation time and access date stay
  WriteShortEntry(p, entry);
  std::copy(created, created + 7, p + 13);
  markDirty(entry.slot);
  parse();
}

void Directory::remove(const DirEntry& entry) {
  for (uint32_t slot = entry.firstSlot; slot <= entry.slot; ++slot) {
    slotData(slot)[0] = FreeMark;
    markDirty(slot);
  }
  parse();
}

std::optional<std::string> Directory::label() const {
  if (!labelSlot_) return std::nullopt;
  std::string label(reinterpret_cast<const char*>(slotData(*labelSlot_)), 11);
  label.erase(label.find_last_not_of(' ') + 1);
  return label;
}

void Directory::setLabel(const std::string& label) {
  if (label.empty()) {
    if (labelSlot_) {
      slotData(*labelSlot_)[0] = FreeMark;
      markDirty(*labelSlot_);
    }
    parse();
    return;
  }
  if (!labelSlot_) labelSlot_ = claim(1);
  DirEntry entry;
  std::fill(entry.shortName.begin(), entry.shortName.end(), ' ');
  std::copy(label.begin(), label.end(), entry.shortName.begin());
  entry.attributes = DirEntry::Label;
  CurrentDosTime(&entry.date, &entry.time);
  uint8_t* p = slotData(*labelSlot_);
  std::fill(p, p + SlotBytes, 0);
  WriteShortEntry(p, entry);
  markDirty(*labelSlot_);
  parse();
}

void Directory::markDirty(uint32_t slot) {
  dirty_[size_t(slot) * SlotBytes / volume_.geometry().bytesPerSector] = true;
}

bool Directory::dirty() const { return std::find(dirty_.begin(), dirty_.end(), true) != dirty_.end(); }

void Directory::commit() {
  uint32_t bps = volume_.geometry().bytesPerSector;
  for (size_t i = 0; i < sectors_.size(); ++i) {
    if (!dirty_[i]) continue;
    volume_.device().write(sectors_[i], 1, bytes_.data() + i * bps);
    dirty_[i] = false;
  }
}

}  // namespace volkit
