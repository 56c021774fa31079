#include "audio/TrackTags.h"

#include <cstring>

#include "audio/CodecModule.h"
#include "platform/CodePage.h"

namespace {

using TextField = char[80];

void PutField(std::string_view text, TextField& field) {
  const size_t length = platform::CutAtCharBoundary(text, sizeof field - 1);
  std::memcpy(field, text.data(), length);
  field[length] = 0;
}

void PutTagText(void* context, TagField field, const char* utf8, size_t length) {
  auto& info = *static_cast<AudioInfo*>(context);
  TextField* const fields[] = {&info.title, &info.artist, &info.album, &info.comment};
  std::string converted;
  if (!platform::Utf8ToCodePage(std::string_view(utf8, length), &converted) || converted.empty()) return;
  PutField(converted, *fields[size_t(field)]);
}

}  // namespace

void ReadId3v2Texts(const std::string& systemPath, AudioInfo* info) {
  if (const CodecFunctions* codecs = Codecs()) codecs->readId3v2Texts(systemPath.c_str(), PutTagText, info);
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
