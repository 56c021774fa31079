#include <cstdio>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "resources/StringTables.h"
#include "tunewarden/Version.h"

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// Every group of commands; a new group adds its list here.
const std::span<const CliCommand> CommandGroups[] = {MediaCommands(), FileCommands(), MusicCommands()};

const CliCommand* FindCommand(const std::string& name) {
  for (auto group : CommandGroups) {
    for (const CliCommand& command : group) {
      if (name == command.name) return &command;
    }
  }
  return nullptr;
}

void PrintUsage() {
  std::printf(
      "usage: tunewarden-cli [--medium internal|card] COMMAND [ARGUMENTS]\n"
      "       tunewarden-cli --help | --version\n\n");
  for (auto group : CommandGroups) {
    for (const CliCommand& command : group) {
      const std::string call = std::string(command.name) + " " + command.usage;
      std::printf("  %-30s %s\n", call.c_str(), command.help);
    }
  }
  std::printf(
      "\nFOLDER is a player folder: <USER> or a path such as \\USER\\A for the USER tree,\n"
      "\\MUSIC or \\ for the track list. The player is found as the program finds it\n"
      "($TUNEWARDEN_PLAYER for the simulated player).\n");
}

// The program's own message: the string of a media error (or what failed,
// where the error says), or the system's text of an error code.
void PrintFailure(const CText& message) { std::fprintf(stderr, "tunewarden-cli: %s\n", ShellMessage(message).c_str()); }

}  // namespace

int main(int argc, char** argv) {
  InstallStringTables();
  std::vector<std::string> args;
  uint8_t medium = 0;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg != "--medium") {
        args.push_back(arg);
        continue;
      }
      const std::string name = i + 1 < argc ? argv[++i] : "";
      if (name != "internal" && name != "card") throw UsageError{"--medium takes internal or card"};
      medium = name == "card" ? 1 : 0;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
      PrintUsage();
      return args.empty() ? ExitUsage : 0;
    }
    if (args[0] == "--version") {
      std::printf("tunewarden-cli %s\n", TunewardenVersion);
      return 0;
    }
    const CliCommand* command = FindCommand(args[0]);
    if (command == nullptr) throw UsageError{"unknown command '" + args[0] + "'"};
    CliSession session;
    session.settings.selectedMedium = medium;
    command->run(session, std::vector<std::string>(args.begin() + 1, args.end()));
    return 0;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "tunewarden-cli: %s (see tunewarden-cli --help)\n", error.message.c_str());
    return ExitUsage;
  } catch (const CMediaException& error) {
    PrintFailure(error.Detail().IsEmpty() ? LoadStringText(error.Code()) : error.Detail());
  } catch (const CException& error) {
    if (error.Code() != 0) PrintFailure(SystemMessage(error.Code()));  // 0 is a stop, not a failure
  }
  return ExitFailed;
}
