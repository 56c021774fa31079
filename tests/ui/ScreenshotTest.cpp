#include <QDir>
#include <QPixmap>

#include "tests/ui/UiTesting.h"
#include "ui/MainFrame.h"

namespace ui_testing {
namespace {

TEST_F(WindowTest, ScreenshotsOfTheMainWindowInEnglishAndJapanese) {
  CreatePlayer("--internal 8M --card 32M");
  PutTracks({"Morning Light", "City Rain", "Long Way Home"});
  Cli("mkdir '<USER>' Photos");
  PutUserFile("<USER>", "notes.txt", 1200);
  ASSERT_TRUE(QDir().mkpath(SCREENSHOT_FOLDER));
  for (const char* language : {"en", "ja"}) {
    InLanguage scope(language);
    settings_.SetDefaults();
    auto* frame = new MainFrame(settings_, *connection_, icons_);
    frame->Create();
    frame->Show(SW_SHOW);
    frame->Send(UM_RELOAD, 0, 0);
    frame->View().SelectItem(1);
    PumpMessages(4);
    EXPECT_EQ(frame->View().ItemCount(), 4) << language;
    const QPixmap shot = frame->Widget()->window()->grab();
    DestroyWindow(frame->Handle());
    PumpMessages(1);
    const QString path = QString(SCREENSHOT_FOLDER) + "/main-" + language + ".png";
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), shot.size());
  }
  EXPECT_TRUE(recorder_.boxes.empty());
}

}  // namespace
}  // namespace ui_testing
