// The in-memory form of a track's information record: its audio numbers and
// four tag texts.
#pragma once

#include <cstdint>

#include "framework/core/Root.h"
#include "framework/core/Text.h"

class TrackInfo : public CRoot {
 public:
  uint32_t version = 0;
  uint32_t layer = 0;
  uint32_t bitRate = 0;
  uint32_t sampleRate = 0;
  uint32_t duration = 0;  // seconds
  CText title;
  CText artist;
  CText album;
  CText comment;
};
