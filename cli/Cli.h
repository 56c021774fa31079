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
#include "transfer/ReplaceQuestion.h"
#include "transfer/TransferObserver.h"
#include "transfer/TransferProgress.h"

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
  // to \USER), or the track list for "", "\" and any path to MUSIC.
  void EnterFolder(const CText& folder);
  // Enters a folder of the USER tree, refusing the track list.
  void EnterUserFolder(const CText& folder, const char* command);

  AppSettings settings;
  PlayerConnection connection;
};

// Texts between the shell (UTF-8) and the program's code page. A text that
// the code page cannot hold is the program's "Unsupported character code.";
// output shows a character that UTF-8 lacks as U+FFFD and goes on after it.
CText FromShell(const std::string& text);
std::string ToShell(const CText& text);
void PrintLine(const CText& text);
// A message of the string table with the shell's line breaks.
std::string ShellMessage(const CText& message);

// Takes "NAME VALUE" out of the arguments; false when NAME is not there.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string* value);
// The entry of that name in the player's current folder; a missing one is
// the system's "file not found".
PlayerEntry FindOrFail(PlayerConnection& connection, const CText& name);

// How the replacement question of put and get is answered.
enum class ReplaceMode { Ask, All, None };
// Takes "--replace ask|all|none" out of the arguments. Without it the user
// is asked when a terminal can answer (standard input and error), and
// nothing is replaced otherwise.
ReplaceMode TakeReplaceMode(std::vector<std::string>& args);

// What put and get show: one updating progress line on standard error while
// it is a terminal, and each file's name on standard output once it has
// arrived. Asked on standard error and answered on standard input; the end
// of the input answers Cancel, so that nothing waits for an answer that
// cannot come.
class CliTransfer final : public TransferObserver {
 public:
  CliTransfer(TransferDirection direction, ReplaceMode mode);
  void FileStarting(const CText& name, uint32_t length) override;
  bool FileProgress(const TransferRequest& request) override;
  void FileDone() override;
  ReplaceAnswer AskReplace(const CText& pcPath, const PlayerEntry& playerEntry) override;
  // Said on standard error at once; the command fails at its end.
  void NotSent(const CText& path, uint32_t reasonId) override;
  bool StopRequested() override { return false; }
  bool AllSent() const { return allSent_; }

 private:
  void ClearProgressLine();

  TransferDirection direction_;
  ReplaceMode mode_;
  bool terminal_;
  bool lineShown_ = false;
  bool allSent_ = true;
  TransferProgress progress_;
  CText name_;
};

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
