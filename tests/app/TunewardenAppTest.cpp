#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/TunewardenApp.h"
#include "framework/core/Helpers.h"
#include "framework/ui/Prompts.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "tests/TempFiles.h"
#include "tests/resources/UiResourcesTesting.h"

namespace {

// Counts the message boxes and writes them to stderr, where a death test reads them.
class BoxPrinter : public CPromptAnswerer {
 public:
  int AnswerMessageBox(CNativeWindow*, const CText& text, const CText& caption, uint32_t) override {
    std::fprintf(stderr, "box [%s] [%s]\n", caption.Chars(), text.Chars());
    return ++count, IDOK;
  }
  int count = 0;
};

// The pattern of the printed box with this caption and the system's text for the code.
std::string BoxPattern(const std::string& caption, uint32_t code) {
  std::string pattern;
  for (char c : "box [" + caption + "] [" + SystemMessage(code).Chars() + "]") {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
    pattern += c;
  }
  return pattern;
}

// The program's four objects in their order, as the entry function has them.
struct Program {
  AppSettings settings;
  IconCache icons;
  PlayerConnection connection{settings};
  TunewardenApp application{settings, icons, connection};
};

class TunewardenAppTest : public testing::Test {
 protected:
  void SetUp() override {
    // The running copy's lock and socket and the player lie in the test's own folder.
    setenv("XDG_RUNTIME_DIR", temp_.c_str(), 1);
    setenv("TUNEWARDEN_PLAYER", (temp_ + "/no-player").c_str(), 1);
    std::filesystem::remove(SettingsFile());
  }
  void TearDown() override {
    std::filesystem::remove(SettingsFile());
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("TUNEWARDEN_PLAYER");
  }
  static std::string SettingsFile() { return AppSettings::SettingsPath().Chars(); }

  TempFolder folder_;
  const std::string temp_ = folder_.Path();
};

// Also where the second copy's temporary folder is another.
TEST_F(TunewardenAppTest, SecondCopyBringsTheFirstToTheFrontAndEndsWritingTheSettings) {
  RunningCopy first;
  int asked = 0;
  ASSERT_TRUE(first.Claim("Tunewarden"));
  ASSERT_TRUE(first.Listen("Tunewarden", [&] { ++asked; }));
  setenv("TMPDIR", (temp_ + "/no-player").c_str(), 1);
  Program second;
  EXPECT_EQ(second.application.RunAll(), 0);
  PumpMessages(2);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(CFrameBase::FrameCount(), 0);
  EXPECT_TRUE(std::filesystem::exists(SettingsFile()));
  unsetenv("TMPDIR");
}

TEST_F(TunewardenAppTest, FirstCopyStartsQuietlyWithoutAPlayerAndComesToTheFrontWhenAsked) {
  BoxPrinter boxes;
  CAnswererScope scope(boxes);
  Program program;
  QWidget elsewhere;
  QTimer::singleShot(0, [&] {
    MainFrame* frame = program.application.Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->Widget()->isVisible());
    elsewhere.show();
    elsewhere.activateWindow();
    PumpMessages(3);
    ASSERT_FALSE(frame->Widget()->isActiveWindow());
    EXPECT_TRUE(RunningCopy::AskEarlierCopy("Tunewarden"));
    PumpMessages(3);
    EXPECT_TRUE(frame->Widget()->isActiveWindow());
    frame->Send(WM_COMMAND, CommandId::Exit);
  });
  EXPECT_EQ(program.application.RunAll(), 0);
  EXPECT_EQ(boxes.count, 0);
  EXPECT_TRUE(std::filesystem::exists(SettingsFile()));
  // Exit leaves the window to the end of the program.
  ASSERT_NE(program.application.Frame(), nullptr);
  DestroyWindow(program.application.Frame()->Handle());
  PumpMessages(1);
}

TEST_F(TunewardenAppTest, MissingProgramIconIsAnInitializeErrorThatEndsWithoutSettings) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        BoxPrinter printer;
        CAnswererScope scope(printer);
        Resources().icons.erase(ResourceId::FileIcon);
        Program program;
        program.application.RunAll();
      },
      testing::ExitedWithCode(0), BoxPattern("Initialize Error 1814", ErrorResourceNotFound));
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(TunewardenAppTest, ConfigErrorBoxFromAFakeFailureCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        BoxPrinter printer;
        CAnswererScope scope(printer);
        AppSettings settings;
        settings.SetDefaults();
        FailStart(settings, StringId::ConfigError, 5);
      },
      testing::ExitedWithCode(0), BoxPattern("Config Error 5", 5));
}

}  // namespace
