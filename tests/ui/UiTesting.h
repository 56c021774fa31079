// The program's windows over real players: the application with the real
// resources, a temporary player made by tunewarden-player, tracks and files put
// on it by tunewarden-cli, an answerer that writes down every message box, and
// the main window over it all.
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
#include "ui/MainFrame.h"

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

class FrameTest : public WindowTest {
 protected:
  void TearDown() override {
    CloseFrame();
    WindowTest::TearDown();
  }

  MainFrame& OpenFrame() {
    frame_ = new MainFrame(settings_, *connection_, icons_);
    frame_->Create();
    frame_->Show(SW_SHOW);
    return *frame_;
  }
  void CloseFrame() {
    if (frame_) DestroyWindow(frame_->Handle());
    frame_ = nullptr;
    PumpMessages(1);
  }
  void Reload() {
    frame_->Send(UM_RELOAD, 0, 0);
    PumpMessages(2);  // the view's state report reaches the frame
  }
  void Select(int row) {
    frame_->View().SelectItem(row);
    PumpMessages(2);
  }
  // The enabled commands among the given ones, after the menu is set as it is
  // before it opens.
  std::vector<uint32_t> EnabledItems(std::initializer_list<uint32_t> commands) {
    CMenu* menu = frame_->Menu();
    frame_->Send(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
    std::vector<uint32_t> enabled;
    for (uint32_t command : commands)
      if (menu->IsItemEnabled(command)) enabled.push_back(command);
    return enabled;
  }
  std::vector<std::string> StatusTexts() {
    std::vector<std::string> texts;
    texts.reserve(3);
    for (int part = 0; part < 3; ++part) texts.push_back(frame_->StatusBar().PartText(part).Chars());
    return texts;
  }

  MainFrame* frame_ = nullptr;
};

}  // namespace ui_testing
