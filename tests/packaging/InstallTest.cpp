// The build installed into a temporary prefix, as a distribution installs it:
// the desktop's own validators judge its files, and the installed programs run
// through their links in bin/.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/Shell.h"
#include "tests/TempFiles.h"
#include "tunewarden/Version.h"

namespace {

namespace fs = std::filesystem;

class InstallTest : public testing::Test {
 protected:
  // One installation for the suite: the tests only read it.
  static void SetUpTestSuite() {
    installRoot = std::make_unique<TempFolder>();
    const Outcome installed = RunShell("cmake --install '" BUILD_FOLDER "' --prefix '" + Prefix() + "'");
    ASSERT_EQ(installed.exitCode, 0) << installed.output;
  }
  static void TearDownTestSuite() { installRoot.reset(); }

  static std::string Prefix() { return installRoot->File("usr"); }
  static std::string Installed(const std::string& path) { return Prefix() + "/" + path; }
  static std::string ProgramFolder() { return Installed("lib/tunewarden"); }

  // Runs an installed program through its link in bin/, away from the build.
  static Outcome Run(const std::string& arguments) { return RunShell("cd / && " + Prefix() + "/bin/" + arguments); }

  static std::unique_ptr<TempFolder> installRoot;
  TempFolder temp_;
};
std::unique_ptr<TempFolder> InstallTest::installRoot;

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = at; i < at + 4 && i < bytes.size(); ++i) value = value << 8 | uint8_t(bytes[i]);
  return value;
}

TEST_F(InstallTest, ProgramFolderUnderLibWithRelativeLinksInBin) {
  for (const char* file : {"tunewarden", "tunewarden-cli", "tunewarden-player", "portkit.so", "volkit.so",
                           "codeckit.so", "fontkit.so", "libtw_platform.so", "intro.lcd", "ending.lcd"}) {
    EXPECT_TRUE(fs::is_regular_file(ProgramFolder() + "/" + file)) << file;
  }
  for (const char* program : {"tunewarden", "tunewarden-cli", "tunewarden-player"}) {
    const fs::path link = Installed("bin/") + program;
    ASSERT_TRUE(fs::is_symlink(link)) << program;
    EXPECT_TRUE(fs::read_symlink(link).is_relative()) << program;
    EXPECT_TRUE(fs::equivalent(link, ProgramFolder() + "/" + program)) << program;
  }
  // The platform library is found beside the program, not in the build; the
  // conversion, tag and font libraries only through the modules, which find them all.
  const Outcome libraries = RunShell("ldd " + ProgramFolder() + "/tunewarden-cli");
  EXPECT_NE(libraries.output.find("libtw_platform.so => " + ProgramFolder() + "/libtw_platform.so"), std::string::npos)
      << libraries.output;
  const std::pair<const char*, const char*> modules[] = {{"codeckit.so", "libavformat"},
                                                         {"codeckit.so", "libmp3lame"},
                                                         {"codeckit.so", "libtag"},
                                                         {"fontkit.so", "libfreetype"},
                                                         {"fontkit.so", "libfontconfig"}};
  for (const auto& [module, library] : modules) {
    const Outcome needs = RunShell("ldd " + ProgramFolder() + "/" + module);
    EXPECT_EQ(libraries.output.find(library), std::string::npos) << library;
    EXPECT_NE(needs.output.find(library), std::string::npos) << module << needs.output;
    EXPECT_EQ(needs.output.find("not found"), std::string::npos) << module << needs.output;
    EXPECT_NE(needs.output.find("libtw_platform.so => " + ProgramFolder() + "/libtw_platform.so"), std::string::npos)
        << module << needs.output;
  }
}

TEST_F(InstallTest, DesktopFilesPassTheirValidators) {
  const Outcome desktop =
      RunShell("desktop-file-validate " + Installed("share/applications/org.tunewarden.Tunewarden.desktop"));
  EXPECT_EQ(desktop.exitCode, 0) << desktop.output;
  EXPECT_EQ(desktop.output, "");
  const Outcome metainfo =
      RunShell("appstreamcli validate --no-net " + Installed("share/metainfo/org.tunewarden.Tunewarden.metainfo.xml"));
  EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output;
  for (uint32_t size : {16, 32, 48, 256}) {
    const std::string icon = ReadFile(Installed("share/icons/hicolor/") + std::to_string(size) + "x" +
                                      std::to_string(size) + "/apps/org.tunewarden.Tunewarden.png");
    ASSERT_EQ(icon.substr(0, 4), "\x89PNG") << size;
    EXPECT_EQ(BigEndian32(icon, 16), size);
    EXPECT_EQ(BigEndian32(icon, 20), size);
  }
  for (const char* program : {"tunewarden-cli", "tunewarden-player"}) {
    const Outcome manual = RunShell(std::string("LC_ALL=C.UTF-8 man --warnings -l ") + Installed("share/man/man1/") +
                                    program + ".1 2>&1 >/dev/null");
    EXPECT_EQ(manual.output, "") << program;
    // Completion of the first word offers the commands that --help lists.
    const Outcome completed =
        RunShell("bash -c 'source " + Installed("share/bash-completion/completions/") + program + "; COMP_WORDS=(" +
                 Installed("bin/") + program + " \"\"); COMP_CWORD=1; _tunewarden; echo \"${COMPREPLY[*]}\"'");
    EXPECT_NE(completed.output.find("--version"), std::string::npos) << completed.output;
    const char* command = program == std::string("tunewarden-cli") ? " info " : " create ";
    EXPECT_NE((" " + completed.output).find(command), std::string::npos) << completed.output;
  }
}

TEST_F(InstallTest, InstalledProgramsShowTheVersionAndFindTheirPlugIns) {
  EXPECT_EQ(Run("tunewarden-cli --version").output, std::string("tunewarden-cli ") + TunewardenVersion + "\n");
  EXPECT_EQ(Run("tunewarden-player --version").output, std::string("tunewarden-player ") + TunewardenVersion + "\n");
  setenv("TUNEWARDEN_PLAYER", temp_.File("player").c_str(), 1);
  const Outcome made = Run("tunewarden-player create --internal 4M --format");
  ASSERT_EQ(made.exitCode, 0) << made.output;
  const Outcome info = Run("tunewarden-cli info");
  unsetenv("TUNEWARDEN_PLAYER");
  EXPECT_EQ(info.exitCode, 0) << info.output;
  EXPECT_NE(info.output.find("capacity"), std::string::npos) << info.output;
}

// The program is run with its program folder mounted read-only in a mount
// namespace of its own. It meets an earlier copy (a lock held and a socket
// that only listens) and so ends at once, writing its settings; a message box
// instead would wait until the time-out.
TEST_F(InstallTest, ReadOnlyProgramFolderKeepsTheSettingsInXdgConfigHome) {
  if (RunShell("unshare -rm true").exitCode != 0) GTEST_SKIP() << "no user namespaces for a read-only mount";
  const std::string config = temp_.File("home/config");  // made by the program, with the folder above it
  const std::string tmp = temp_.File("tmp");
  fs::create_directories(tmp);
  const int lock = open((tmp + "/Tunewarden.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = tmp + "/Tunewarden.socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);

  const std::string run = "HOME='" + temp_.File("home") + "' XDG_CONFIG_HOME='" + config + "' XDG_RUNTIME_DIR='" + tmp +
                          "' TUNEWARDEN_PLAYER='" + temp_.File("no-player") +
                          "' timeout 60 unshare -rm sh -c 'mount --bind -o ro \"$0\" \"$0\" && exec \"$1\"' '" +
                          ProgramFolder() + "' '" + Installed("bin/tunewarden") + "'";
  const std::string settings = config + "/tunewarden/tunewarden.ini";
  const Outcome first = RunShell(run);
  ASSERT_EQ(first.exitCode, 0) << first.output;
  ASSERT_TRUE(fs::exists(settings)) << first.output;
  EXPECT_FALSE(fs::exists(ProgramFolder() + "/tunewarden.ini"));
  // The next run reads the file from there too and writes back what it read.
  WriteFile(settings, "[General]\r\ndownloadDir=/music/to/copy/\r\n");
  const Outcome second = RunShell(run);
  close(listener);
  close(lock);
  ASSERT_EQ(second.exitCode, 0) << second.output;
  EXPECT_NE(ReadFile(settings).find("downloadDir=/music/to/copy/\r\n"), std::string::npos) << ReadFile(settings);
}

}  // namespace
