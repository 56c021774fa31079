// Player folders and files: listing, folders, deletion, renaming, the play
// order, and copies to the PC.
#include <algorithm>
#include <unordered_set>

#include "cli/Cli.h"
#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "platform/Locale.h"
#include "player/DisplayText.h"
#include "player/EntryOrder.h"
#include "transfer/DeleteWalk.h"
#include "transfer/PlaylistFile.h"
#include "transfer/UploadWalk.h"
#include "transfer/Walking.h"

namespace {

std::vector<CText> NamesFrom(const std::vector<std::string>& args, size_t first) {
  std::vector<CText> names;
  for (size_t i = first; i < args.size(); ++i) names.push_back(FromShell(args[i]));
  return names;
}

void List(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() > 1) throw UsageError{"ls takes at most one FOLDER"};
  session.Connect();
  session.EnterFolder(args.empty() ? CText() : FromShell(args[0]));
  std::vector<PlayerEntry> entries = session.connection.ListFolder();
  // A USER folder in the player view's order by name.
  if (session.connection.folderMode == PlayerConnection::UserTreeMode) SortEntries(entries, EntryKey::Name);
  const platform::DateTimeFormat dates;
  for (const PlayerEntry& entry : entries) {
    if (entry.IsFolder() && entry.longName == ".") continue;
    CText row = entry.DisplayName();
    row += '\t';
    if (entry.IsFolder()) {
      row += entry.trackInfo ? "<NONE>" : "<DIR>";
      row += '\t';
    } else {
      row += FormatSizeText(entry.size);
      row += '\t';
      row += FormatDateText(entry.stamp, dates);
    }
    PrintLine(row);
  }
}

void MakeFolder(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"mkdir takes FOLDER NAME"};
  session.Connect();
  session.EnterUserFolder(FromShell(args[0]), "mkdir");
  session.connection.CreateFolder(FromShell(args[1]));
}

// Names every entry it removed, folders with a '\' at the end.
class RemovalReport final : public DeleteObserver {
 public:
  bool KeepGoing() override { return true; }
  void Removed(const CText& path, const PlayerEntry& entry) override {
    PrintLine(entry.IsFolder() ? path + "\\" : path);
  }
};

void Remove(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() < 2) throw UsageError{"rm takes FOLDER NAME..."};
  session.Connect();
  session.EnterUserFolder(FromShell(args[0]), "rm");
  std::vector<PlayerEntry> entries;
  for (const CText& name : NamesFrom(args, 1)) {
    entries.push_back(FindOrFail(session.connection, name));
    if (!DeleteWalk::IsDeletable(entries.back()))
      throw UsageError{"rm leaves '.', '..' and other folders whose name begins with '.' or '<'"};
  }
  RemovalReport report;
  DeleteWalk(session.connection, report).Run(entries);
}

void Move(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() != 3) throw UsageError{"mv takes FOLDER OLD NEW"};
  session.Connect();
  session.EnterUserFolder(FromShell(args[0]), "mv");
  PlayerEntry entry = FindOrFail(session.connection, FromShell(args[1]));
  session.connection.RenameEntry(entry, FromShell(args[2]));
}

// A new play order must name every track of the list once, so that no track
// drops out of the playlist by a slip of the keyboard.
void Order(CliSession& session, const std::vector<std::string>& args) {
  session.Connect();
  const std::vector<CText> names = NamesFrom(args, 0);
  std::vector<std::string> listed, given;
  const COwnedArray& tracks = session.connection.TrackList();
  for (int i = 0; i < tracks.Count(); ++i) listed.push_back(tracks.Get<PlayerEntry>(i).shortName);
  for (const CText& name : names) given.push_back(name.Chars());
  std::sort(listed.begin(), listed.end());
  std::sort(given.begin(), given.end());
  if (listed != given) throw UsageError{"order takes every track of the list once, by its file name (TRACKnnn.MP3)"};
  session.connection.ReorderPlaylist(names);
}

// The tracks among the entries in play order, each with its title, into an
// .m3u8 file in the PC's current folder beside them.
void WritePlayOrder(PlayerConnection& connection, const std::vector<PlayerEntry>& entries, const CText& fileName) {
  std::unordered_set<std::string_view> taken;
  for (const PlayerEntry& entry : entries) taken.insert(entry.longName.View());
  std::vector<PlaylistLine> lines;
  for (const PlayerEntry& track : connection.ListFolder()) {
    if (!taken.contains(track.longName.View()) || track.IsFolder()) continue;
    CText title = track.DisplayName();
    if (track.trackInfo && !track.trackInfo->artist.IsEmpty()) title = track.trackInfo->artist + " - " + title;
    lines.push_back({track.trackInfo ? track.trackInfo->duration : 0, title, track.longName});
  }
  const std::string text = FormatM3u8(lines);
  CDiskFile file;
  file.Open(fileName, platform::OpenFlag::Write | platform::OpenFlag::Create | platform::OpenFlag::Truncate);
  file.WriteAll(text.data(), uint32_t(text.size()));
  file.Close();
}

void Get(CliSession& session, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  const ReplaceMode replace = TakeReplaceMode(args);
  std::string pcFolder, playlist;
  const bool withPlaylist = TakeOption(args, "--playlist", &playlist);
  if (!TakeOption(args, "--to", &pcFolder) || args.size() < (withPlaylist ? 1u : 2u))
    throw UsageError{"get takes FOLDER NAME... --to PCDIR [--replace ask|all|none] [--playlist FILE.m3u8]"};
  EnterPcFolder(FromShell(pcFolder));
  session.Connect();
  session.EnterFolder(FromShell(args[0]));
  if (withPlaylist && session.connection.folderMode != PlayerConnection::TrackListMode)
    throw UsageError{"--playlist works in the track list (\\MUSIC)"};
  std::vector<PlayerEntry> entries;
  for (const CText& name : NamesFrom(args, 1)) entries.push_back(FindOrFail(session.connection, name));
  // A play order without names is the whole track list's.
  if (args.size() == 1)
    for (PlayerEntry& entry : session.connection.ListFolder())
      if (!entry.IsFolder()) entries.push_back(std::move(entry));
  CliTransfer transfer(TransferDirection::ToPc, replace);
  UploadWalk(session.connection, transfer).Run(entries);
  if (withPlaylist) WritePlayOrder(session.connection, entries, FromShell(playlist));
}

constexpr CliCommand Commands[] = {
    {"ls", "[FOLDER]", "list the track list in play order, or a USER folder", List},
    {"mkdir", "FOLDER NAME", "make a folder in a USER folder", MakeFolder},
    {"rm", "FOLDER NAME...", "delete files and folders (with their content) in a USER folder, naming each", Remove},
    {"mv", "FOLDER OLD NEW", "rename a file or folder in a USER folder", Move},
    {"order", "NAME...", "set the play order: every track's file name, first to last", Order},
    {"get", "FOLDER NAME... --to PCDIR [--replace ask|all|none] [--playlist FILE.m3u8]",
     "copy files and folders from the player to a PC folder; with --playlist the tracks (all of them when no NAME is "
     "given) and their play order as FILE.m3u8",
     Get},
};

}  // namespace

std::span<const CliCommand> FileCommands() { return Commands; }
