// The order in which the entries of a USER folder are shown: ".." first, then
// folders, then files, each group by the chosen key. The player view sorts its
// rows with it and tunewarden-cli lists folders in the same order.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/Text.h"
#include "player/PlayerEntry.h"

enum class EntryKey { None, Name, Size, Date, Extension };

// What an entry is sorted by, worked out once per entry rather than on
// every comparison.
struct EntrySortKey {
  int group = 0;  // "..", folders, files
  std::u32string text;
  uint64_t number = 0;

  auto operator<=>(const EntrySortKey&) const = default;
};

EntrySortKey MakeSortKey(const PlayerEntry& entry, EntryKey key);
// Negative when `a` comes first, positive when `b` does, 0 when the key does
// not tell them apart. Names compare in the user's collation; dates newest
// first.
int CompareSortKeys(const EntrySortKey& a, const EntrySortKey& b);

// Sorts by the key, keeping the listing's order where it does not tell.
void SortEntries(std::vector<PlayerEntry>& entries, EntryKey key);

// Splits a name at its last '.', which is neither part (both empty-safe); a
// name without one is all base.
void SplitExtension(const CText& name, CText* base, CText* extension);
