// The program-wide settings: the title and media names from the string table,
// the name font, the selected medium, the download and upload folders, and the
// switches for music beyond plain MPEG audio, which persist with the name font
// in tunewarden.ini in the settings folder.
#pragma once

#include <cstdint>

#include "framework/core/OwnedArray.h"
#include "framework/core/Text.h"

class AppSettings {
 public:
  static constexpr const char* FileName = "tunewarden.ini";
  static constexpr int MaxMedia = 32;
  // Without the font association key, or without its values.
  static constexpr const char* DefaultNameFont = "MS Gothic";

  // The defaults, from the string table and the registry; the file is not read.
  void SetDefaults();
  // The defaults, then whatever the file holds; a missing or unreadable file
  // leaves the defaults. Always true.
  bool ReadSettings();
  // Writes the file anew; failures throw CException.
  bool WriteSettings() const;

  // The program folder, or $XDG_CONFIG_HOME/tunewarden/ where the program
  // folder is not writable; ends in '/'.
  static CText SettingsFolder();
  static CText SettingsPath();
  const CText& MediaName(int index) const { return mediaNames.Get<CText>(index); }

  CText title;
  CText nameFont;
  uint8_t mediaCount = 0;
  COwnedArray mediaNames;      // of CText
  uint8_t selectedMedium = 0;  // 0 Internal Memory, 1 the memory card; not saved
  CText downloadFolder;        // PC folders, ending in '/'
  CText uploadFolder;
  // Each on by default; with all of them off a download takes MPEG audio with
  // ID3v1 texts only.
  bool readTags = true;        // ID3v2, Vorbis comment and MP4 tags through TagLib
  bool readPlaylists = true;   // .m3u, .m3u8 and .pls files name the tracks to store
  bool convertAudio = true;    // other music files become MP3 on their way in
  int mp3Quality = 2;          // LAME's variable-bit-rate quality, 0 (best) to 9
  int mp3SampleRate = 44100;   // Hz, one of MPEG audio's nine rates
  bool skipDuplicates = true;  // a track whose title, artist and time the list holds is passed over
};
