#include <QComboBox>
#include <QProgressBar>
#include <filesystem>
#include <numeric>

#include "framework/ui/Power.h"
#include "resources/ResourceIds.h"
#include "tests/tools/ToolsTesting.h"
#include "tests/tools/ui/ToolsUiTesting.h"
#include "tools/ui/FirmwareDialogs.h"

namespace tools_ui_testing {
namespace {

using namespace tools_testing;

// Firmware files lie in the program folder, this run's own; they go after
// each test.
class FirmwareTest : public WindowTest {
 protected:
  void TearDown() override {
    for (const std::string& path : made_) std::filesystem::remove_all(path);
    WindowTest::TearDown();
  }
  std::string ProgramFile(const std::string& name) {
    std::string path = CApplication::Current()->ProgramFolder().Chars() + name;
    made_.insert(made_.end(), {path, path + ".bin"});
    return path;
  }
  std::vector<std::string> made_;
};

TEST_F(FirmwareTest, TheProgramFoldersHexFilesAreListedSortedWithTheFirstChosen) {
  for (const char* name : {"B.HEX", "a.hex", "notes.txt"}) WriteFile(ProgramFile(name), "");
  std::filesystem::create_directory(ProgramFile("c.hex"));
  std::vector<std::string> listed;
  DialogUser user;
  user.act = [&](CDialogBase& dialog) {
    auto* list = qobject_cast<QComboBox*>(dialog.Item(ControlId::FirmwareFiles)->Widget());
    for (int i = 0; i < list->count(); ++i) listed.push_back(list->itemText(i).toStdString());
    Press(dialog, IDOK);
  };
  CAnswererScope scope(user);
  CText chosen;
  EXPECT_EQ(FirmwareFileDialog(chosen).Run(nullptr), IDOK);
  EXPECT_EQ(listed, (std::vector<std::string>{"a.hex", "B.HEX"}));
  EXPECT_STREQ(chosen.Chars(), "a.hex");
}

TEST_F(FirmwareTest, AnUpgradeStepsThroughTheBlocksRefusesToSuspendAndClosesTheConnection) {
  CreatePlayer();
  Connect();
  const std::string image = RandomImage(3);
  WriteHexFile(ProgramFile("fw.hex"), image);
  FirmwareUpgradeDialog dialog(*connection_, CText("fw.hex"));
  const auto position = [&] {
    return qobject_cast<QProgressBar*>(dialog.Item(ControlId::Progress)->Widget())->value();
  };
  std::vector<int> positions;
  std::vector<bool> refusals;
  PassWatch watch([&] {
    if (!dialog.Handle()) return true;
    if (positions.empty() || positions.back() != position()) positions.push_back(position());
    if (position() == 236 && refusals.empty()) {
      SaveScreenshot(dialog, "firmware-upgrade");
      refusals = {WindowRefusingSuspend(PBT_APMQUERYSUSPEND) == dialog.Handle(),
                  WindowRefusingSuspend(PBT_APMQUERYSTANDBY) == dialog.Handle(),
                  WindowRefusingSuspend(4 /* the suspend itself */) == nullptr, !HoldsSleepInhibitor()};
    }
    return position() < 472;
  });
  DialogUser user;
  user.onBox = [&](const std::string&) { positions.push_back(position()); };
  CAnswererScope scope(user);
  EXPECT_EQ(dialog.Run(nullptr), IDOK);

  std::vector<int> expected(474);
  std::iota(expected.begin(), expected.end() - 1, 0);
  expected.back() = 480;
  EXPECT_EQ(positions, expected);
  EXPECT_EQ(refusals, std::vector<bool>(4, true));  // and without a system bus nothing is inhibited
  EXPECT_EQ(WindowRefusingSuspend(), nullptr);
  EXPECT_EQ(user.Texts(), std::vector<std::string>{"Firmware upgrade completed.\r\nPlease, disconnect the USB cable."});
  EXPECT_EQ(ReadFile(player_ + "/firmware.bin"), image.substr(0, SentBytes) + std::string(1024, '\xFF'));
  EXPECT_FALSE(connection_->IsOpen());
}

}  // namespace
}  // namespace tools_ui_testing
