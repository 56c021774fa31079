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

// Music converted on the way in keeps its Japanese and Korean titles, which
// the list draws with the fonts the system has for them.
TEST_F(FrameTest, ScreenshotOfConvertedJapaneseAndKoreanTracks) {
  CreatePlayer("--internal 8M");
  const std::vector<std::string> titles = {"朝の光", "서울의 밤"};
  std::string files;
  for (const auto& [file, title] : {std::pair{"ja.flac", titles[0]}, std::pair{"ko.ogg", titles[1]}}) {
    const std::string path = temp_ + "/" + file;
    ASSERT_EQ(
        RunShell("ffmpeg -v error -f lavfi -i sine=duration=1 -metadata title='" + title + "' '" + path + "'").exitCode,
        0);
    files += " '" + path + "'";
  }
  Cli("put '\\MUSIC'" + files);
  OpenFrame();
  Reload();
  std::vector<std::string> rows(frame_->View().ItemCount());
  for (size_t row = 0; row < rows.size(); ++row) rows[row] = frame_->View().ItemText(int(row), 0).Chars();
  EXPECT_EQ(rows, (std::vector<std::string>{titles[0], titles[1], "<USER>"}));
  ASSERT_TRUE(QDir().mkpath(SCREENSHOT_FOLDER));
  EXPECT_TRUE(frame_->Widget()->grab().save(SCREENSHOT_FOLDER "/music-library-ja-ko.png"));
  EXPECT_TRUE(recorder_.boxes.empty());
}

}  // namespace
}  // namespace ui_testing
