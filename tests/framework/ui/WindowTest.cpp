#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "framework/core/DroppedFiles.h"
#include "framework/core/Exception.h"
#include "framework/ui/Graphics.h"
#include "tests/TempFiles.h"
#include "tests/framework/ui/UiFrameworkTesting.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override { window_.Close(0); }
  RecordingWindow window_;
};

using Trail = std::vector<std::string>;

TEST_F(WindowTest, CreationOrderOnMessageFirstAndDefaultProcOnlyForWhatItLeaves) {
  window_.handles = {{UM_RELOAD, 42}};
  window_.CreateTopLevel();
  ASSERT_GE(window_.seen.size(), 3u);
  EXPECT_EQ(window_.seen[0].record.message, WM_NCCREATE);
  EXPECT_EQ(window_.seen[2].record.message, WM_CREATE);

  EXPECT_EQ(window_.Send(UM_RELOAD, 1, 2), 42);
  EXPECT_EQ(window_.Trail(UM_RELOAD), Trail{"On"});
  EXPECT_EQ(window_.seen.back().record.wParam, 1u);
  EXPECT_EQ(window_.seen.back().record.lParam, 2);
  window_.Send(UM_UPDATESTATE);
  EXPECT_EQ(window_.Trail(UM_UPDATESTATE), (Trail{"On", "Default"}));

  RecordingWindow refusing;
  refusing.handles = {{WM_CREATE, -1}};
  try {
    refusing.CreateTopLevel();
    ADD_FAILURE() << "a refused WM_CREATE must throw";
  } catch (const CException& error) {
    EXPECT_EQ(error.Code(), 1400u);
  }
  EXPECT_EQ(refusing.Handle(), nullptr);
}

TEST_F(WindowTest, QtEventsArriveAsRecords) {
  RecordingWindow parent;
  parent.CreateTopLevel();
  window_.CreateChild(parent.Handle(), WS_VISIBLE, 0, 1, WindowClass(), 0, 0, 50, 50);
  QWidget* widget = window_.Widget();

  window_.Move(20, 20, 321, 123);
  ASSERT_FALSE(window_.Records(WM_SIZE).empty());
  EXPECT_EQ(LowWord(window_.Records(WM_SIZE).back().lParam), 321);
  EXPECT_EQ(HighWord(window_.Records(WM_SIZE).back().lParam), 123);

  for (int key : {Qt::Key_Delete, Qt::Key_F5, Qt::Key_Backspace}) PressKey(widget, key);
  std::vector<WPARAM> keys;
  for (const MessageRecord& record : window_.Records(WM_KEYDOWN)) keys.push_back(record.wParam);
  EXPECT_EQ(keys, (std::vector<WPARAM>{VK_DELETE, 0x74, VK_BACK}));

  SendMouse(widget, QEvent::MouseButtonDblClick, QPoint(7, 9), Qt::LeftButton);
  SendMouse(widget, QEvent::MouseButtonPress, QPoint(30, -4), Qt::RightButton);
  ASSERT_EQ(window_.Trail(WM_LBUTTONDBLCLK), (Trail{"On", "Default"}));
  ASSERT_EQ(window_.Trail(WM_RBUTTONDOWN), (Trail{"On", "Default"}));
  EXPECT_EQ(SignedLowWord(window_.Records(WM_LBUTTONDBLCLK)[0].lParam), 7);
  EXPECT_EQ(SignedHighWord(window_.Records(WM_LBUTTONDBLCLK)[0].lParam), 9);
  EXPECT_EQ(SignedHighWord(window_.Records(WM_RBUTTONDOWN)[0].lParam), -4);

  // The right-hand Shift and Alt keys are told apart by their scan codes (the
  // kernel's key codes plus 8), whatever key symbol the layout gives them.
  auto send = [&](QEvent::Type type, int key, quint32 scanCode) {
    QKeyEvent event(type, key, Qt::NoModifier, scanCode, 0xFE03, 0);
    QApplication::sendEvent(widget, &event);
  };
  send(QEvent::KeyPress, Qt::Key_Shift, 62);
  send(QEvent::KeyPress, Qt::Key_Alt, 64);
  EXPECT_TRUE(IsKeyDown(VK_RSHIFT));
  EXPECT_FALSE(IsKeyDown(VK_LSHIFT));
  EXPECT_TRUE(IsKeyDown(VK_LMENU));
  EXPECT_FALSE(IsKeyDown(VK_RMENU));
  send(QEvent::KeyRelease, Qt::Key_Shift, 62);
  send(QEvent::KeyRelease, Qt::Key_Alt, 64);
  EXPECT_FALSE(IsKeyDown(VK_RSHIFT));
  EXPECT_FALSE(IsKeyDown(VK_LMENU));
  parent.Close(0);
}

TEST_F(WindowTest, CloseDestroysUnlessKeptAndParentsHearDestroyFirstButNcDestroyLast) {
  window_.CreateTopLevel();
  window_.handles = {{WM_CLOSE, 0}};
  window_.Widget()->close();
  ASSERT_NE(window_.Handle(), nullptr);
  EXPECT_TRUE(window_.Widget()->isVisible());
  window_.handles.clear();
  window_.Widget()->close();
  EXPECT_EQ(window_.Handle(), nullptr);
  EXPECT_EQ(window_.Trail(WM_DESTROY), (Trail{"On", "Default"}));
  EXPECT_EQ(window_.Trail(WM_NCDESTROY), (Trail{"On", "Default"}));

  std::vector<std::string> order;
  struct Logger : RecordingWindow {
    std::vector<std::string>* order;
    std::string name;
    bool OnMessage(MessageRecord& record) override {
      if (record.message == WM_DESTROY) order->push_back(name + " destroy");
      if (record.message == WM_NCDESTROY) order->push_back(name + " ncdestroy");
      return false;
    }
  } parent, child;
  parent.order = child.order = &order;
  parent.name = "parent";
  child.name = "child";
  parent.CreateTopLevel();
  child.CreateChild(parent.Handle(), WS_VISIBLE, 0, 5, WindowClass(), 0, 0, 10, 10);
  DestroyWindow(parent.Handle());
  EXPECT_EQ(order,
            (std::vector<std::string>{"parent destroy", "child destroy", "child ncdestroy", "parent ncdestroy"}));
  EXPECT_EQ(parent.Handle(), nullptr);
  EXPECT_EQ(child.Handle(), nullptr);
}

TEST_F(WindowTest, SendRunsAtOncePostWaitsForAPumpingPassInOrderAndIsDroppedForAGoneWindow) {
  window_.CreateTopLevel();
  window_.Post(0x9001);
  window_.Post(0x9002);
  window_.Send(0x9003);
  window_.Post(0x9004);
  auto ordered = [&] {
    std::vector<uint32_t> messages;
    for (const auto& entry : window_.seen)
      if (entry.where == "On" && entry.record.message >= 0x9001) messages.push_back(entry.record.message);
    return messages;
  };
  EXPECT_EQ(ordered(), std::vector<uint32_t>{0x9003});
  PumpMessages(1);
  EXPECT_EQ(ordered(), (std::vector<uint32_t>{0x9003, 0x9001, 0x9002, 0x9004}));

  CNativeWindow* handle = window_.Handle();
  window_.Post(0x9005);
  DestroyWindow(handle);
  const size_t before = window_.seen.size();
  EXPECT_EQ(SendMessage(handle, 0x9006), 0);
  PumpMessages(2);
  EXPECT_EQ(window_.seen.size(), before);
}

TEST_F(WindowTest, DroppedFileUrlsBecomeWmDropFilesAndAnUntakenDropIsReleased) {
  TempFolder folder;
  const QString first = QString::fromStdString(folder.File("first song.mp3"));
  const QString second = QString::fromStdString(folder.File("notes.txt"));
  for (const QString& path : {first, second}) WriteFile(path.toStdString(), "12345");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(first), QUrl("https://example.org/x.mp3"), QUrl::fromLocalFile(second)});
  auto drop = [&](QWidget* target) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  };

  struct DropTarget : RecordingWindow {
    std::vector<CFileEntry> entries;
    int count = -1;
    bool OnMessage(MessageRecord& record) override {
      if (record.message != WM_DROPFILES) return RecordingWindow::OnMessage(record);
      CDroppedFiles dropped;
      count = dropped.Attach(TakeDropHandle(record));
      CFileEntry entry;
      while (dropped.Next(entry)) entries.push_back(entry);
      return true;
    }
  } target;
  target.CreateChild(nullptr, WS_VISIBLE, WS_EX_ACCEPTFILES, 0, WindowClass(), 0, 0, 200, 100);
  drop(target.Widget());
  EXPECT_EQ(target.count, 2);
  ASSERT_EQ(target.entries.size(), 2u);
  EXPECT_STREQ(target.entries[0].name.Chars(), first.toUtf8().constData());
  EXPECT_EQ(target.entries[0].size, 5u);
  EXPECT_STREQ(target.entries[1].name.Chars(), second.toUtf8().constData());
  target.Close(0);

  // Under the address sanitizer a drop handle left behind is reported as a leak.
  window_.CreateChild(nullptr, WS_VISIBLE, WS_EX_ACCEPTFILES, 0, WindowClass(), 0, 0, 200, 100);
  drop(window_.Widget());
  EXPECT_EQ(window_.Trail(WM_DROPFILES), (Trail{"On", "Default"}));
}

TEST_F(WindowTest, PaintingReachesDrawAfterDefaultProcessing) {
  struct Painter : RecordingWindow {
    void Draw(CDrawContext& context) override { context.FillRect({0, 0, 10, 10}, QColor(0, 200, 0)); }
  } painter;
  painter.CreateChild(nullptr, WS_VISIBLE, 0, 0, WindowClass(), 0, 0, 40, 40);
  const QImage shot = painter.Widget()->grab().toImage();
  EXPECT_EQ(painter.Trail(WM_PAINT), (Trail{"On", "Default"}));
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(0, 200, 0));
  EXPECT_NE(shot.pixelColor(30, 30), QColor(0, 200, 0));
  painter.Close(0);
}

}  // namespace
