#include "audio/TrackTags.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <cstring>

#include "platform/CodePage.h"

namespace {

using TextField = char[80];

void PutField(std::string_view text, TextField& field) {
  const size_t length = platform::CutAtCharBoundary(text, sizeof field - 1);
  std::memcpy(field, text.data(), length);
  field[length] = 0;
}

void PutTagText(const TagLib::String& text, TextField& field) {
  std::string converted;
  if (text.isEmpty() || !platform::Utf8ToCodePage(text.to8Bit(true), &converted) || converted.empty()) return;
  PutField(converted, field);
}

}  // namespace

void ReadId3v2Texts(const std::string& systemPath, AudioInfo* info) {
  TagLib::MPEG::File file(systemPath.c_str(), false);
  const TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag() : nullptr;
  if (tag == nullptr) return;
  PutTagText(tag->title(), info->title);
  PutTagText(tag->artist(), info->artist);
  PutTagText(tag->album(), info->album);
  PutTagText(tag->comment(), info->comment);
}

void RepairId3v1Texts(AudioInfo* info) {
  for (auto* field : {&info->title, &info->artist, &info->album, &info->comment}) {
    const std::string_view text(*field);
    std::string utf8, converted;
    if (platform::CodePageToUtf8(text, &utf8)) continue;
    // A code page that cannot hold the Latin-1 letters keeps the bytes as they were.
    if (platform::Utf8ToCodePage(platform::Latin1ToUtf8(text), &converted)) PutField(converted, *field);
  }
}
