#include "player/EntryOrder.h"

#include <algorithm>
#include <utility>

#include "platform/CodePage.h"
#include "platform/Locale.h"

namespace {

constexpr const char* UpEntryName = "..";

}  // namespace

void SplitExtension(const CText& name, CText* base, CText* extension) {
  const std::string_view text = name.View();
  size_t dot = std::string_view::npos;
  // A double-byte character's trail byte is never taken for the dot.
  for (size_t at = 0; at < text.size(); at += platform::CharLength(text, at))
    if (text[at] == '.') dot = at;
  if (dot == std::string_view::npos) {
    *base = name;
    *extension = CText();
  } else {
    *base = CText(text.substr(0, dot));
    *extension = CText(text.substr(dot + 1));
  }
}

EntrySortKey MakeSortKey(const PlayerEntry& entry, EntryKey key) {
  EntrySortKey sortKey;
  sortKey.group = entry.longName == UpEntryName ? 0 : entry.IsFolder() ? 1 : 2;
  switch (key) {
    case EntryKey::Name:
      sortKey.text = platform::CollationKey(entry.longName.View());
      break;
    case EntryKey::Size:
      sortKey.number = entry.size;
      break;
    case EntryKey::Date:
      sortKey.number = UINT64_MAX - entry.stamp.Milliseconds();  // newest first, to the millisecond
      break;
    case EntryKey::Extension: {
      CText base, extension;
      SplitExtension(entry.longName, &base, &extension);
      sortKey.text = platform::CollationKey(extension.View());
      break;
    }
    case EntryKey::None:
      break;
  }
  return sortKey;
}

int CompareSortKeys(const EntrySortKey& a, const EntrySortKey& b) {
  const std::strong_ordering order = a <=> b;
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void SortEntries(std::vector<PlayerEntry>& entries, EntryKey key) {
  std::vector<std::pair<EntrySortKey, size_t>> order;
  order.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) order.emplace_back(MakeSortKey(entries[i], key), i);
  std::sort(order.begin(), order.end());  // the index keeps equal keys in listing order
  std::vector<PlayerEntry> sorted;
  sorted.reserve(entries.size());
  for (const auto& [sortKey, index] : order) sorted.push_back(std::move(entries[index]));
  entries = std::move(sorted);
}
