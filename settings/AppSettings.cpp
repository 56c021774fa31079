#include "settings/AppSettings.h"

#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "framework/core/LineReader.h"
#include "framework/core/RegistryKey.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "resources/StringIds.h"

namespace {

constexpr const char* FontAssociationKey = "SYSTEM\\CurrentControlSet\\Control\\FontAssoc\\Associated DefaultFonts";
constexpr const char* SectionLine = "[General]";
constexpr uint32_t ReadBlockSize = 4096;

CText NameFontFromRegistry() {
  CRegistryKey key;
  try {
    key.Open(platform::RegistryRoot::LocalMachine, FontAssociationKey);
  } catch (const CException&) {
    return AppSettings::DefaultNameFont;
  }
  for (const char* value : {"FontPackage", "FontPackageModern"}) {
    try {
      return key.StringValue(value);
    } catch (const CException&) {
    }
  }
  return AppSettings::DefaultNameFont;
}

// A-Z to a-z, leaving every byte of a double-byte character alone.
void LowerSingleBytes(CText& text) {
  char* chars = text.GetBuffer(text.Length());
  const std::string_view view(chars, static_cast<size_t>(text.Length()));
  for (size_t i = 0; i < view.size(); i += platform::CharLength(view, i)) {
    if (chars[i] >= 'A' && chars[i] <= 'Z') chars[i] = static_cast<char>(chars[i] - 'A' + 'a');
  }
}

void EndWithSeparator(CText& folder) {
  if (folder.IsEmpty() || folder.Chars()[folder.Length() - 1] != '/') folder += '/';
}

// "0" and "1"; anything else leaves the switch as it was.
void ReadSwitch(const CText& value, bool* setting) {
  if (value == "0" || value == "1") *setting = value == "1";
}

// One of the values allowed; anything else leaves the setting as it was.
void ReadNumber(const CText& value, std::initializer_list<int> allowed, int* setting) {
  for (const int number : allowed)
    if (value == std::to_string(number).c_str()) *setting = number;
}

// Remembers the last byte read, so that the reader of the file can tell
// whether its last line was ended.
class LastByteStream : public CByteStream {
 public:
  explicit LastByteStream(CDiskFile& file) : file_(file) {}
  uint32_t Read(void* buffer, uint32_t count) override {
    const uint32_t done = file_.Read(buffer, count);
    if (done > 0) last_ = static_cast<const char*>(buffer)[done - 1];
    return done;
  }
  uint32_t Write(const void* buffer, uint32_t count) override { return file_.Write(buffer, count); }
  bool EndedWithLineEnd() const { return last_ == '\r' || last_ == '\n'; }

 private:
  CDiskFile& file_;
  char last_ = 0;
};

}  // namespace

// Beside the program, unless its folder is not this user's to write, as an
// installed program's is.
CText AppSettings::SettingsFolder() {
  const std::string program = platform::ProgramFolder();
  const std::string user = platform::UserConfigFolder();
  if (user.empty() || platform::FolderWritable(program)) return CText(program.c_str());
  return CText((user + "tunewarden/").c_str());
}

CText AppSettings::SettingsPath() { return SettingsFolder() + FileName; }

void AppSettings::SetDefaults() {
  title = LoadStringText(StringId::Title);
  downloadFolder = uploadFolder = CText(platform::ProgramFolder().c_str());

  mediaNames.RemoveAll();
  const CText names = LoadStringText(StringId::MediaNames);
  for (int start = 0; mediaNames.Count() < MaxMedia;) {
    const int end = names.Find('\n', start);
    mediaNames.Add(new CText(names.View().substr(start, end < 0 ? std::string_view::npos : end - start)));
    if (end < 0) break;
    start = end + 1;
  }
  mediaCount = static_cast<uint8_t>(mediaNames.Count());

  nameFont = NameFontFromRegistry();
  readTags = true;
  readPlaylists = true;
  convertAudio = true;
  mp3Quality = 2;
  mp3SampleRate = 44100;
  skipDuplicates = true;
}

bool AppSettings::ReadSettings() {
  SetDefaults();
  CDiskFile file;
  LastByteStream stream(file);
  CLineReader reader;
  // A line is applied once the next one is read or the data is seen to end
  // with a line end: an unended last line may be cut short.
  CText pending;
  bool inSection = false;
  auto apply = [&](const CText& line) {
    const int equals = line.Find('=');
    if (!inSection || line.IsEmpty() || line.Chars()[0] == '[' || equals < 0) return;
    CText key = line.Left(equals);
    LowerSingleBytes(key);
    const CText value = line.Right(line.Length() - equals - 1);
    if (key == "downloaddir")
      downloadFolder = value;
    else if (key == "uploaddir")
      uploadFolder = value;
    else if (key == "namefont")
      nameFont = value;
    else if (key == "readtags")
      ReadSwitch(value, &readTags);
    else if (key == "readplaylists")
      ReadSwitch(value, &readPlaylists);
    else if (key == "convertaudio")
      ReadSwitch(value, &convertAudio);
    else if (key == "skipduplicates")
      ReadSwitch(value, &skipDuplicates);
    else if (key == "mp3quality")
      ReadNumber(value, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, &mp3Quality);
    else if (key == "mp3samplerate")
      ReadNumber(value, {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}, &mp3SampleRate);
  };
  try {
    file.Open(SettingsPath(), platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
    reader.Open(stream, ReadBlockSize);
    for (bool first = true;; first = false) {
      const CText line = reader.ReadLine();
      if (!first) apply(pending);
      if (line == SectionLine) inSection = true;
      pending = line;
    }
  } catch (const CException& e) {
    if (e.Code() == 0 && reader.LinesRead() > 0 && stream.EndedWithLineEnd()) apply(pending);
  }
  EndWithSeparator(downloadFolder);
  EndWithSeparator(uploadFolder);
  return true;
}

bool AppSettings::WriteSettings() const {
  // The user's settings folder may not exist yet, nor the folders above it.
  const CText folder = SettingsFolder();
  for (int end = folder.Find('/', 1); end >= 0; end = folder.Find('/', end + 1)) CreateFolder(folder.Left(end + 1));
  CDiskFile file;
  file.Open(folder + FileName, platform::OpenFlag::Write | platform::OpenFlag::Create | platform::OpenFlag::Truncate);
  CText text(SectionLine);
  text += "\r\ndownloadDir=";
  text += downloadFolder;
  text += "\r\nuploadDir=";
  text += uploadFolder;
  text += "\r\nnameFont=";
  text += nameFont;
  text += readTags ? "\r\nreadTags=1" : "\r\nreadTags=0";
  text += readPlaylists ? "\r\nreadPlaylists=1" : "\r\nreadPlaylists=0";
  text += convertAudio ? "\r\nconvertAudio=1" : "\r\nconvertAudio=0";
  text += ("\r\nmp3Quality=" + std::to_string(mp3Quality)).c_str();
  text += ("\r\nmp3SampleRate=" + std::to_string(mp3SampleRate)).c_str();
  text += skipDuplicates ? "\r\nskipDuplicates=1" : "\r\nskipDuplicates=0";
  text += "\r\n";
  file.WriteText(text);
  file.Close();
  return true;
}
