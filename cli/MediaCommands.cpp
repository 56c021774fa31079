// The medium as a whole: its description, its label and its format.
#include <cstdio>

#include "cli/Cli.h"

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

uint32_t ShowFormatProgress(TransferRequest* request) {
  if (request->total != 0)
    std::fprintf(stderr, "\rformatting: %u%%", uint32_t(uint64_t(request->done) * 100 / request->total));
  return 1;
}

void Format(CliSession& session, const std::vector<std::string>& args) {
  const bool full = args.size() == 1 && args[0] == "--full";
  if (!args.empty() && !full) throw UsageError{"format takes only --full"};
  PlayerConnection& connection = session.connection;
  connection.Open(0);
  connection.SelectMedia();
  TransferRequest progress{};
  progress.progress = ShowFormatProgress;
  connection.FormatMedia(full ? &progress : nullptr);  // this progress never stops it
  if (full) std::fputc('\n', stderr);
  // As the player view reloads after a format: the MUSIC folder is made again.
  connection.OpenFileSystem();
}

constexpr CliCommand Commands[] = {
    {"info", "", "show the medium: flags, description, capacity, free bytes, label, lock", Info},
    {"label", "TEXT", "set the volume label", Label},
    {"format", "[--full]", "format the medium and write the display images", Format},
};

}  // namespace

std::span<const CliCommand> MediaCommands() { return Commands; }
