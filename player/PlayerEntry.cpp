#include "player/PlayerEntry.h"

#include "framework/core/Exception.h"
#include "player/DisplayText.h"

PlayerEntry& PlayerEntry::operator=(const PlayerEntry& other) {
  if (this == &other) return *this;
  attributes = other.attributes;
  size = other.size;
  stamp = other.stamp;
  longName = other.longName;
  SetShortName(other.shortName);
  if (!other.trackInfo)
    trackInfo.reset();
  else if (trackInfo)
    *trackInfo = *other.trackInfo;
  else
    trackInfo = std::make_unique<TrackInfo>(*other.trackInfo);
  return *this;
}

PlayerEntry& PlayerEntry::operator=(const DirEntryRecord& record) {
  attributes = record.attributes;
  size = record.size;
  // A record whose texts lack their terminator must not be read past.
  char name[sizeof record.longName + 1];
  CopyBounded(name, sizeof name, record.longName);
  longName = name;
  char shortPart[sizeof record.shortName + 1];
  CopyBounded(shortPart, sizeof shortPart, record.shortName);
  SetShortName(shortPart);
  try {
    stamp = CFileStamp(record.year, record.month, record.day, record.hour, record.minute, record.second);
  } catch (const CException&) {
  }
  trackInfo.reset();
  return *this;
}

void PlayerEntry::SetShortName(const char* name) { CopyBounded(shortName, sizeof shortName, name); }
