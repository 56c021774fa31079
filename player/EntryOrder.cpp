#include "player/EntryOrder.h"

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

int CompareEntries(const PlayerEntry& a, const PlayerEntry& b, EntryKey key) {
  const bool aUp = a.longName == UpEntryName, bUp = b.longName == UpEntryName;
  if (aUp != bUp) return aUp ? -1 : 1;
  if (a.IsFolder() && !b.IsFolder()) return -1;
  if (b.IsFolder() && !a.IsFolder()) return 1;
  switch (key) {
    case EntryKey::Name:
      return platform::CompareCollated(a.longName.View(), b.longName.View());
    case EntryKey::Size:
      return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
    case EntryKey::Date: {
      // Newest first, to the millisecond.
      const uint64_t stampA = a.stamp.Milliseconds();
      const uint64_t stampB = b.stamp.Milliseconds();
      return stampA > stampB ? -1 : stampA < stampB ? 1 : 0;
    }
    case EntryKey::Extension: {
      CText baseA, extensionA, baseB, extensionB;
      SplitExtension(a.longName, &baseA, &extensionA);
      SplitExtension(b.longName, &baseB, &extensionB);
      return platform::CompareCollated(extensionA.View(), extensionB.View());
    }
    case EntryKey::None:
      break;
  }
  return 0;
}
