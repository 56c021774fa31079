#include "transfer/TrackSource.h"

#include "audio/TrackTags.h"
#include "framework/core/Helpers.h"

bool AnalyseTrackSource(const CDiskFile& file, const CText& path, const AppSettings& settings, AudioInfo* info) {
  if (!AnalyseAudioFile(file.Handle(), GetFileEntry(path).name.View(), info)) return false;
  if (settings.readTags) {
    RepairId3v1Texts(info);
    std::string systemPath;
    if (platform::ToSystemPath(path.View(), &systemPath)) ReadId3v2Texts(systemPath, info);
  }
  return true;
}
