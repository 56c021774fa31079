#include "plugins/volkit/Directory.h"

#include <algorithm>
#include <ctime>

#include "plugins/volkit/FsError.h"
#include "plugins/volkit/OnDisk.h"
#include "plugins/volkit/Volume.h"

namespace volkit {

namespace {

constexpr uint32_t MaxSlots = 65536;  // the most a FAT folder may hold

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
  std::copy(entry.shortName.begin(), entry.shortName.end(), slot + DirSlot::Name);
  slot[DirSlot::Attributes] = entry.attributes;
  slot[DirSlot::CaseFlags] = entry.caseFlags;
  Put16(slot + DirSlot::CreationTime, entry.time);
  Put16(slot + DirSlot::CreationDate, entry.date);
  Put16(slot + DirSlot::AccessDate, entry.date);
  Put16(slot + DirSlot::ClusterHigh, entry.cluster >> 16);
  Put16(slot + DirSlot::WriteTime, entry.time);
  Put16(slot + DirSlot::WriteDate, entry.date);
  Put16(slot + DirSlot::ClusterLow, entry.cluster);
  Put32(slot + DirSlot::FileSize, entry.size);
}

Directory::Directory(Volume& volume, uint32_t cluster) : volume_(volume), cluster_(cluster) {
  const Geometry& g = volume.geometry();
  if (cluster == 0 && g.fatBits != 32) {
    for (uint32_t s = 0; s < g.rootSectors(); ++s) sectors_.push_back(g.rootStart() + s);
  } else {
    std::vector<uint32_t> clusters = volume.fat().chain(cluster == 0 ? g.rootCluster : cluster);
    if (clusters.empty() || uint64_t(clusters.size()) * g.bytesPerCluster() / DirSlot::Size > MaxSlots) Damaged();
    for (uint32_t c : clusters) {
      for (uint32_t s = 0; s < g.sectorsPerCluster; ++s) sectors_.push_back(g.clusterSector(c) + s);
    }
  }
  bytes_.resize(sectors_.size() * g.bytesPerSector);
  dirty_ = DirtySectors(sectors_.size());
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
    if (p[DirSlot::Name] == DirSlot::EndMark) {
      endSlot_ = slot;
      break;
    }
    if (p[DirSlot::Name] == DirSlot::FreeMark) {
      expected = 0;
      complete = false;
      continue;
    }
    if (p[DirSlot::Attributes] == DirEntry::LongNamePart) {
      complete = false;
      uint32_t order = p[DirSlot::Order] & DirSlot::OrderMask;
      if (p[DirSlot::Order] & DirSlot::LastPart) {
        pending.assign(size_t(order) * DirSlot::CharsPerPart, u'\0');
        pendingStart = slot;
        checksum = p[DirSlot::Checksum];
        expected = order;
      }
      if (order == 0 || order != expected || p[DirSlot::Checksum] != checksum) {
        expected = 0;
        continue;
      }
      for (uint32_t i = 0; i < DirSlot::CharsPerPart; ++i) {
        pending[(order - 1) * DirSlot::CharsPerPart + i] = char16_t(Get16(p + DirSlot::PartChars[i]));
      }
      complete = --expected == 0;
      continue;
    }
    if ((p[DirSlot::Attributes] & DirEntry::Label) && !(p[DirSlot::Attributes] & DirEntry::Folder)) {
      labelSlot_ = slot;
      expected = 0;
      complete = false;
      continue;
    }
    DirEntry entry = readShortEntry(slot);
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

DirEntry Directory::readShortEntry(uint32_t slot) const {
  const uint8_t* p = slotData(slot);
  DirEntry entry;
  std::copy_n(p + DirSlot::Name, entry.shortName.size(), entry.shortName.begin());
  entry.attributes = p[DirSlot::Attributes];
  entry.caseFlags = p[DirSlot::CaseFlags];
  entry.time = Get16(p + DirSlot::WriteTime);
  entry.date = Get16(p + DirSlot::WriteDate);
  entry.cluster = Get16(p + DirSlot::ClusterLow);
  if (volume_.geometry().fatBits == 32) entry.cluster |= uint32_t(Get16(p + DirSlot::ClusterHigh)) << 16;
  entry.size = Get32(p + DirSlot::FileSize);
  entry.slot = entry.firstSlot = slot;
  return entry;
}

void Directory::index() {
  byName_.clear();
  shadowed_.clear();
  tails_.clear();
  freeHints_.assign(freeHints_.size(), 0);
  for (const DirEntry& entry : entries_) {
    for (const std::u16string& name : namesOf(entry)) addName(name, entry.slot);
  }
}

std::vector<std::u16string> Directory::namesOf(const DirEntry& entry) {
  std::u16string shortName = FoldedShortName(entry.shortName);
  // Without a long name the name is the short one, whose case flags fold away.
  if (entry.longName.empty()) return {std::move(shortName)};
  std::vector<std::u16string> names{FoldCase(entry.longName)};
  if (shortName != names.front()) names.push_back(std::move(shortName));
  return names;
}

// The first entry that answers to a name, by long or short name, keeps it.
void Directory::addName(const std::u16string& name, uint32_t slot) {
  auto [owner, added] = byName_.try_emplace(name, slot);
  if (added) return;
  if (slot < owner->second) std::swap(slot, owner->second);
  shadowed_.emplace(name, slot);
}

void Directory::dropName(const std::u16string& name, uint32_t slot) {
  auto [first, last] = shadowed_.equal_range(name);
  auto owner = byName_.find(name);
  if (owner == byName_.end()) return;
  if (owner->second != slot) {
    for (auto shadow = first; shadow != last; ++shadow) {
      if (shadow->second == slot) {
        shadowed_.erase(shadow);
        break;
      }
    }
    return;
  }
  if (first == last) {
    byName_.erase(owner);
    return;
  }
  auto next = std::min_element(first, last, [](const auto& a, const auto& b) { return a.second < b.second; });
  owner->second = next->second;
  shadowed_.erase(next);
}

size_t Directory::positionOf(uint32_t slot) const {
  return size_t(std::lower_bound(entries_.begin(), entries_.end(), slot,
                                 [](const DirEntry& e, uint32_t s) { return e.slot < s; }) -
                entries_.begin());
}

void Directory::addEntry(DirEntry entry) {
  for (const std::u16string& name : namesOf(entry)) addName(name, entry.slot);
  const size_t at = positionOf(entry.slot);
  entries_.insert(entries_.begin() + long(at), std::move(entry));
}

void Directory::dropEntry(uint32_t slot) {
  const size_t at = positionOf(slot);
  if (at == entries_.size() || entries_[at].slot != slot) return;
  for (const std::u16string& name : namesOf(entries_[at])) dropName(name, slot);
  entries_.erase(entries_.begin() + long(at));
}

const DirEntry* Directory::find(std::u16string_view name) const {
  auto found = byName_.find(FoldCase(name));
  return found == byName_.end() ? nullptr : &entries_[positionOf(found->second)];
}

bool Directory::isEmpty() const {
  return std::all_of(entries_.begin(), entries_.end(), [](const DirEntry& e) { return e.isDotEntry(); });
}

uint32_t Directory::slotsFor(std::u16string_view name) {
  ShortName exact;
  if (ExactShortName(name, &exact)) return 1;
  return 1 + uint32_t((name.size() + DirSlot::CharsPerPart - 1) / DirSlot::CharsPerPart);
}

std::optional<uint32_t> Directory::findFreeRun(uint32_t slots, uint32_t from, uint32_t to) const {
  // A set that fits in one sector is kept in one, so that it reaches the
  // disk in one write.
  uint32_t perSector = volume_.geometry().bytesPerSector / DirSlot::Size;
  bool oneSector = slots <= perSector;
  to = std::min(to, slotCount());
  // Where no run can start, as an earlier search found.
  if (slots < freeHints_.size()) from = std::max(from, freeHints_[slots]);
  uint32_t run = 0;
  for (uint32_t slot = from; slot < to; ++slot) {
    if (oneSector && slot % perSector == 0) run = 0;
    if (slot >= endSlot_) {
      // Everything after the end mark is free.
      uint32_t start = slot - run;
      if (oneSector && start / perSector != (start + slots - 1) / perSector) {
        start = (start / perSector + 1) * perSector;
      }
      if (start + slots <= to) return start;
      return std::nullopt;
    }
    run = slotData(slot)[DirSlot::Name] == DirSlot::FreeMark ? run + 1 : 0;
    if (run == slots) return slot + 1 - slots;
  }
  return std::nullopt;
}

void Directory::grow() {
  const Geometry& g = volume_.geometry();
  if (cluster_ == 0 && g.fatBits != 32) Fail(FileSystemError::MediumFull);
  uint32_t slotsPerCluster = g.bytesPerCluster() / DirSlot::Size;
  if (slotCount() + slotsPerCluster > MaxSlots) Fail(FileSystemError::MediumFull);
  std::vector<uint32_t> clusters = volume_.fat().chain(cluster_ == 0 ? g.rootCluster : cluster_);
  uint32_t added = volume_.fat().allocate(1).front();
  volume_.fat().link(clusters.back(), added);
  volume_.device().writeZeros(g.clusterSector(added), g.sectorsPerCluster);
  const uint32_t oldSlots = slotCount();
  for (uint32_t s = 0; s < g.sectorsPerCluster; ++s) sectors_.push_back(g.clusterSector(added) + s);
  bytes_.resize(sectors_.size() * g.bytesPerSector, 0);
  dirty_.grow(sectors_.size());
  // The new slots are zeros: an end mark at the first one when the folder
  // had none, so the entries and the end stay as they are.
  lowerFreeHints(oldSlots);
}

void Directory::reserve(uint32_t slots) {
  while (!firstFreeRun(slots)) grow();
}

std::optional<uint32_t> Directory::firstFreeRun(uint32_t slots) {
  std::optional<uint32_t> start = findFreeRun(slots);
  if (start) {
    if (freeHints_.size() <= slots) freeHints_.resize(slots + 1, 0);
    freeHints_[slots] = *start;
  }
  return start;
}

void Directory::lowerFreeHints(uint32_t slot) {
  for (uint32_t slots = 1; slots < freeHints_.size(); ++slots)
    freeHints_[slots] = std::min(freeHints_[slots], slot - std::min(slot, slots - 1));
}

uint32_t Directory::claim(uint32_t slots) {
  reserve(slots);
  uint32_t start = *firstFreeRun(slots);
  take(start, slots);
  return start;
}

void Directory::take(uint32_t start, uint32_t slots) {
  // Slots skipped past the end mark become free ones, and the end mark moves
  // behind the new set, so that the set is neither hidden nor followed by
  // stale slots.
  for (uint32_t slot = endSlot_; slot < start; ++slot) {
    slotData(slot)[DirSlot::Name] = DirSlot::FreeMark;
    markDirty(slot);
  }
  uint32_t end = start + slots;
  if (end > endSlot_ && end < slotCount() && slotData(end)[DirSlot::Name] != DirSlot::EndMark) {
    slotData(end)[DirSlot::Name] = DirSlot::EndMark;
    markDirty(end);
  }
  endSlot_ = std::max(endSlot_, end);
}

DirEntry Directory::create(std::u16string_view name, const DirEntry& data) {
  const uint32_t slots = slotsFor(name);
  return place(claim(slots), slots, name, data);
}

std::optional<DirEntry> Directory::renameInOneWrite(const DirEntry& entry, std::u16string_view name) {
  uint32_t perSector = volume_.geometry().bytesPerSector / DirSlot::Size;
  uint32_t first = sectorOf(entry.firstSlot), last = sectorOf(entry.slot);
  auto follows = [&](uint32_t sector) { return sectors_[sector] == sectors_[sector - 1] + 1; };
  for (uint32_t sector = first + 1; sector <= last; ++sector) {
    if (!follows(sector)) return std::nullopt;
  }
  while (first > 0 && follows(first)) --first;
  while (last + 1 < sectors_.size() && follows(last + 1)) ++last;

  std::vector<uint8_t> marks;
  for (uint32_t slot = entry.firstSlot; slot <= entry.slot; ++slot) {
    marks.push_back(slotData(slot)[DirSlot::Name]);
    slotData(slot)[DirSlot::Name] = DirSlot::FreeMark;
  }
  parse();  // the old short name is free for the new one
  uint32_t slots = slotsFor(name);
  std::optional<uint32_t> start = findFreeRun(slots, first * perSector, (last + 1) * perSector);
  if (!start) {
    for (uint32_t slot = entry.firstSlot; slot <= entry.slot; ++slot) {
      slotData(slot)[DirSlot::Name] = marks[slot - entry.firstSlot];
    }
    parse();
    return std::nullopt;
  }
  for (uint32_t slot = entry.firstSlot; slot <= entry.slot; ++slot) markDirty(slot);
  take(*start, slots);
  DirEntry renamed = place(*start, slots, name, entry);
  uint32_t from = std::min(sectorOf(entry.firstSlot), sectorOf(*start));
  uint32_t to = std::max(sectorOf(entry.slot), sectorOf(*start + slots - 1));
  for (uint32_t sector = from; sector <= to; ++sector) dirty_.mark(sector);
  return renamed;
}

DirEntry Directory::place(uint32_t start, uint32_t slots, std::u16string_view name, const DirEntry& data) {
  DirEntry entry = data;
  entry.caseFlags = 0;
  if (slots == 1) {
    ExactShortName(name, &entry.shortName);
  } else {
    entry.shortName = GenerateShortName(
        name, [&](const ShortName& candidate) { return byName_.count(FoldedShortName(candidate)) != 0; }, tails_);
  }
  uint8_t checksum = ShortNameChecksum(entry.shortName);
  uint32_t longSlots = slots - 1;
  for (uint32_t i = 0; i < longSlots; ++i) {
    uint32_t order = longSlots - i;  // the last part comes first on disk
    uint8_t* p = slotData(start + i);
    std::fill(p, p + DirSlot::Size, 0);
    p[DirSlot::Order] = uint8_t(order | (i == 0 ? DirSlot::LastPart : 0));
    p[DirSlot::Attributes] = DirEntry::LongNamePart;
    p[DirSlot::Checksum] = checksum;
    for (uint32_t k = 0; k < DirSlot::CharsPerPart; ++k) {
      size_t index = size_t(order - 1) * DirSlot::CharsPerPart + k;
      uint16_t c = index < name.size() ? name[index] : index == name.size() ? 0 : 0xFFFF;
      Put16(p + DirSlot::PartChars[k], c);
    }
    markDirty(start + i);
  }
  uint8_t* p = slotData(start + longSlots);
  std::fill(p, p + DirSlot::Size, 0);
  WriteShortEntry(p, entry);
  markDirty(start + longSlots);
  // The entry as parse() would read it back.
  DirEntry created = readShortEntry(start + longSlots);
  created.firstSlot = start;
  if (longSlots > 0) created.longName = name;
  addEntry(created);
  return created;
}

void Directory::update(const DirEntry& entry) {
  uint8_t* p = slotData(entry.slot);
  // The creation stamp and the access date stay.
  constexpr size_t KeptFrom = DirSlot::CreationTenths, KeptEnd = DirSlot::AccessDate + 2;
  uint8_t kept[KeptEnd - KeptFrom];
  std::copy(p + KeptFrom, p + KeptEnd, kept);
  WriteShortEntry(p, entry);
  std::copy(std::begin(kept), std::end(kept), p + KeptFrom);
  markDirty(entry.slot);
  const size_t at = positionOf(entry.slot);
  if (at == entries_.size() || entries_[at].slot != entry.slot) return;
  DirEntry updated = readShortEntry(entry.slot);
  if (updated.shortName == entries_[at].shortName) {  // else the long name's checksum no longer agrees
    updated.firstSlot = entries_[at].firstSlot;
    updated.longName = entries_[at].longName;
  }
  dropEntry(entry.slot);
  addEntry(std::move(updated));
}

void Directory::remove(const DirEntry& entry) {
  for (uint32_t slot = entry.firstSlot; slot <= entry.slot; ++slot) {
    slotData(slot)[DirSlot::Name] = DirSlot::FreeMark;
    markDirty(slot);
  }
  dropEntry(entry.slot);
  // Its short name's tail and its slots are free again.
  tails_.clear();
  lowerFreeHints(entry.firstSlot);
}

std::optional<std::string> Directory::label() const {
  if (!labelSlot_) return std::nullopt;
  return ReadBlankPadded(slotData(*labelSlot_) + DirSlot::Name, DirSlot::NameSize);
}

void Directory::setLabel(const std::string& label) {
  if (label.empty()) {
    if (labelSlot_) {
      slotData(*labelSlot_)[DirSlot::Name] = DirSlot::FreeMark;
      markDirty(*labelSlot_);
    }
    parse();
    return;
  }
  if (!labelSlot_) labelSlot_ = claim(1);
  DirEntry entry;
  WriteBlankPadded(entry.shortName.data(), entry.shortName.size(), label);
  entry.attributes = DirEntry::Label;
  CurrentDosTime(&entry.date, &entry.time);
  uint8_t* p = slotData(*labelSlot_);
  std::fill(p, p + DirSlot::Size, 0);
  WriteShortEntry(p, entry);
  markDirty(*labelSlot_);
  parse();
}

uint32_t Directory::sectorOf(uint32_t slot) const {
  return uint32_t(size_t(slot) * DirSlot::Size / volume_.geometry().bytesPerSector);
}

void Directory::markDirty(uint32_t slot) { dirty_.mark(sectorOf(slot)); }

void Directory::commit() {
  // Changed sectors that follow each other on disk go out in one write.
  uint32_t bps = volume_.geometry().bytesPerSector;
  dirty_.forEachRun([&](size_t i) { return sectors_[i] == sectors_[i - 1] + 1; },
                    [&](size_t first, size_t end) {
                      volume_.device().write(sectors_[first], uint32_t(end - first), bytes_.data() + first * bps);
                    });
  dirty_.clear();
}

}  // namespace volkit
