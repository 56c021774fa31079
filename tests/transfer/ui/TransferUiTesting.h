// The transfer and deletion dialogs over real players: the program's
// resources, a user who answers the questions in turn, a substituted tick
// with a hook into each reading, and a watch on which windows were shown.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <deque>
#include <functional>
#include <set>

#include "framework/core/Helpers.h"
#include "platform/Time.h"
#include "resources/ResourceIds.h"
#include "tests/ui/UiTesting.h"
#include "transfer/ui/ConfirmDialog.h"
#include "transfer/ui/DeleteDialog.h"
#include "transfer/ui/TransferDialog.h"

namespace transfer_ui_testing {

using namespace ui_testing;

// Answers each question with the next answer (a button's id, Escape or the
// close box; Yes when none is left) and writes its texts down; every message
// box is written down as well.
class QuestionUser : public BoxRecorder {
 public:
  static constexpr int Escape = -1;
  static constexpr int CloseBox = -2;
  struct Question {
    std::string title, message, existing, replacement;
  };

  void AnswerDialog(CDialogBase& dialog) override {
    questions.push_back({dialog.Text().Chars(), dialog.ItemText(ControlId::FileName).Chars(),
                         dialog.ItemText(ControlId::Amount).Chars(), dialog.ItemText(ControlId::Speed).Chars()});
    if (onQuestion) std::exchange(onQuestion, nullptr)(dialog);
    const int answer = answers.empty() ? IDYES : answers.front();
    if (!answers.empty()) answers.pop_front();
    if (answer == Escape)
      PressKey(dialog.Widget(), Qt::Key_Escape);
    else if (answer == CloseBox)
      dialog.Widget()->close();
    else
      dialog.Send(WM_COMMAND, MakeWParam(static_cast<uint16_t>(answer), BN_CLICKED));
  }

  std::deque<int> answers;
  std::vector<Question> questions;
  std::function<void(CDialogBase&)> onQuestion;  // once, before the answer
};

// The titles of the windows shown while it lives, each window handed to
// `onShow` as it shows.
class ShownWindows : public QObject {
 public:
  ShownWindows() { qApp->installEventFilter(this); }
  ~ShownWindows() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    if (event->type() != QEvent::Show || !widget || !widget->isWindow()) return false;
    titles.insert(widget->windowTitle());
    if (onShow) onShow(widget);
    return false;
  }
  std::set<QString> titles;
  std::function<void(QWidget*)> onShow;
};

class TransferTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    CreatePlayer("--internal 8M");
    Connect();
    pc_ = temp_ + "/pc";
    std::filesystem::create_directories(pc_);
    testFolder_ = CurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(pc_));
    // Each reading of the tick is `step_` ms after the one before.
    platform::SetTickSource([this] {
      if (onTick_) onTick_();
      return now_ += step_;
    });
  }
  void TearDown() override {
    platform::SetTickSource({});
    platform::SetCurrentDirectory(testFolder_.View());
    WindowTest::TearDown();
  }

  // After tunewarden-cli or mtools changed the player from outside.
  void Reconnect() {
    connection_->Close();
    Connect();
  }
  int Download(const std::vector<CText>& paths) { return TransferDialog(*connection_).RunDownload(nullptr, paths); }
  int Upload(const std::vector<PlayerEntry>& entries) {
    return TransferDialog(*connection_).RunUpload(nullptr, entries);
  }
  // Entries of the player's current folder, in the order named.
  std::vector<PlayerEntry> Entries(const std::vector<std::string>& names) {
    std::vector<PlayerEntry> entries;
    const std::vector<PlayerEntry> listed = connection_->ListFolder();
    for (const std::string& name : names)
      for (const PlayerEntry& entry : listed)
        if (name == entry.longName.Chars()) entries.push_back(entry);
    EXPECT_EQ(entries.size(), names.size());
    return entries;
  }
  // The window of that title while it runs, and a button of it.
  static QWidget* Window(const char* title) {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->windowTitle() == title && NativeWindowOf(window) && NativeWindowOf(window)->Object()) return window;
    return nullptr;
  }
  static void ClickLater(QWidget* window, const char* button) {
    for (auto* child : window->findChildren<QAbstractButton*>())
      if (child->text() == button) QMetaObject::invokeMethod(child, "click", Qt::QueuedConnection);
  }
  void ExpectFoldersKept(const std::string& pcFolder, const char* playerFolder) {
    EXPECT_EQ(std::string(CurrentDirectory().Chars()), pcFolder + "/");
    EXPECT_EQ(std::string(connection_->GetCurrentFolder().Chars()), playerFolder);
  }

  std::string pc_;
  CText testFolder_;
  uint32_t now_ = 0;
  uint32_t step_ = 0;  // a frozen clock: no display update ever comes
  std::function<void()> onTick_;
  QuestionUser user_;
  CAnswererScope userScope_{user_};
};

}  // namespace transfer_ui_testing
