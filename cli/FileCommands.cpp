// Player folders and files: listing, folders, deletion, renaming, the play
// order, and copies to the PC.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/Cli.h"
#include "framework/core/DiskFile.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "platform/Locale.h"
#include "platform/ScopeGuard.h"
#include "player/DisplayText.h"

namespace {

std::vector<CText> NamesFrom(const std::vector<std::string>& args, size_t first) {
  std::vector<CText> names;
  for (size_t i = first; i < args.size(); ++i) names.push_back(FromShell(args[i]));
  return names;
}

std::vector<std::unique_ptr<PlayerEntry>> ListFolder(PlayerConnection& connection) {
  std::vector<std::unique_ptr<PlayerEntry>> entries;
  auto entry = std::make_unique<PlayerEntry>();
  connection.BeginListing();
  while (connection.NextEntry(*entry)) {
    entries.push_back(std::move(entry));
    entry = std::make_unique<PlayerEntry>();
  }
  connection.EndListing();
  return entries;
}

// The player view's order in a USER folder: "..", then folders, then files,
// each by name in the user's collation.
bool ShownBefore(const std::unique_ptr<PlayerEntry>& a, const std::unique_ptr<PlayerEntry>& b) {
  if ((a->longName == "..") != (b->longName == "..")) return a->longName == "..";
  if (a->IsFolder() != b->IsFolder()) return a->IsFolder();
  return platform::CompareCollated(a->longName.View(), b->longName.View()) < 0;
}

// The entry of that name in the current folder; a missing one is the
// system's "file not found".
PlayerEntry FindOrFail(PlayerConnection& connection, const CText& name) {
  PlayerEntry entry;
  if (!connection.FindEntry(name, &entry)) throw CException(platform::Error::FileNotFound);
  return entry;
}

void List(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() > 1) throw UsageError{"ls takes at most one FOLDER"};
  session.Connect();
  session.EnterFolder(args.empty() ? CText() : FromShell(args[0]));
  auto entries = ListFolder(session.connection);
  if (session.connection.folderMode == PlayerConnection::UserTreeMode)
    std::stable_sort(entries.begin(), entries.end(), ShownBefore);
  for (const auto& entry : entries) {
    if (entry->IsFolder() && entry->longName == ".") continue;
    CText row = entry->DisplayName();
    row += '\t';
    if (entry->IsFolder()) {
      row += entry->trackInfo ? "<NONE>" : "<DIR>";
      row += '\t';
    } else {
      row += FormatSizeText(entry->size);
      row += '\t';
      row += FormatDateText(entry->stamp);
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

// Empties a folder of the current folder and removes it, as the deletion on
// the player does.
void RemoveTree(PlayerConnection& connection, PlayerEntry& entry) {
  if (!entry.IsFolder()) {
    connection.DeleteEntry(entry);
    return;
  }
  connection.ChangeFolder(entry.longName);
  for (const auto& inner : ListFolder(connection)) {
    if (inner->longName != "." && inner->longName != "..") RemoveTree(connection, *inner);
  }
  connection.ChangeFolder("..");
  connection.RemoveFolder(entry.longName);
}

void Remove(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() < 2) throw UsageError{"rm takes FOLDER NAME..."};
  session.Connect();
  session.EnterUserFolder(FromShell(args[0]), "rm");
  for (const CText& name : NamesFrom(args, 1)) {
    PlayerEntry entry = FindOrFail(session.connection, name);
    RemoveTree(session.connection, entry);
  }
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

// A PC file being written, and why writing it failed.
struct PcTarget {
  CDiskFile file;
  uint32_t failure = 0;
};

uint32_t WriteToPcFile(TransferRequest* request, void* buffer, uint32_t length) {
  auto* target = static_cast<PcTarget*>(request->context);
  try {
    target->file.WriteAll(buffer, length);
    return 1;
  } catch (const CException& e) {
    target->failure = e.Code() != 0 ? e.Code() : platform::Error::GenFailure;
    return 0;
  }
}

void CopyToPc(PlayerConnection& connection, const PlayerEntry& entry, const CText& pcFolder);

void CopyFolderToPc(PlayerConnection& connection, const PlayerEntry& folder, const CText& pcFolder) {
  const CText target = pcFolder + folder.longName + "/";
  CreateFolder(target);
  connection.ChangeFolder(folder.longName);
  for (const auto& inner : ListFolder(connection)) {
    if (inner->longName != "." && inner->longName != "..") CopyToPc(connection, *inner, target);
  }
  connection.ChangeFolder("..");
}

// A file that is there already is never overwritten; a copy that fails
// leaves no partial file behind.
void CopyFileToPc(PlayerConnection& connection, const PlayerEntry& entry, const CText& pcFolder) {
  const CText path = pcFolder + entry.longName;
  PcTarget target;
  target.file.Open(path, platform::OpenFlag::Write | platform::OpenFlag::CreateNew);
  TransferRequest request{};
  request.name = entry.longName.Chars();
  request.context = &target;
  request.data = WriteToPcFile;
  const platform::OnFailure removePartialFile([&] {
    target.file.Close();
    DeleteFile(path);
  });
  if (!connection.ReadEntry(request)) throw CException(target.failure);
  target.file.Close();
}

void CopyToPc(PlayerConnection& connection, const PlayerEntry& entry, const CText& pcFolder) {
  if (entry.IsFolder())
    CopyFolderToPc(connection, entry, pcFolder);
  else
    CopyFileToPc(connection, entry, pcFolder);
}

void Get(CliSession& session, const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  std::string pcFolder;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--to")
      rest.push_back(args[i]);
    else if (++i < args.size())
      pcFolder = args[i];
    else
      throw UsageError{"--to needs a PC folder"};
  }
  if (rest.size() < 2 || pcFolder.empty()) throw UsageError{"get takes FOLDER NAME... --to PCDIR"};
  CText target = FromShell(pcFolder);
  if (target.Chars()[target.Length() - 1] != '/') target += '/';
  if (!GetFileEntry(target).IsFolder()) throw CException(platform::Error::PathNotFound);
  session.Connect();
  session.EnterFolder(FromShell(rest[0]));
  for (const CText& name : NamesFrom(rest, 1))
    CopyToPc(session.connection, FindOrFail(session.connection, name), target);
}

constexpr CliCommand Commands[] = {
    {"ls", "[FOLDER]", "list the track list in play order, or a USER folder", List},
    {"mkdir", "FOLDER NAME", "make a folder in a USER folder", MakeFolder},
    {"rm", "FOLDER NAME...", "delete files and folders (with their content) in a USER folder", Remove},
    {"mv", "FOLDER OLD NEW", "rename a file or folder in a USER folder", Move},
    {"order", "NAME...", "set the play order: every track's file name, first to last", Order},
    {"get", "FOLDER NAME... --to PCDIR", "copy files and folders from the player to a PC folder", Get},
};

}  // namespace

std::span<const CliCommand> FileCommands() { return Commands; }
