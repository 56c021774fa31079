// What a PC file becomes as a track of the track list: its analysis and, as
// the settings say, the texts of its tags, or an MP3 file made of a music file
// in another format. The download and `tunewarden-cli analyse` read a file alike.
#pragma once

#include <string>

#include "audio/AudioAnalysis.h"
#include "audio/Mp3Conversion.h"
#include "framework/core/DiskFile.h"
#include "settings/AppSettings.h"

// False when the open file at `path` is not usable MPEG audio. `name` is the
// one the track is named after when no tag gives a title.
bool AnalyseTrackSource(const CDiskFile& file, const CText& path, const CText& name, const AppSettings& settings,
                        AudioInfo* info);

// True when the open file at `path`, which AnalyseTrackSource read as MPEG
// audio (`analysis`), holds music in another format: our analysis can take a
// byte pair in Opus or FLAC data for a frame header. Only a file that is not
// MPEG audio from its start is given to FFmpeg to tell.
bool NeedsConversion(const CDiskFile& file, const CText& path, const AudioInfo& analysis);

// The MP3 file made of a music file in another format: a temporary file, one
// track long, deleted with this object.
class ConvertedTrack {
 public:
  ConvertedTrack() = default;
  ConvertedTrack(const ConvertedTrack&) = delete;
  ConvertedTrack& operator=(const ConvertedTrack&) = delete;
  ~ConvertedTrack();

  // Converts the file at `path` with the settings' quality and analyses the
  // result as a track named `name`. Throws CMediaException "This file format
  // is not valid." for a file that is not music, CException 0 when `progress`
  // stopped, and the system's error when the temporary file failed or the
  // module that converts did not load.
  void Convert(const CText& path, const CText& name, const AppSettings& settings, const ConversionProgress& progress,
               AudioInfo* info);
  const CText& Path() const { return path_; }

 private:
  CText path_;
};
