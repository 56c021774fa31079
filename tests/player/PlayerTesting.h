// A temporary player made with tunewarden-player, the real plug-ins loaded
// from the test's program folder, and mtools to look at the images from
// outside.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Exception.h"
#include "platform/Files.h"
#include "player/MemoryTransfer.h"
#include "player/PlayerConnection.h"
#include "resources/StringTables.h"
#include "settings/AppSettings.h"
#include "tests/Shell.h"
#include "tests/TempFiles.h"

namespace player_testing {

// The code of an exception of that type thrown by the statement, or -1.
template <class Exception, class Statement>
int CodeOf(Statement&& statement) {
  try {
    statement();
  } catch (const Exception& e) {
    return static_cast<int>(e.Code());
  }
  return -1;
}

// The message id of a CMediaException thrown by the statement, or -1.
template <class Statement>
int MediaErrorOf(Statement&& statement) {
  return CodeOf<CMediaException>(statement);
}

// The code of a CException thrown by the statement, or -1.
template <class Statement>
int SystemErrorOf(Statement&& statement) {
  return CodeOf<CException>(statement);
}

class ConnectionTest : public testing::Test {
 protected:
  void SetUp() override {
    InstallStringTables();
    player_ = temp_ + "/player";
    setenv("TUNEWARDEN_PLAYER", player_.c_str(), 1);
    settings_.SetDefaults();
    connection_ = std::make_unique<PlayerConnection>(settings_);
    connection_->LoadPlugins();
  }

  void TearDown() override {
    connection_.reset();
    unsetenv("TUNEWARDEN_PLAYER");
  }

  Outcome Player(const std::string& arguments) {
    return RunShell(std::string(PLAYER_COMMAND) + " --player '" + player_ + "' " + arguments);
  }

  // A new player with formatted media; small, so that every test makes its own.
  void CreatePlayer(const std::string& options = "--internal 4M") {
    const Outcome made = Player("create --format " + options);
    ASSERT_EQ(made.exitCode, 0) << made.output;
  }

  std::string Image(const std::string& medium = "internal") const { return player_ + "/" + medium + ".img"; }

  // An mtools command on an image of the player.
  Outcome Mtools(const std::string& command, const std::string& arguments, const std::string& medium = "internal") {
    return RunShell("MTOOLS_SKIP_CHECK=1 " + command + " -i '" + Image(medium) + "' " + arguments);
  }

  // Puts bytes into a file of the image, as another system would.
  void PutOnImage(const std::string& playerPath, const std::string& bytes, const std::string& medium = "internal") {
    const std::string source = temp_ + "/upload.tmp";
    WriteFile(source, bytes);
    const Outcome copied = Mtools("mcopy -o", "'" + source + "' '::" + playerPath + "'", medium);
    ASSERT_EQ(copied.exitCode, 0) << copied.output;
  }

  std::string ReadFromImage(const std::string& playerPath, const std::string& medium = "internal") {
    const Outcome typed =
        RunShell("MTOOLS_SKIP_CHECK=1 mtype -i '" + Image(medium) + "' '::" + playerPath + "'", false);
    EXPECT_EQ(typed.exitCode, 0) << playerPath;
    return typed.output;
  }

  // fsck.fat finds nothing to repair on the medium.
  void ExpectClean(const std::string& medium = "internal") {
    const Outcome checked = RunShell("fsck.fat -n '" + Image(medium) + "'");
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
  }

  // What the player view does to connect.
  void Connect() {
    connection_->Open(0);
    connection_->SelectMedia();
    connection_->OpenFileSystem();
  }

  // Writes the bytes into the current folder as a download does; with the
  // file's analysis they become a track.
  bool Write(const char* name, std::string bytes, TransferProgressCallback progress = nullptr,
             AudioInfo* audioInfo = nullptr) {
    MemoryCursor cursor{reinterpret_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size())};
    TransferRequest request{};
    request.flags = TransferRequest::Write;
    request.name = name;
    request.context = &cursor;
    request.audioInfo = audioInfo;
    request.data = CopyOutOfMemory;
    request.progress = progress;
    request.total = static_cast<uint32_t>(bytes.size());
    return connection_->WriteEntry(request);
  }

  // The rows of the current folder: display names in listing order.
  std::vector<std::string> List() {
    std::vector<std::string> names;
    PlayerEntry entry;
    connection_->BeginListing();
    while (connection_->NextEntry(entry)) names.push_back(entry.DisplayName().Chars());
    connection_->EndListing();
    return names;
  }

  TempFolder folder_;
  const std::string temp_ = folder_.Path();
  std::string player_;
  AppSettings settings_;
  std::unique_ptr<PlayerConnection> connection_;
};

// A real MP3 file, made by lame from `seconds` of mono silence at 44.1 kHz; a
// title or artist makes lame add ID3 tags at both ends, so the audio range lies
// inside the file.
inline void MakeMp3(const std::string& path, int seconds, const std::string& title = "",
                    const std::string& artist = "") {
  std::string command =
      "head -c " + std::to_string(seconds * 88200) + " /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16";
  if (!title.empty()) command += " --tt '" + title + "'";
  if (!artist.empty()) command += " --ta '" + artist + "'";
  const Outcome made = RunShell(command + " - '" + path + "'");
  ASSERT_EQ(made.exitCode, 0) << made.output;
}

}  // namespace player_testing
