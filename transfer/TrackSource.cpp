#include "transfer/TrackSource.h"

#include "audio/TrackTags.h"
#include "framework/core/Exception.h"
#include "platform/Errors.h"
#include "platform/ScopeGuard.h"
#include "resources/StringIds.h"

bool AnalyseTrackSource(const CDiskFile& file, const CText& path, const CText& name, const AppSettings& settings,
                        AudioInfo* info) {
  if (!AnalyseAudioFile(file.Handle(), name.View(), info)) return false;
  if (settings.readTags) {
    RepairId3v1Texts(info);
    std::string systemPath;
    // A file whose first frame is its first byte has no ID3v2 tag in front,
    // and TagLib's module is not opened for it.
    if (info->dataStart > 0 && platform::ToSystemPath(path.View(), &systemPath)) ReadId3v2Texts(systemPath, info);
  }
  return true;
}

bool NeedsConversion(const CDiskFile& file, const CText& path, const AudioInfo& analysis) {
  if (StartsWithMpegAudio(file.Handle(), analysis)) return false;
  std::string systemPath;
  return platform::ToSystemPath(path.View(), &systemPath) && HoldsOtherAudio(systemPath);
}

ConvertedTrack::~ConvertedTrack() {
  if (!path_.IsEmpty()) platform::DeleteFile(path_.View());
}

void ConvertedTrack::Convert(const CText& path, const CText& name, const AppSettings& settings,
                             const ConversionProgress& progress, AudioInfo* info) {
  std::string systemPath, temporary;
  if (!platform::ToSystemPath(path.View(), &systemPath)) CException::ThrowLastError();
  const platform::FileHandle mp3 = platform::CreateTemporaryFile(&temporary);
  if (mp3 == platform::InvalidFile) CException::ThrowLastError();
  path_ = CText(std::string_view(temporary));
  const ConversionResult result =
      ConvertToMp3(systemPath, mp3, Mp3Quality{settings.mp3Quality, settings.mp3SampleRate}, progress);
  const uint32_t writeError = platform::GetLastError();
  platform::CloseFile(mp3);
  switch (result) {
    case ConversionResult::NotMusic:
      throw CMediaException(StringId::InvalidFileFormat);
    case ConversionResult::Stopped:
      throw CException(0);
    case ConversionResult::WriteFailed:
    case ConversionResult::NoModule:
      throw CException(writeError != 0 ? writeError : platform::Error::GenFailure);
    case ConversionResult::Done:
      break;
  }
  CDiskFile converted;
  converted.Open(path_, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
  if (!AnalyseTrackSource(converted, path_, name, settings, info)) throw CMediaException(StringId::InvalidFileFormat);
}
