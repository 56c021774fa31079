#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "framework/core/Exception.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/Prompts.h"
#include "tests/framework/ui/UiFrameworkTesting.h"

namespace {

constexpr uint32_t Template = 9001;
constexpr uint32_t HiddenTemplate = 9002;
constexpr uint32_t OtherButton = 1234;
constexpr uint32_t NameEdit = 1100;

// Plays the user with a function given by the test.
class ScriptedUser : public CPromptAnswerer {
 public:
  std::function<void(CDialogBase&)> onDialog;
  std::function<int(const CText&, const CText&, uint32_t)> onBox;
  int dialogsAnswered = 0;

  void AnswerDialog(CDialogBase& dialog) override {
    ++dialogsAnswered;
    if (onDialog) onDialog(dialog);
  }
  int AnswerMessageBox(CNativeWindow* owner, const CText& text, const CText& caption, uint32_t flags) override {
    return onBox ? onBox(text, caption, flags) : CPromptAnswerer::AnswerMessageBox(owner, text, caption, flags);
  }
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DialogTemplate dialog;
    dialog.id = Template;
    dialog.title = "Question";
    dialog.width = 200;
    dialog.height = 80;
    dialog.controls = {
        {NameEdit, ControlKind::Edit, "", 7, 7, 100, 12},
        {IDOK, ControlKind::Button, "OK", 7, 50, 40, 14, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON},
        {IDCANCEL, ControlKind::Button, "Cancel", 50, 50, 40, 14},
        {IDYES, ControlKind::Button, "&Yes", 95, 50, 40, 14},
        {IDNO, ControlKind::Button, "&No", 140, 50, 40, 14},
        {OtherButton, ControlKind::Button, "Other", 140, 7, 40, 14},
    };
    Resources().dialogs[Template] = dialog;
    dialog.id = HiddenTemplate;
    dialog.style = 0;
    Resources().dialogs[HiddenTemplate] = dialog;
  }
  ScriptedUser user_;
  CAnswererScope scope_{user_};
};

class RecordingDialog : public CDialogBase {
 public:
  std::vector<uint32_t> messages;
  std::function<bool(MessageRecord&)> handler;
  bool OnMessage(MessageRecord& record) override {
    messages.push_back(record.message);
    return handler && handler(record);
  }
};

TEST_F(DialogTest, DefaultHandlingInitialisesWithOneAndEndsOnOkCancelYesNoOrClose) {
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    RecordingDialog dialog;
    LRESULT initResult = 0;
    dialog.handler = [&](MessageRecord& record) {
      if (record.message != WM_INITDIALOG) return false;
      dialog.DefaultProc(record);
      initResult = record.result;
      return true;
    };
    user_.onDialog = [id](CDialogBase& running) { running.Send(WM_COMMAND, MakeWParam(id, BN_CLICKED)); };
    EXPECT_EQ(dialog.RunModal(nullptr, Template), id);
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_FALSE(dialog.IsModal());
    ASSERT_FALSE(dialog.messages.empty());
    EXPECT_EQ(dialog.messages.front(), WM_INITDIALOG);
    EXPECT_EQ(initResult, 1);
  }

  RecordingDialog dialog;
  bool openAfterOther = false;
  user_.onDialog = [&](CDialogBase& running) {
    running.Send(WM_COMMAND, MakeWParam(OtherButton, BN_CLICKED));
    openAfterOther = running.Handle() != nullptr && running.IsModal();
    running.Send(WM_CLOSE);
  };
  EXPECT_EQ(dialog.RunModal(nullptr, Template), IDCANCEL);
  EXPECT_TRUE(openAfterOther);

  // A dialog the answerer leaves waiting is dismissed with Cancel.
  user_.onDialog = nullptr;
  RecordingDialog waiting;
  EXPECT_EQ(waiting.RunModal(nullptr, Template), IDCANCEL);
  EXPECT_EQ(user_.dialogsAnswered, 6);
}

TEST_F(DialogTest, ADialogThatPostsItsWorkDoesItHiddenAndEndsItself) {
  // The pattern of the transfer dialogs: post a message at initialisation and
  // do the work in its handler, pumping in between.
  RecordingDialog dialog;
  std::vector<int> steps;
  bool visibleDuringWork = true;
  dialog.handler = [&](MessageRecord& record) {
    if (record.message == WM_INITDIALOG) dialog.Post(0x8000);
    if (record.message != 0x8000) return false;
    for (int block = 0; block < 3; ++block) {
      steps.push_back(block);
      PumpMessages(8);
    }
    visibleDuringWork = dialog.Widget()->isVisible();
    dialog.Close(IDOK);
    return true;
  };
  EXPECT_EQ(dialog.RunModal(nullptr, HiddenTemplate), IDOK);
  EXPECT_EQ(steps, (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(visibleDuringWork);
  EXPECT_EQ(user_.dialogsAnswered, 0);
}

TEST_F(DialogTest, ReturnPressesTheDefaultButtonAndEscapeCancels) {
  RecordingDialog dialog;
  user_.onDialog = [](CDialogBase& running) { PressKey(running.Item(NameEdit)->Widget(), Qt::Key_Return); };
  EXPECT_EQ(dialog.RunModal(nullptr, Template), IDOK);

  RecordingDialog second;
  user_.onDialog = [](CDialogBase& running) {
    running.EnableItem(IDOK, false);
    PressKey(running.Item(NameEdit)->Widget(), Qt::Key_Return);  // a disabled default button does nothing
    PressKey(running.Item(NameEdit)->Widget(), Qt::Key_Escape);
  };
  EXPECT_EQ(second.RunModal(nullptr, Template), IDCANCEL);
  EXPECT_EQ(std::count(second.messages.begin(), second.messages.end(), WM_COMMAND), 1);
}

TEST_F(DialogTest, ButtonClicksAndEditsReachTheDialogAsCommands) {
  RecordingDialog dialog;
  std::vector<WPARAM> commands;
  dialog.handler = [&](MessageRecord& record) {
    if (record.message == WM_COMMAND) commands.push_back(record.wParam);
    return false;
  };
  user_.onDialog = [](CDialogBase& running) {
    static_cast<QLineEdit*>(running.Item(NameEdit)->Widget())->setText("typed");
    static_cast<QPushButton*>(running.Item(OtherButton)->Widget())->click();
    EXPECT_STREQ(running.ItemText(NameEdit).Chars(), "typed");
    static_cast<QPushButton*>(running.Item(IDYES)->Widget())->click();
  };
  EXPECT_EQ(dialog.RunModal(nullptr, Template), IDYES);
  EXPECT_EQ(commands, (std::vector<WPARAM>{MakeWParam(NameEdit, EN_CHANGE), MakeWParam(OtherButton, BN_CLICKED),
                                           MakeWParam(IDYES, BN_CLICKED)}));
}

TEST_F(DialogTest, AMissingTemplateThrows) {
  RecordingDialog dialog;
  try {
    dialog.RunModal(nullptr, 4242);
    ADD_FAILURE() << "a missing template must throw";
  } catch (const CException& error) {
    EXPECT_EQ(error.Code(), ErrorResourceNotFound);
  }
  EXPECT_FALSE(dialog.IsModal());
}

TEST_F(DialogTest, TheSeamAnswersMessageBoxesAlsoInsideADialogWithoutShowingThem) {
  std::vector<std::string> boxes;
  user_.onBox = [&](const CText& text, const CText& caption, uint32_t flags) {
    boxes.push_back(std::string(text.Chars()) + "|" + caption.Chars() + "|" + std::to_string(flags));
    return IDYES;
  };
  EXPECT_EQ(MessageBox(nullptr, "Format now?", "Tunewarden", MB_YESNO | MB_ICONEXCLAMATION), IDYES);
  EXPECT_EQ(boxes, std::vector<std::string>{"Format now?|Tunewarden|" + std::to_string(MB_YESNO | MB_ICONEXCLAMATION)});

  RecordingDialog dialog;
  user_.onDialog = [](CDialogBase& running) {
    if (MessageBox(running.Handle(), "Sure?", "Tunewarden", MB_YESNO) == IDYES) running.Close(IDOK);
  };
  EXPECT_EQ(dialog.RunModal(nullptr, Template), IDOK);
}

TEST_F(DialogTest, WithoutAnAnswerTheSeamGivesTheEscapeButton) {
  CPromptAnswerer plain;
  CAnswererScope inner(plain);
  EXPECT_EQ(MessageBox(nullptr, "x", "y", MB_OK), IDOK);
  EXPECT_EQ(MessageBox(nullptr, "x", "y", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "x", "y", MB_YESNOCANCEL), IDCANCEL);
  std::vector<CText> files;
  EXPECT_FALSE(ChooseFiles(nullptr, "All Files\n*.*\n", &files));
  CText folder;
  EXPECT_FALSE(ChooseFolder(nullptr, "Pick", "/tmp/", &folder));
}

TEST_F(DialogTest, NestedDialogsAreAnsweredInnermostFirst) {
  RecordingDialog outer;
  RecordingDialog inner;
  LRESULT innerResult = 0;
  bool outerEnabledDuringInner = true;
  bool innerEnabled = false;
  user_.onDialog = [&](CDialogBase& running) {
    if (&running == &outer) {
      innerResult = inner.RunModal(running.Handle(), Template);
      running.Close(IDYES);
    } else {
      // The owner waits disabled; the dialog on top of it takes input.
      outerEnabledDuringInner = outer.Widget()->isEnabled();
      innerEnabled = running.Widget()->isEnabled() && running.Item(IDOK)->Widget()->isEnabled();
      running.Close(IDNO);
    }
  };
  EXPECT_EQ(outer.RunModal(nullptr, Template), IDYES);
  EXPECT_EQ(innerResult, IDNO);
  EXPECT_EQ(user_.dialogsAnswered, 2);
  EXPECT_FALSE(outerEnabledDuringInner);
  EXPECT_TRUE(innerEnabled);
}

}  // namespace
