// What a PC file becomes as a track of the track list: its analysis and, as
// the settings say, the texts of its tags. The download and `tunewarden-cli
// analyse` read a file alike.
#pragma once

#include "audio/AudioAnalysis.h"
#include "framework/core/DiskFile.h"
#include "settings/AppSettings.h"

// False when the open file at `path` is not usable MPEG audio.
bool AnalyseTrackSource(const CDiskFile& file, const CText& path, const AppSettings& settings, AudioInfo* info);
