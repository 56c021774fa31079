// File names as FAT stores them: the 11-byte short name, the UTF-16 long name,
// and the rules that connect them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "plugins/volkit/OnDisk.h"

namespace volkit {

using ShortName = std::array<uint8_t, DirSlot::NameSize>;

// A name from the program (code page) as UTF-16, checked for what FAT can
// store: throws InvalidName, NameTooLong or NotRepresentable.
std::u16string ToLongName(std::string_view text);
// A name read from disk in the program's code page; false when it has no
// counterpart there or does not fit a record.
bool FromLongName(std::u16string_view name, std::string* text);

// "NAME.EXT" (no dot without an extension); `caseFlags` are the entry's
// lower-case bits (DirSlot::LowerBase, DirSlot::LowerExtension).
std::string FormatShortName(const ShortName& name, uint8_t caseFlags = 0);
// The short name when `name` is already a valid upper-case 8.3 name, which
// is then stored without a long name.
bool ExactShortName(std::u16string_view name, ShortName* shortName);
// Per stem of numbered short names (the base and extension before a tail is
// put in), the lowest tail not known to be taken: every lower one is.
using TailHints = std::unordered_map<std::string, uint32_t>;

// A short name for `name` that `taken` does not know: NAME.EXT when it only
// differs in case or characters, else with the lowest numeric tail free
// (NAME~1.EXT). The search starts where `hints` says and leaves the hint
// behind the tail given, as the name is about to be taken.
ShortName GenerateShortName(std::u16string_view name, const std::function<bool(const ShortName&)>& taken,
                            TailHints& hints);

uint8_t ShortNameChecksum(const ShortName& name);
// The name with case folded, as FAT compares names.
std::u16string FoldCase(std::u16string_view name);
// FoldCase(AsciiToUtf16(FormatShortName(name))): the key of a short name in a
// folder's index, without the three texts in between.
std::u16string FoldedShortName(const ShortName& name);
std::u16string AsciiToUtf16(std::string_view text);

}  // namespace volkit
