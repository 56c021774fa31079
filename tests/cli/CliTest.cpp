// tunewarden-cli tried as a new user would, on a player that
// tunewarden-player made.
#include <sys/stat.h>

#include <algorithm>

#include "framework/core/Helpers.h"
#include "tests/cli/CliTesting.h"
#include "tests/tools/ToolsTesting.h"

namespace {

using namespace cli_testing;
using namespace tools_testing;

using CliTest = CliFixture;

TEST_F(CliTest, ANewUsersFirstSteps) {
  ASSERT_EQ(Player("create --format --card 8M").exitCode, 0);

  Outcome info = Cli("info");
  ASSERT_EQ(info.exitCode, 0) << errors_;
  EXPECT_EQ(info.output.find("flags=0x07\nmedium=Internal Memory 64MB\ncapacity=66584576\nfree="), 0u) << info.output;
  EXPECT_NE(info.output.find("\nlabel=\nlocked=0\n"), std::string::npos) << info.output;

  Outcome listed = Cli("ls");
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.output, "<USER>\t<DIR>\t\n");

  EXPECT_EQ(Cli("mkdir '<USER>' Photos").exitCode, 0);
  EXPECT_EQ(Cli("mkdir '\\USER\\Photos' 'Summer 2026'").exitCode, 0);
  const std::string pc = temp_ + "/picture.jpg";
  std::ofstream(pc, std::ios::binary) << std::string(50000, 'p');
  ASSERT_EQ(Mtools("mcopy", "'" + pc + "' '::/USER/Photos/Summer 2026/beach.jpg'", "internal").exitCode, 0);
  listed = Cli("ls '\\USER\\Photos'");
  EXPECT_EQ(listed.output, "..\t<DIR>\t\nSummer 2026\t<DIR>\t\n");
  listed = Cli("ls 'Photos\\Summer 2026'");
  EXPECT_EQ(listed.output.substr(0, 25), "..\t<DIR>\t\nbeach.jpg\t48KB\t") << listed.output;

  std::filesystem::create_directory(temp_ + "/pc");
  const std::string get = "get '<USER>' Photos --to '" + temp_ + "/pc'";
  const Outcome got = Cli(get);
  EXPECT_EQ(got.exitCode, 0) << errors_;
  EXPECT_EQ(got.output, "beach.jpg\n");
  EXPECT_EQ(errors_, "") << "no progress line off a terminal";
  EXPECT_EQ(ReadFile(temp_ + "/pc/Photos/Summer 2026/beach.jpg"), std::string(50000, 'p'));
  // Replacing a PC file: not without a terminal to ask, nor when the input
  // ends; only when allowed.
  WriteFile(temp_ + "/pc/Photos/Summer 2026/beach.jpg", "mine");
  EXPECT_EQ(Cli(get).exitCode, 0);
  EXPECT_NE(errors_.find("already contains a file called 'beach.jpg'"), std::string::npos) << errors_;
  EXPECT_EQ(Cli(get + " --replace ask < /dev/null").exitCode, 1);
  EXPECT_EQ(ReadFile(temp_ + "/pc/Photos/Summer 2026/beach.jpg"), "mine");
  EXPECT_EQ(Cli(get + " --replace all").exitCode, 0);
  EXPECT_EQ(ReadFile(temp_ + "/pc/Photos/Summer 2026/beach.jpg"), std::string(50000, 'p'));

  EXPECT_EQ(Cli("label 'Road Trip'").exitCode, 0);
  info = Cli("info");
  EXPECT_NE(info.output.find("\nlabel=ROAD TRIP\n"), std::string::npos) << info.output;
  EXPECT_NE(Mtools("mlabel", "-s ::", "internal").output.find("ROAD TRIP"), std::string::npos);

  info = Cli("--medium card info");
  EXPECT_NE(info.output.find("medium=SD Memory Card 8MB\n"), std::string::npos) << info.output;
  ExpectClean();
  ExpectClean("card");
}

TEST_F(CliTest, FilesAreRenamedAndFoldersRemovedWithTheirContent) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  ASSERT_EQ(Cli("mkdir '<USER>' Docs").exitCode, 0);
  ASSERT_EQ(Cli("mkdir '\\USER\\Docs' Old").exitCode, 0);
  const std::string pc = temp_ + "/notes.txt";
  std::ofstream(pc) << "notes";
  auto put = [&](const char* path) { ASSERT_EQ(Mtools("mcopy", "'" + pc + "' '" + path + "'").exitCode, 0); };
  put("::/USER/Docs/notes.txt");
  put("::/USER/Docs/Old/a.txt");
  Mtools("mmd", "::/USER/Docs/Old/Older");
  put("::/USER/Docs/Old/Older/c.txt");
  put("::/USER/Docs/Old/b.txt");
  EXPECT_EQ(Cli("mv '\\USER\\Docs' notes.txt 'Read me.txt'").exitCode, 0);
  EXPECT_EQ(Mtools("mtype", "'::/USER/Docs/Read me.txt'", "internal").output, "notes");
  EXPECT_EQ(Cli("rm '\\USER\\Docs' ..").exitCode, 2) << "never the folder above";
  EXPECT_EQ(Cli("rm '\\USER\\Docs' Old").output, "Old\\a.txt\nOld\\Older\\c.txt\nOld\\Older\\\nOld\\b.txt\nOld\\\n")
      << "each folder's entries in order, each folder after its content";
  EXPECT_EQ(Mtools("mdir", "-b ::/USER/Docs", "internal").output, "::/USER/Docs/Read me.txt\n");

  const Outcome missing = Cli("rm '\\USER\\Docs' Old");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: The file cannot be found.\n");
  ExpectClean();
}

TEST_F(CliTest, ThePlayOrderIsRewrittenWhole) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  ASSERT_EQ(Cli("ls").exitCode, 0);  // makes the MUSIC folder
  const std::string pc = temp_ + "/track";
  std::ofstream(pc) << std::string(3000, 't');
  for (const char* name : {"TRACK001.MP3", "TRACK002.MP3"}) {
    ASSERT_EQ(Mtools("mcopy", "'" + pc + "' ::/MUSIC/" + name, "internal").exitCode, 0);
  }
  std::ofstream(pc, std::ios::trunc) << "2\r\nTRACK001.MP3\r\nTRACK002.MP3\r\n";
  ASSERT_EQ(Mtools("mcopy", "'" + pc + "' ::/MUSIC/PLAYLIST.DAT", "internal").exitCode, 0);

  EXPECT_EQ(Cli("order TRACK002.MP3").exitCode, 2) << "a track would drop out";
  EXPECT_EQ(Cli("order TRACK002.MP3 TRACK001.MP3").exitCode, 0);
  EXPECT_EQ(Mtools("mtype", "::/MUSIC/PLAYLIST.DAT", "internal").output, "2\nTRACK002.MP3\nTRACK001.MP3\n");
  const Outcome listed = Cli("ls");
  EXPECT_EQ(listed.output.substr(0, 13), "TRACK002.MP3\t");
  ExpectClean();
}

TEST_F(CliTest, FullFormatShowsProgressOnATerminalAndWritesTheDisplayImages) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  ASSERT_EQ(Cli("mkdir '<USER>' Gone").exitCode, 0);
  WriteFile(temp_ + "/player/internal.reserved", std::string(128, 'r'));
  // script gives the command a terminal; each whole percentage shows once.
  const Outcome formatted = Run("script -qec '" CLI_COMMAND " format --full' /dev/null");
  EXPECT_EQ(formatted.exitCode, 0) << formatted.output;
  EXPECT_EQ(formatted.output,
            "\rformatting: 0%\rformatting: 14%\rformatting: 28%\rformatting: 42%\rformatting: 57%\rformatting: 71%"
            "\rformatting: 85%\rformatting: 100%\r\n");
  EXPECT_EQ(ReadFile(temp_ + "/player/internal.reserved"), std::string(128, 'r'));
  // Which images go to which medium is the connection's, tested there.
  EXPECT_EQ(Mtools("mtype", "::/intro.lcd", "internal").output, ReadFile(PROGRAM_FOLDER "/intro.lcd"));
  EXPECT_EQ(Cli("ls").output, "<USER>\t<DIR>\t\n");
  ExpectClean();
}

TEST_F(CliTest, FirmwareFromAnIndependentToolsHexFileReachesThePlayer) {
  ASSERT_EQ(Player("create --internal 4M").exitCode, 0);
  const std::string image = RandomImage(7);
  const std::string hex = WriteHexFile(temp_ + "/image.hex", image);
  EXPECT_EQ(std::count(hex.begin(), hex.end(), '\n'), 3841);
  EXPECT_EQ(hex.substr(hex.size() - 12), ":00000001FF\n");
  const Outcome upgraded = Cli("firmware '" + temp_ + "/image.hex'");
  EXPECT_EQ(upgraded.exitCode, 0) << errors_;
  EXPECT_EQ(upgraded.output, "Firmware upgrade completed.\nPlease, disconnect the USB cable.\n");
  const std::string firmware = temp_ + "/player/firmware.bin";
  EXPECT_EQ(ReadFile(firmware), image.substr(0, SentBytes) + std::string(1024, '\xFF'));
  // The status shows what cksum says of the firmware.
  std::string cksum = Run("cksum < '" + firmware + "'").output;
  cksum.pop_back();
  EXPECT_NE(Player("status").output.find("firmware cksum " + cksum + "\n"), std::string::npos) << cksum;

  ASSERT_EQ(Player("unplug").exitCode, 0);
  EXPECT_EQ(Cli("firmware '" + temp_ + "/image.hex'").exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: Player not found.\n");
  EXPECT_EQ(Cli("firmware '" + temp_ + "/missing.hex'").exitCode, 1);
  EXPECT_EQ(errors_, std::string("tunewarden-cli: ") + SystemMessage(2).Chars() + "\n");
}

TEST_F(CliTest, FailuresPrintTheProgramsMessagesAndUsageMistakesTheirOwn) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  ASSERT_EQ(Cli("ls").exitCode, 0);  // makes the MUSIC folder, without which a locked medium shows nothing
  ASSERT_EQ(Player("lock internal").exitCode, 0);
  Outcome failed = Cli("label X");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: Media protected. Remove the protection to download to the Media.\n");
  ASSERT_EQ(Player("unlock internal").exitCode, 0);

  failed = Cli("--medium card info");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: Media not found.\n");

  failed = Cli("mkdir '<USER>' 'a?b'");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(errors_.find("tunewarden-cli: "), std::string::npos);
  EXPECT_EQ(Cli("get '<USER>' x --to '" + temp_ + "/nowhere'").exitCode, 1);

  for (const char* mistake : {"", "frobnicate", "--medium floppy info", "mkdir '<USER>'", "mkdir '\\MUSIC' A",
                              "get '<USER>' a", "format --quick", "firmware", "firmware a.hex b.hex"}) {
    EXPECT_EQ(Cli(mistake).exitCode, 2) << mistake;
  }
  EXPECT_EQ(Cli("--help").exitCode, 0);

  ASSERT_EQ(Player("unplug").exitCode, 0);
  failed = Cli("ls");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: Media not found.\n");
}

// A pipe is passed over, said, and makes the command fail; the paths after a
// folder argument are still taken from where the command started.
TEST_F(CliTest, PutPassesOverWhatIsNoFileAndSaysSo) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  std::filesystem::create_directories(temp_ + "/sub/D");
  WriteFile(temp_ + "/sub/D/a.txt", "a");
  WriteFile(temp_ + "/sub/f.txt", "f");
  ASSERT_EQ(mkfifo((temp_ + "/sub/D/pipe").c_str(), 0600), 0);
  const Outcome put = Run("cd '" + temp_ + "' && timeout 60 " CLI_COMMAND " put '<USER>' sub/D sub/f.txt");
  EXPECT_EQ(put.exitCode, 1);
  EXPECT_EQ(put.output, "a.txt\nf.txt\n");
  EXPECT_EQ(errors_, "tunewarden-cli: 'sub/D/pipe' is neither a file nor a folder; it was not sent.\n");
  EXPECT_EQ(ReadFromImage("/USER/f.txt"), "f");
  ExpectClean();
}

// However a path spells MUSIC, it is the track list, never a plain folder;
// and a failure says what failed rather than "Unknown error!!" or advice to
// format a medium whose file system was read.
TEST_F(CliTest, MusicIsTheTrackListHoweverSpelledAndFailuresSayWhatFailed) {
  ASSERT_EQ(Player("create --format --internal 4M --card 8M").exitCode, 0);
  ASSERT_EQ(Cli("ls").exitCode, 0);  // makes the MUSIC folder
  for (const char* music : {"\\music", "\\MUSIC\\", "\\\\MUSIC", "\\USER\\..\\MUSIC"}) {
    EXPECT_EQ(Cli("ls '" + std::string(music) + "'").output, "<USER>\t<DIR>\t\n") << music;
    EXPECT_EQ(Cli("mkdir '" + std::string(music) + "' A").exitCode, 2) << music;
    EXPECT_EQ(Cli("rm '" + std::string(music) + "' PLAYLIST.DAT").exitCode, 2) << music;
  }

  EXPECT_EQ(Cli("ls '\\USER\\Nope'").exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: '\\USER\\Nope' was not found.\n");

  ASSERT_EQ(Player("lock card").exitCode, 0);  // a foreign card: FAT, but no MUSIC
  EXPECT_EQ(Cli("--medium card ls").exitCode, 1);
  EXPECT_EQ(errors_,
            "tunewarden-cli: The MUSIC folder could not be entered or made: Media protected. Remove the protection to "
            "download to the Media.\n");
  ASSERT_EQ(Player("faults --fail-after 0").exitCode, 0);
  EXPECT_EQ(Cli("ls").exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: The file system could not be read: CRC (communication) error.\n");
  ASSERT_EQ(Player("faults --clear").exitCode, 0);
  WriteFile(Image(), std::string(4 << 20, '\0'));
  EXPECT_EQ(Cli("ls").exitCode, 1);
  EXPECT_EQ(errors_, "tunewarden-cli: File system is not available.\nRe-format or try a different media.\n");
}

}  // namespace
