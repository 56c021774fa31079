// Playing the user of the media tools' dialogs over real players.
#pragma once

#include <QApplication>
#include <QDir>
#include <functional>
#include <memory>

#include "tests/ui/UiTesting.h"

namespace tools_ui_testing {

using namespace ui_testing;

// Acts once the dialog first waits; message boxes are written down and
// answered Yes or OK, and `onBox` may act while one shows.
struct DialogUser : BoxRecorder {
  int AnswerMessageBox(CNativeWindow* owner, const CText& text, const CText& caption, uint32_t flags) override {
    BoxRecorder::AnswerMessageBox(owner, text, caption, flags);
    if (onBox) onBox(text.Chars());
    return (flags & 0x0F) == MB_YESNO ? IDYES : IDOK;
  }
  void AnswerDialog(CDialogBase& shown) override {
    dialog = &shown;
    if (act) act(shown);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : boxes) texts.push_back(box.text);
    return texts;
  }

  std::function<void(CDialogBase&)> act;
  std::function<void(const std::string& text)> onBox;
  CDialogBase* dialog = nullptr;  // the one acted on last
};

// Runs `step` at each pass over the event queue (a long operation pumps
// between its steps) while it returns true and the watch lives.
class PassWatch {
 public:
  explicit PassWatch(const std::function<bool()>& step) { Next(step, alive_); }
  ~PassWatch() { *alive_ = false; }

 private:
  static void Next(const std::function<bool()>& step, const std::shared_ptr<bool>& alive) {
    QMetaObject::invokeMethod(
        qApp,
        [step, alive] {
          if (*alive && step()) Next(step, alive);
        },
        Qt::QueuedConnection);
  }
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

inline void Press(CDialogBase& dialog, uint32_t id) {
  dialog.Send(WM_COMMAND, MakeWParam(static_cast<uint16_t>(id), BN_CLICKED));
}

inline std::string ItemString(const CDialogBase& dialog, uint32_t id) { return dialog.ItemText(id).Chars(); }

inline void SaveScreenshot(CDialogBase& dialog, const char* name) {
  QDir().mkpath(SCREENSHOT_FOLDER);
  const QString path = QString(SCREENSHOT_FOLDER) + "/" + name + ".png";
  EXPECT_TRUE(dialog.Widget()->grab().save(path)) << path.toStdString();
}

}  // namespace tools_ui_testing
