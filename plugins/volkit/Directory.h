// One folder held in memory as its raw 32-byte slots, parsed into entries
// (long-name slots joined to their short entry when the checksum agrees).
// Creating, updating and removing an entry patch the slots, the entry list
// and the name index in place, so a folder of n entries takes n creations in
// time linear in n. Changes mark sectors dirty; commit writes them in
// ascending order, which puts long-name slots on disk before the short entry
// they belong to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plugins/volkit/DirtySectors.h"
#include "plugins/volkit/Names.h"

namespace volkit {

class Volume;

struct DirEntry {
  static constexpr uint8_t ReadOnly = 0x01, Hidden = 0x02, System = 0x04, Label = 0x08, Folder = 0x10, Archive = 0x20,
                           LongNamePart = 0x0F;

  std::u16string longName;  // empty when the entry has only its short name
  ShortName shortName{};
  uint8_t attributes = 0;
  uint8_t caseFlags = 0;
  uint32_t cluster = 0;
  uint32_t size = 0;
  uint16_t time = 0;
  uint16_t date = 0;
  uint32_t firstSlot = 0;  // the first long-name slot, or the short slot
  uint32_t slot = 0;       // the short slot

  bool isFolder() const { return attributes & Folder; }
  bool isDotEntry() const { return shortName[0] == '.'; }
  std::u16string name() const;
};

class Directory {
 public:
  // `cluster` 0 is the root folder.
  Directory(Volume& volume, uint32_t cluster);

  uint32_t cluster() const { return cluster_; }
  const std::vector<DirEntry>& entries() const { return entries_; }  // in slot order
  const DirEntry* find(std::u16string_view name) const;
  bool isEmpty() const;

  // Slots that `name` takes (its long-name slots and the short one).
  static uint32_t slotsFor(std::u16string_view name);
  // Makes sure `slots` consecutive free slots exist, growing the folder when
  // needed (MediumFull when it cannot).
  void reserve(uint32_t slots);
  // Adds `name` with the attributes, cluster, size and time of `data` and a
  // fresh short name; returns the new entry.
  DirEntry create(std::u16string_view name, const DirEntry& data);
  // Gives `entry` the new name in one write: its new slots go into the
  // stretch of consecutive sectors that holds its old ones, and every sector
  // between the two is written with them. Nothing when that stretch has no
  // room; the folder is then as it was.
  std::optional<DirEntry> renameInOneWrite(const DirEntry& entry, std::u16string_view name);
  // Writes the cluster, size, attributes and time of `entry` to its short slot.
  void update(const DirEntry& entry);
  void remove(const DirEntry& entry);

  std::optional<std::string> label() const;
  void setLabel(const std::string& label);  // empty removes it

  bool dirty() const { return dirty_.any(); }
  void commit();

 private:
  uint8_t* slotData(uint32_t slot) { return bytes_.data() + size_t(slot) * DirSlot::Size; }
  const uint8_t* slotData(uint32_t slot) const { return bytes_.data() + size_t(slot) * DirSlot::Size; }
  uint32_t slotCount() const { return uint32_t(bytes_.size() / DirSlot::Size); }
  void markDirty(uint32_t slot);
  // The first run of `slots` free slots within [from, to).
  std::optional<uint32_t> findFreeRun(uint32_t slots, uint32_t from = 0, uint32_t to = UINT32_MAX) const;
  // findFreeRun over the whole folder, remembered as the hint for `slots`.
  std::optional<uint32_t> firstFreeRun(uint32_t slots);
  // Takes the first free run of `slots` slots, growing the folder if needed.
  uint32_t claim(uint32_t slots);
  // Takes the free run at `start`, moving the end mark behind it.
  void take(uint32_t start, uint32_t slots);
  // Writes the `slots` (slotsFor) of `name` from `start` on; returns the new entry.
  DirEntry place(uint32_t start, uint32_t slots, std::u16string_view name, const DirEntry& data);
  uint32_t sectorOf(uint32_t slot) const;
  void grow();
  void parse();
  void index();
  // The entry whose short slot holds, its long name left empty.
  DirEntry readShortEntry(uint32_t slot) const;
  // Where the entry of a short slot is or would go in entries_.
  size_t positionOf(uint32_t slot) const;
  void addEntry(DirEntry entry);
  void dropEntry(uint32_t slot);
  // The folded names an entry answers to: its name and its short name.
  static std::vector<std::u16string> namesOf(const DirEntry& entry);
  void addName(const std::u16string& name, uint32_t slot);
  void dropName(const std::u16string& name, uint32_t slot);
  // Slots from `slot` on may have become free: no hint may lie beyond a run
  // that could include it.
  void lowerFreeHints(uint32_t slot);

  Volume& volume_;
  uint32_t cluster_;
  std::vector<uint32_t> sectors_;  // volume sectors, in order
  std::vector<uint8_t> bytes_;
  DirtySectors dirty_;             // per entry of sectors_
  std::vector<DirEntry> entries_;  // by slot
  // A folded name to the short slot of the first entry that answers to it;
  // later entries that answer to it too (only on a damaged folder) wait in
  // `shadowed_` to take it over when that one goes.
  std::unordered_map<std::u16string, uint32_t> byName_;
  std::unordered_multimap<std::u16string, uint32_t> shadowed_;
  // For a run of n slots, no free run of n slots starts before freeHints_[n].
  std::vector<uint32_t> freeHints_;
  TailHints tails_;
  std::optional<uint32_t> labelSlot_;
  uint32_t endSlot_ = 0;  // the end mark, or slotCount() when there is none
};

// DOS date and time of the present moment, local time.
void CurrentDosTime(uint16_t* date, uint16_t* time);
void WriteShortEntry(uint8_t* slot, const DirEntry& entry);

}  // namespace volkit
