// The medium as a whole: its description, its label and its format; and the
// player's firmware.
#include <unistd.h>

#include <cstdio>

#include "cli/Cli.h"
#include "framework/core/Helpers.h"
#include "resources/StringIds.h"
#include "tools/FirmwareImage.h"
#include "tools/FirmwareUpgrade.h"
#include "tools/MediaFormat.h"

namespace {

void Info(CliSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError{"info takes no arguments"};
  session.Connect();
  const PlayerConnection& connection = session.connection;
  std::printf("flags=0x%02x\n", connection.Flags());
  std::printf("medium=%s\n", ToShell(connection.GetMediaDescription()).c_str());
  std::printf("capacity=%u\n", connection.GetCapacity());
  std::printf("free=%u\n", connection.GetFreeBytes());
  std::printf("label=%s\n", ToShell(connection.GetVolumeLabel()).c_str());
  std::printf("locked=%d\n", connection.IsLocked() ? 1 : 0);
}

void Label(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError{"label takes one TEXT"};
  const CText label = FromShell(args[0]);
  session.Connect();
  session.connection.SetVolumeLabel(label);
}

// On a terminal, one line that shows each new whole percentage.
uint32_t ShowFormatProgress(TransferRequest* request) {
  if (const auto percentage = static_cast<FormatPercentage*>(request->context)->Next(request->done, request->total))
    std::fprintf(stderr, "\rformatting: %u%%", *percentage);
  return 1;
}

void Format(CliSession& session, const std::vector<std::string>& args) {
  const bool full = args.size() == 1 && args[0] == "--full";
  if (!args.empty() && !full) throw UsageError{"format takes only --full"};
  PlayerConnection& connection = session.connection;
  connection.Open(0);
  connection.SelectMedia();
  const bool onTerminal = isatty(STDERR_FILENO);
  FormatPercentage percentage;
  TransferRequest progress{};
  progress.context = &percentage;
  if (onTerminal) progress.progress = ShowFormatProgress;  // which never stops it
  FormatKeepingReservedBlock(connection, full ? &progress : nullptr, false);
  if (full && onTerminal) std::fputc('\n', stderr);
  // As the player view reloads after a format: the MUSIC folder is made again.
  connection.OpenFileSystem();
}

void Firmware(CliSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError{"firmware takes one FILE.hex"};
  const bool onTerminal = isatty(STDERR_FILENO);
  UpgradeFirmware(session.connection, FromShell(args[0]), [onTerminal](uint32_t sent) {
    if (onTerminal) std::fprintf(stderr, "\rupgrading: block %u of %u", sent, FirmwareImage::SentBlockCount);
  });
  if (onTerminal) std::fputc('\n', stderr);
  std::printf("%s\n", ShellMessage(LoadStringText(StringId::FirmwareUpgradeCompleted)).c_str());
}

constexpr CliCommand Commands[] = {
    {"info", "", "show the medium: flags, description, capacity, free bytes, label, lock", Info},
    {"label", "TEXT", "set the volume label", Label},
    {"format", "[--full]", "format the medium and write the display images; the device's reserved block stays", Format},
    {"firmware", "FILE.hex", "replace the player's firmware with that of an Intel HEX file", Firmware},
};

}  // namespace

std::span<const CliCommand> MediaCommands() { return Commands; }
