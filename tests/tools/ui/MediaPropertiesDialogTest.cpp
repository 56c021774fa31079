#include "framework/core/Helpers.h"
#include "platform/Errors.h"
#include "resources/ResourceIds.h"
#include "tests/tools/ui/ToolsUiTesting.h"
#include "tools/ui/MediaPropertiesDialog.h"

namespace tools_ui_testing {
namespace {

std::string Shown(CDialogBase& dialog) {
  return ItemString(dialog, ControlId::MediumDescription) + "|" + ItemString(dialog, ControlId::MediumCapacity) + "|" +
         ItemString(dialog, ControlId::VolumeLabel) + (dialog.Item(IDOK)->Widget()->isEnabled() ? "|ok" : "|no ok");
}

TEST_F(WindowTest, PropertiesSetTheLabelAsTyped) {
  CreatePlayer();
  Connect();
  MediaPropertiesDialog dialog(*connection_);
  DialogUser user;
  user.act = [&](CDialogBase&) {
    // Passed on untrimmed, a leading blank is the file system's to refuse.
    for (const char* label : {" Road Trip", "Road Trip"}) {
      dialog.SetItemText(ControlId::VolumeLabel, CText(label));
      SaveScreenshot(dialog, "properties");
      Press(dialog, IDOK);
    }
  };
  CAnswererScope scope(user);
  EXPECT_EQ(dialog.Run(nullptr), IDOK);
  EXPECT_EQ(user.Texts(), std::vector<std::string>{SystemMessage(platform::Error::InvalidName).Chars()});
  EXPECT_NE(Mtools("mlabel", "-s ::").output.find("is ROAD TRIP"), std::string::npos);
  ExpectClean();
}

TEST_F(WindowTest, AFailedAttemptThenCancelGives1AndCancelAlone2) {
  CreatePlayer();
  Connect();
  const std::pair<const char*, std::string> runs[] = {
      {"lock internal", "Media protected. Remove the protection to download to the Media."},
      {"unplug", "Media not found."},  // the connection is closed: nothing left to show
      {nullptr, ""}};
  for (const auto& run : runs) {
    const char* making = run.first;  // named, not bound: clang 14 cannot capture a structured binding
    const std::string& box = run.second;
    MediaPropertiesDialog dialog(*connection_);
    std::string shownAfter;
    DialogUser user;
    user.act = [&](CDialogBase&) {
      if (making) {
        ASSERT_EQ(Player(making).exitCode, 0);
        Press(dialog, IDOK);
      }
      shownAfter = Shown(dialog);
      Press(dialog, IDCANCEL);
    };
    CAnswererScope scope(user);
    EXPECT_EQ(dialog.Run(nullptr), making ? IDOK : IDCANCEL);
    EXPECT_EQ(user.Texts(), making ? std::vector<std::string>{box} : std::vector<std::string>{});
    EXPECT_EQ(shownAfter, making && *making == 'l' ? "Internal Memory 4MB|3584KB||ok" : "<Not Available>|||no ok");
  }
}

}  // namespace
}  // namespace tools_ui_testing
