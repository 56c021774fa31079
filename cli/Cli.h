// tunewarden-cli: the player-file operations from the shell. Each command is
// one function in a table of commands; groups of commands live in files of
// their own and join the tool through the list in Main.cpp.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "framework/core/Text.h"
#include "player/PlayerConnection.h"
#include "settings/AppSettings.h"

// A mistake in the command line; printed with the usage hint.
struct UsageError {
  std::string message;
};

class CliSession {
 public:
  CliSession();
  ~CliSession();

  // Connects as the player view does: Open, SelectMedia, OpenFileSystem.
  void Connect();
  // Enters a player folder: "<USER>", a path such as \USER\A (or one relative
  // to \USER), or the track list for "", "\" and "\MUSIC".
  void EnterFolder(const CText& folder);
  // Enters a folder of the USER tree, refusing the track list.
  void EnterUserFolder(const CText& folder, const char* command);

  AppSettings settings;
  PlayerConnection connection;
};

// Texts between the shell (UTF-8) and the program's code page. A text that
// the code page cannot hold is the program's "Unsupported character code.".
CText FromShell(const std::string& text);
std::string ToShell(const CText& text);
void PrintLine(const CText& text);
// A message of the string table with the shell's line breaks.
std::string ShellMessage(const CText& message);

struct CliCommand {
  const char* name;
  const char* usage;  // the arguments, for the help text
  const char* help;
  // The arguments after the command, --medium already taken out.
  void (*run)(CliSession& session, const std::vector<std::string>& args);
};

std::span<const CliCommand> MediaCommands();
std::span<const CliCommand> FileCommands();
std::span<const CliCommand> MusicCommands();
