// The program's windows over real players: the application with the real
// resources, a temporary player made by tunewarden-player, tracks and files put
// on it by tunewarden-cli, and an answerer that writes down every message box.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/Prompts.h"
#include "messages/MessageBoxes.h"
#include "tests/player/PlayerTesting.h"
#include "tests/resources/UiResourcesTesting.h"
#include "ui/IconCache.h"

namespace ui_testing {

using namespace player_testing;

struct ShownBox {
  std::string caption;
  std::string text;
  uint32_t flags;
};

// Plays the user: every message box is written down and answered with OK.
class BoxRecorder : public CPromptAnswerer {
 public:
  int AnswerMessageBox(CNativeWindow*, const CText& text, const CText& caption, uint32_t flags) override {
    boxes.push_back({caption.Chars(), text.Chars(), flags});
    return IDOK;
  }
  void AnswerDialog(CDialogBase& dialog) override { dialogs.push_back(dialog.Text().Chars()); }
  std::vector<ShownBox> boxes;
  std::vector<std::string> dialogs;  // titles
};

class WindowTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    icons_.Create();
    SetMessageSettings(&settings_);
  }
  void TearDown() override {
    SetMessageSettings(nullptr);
    ConnectionTest::TearDown();
  }

  // Runs tunewarden-cli on the test's player.
  void Cli(const std::string& arguments) {
    const Outcome done = RunShell(std::string(CLI_COMMAND) + " " + arguments);
    ASSERT_EQ(done.exitCode, 0) << arguments << "\n" << done.output;
  }

  // MP3 files made by lame, stored as tracks in play order.
  void PutTracks(const std::vector<std::string>& titles) {
    for (const std::string& title : titles) {
      const std::string path = temp_ + "/" + title + ".mp3";
      MakeMp3(path, 1, title, "Tester");
      Cli("put '\\MUSIC' '" + path + "'");
    }
  }

  // A PC file of some bytes, copied into a USER folder.
  void PutUserFile(const std::string& folder, const std::string& name, size_t bytes) {
    const std::string path = temp_ + "/" + name;
    WriteFile(path, std::string(bytes, 'x'));
    Cli("put '" + folder + "' '" + path + "'");
  }

  IconCache icons_;
  BoxRecorder recorder_;
  CAnswererScope answerer_{recorder_};
};

}  // namespace ui_testing
