#include <QDir>
#include <QPixmap>

#include "resources/ui/UiResources.h"
#include "tests/ui/WindowTesting.h"
#include "ui/MainFrame.h"

namespace window_testing {
namespace {

class ScreenshotTest : public WindowTest {
 protected:
  void TearDown() override {
    setenv("TUNEWARDEN_LANG", "en", 1);
    InstallUiResources();
    WindowTest::TearDown();
  }

  // The main window as a user sees it on this player, written as a PNG.
  void Shoot(const char* language, const std::string& fileName) {
    setenv("TUNEWARDEN_LANG", language, 1);
    InstallUiResources();
    settings_.SetDefaults();
    auto* frame = new MainFrame(settings_, *connection_, icons_);
    frame->Create();
    frame->Show(SW_SHOW);
    frame->Send(UM_RELOAD, 0, 0);
    frame->View().SelectItem(1);
    PumpMessages(4);
    ASSERT_EQ(frame->View().ItemCount(), 4);
    const QPixmap shot = frame->Widget()->window()->grab();
    DestroyWindow(frame->Handle());
    PumpMessages(1);
    ASSERT_TRUE(QDir().mkpath(SCREENSHOT_FOLDER));
    const QString path = QString(SCREENSHOT_FOLDER) + "/" + QString::fromStdString(fileName);
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), shot.size());
  }
};

TEST_F(ScreenshotTest, MainWindowInEnglishAndJapanese) {
  CreatePlayer("--internal 8M --card 32M");
  PutTracks({"Morning Light", "City Rain", "Long Way Home"});
  Cli("mkdir '<USER>' Photos");
  PutUserFile("<USER>", "notes.txt", 1200);
  Shoot("en", "main-en.png");
  Shoot("ja", "main-ja.png");
  EXPECT_TRUE(recorder_.boxes.empty());
}

}  // namespace
}  // namespace window_testing
