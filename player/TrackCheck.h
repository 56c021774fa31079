// The MUSIC folder's tracks against the play order. The play order is written
// at the end of a batch, so a batch that never ends (a kill, a pulled cable)
// leaves stored tracks that no line names, and a store cut short leaves audio
// without its record or a record without its audio.
#pragma once

#include <vector>

#include "framework/core/Text.h"

struct TrackCheck {
  std::vector<CText> outsidePlayOrder;     // complete tracks (audio and record) no line names
  std::vector<CText> missingFiles;         // play-order lines without a file
  std::vector<CText> recordsWithoutAudio;  // TRACKnnn.INF without its TRACKnnn.MP3
  std::vector<CText> audioWithoutRecord;   // TRACKnnn.MP3 without its TRACKnnn.INF

  bool Clean() const {
    return outsidePlayOrder.empty() && missingFiles.empty() && recordsWithoutAudio.empty() &&
           audioWithoutRecord.empty();
  }
};
