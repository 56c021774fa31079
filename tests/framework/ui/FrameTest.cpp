#include <gtest/gtest.h>

#include <QMenuBar>

#include "framework/ui/Dialog.h"
#include "framework/ui/Frame.h"
#include "framework/ui/Prompts.h"
#include "tests/framework/ui/UiFrameworkTesting.h"

namespace {

constexpr uint32_t FrameResource = 9100;
constexpr uint16_t CreateFolder = 40011;
constexpr uint16_t Delete = 40014;
constexpr uint16_t Refresh = 40035;
constexpr uint32_t About = 9101;

// A frame whose menu states come from its fields at WM_INITMENU.
class TestFrame : public CFrameBase {
 public:
  bool deleteAllowed = true;
  bool folderChecked = false;
  int initMenus = 0;
  std::vector<WPARAM> commands;
  std::function<void(MessageRecord&)> onOther;

  bool OnMessage(MessageRecord& record) override {
    switch (record.message) {
      case WM_INITMENU: {
        ++initMenus;
        auto* menu = reinterpret_cast<CMenu*>(record.wParam);
        menu->EnableItem(Delete, deleteAllowed);
        menu->CheckItem(CreateFolder, folderChecked);
        return true;
      }
      case WM_COMMAND:
        commands.push_back(record.wParam);
        return true;
      default:
        if (onOther) onOther(record);
        return false;
    }
  }
};

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Resources().menus[FrameResource] = {
        {"&File", 0, {{"Create &Folder", CreateFolder, {}}, {"", 0, {}}, {"&Delete\tDel", Delete, {}}}},
        {"&View", 0, {{"&Refresh\tF5", Refresh, {}}}},
    };
    Resources().accelerators[FrameResource] = {
        {FVIRTKEY | FCONTROL, 'D', Delete},
        {FVIRTKEY, VK_F1 + 4, Refresh},
    };
    DialogTemplate about;
    about.id = About;
    about.title = "About";
    about.width = 100;
    about.height = 40;
    about.controls = {{IDOK, ControlKind::Button, "OK", 30, 20, 40, 14}};
    Resources().dialogs[About] = about;
  }
};

TEST_F(FrameTest, ClosingTheLastFrameEndsRunAllButClosingADialogOrAnotherFrameDoesNot) {
  struct App : CApplication {
    TestFrame first, second;
    std::vector<std::string> log;
    void InitInstance() override {
      log.push_back("init");
      first.Create(FrameResource, WindowClass());
      second.Create(FrameResource, WindowClass());
      second.onOther = [this](MessageRecord& record) {
        if (record.message != 0x9000) return;
        log.push_back(first.Handle() ? "first still there" : "first gone, loop still running");
        CDialogBase about;
        log.push_back("about " + std::to_string(about.RunModal(second.Handle(), About)));
        second.Post(WM_CLOSE);
      };
      first.Post(WM_CLOSE);
      second.Post(0x9000);
    }
    void ExitInstance() override { log.push_back("exit"); }
  } app;
  struct PressOk : CPromptAnswerer {
    void AnswerDialog(CDialogBase& dialog) override { dialog.Send(WM_COMMAND, IDOK); }
  } user;
  CAnswererScope scope(user);

  const int framesBefore = CFrameBase::FrameCount();
  EXPECT_EQ(app.RunAll(), 0);
  EXPECT_EQ(app.log, (std::vector<std::string>{"init", "first gone, loop still running", "about 1", "exit"}));
  EXPECT_EQ(CFrameBase::FrameCount(), framesBefore);
  EXPECT_EQ(app.second.Handle(), nullptr);
}

TEST_F(FrameTest, PostQuitBeforeTheLoopStartsStillEndsIt) {
  struct App : CApplication {
    void InitInstance() override {
      PostQuit(3);
      PumpMessages(1);
    }
  } app;
  EXPECT_EQ(app.RunAll(), 3);
}

TEST_F(FrameTest, TheFrameSetsMenuStatesAtWmInitMenuBeforeThePopupShows) {
  TestFrame frame;
  frame.Create(FrameResource, WindowClass());
  frame.Show(SW_SHOW);
  ASSERT_NE(frame.Menu(), nullptr);
  frame.deleteAllowed = false;
  frame.folderChecked = true;

  QMenu* file = frame.Menu()->Popup(0)->QtMenu();
  file->popup(QPoint(0, 0));
  EXPECT_EQ(frame.initMenus, 1);
  EXPECT_FALSE(frame.Menu()->IsItemEnabled(Delete));
  EXPECT_TRUE(frame.Menu()->IsItemChecked(CreateFolder));
  for (QAction* action : file->actions()) {
    if (action->data().toUInt() == Delete) {
      EXPECT_FALSE(action->isEnabled());
    }
    if (action->data().toUInt() == CreateFolder) {
      EXPECT_TRUE(action->isChecked());
    }
  }
  EXPECT_EQ(frame.Widget()->findChild<QMenuBar*>()->actions().size(), 2);

  // Choosing an item posts its command to the frame.
  file->hide();
  frame.Menu()->Popup(1)->QtMenu()->actions().front()->trigger();
  EXPECT_TRUE(frame.commands.empty());
  PumpMessages(1);
  EXPECT_EQ(frame.commands, std::vector<WPARAM>{Refresh});
  frame.Close(0);
}

TEST_F(FrameTest, AcceleratorsSendCommandsUnlessTheirMenuItemIsGrayed) {
  TestFrame frame;
  frame.Create(FrameResource, WindowClass());
  RecordingWindow child;
  child.CreateChild(frame.Handle(), WS_VISIBLE, 0, 1, WindowClass(), 0, 0, 50, 50);
  frame.Show(SW_SHOW);

  PressKey(child.Widget(), Qt::Key_D, Qt::ControlModifier);
  PressKey(child.Widget(), Qt::Key_F5);
  EXPECT_EQ(frame.commands, (std::vector<WPARAM>{MakeWParam(Delete, COMMAND_FROM_ACCELERATOR),
                                                 MakeWParam(Refresh, COMMAND_FROM_ACCELERATOR)}));
  EXPECT_TRUE(child.Trail(WM_KEYDOWN).empty());

  frame.deleteAllowed = false;
  PressKey(child.Widget(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(frame.commands.size(), 2u);
  EXPECT_TRUE(child.Trail(WM_KEYDOWN).empty());

  // A key the table lacks goes to the window.
  PressKey(child.Widget(), Qt::Key_D);
  EXPECT_EQ(child.Trail(WM_KEYDOWN), (std::vector<std::string>{"On", "Default"}));
  frame.Close(0);
}

TEST_F(FrameTest, PopupMenusGoThroughTheSeamAndPostTheChosenCommand) {
  TestFrame frame;
  frame.Create(FrameResource, WindowClass());
  struct ChooseDelete : CPromptAnswerer {
    bool sawDelete = false;
    uint32_t AnswerPopupMenu(CMenu& popup) override {
      sawDelete = popup.HasItem(Delete);
      return Delete;
    }
  } user;
  CAnswererScope scope(user);
  std::unique_ptr<CMenu> context = CMenu::Load(FrameResource);
  frame.TrackPopupMenu(*context->Popup(0), 10, 10);
  EXPECT_TRUE(user.sawDelete);
  PumpMessages(1);
  EXPECT_EQ(frame.commands, std::vector<WPARAM>{Delete});
  frame.Close(0);
}

TEST_F(FrameTest, AnActivatedFrameHearsWmSetFocusAndCanPassTheFocusOn) {
  TestFrame frame;
  frame.Create(FrameResource, WindowClass());
  RecordingWindow first;
  first.CreateChild(frame.Handle(), WS_VISIBLE, 0, 1, WindowClass(), 0, 0, 50, 50);
  first.Widget()->setFocusPolicy(Qt::StrongFocus);
  RecordingWindow view;
  view.CreateChild(frame.Handle(), WS_VISIBLE, 0, 2, WindowClass(), 0, 60, 50, 50);
  view.Widget()->setFocusPolicy(Qt::StrongFocus);
  int setFocus = 0;
  frame.onOther = [&](MessageRecord& record) {
    if (record.message != WM_SETFOCUS) return;
    ++setFocus;
    view.SetFocus();
  };
  frame.Show(SW_SHOW);
  frame.Widget()->activateWindow();
  PumpMessages(2);
  EXPECT_GE(setFocus, 1);
  EXPECT_EQ(QApplication::focusWidget(), view.Widget());
  EXPECT_FALSE(view.Trail(WM_SETFOCUS).empty());
  frame.Close(0);
}

TEST_F(FrameTest, ExitEndsTheLoopWithTheFrameOpenAndTheEndReleasesIt) {
  // The main frame's way: it deletes itself when its window is gone.
  struct SelfDeletingFrame : TestFrame {
    bool* deleted;
    bool OnMessage(MessageRecord& record) override {
      if (record.message == 0x9000) PostQuit(0);
      if (record.message != WM_NCDESTROY) return TestFrame::OnMessage(record);
      DefaultProc(record);
      *deleted = true;
      delete this;
      return true;
    }
  };
  bool deleted = false;
  struct App : CApplication {
    bool* deleted;
    void InitInstance() override {
      auto* frame = new SelfDeletingFrame;
      frame->deleted = deleted;
      frame->Create(FrameResource, WindowClass());
      frame->Post(0x9000);
    }
  } app;
  app.deleted = &deleted;
  EXPECT_EQ(app.RunAll(), 0);
  EXPECT_FALSE(deleted);
  DestroyAllWindows();
  EXPECT_TRUE(deleted);
  PumpMessages(1);
  app.Run();  // takes the quit that the last frame going has posted
}

}  // namespace
