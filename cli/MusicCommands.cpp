// Music: the analysis of PC audio files, downloads to the player as the
// transfer dialog makes them, a track's tags, and name bitmaps.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/AudioAnalysis.h"
#include "cli/Cli.h"
#include "cli/PngFile.h"
#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "player/NameBitmap.h"
#include "resources/StringIds.h"
#include "transfer/DownloadWalk.h"
#include "transfer/TrackSource.h"

namespace {

void PrintField(const char* key, uint32_t value) { std::printf("%s=%u\n", key, value); }
void PrintField(const char* key, const char* text) { std::printf("%s=%s\n", key, ToShell(text).c_str()); }

void PrintAudioInfo(const AudioInfo& info) {
  PrintField("version", info.version);
  PrintField("layer", info.layer);
  PrintField("channels", info.channels);
  PrintField("sampleRate", info.sampleRate);
  PrintField("bitRate", info.bitRate);
  PrintField("dataStart", info.dataStart);
  PrintField("dataLength", info.dataLength);
  PrintField("frameCount", info.frameCount);
  PrintField("samplesPerFrame", info.samplesPerFrame);
  PrintField("duration", info.duration);
  PrintField("title", info.title);
  PrintField("artist", info.artist);
  PrintField("album", info.album);
  PrintField("comment", info.comment);
}

// One block of lines per file, blocks apart by an empty line; the first file
// that is not MPEG audio ends the command.
void Analyse(CliSession& session, const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError{"analyse takes FILE..."};
  session.settings.ReadSettings();
  for (size_t i = 0; i < args.size(); ++i) {
    const CText path = FromShell(args[i]);
    CDiskFile file;
    file.Open(path, platform::OpenFlag::Read | platform::OpenFlag::ShareRead);
    AudioInfo info{};
    if (!AnalyseTrackSource(file, path, GetFileEntry(path).name, session.settings, &info))
      throw CMediaException(StringId::InvalidFileFormat);
    if (i > 0) std::printf("\n");
    PrintAudioInfo(info);
  }
}

void Put(CliSession& session, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  const ReplaceMode replace = TakeReplaceMode(args);
  const auto skip = std::ranges::find(args, "--skip-existing");
  const bool skipExisting = skip != args.end();
  if (skipExisting) args.erase(skip);
  if (args.size() < 2) throw UsageError{"put takes FOLDER PATH... [--replace ask|all|none] [--skip-existing]"};
  session.settings.ReadSettings();  // the user's name font draws the track names
  // The window's setting is for the window; the command line asks each time.
  session.settings.skipDuplicates = skipExisting;
  session.Connect();
  session.EnterFolder(FromShell(args[0]));
  std::vector<CText> paths;
  for (size_t i = 1; i < args.size(); ++i) paths.push_back(FromShell(args[i]));
  CliTransfer transfer(TransferDirection::ToPlayer, replace);
  DownloadWalk(session.connection, transfer).Run(paths);
  if (!transfer.AllSent()) throw CException(0);  // each said already
}

// The track of the list with that file name (TRACKnnn.MP3), its record read.
PlayerEntry FindTrack(PlayerConnection& connection, const CText& name) {
  PlayerEntry entry;
  connection.BeginListing();
  bool found = false;
  while (!found && connection.NextEntry(entry))
    found = !entry.IsFolder() && (name == entry.shortName || name == entry.longName);
  connection.EndListing();
  if (!found) throw CException(platform::Error::FileNotFound);
  return entry;
}

void Tags(CliSession& session, const std::vector<std::string>& arguments) {
  struct Field {
    const char* option;
    CText TrackInfo::*text;
  };
  static constexpr Field Fields[] = {{"--title", &TrackInfo::title},
                                     {"--artist", &TrackInfo::artist},
                                     {"--album", &TrackInfo::album},
                                     {"--comment", &TrackInfo::comment}};
  std::vector<std::string> args = arguments;
  std::vector<std::pair<const Field*, CText>> changes;
  for (const Field& field : Fields) {
    std::string value;
    if (TakeOption(args, field.option, &value)) changes.emplace_back(&field, FromShell(value));
  }
  if (args.size() != 2) throw UsageError{"tags takes FOLDER NAME [--title T] [--artist A] [--album B] [--comment C]"};
  session.settings.ReadSettings();  // the user's name font draws the new name
  session.Connect();
  session.EnterFolder(FromShell(args[0]));
  if (session.connection.folderMode != PlayerConnection::TrackListMode)
    throw UsageError{"tags works in the track list (\\MUSIC), on a track's file name"};
  PlayerEntry entry = FindTrack(session.connection, FromShell(args[1]));
  if (!entry.trackInfo) throw CMediaException(StringId::UnknownError);  // no readable record
  if (changes.empty()) {
    for (const Field& field : Fields) PrintField(field.option + 2, (*entry.trackInfo.*field.text).Chars());
    return;
  }
  TrackInfo info = *entry.trackInfo;
  for (const auto& [field, text] : changes) info.*field->text = text;
  session.connection.SetTrackTags(entry, info);
}

void Bitmap(CliSession& session, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::string png, face;
  TakeOption(args, "--png", &png);
  const bool faceGiven = TakeOption(args, "--font", &face);
  if (args.size() != 1) throw UsageError{"bitmap takes TEXT [--png FILE] [--font FACE]"};
  session.settings.ReadSettings();
  const CText faceName = faceGiven ? FromShell(face) : session.settings.nameFont;
  uint8_t packed[player::NameBitmapSize] = {};
  uint16_t width = 0;
  if (!player::RenderNameBitmap(packed, FromShell(args[0]).View(), &width, faceName.View()))
    throw CMediaException(StringId::UnknownError);

  std::vector<uint8_t> pixels;
  for (int y = 0; y < player::NameBitmapHeight; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const bool ink = player::IsNameBitmapInk(packed, width, x, y);
      row += ink ? '#' : '.';
      pixels.push_back(ink ? 0 : 255);
    }
    if (png.empty()) std::printf("%s\n", row.c_str());
  }
  if (!png.empty()) WriteGreyPng(FromShell(png), width, player::NameBitmapHeight, pixels);
}

// The tracks against the play order; with --repair, what is found is set
// right and said so.
void Check(CliSession& session, const std::vector<std::string>& args) {
  const bool repair = args.size() == 1 && args[0] == "--repair";
  if (!args.empty() && !repair) throw UsageError{"check takes only --repair"};
  session.Connect();
  const TrackCheck check = session.connection.CheckTracks();
  if (repair) session.connection.RepairTracks(check);
  const std::pair<const std::vector<CText>*, const char*> findings[] = {
      {&check.outsidePlayOrder, repair ? "added to the play order" : "a track outside the play order"},
      {&check.missingFiles, repair ? "taken out of the play order" : "a play-order line without a file"},
      {&check.recordsWithoutAudio, repair ? "deleted" : "a record without its audio"},
      {&check.audioWithoutRecord, repair ? "deleted" : "audio without its record"}};
  for (const auto& [names, finding] : findings) {
    for (const CText& name : *names) std::printf("%s: %s\n", ToShell(name).c_str(), finding);
  }
  if (check.Clean()) std::printf("The tracks and the play order agree.\n");
}

constexpr CliCommand Commands[] = {
    {"analyse", "FILE...", "show what a PC audio file holds, as a download reads it (needs no player)", Analyse},
    {"put", "FOLDER PATH... [--replace ask|all|none] [--skip-existing]",
     "copy PC files and folders to the player: tracks in \\MUSIC, files in USER folders", Put},
    {"tags", "FOLDER NAME [--title T] [--artist A] [--album B] [--comment C]", "show or set a track's tags", Tags},
    {"bitmap", "TEXT [--png FILE] [--font FACE]", "draw a name bitmap as the player shows it", Bitmap},
    {"check", "[--repair]", "compare the tracks with the play order; --repair adds complete tracks and deletes halves",
     Check},
};

}  // namespace

std::span<const CliCommand> MusicCommands() { return Commands; }
