// codeckit.so holds everything that needs FFmpeg's libraries, LAME or TagLib,
// so that a program loads them (over a hundred shared libraries) only when a
// file needs converting or its ID3v2 tag reading, never at start. The module
// gives the program one table of plain functions; the functions of
// Mp3Conversion.h and TrackTags.h forward to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "audio/Mp3Conversion.h"

constexpr std::string_view CodecModuleName = "codeckit.so";
constexpr const char* CodecEntryName = "GetCodecFunctions";
// Raised whenever a function of the table changes its meaning or arguments,
// so that a module left over from another build is refused.
constexpr uint32_t CodecModuleVersion = 1;

enum class TagField : uint8_t { Title, Artist, Album, Comment };

using ConversionCallback = bool (*)(void* context, uint64_t done, uint64_t total);
using TagTextCallback = void (*)(void* context, TagField field, const char* utf8, size_t length);

struct CodecFunctions {
  uint32_t size;  // sizeof(CodecFunctions) in the module's build
  uint32_t version;
  bool (*holdsOtherAudio)(const char* systemPath);
  ConversionResult (*convertToMp3)(const char* systemPath, platform::FileHandle mp3, const Mp3Quality* quality,
                                   ConversionCallback progress, void* context);
  // Gives each text of the MPEG file's ID3v2 tag that is not empty, in UTF-8.
  void (*readId3v2Texts)(const char* systemPath, TagTextCallback put, void* context);
};

// codeckit.so's table (platform::SharedModuleTable).
const CodecFunctions* Codecs();
