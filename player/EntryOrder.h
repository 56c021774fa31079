// The order in which the entries of a USER folder are shown: ".." first, then
// folders, then files, each group by the chosen key. The player view sorts its
// rows with it and tunewarden-cli lists folders in the same order.
#pragma once

#include "framework/core/Text.h"
#include "player/PlayerEntry.h"

enum class EntryKey { None, Name, Size, Date, Extension };

// Negative when `a` comes first, positive when `b` does, 0 when the key does
// not tell them apart. Names compare in the user's collation; dates newest
// first.
int CompareEntries(const PlayerEntry& a, const PlayerEntry& b, EntryKey key);

// Splits a name at its last '.', which is neither part (both empty-safe); a
// name without one is all base.
void SplitExtension(const CText& name, CText* base, CText* extension);
