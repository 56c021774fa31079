#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTest>

#include "tests/tools/ui/ToolsUiTesting.h"

namespace ui_testing {
namespace {

using namespace tools_ui_testing;

// The main window, its context menu drawn where it opens, and the track
// properties dialog.
TEST_F(FrameTest, ScreenshotsInEnglishAndJapanese) {
  CreatePlayer("--internal 8M --card 32M");
  PutTracks({"Morning Light", "City Rain", "Long Way Home"});
  Cli("mkdir '<USER>' Photos");
  PutUserFile("<USER>", "notes.txt", 1200);
  struct Camera : BoxRecorder {
    uint32_t AnswerPopupMenu(CMenu& popup) override {
      popup.QtMenu()->adjustSize();
      menu = popup.QtMenu()->grab();
      return 0;
    }
    void AnswerDialog(CDialogBase& dialog) override { SaveScreenshot(dialog, name.c_str()); }
    QPixmap menu;
    std::string name;
  } camera;
  CAnswererScope scope(camera);
  ASSERT_TRUE(QDir().mkpath(SCREENSHOT_FOLDER));
  auto save = [](const QPixmap& shot, const std::string& name) {
    EXPECT_TRUE(shot.save(QString::fromStdString(SCREENSHOT_FOLDER "/" + name + ".png"))) << name;
  };
  for (const std::string language : {"en", "ja"}) {
    InLanguage in(language.c_str());
    settings_.SetDefaults();
    OpenFrame();
    Reload();
    Select(1);
    EXPECT_EQ(frame_->View().ItemCount(), 4) << language;
    save(frame_->Widget()->grab(), "main-" + language);
    QWidget* rows = frame_->View().Handle()->Client();
    const CXYRect row = frame_->View().ItemRect(1);
    const QPoint at(row.left + 40, row.top + row.height / 2);
    QTest::mouseClick(rows, Qt::RightButton, {}, at);
    QPixmap shot = frame_->Widget()->grab();
    QPainter(&shot).drawPixmap(rows->mapTo(frame_->Widget(), at), camera.menu);
    save(shot, "context-menu-" + language);
    camera.name = "track-properties-" + language;
    QTest::keyClick(frame_->View().Widget(), Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(SCREENSHOT_FOLDER "/" + camera.name + ".png")));
    CloseFrame();
  }
  EXPECT_TRUE(camera.boxes.empty());
}

}  // namespace
}  // namespace ui_testing
