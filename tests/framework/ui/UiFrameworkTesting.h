// Shared by the window tests: the application, and input events delivered the
// way Qt delivers them from a real keyboard and mouse.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/Window.h"
#include "tests/OwnProgramFolder.h"

// One framework application for the whole test binary, ended before the
// program's static objects go.
class UiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static char name[] = "tunewarden";
    static char* argv[] = {name, nullptr};
    application_.Init(1, argv);
  }
  void TearDown() override { application_.Term(); }

 private:
  CApplication application_;
};
inline ::testing::Environment* const UiEnvironmentRegistration = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

inline void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(target, &release);
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

inline void Click(QWidget* target, QPoint at) {
  SendMouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

// A window object that writes down what reaches it.
class RecordingWindow : public CWindowBase {
 public:
  struct Seen {
    std::string where;  // "On" or "Default"
    MessageRecord record;
  };
  std::vector<Seen> seen;
  // Messages OnMessage reports as handled, with the result it gives.
  std::vector<std::pair<uint32_t, LRESULT>> handles;

  bool OnMessage(MessageRecord& record) override {
    seen.push_back({"On", record});
    for (const auto& [message, result] : handles)
      if (message == record.message) {
        record.result = result;
        return true;
      }
    return false;
  }
  void DefaultProc(MessageRecord& record) override {
    seen.push_back({"Default", record});
    CWindowBase::DefaultProc(record);
  }
  std::vector<std::string> Trail(uint32_t message) const {
    std::vector<std::string> trail;
    for (const Seen& entry : seen)
      if (entry.record.message == message) trail.push_back(entry.where);
    return trail;
  }
  // What OnMessage saw of a message, in order.
  std::vector<MessageRecord> Records(uint32_t message) const {
    std::vector<MessageRecord> records;
    for (const Seen& entry : seen)
      if (entry.where == "On" && entry.record.message == message) records.push_back(entry.record);
    return records;
  }
  void CreateTopLevel(int width = 300, int height = 200) {
    CreateChild(nullptr, WS_VISIBLE, 0, 0, WindowClass(), 10, 10, width, height);
  }
};
