// This test's program folder holds neither codeckit.so nor fontkit.so, only a
// stale codec module under another name: whatever needs a module fails with
// the platform's error or keeps what it had, and nothing crashes.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/CodecModule.h"
#include "audio/TrackTags.h"
#include "platform/Errors.h"
#include "platform/Fonts.h"
#include "platform/Modules.h"
#include "tests/Shell.h"
#include "tests/TempFiles.h"

namespace {

TEST(CodecModuleTest, AMissingOrStaleModuleIsRefusedAndItsWorkFailsClearly) {
  for (const char* name : {"stale_codeckit.so", "absent.so"}) {
    platform::SetLastError(0);
    EXPECT_EQ(platform::LoadModuleTable<CodecFunctions>(name, CodecEntryName, CodecModuleVersion), nullptr) << name;
    EXPECT_EQ(platform::GetLastError(), platform::Error::ModuleNotFound) << name;
  }

  TempFolder folder;
  const std::string song = folder.File("song.mp3"), flac = folder.File("song.flac");
  ASSERT_EQ(
      RunShell("head -c 88200 /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16 --id3v2-only --tt Tagged - '" +
               song + "' && ffmpeg -v error -f lavfi -i sine=duration=1 '" + flac + "'")
          .exitCode,
      0);
  AudioInfo info{};
  std::strcpy(info.title, "song");
  ReadId3v2Texts(song, &info);
  EXPECT_STREQ(info.title, "song");

  EXPECT_FALSE(HoldsOtherAudio(flac));
  platform::SetLastError(0);
  EXPECT_EQ(ConvertToMp3(flac, platform::InvalidFile, Mp3Quality{2, 44100}, nullptr), ConversionResult::NoModule);
  EXPECT_EQ(platform::GetLastError(), platform::Error::ModuleNotFound);

  platform::SetLastError(0);
  EXPECT_EQ(platform::Font::Create("MS Gothic", 12), nullptr);
  EXPECT_EQ(platform::GetLastError(), platform::Error::ModuleNotFound);
}

}  // namespace
