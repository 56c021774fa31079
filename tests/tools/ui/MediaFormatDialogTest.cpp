#include "resources/ResourceIds.h"
#include "tests/tools/ui/ToolsUiTesting.h"
#include "tools/ui/MediaFormatDialog.h"

namespace tools_ui_testing {
namespace {

const std::string AskFormat = "Formatting will delete all files. \nWould you like to start formatting?";
const std::string Reserved(128, '\x5A');

// A Shift or Alt key as the keyboard sends it: told by its scan code.
void SendKey(QWidget* target, QEvent::Type type, quint32 scanCode) {
  QKeyEvent key(type, scanCode == 50 || scanCode == 62 ? Qt::Key_Shift : Qt::Key_Alt, Qt::NoModifier, scanCode, 0, 0);
  QApplication::sendEvent(target, &key);
}

class FormatTest : public WindowTest {
 protected:
  // A player whose selected medium holds a file and a reserved block.
  void MakePlayer(const std::string& options, uint8_t medium) {
    CreatePlayer(options);
    settings_.selectedMedium = medium;
    medium_ = medium == 1 ? "card" : "internal";
    WriteFile(player_ + "/" + medium_ + ".reserved", Reserved);
    PutOnImage("/keep.txt", "kept", medium_);
    Connect();
  }
  // Formats as the user does, holding the keys (scan codes) as Format is
  // pressed; `everyPass` looks on at each pass while it returns true.
  LRESULT Format(bool quick, const std::vector<quint32>& keys = {},
                 const std::function<bool(MediaFormatDialog&)>& everyPass = {}) {
    MediaFormatDialog dialog(*connection_);
    user_.act = [&](CDialogBase&) {
      dialog.SetCheck(ControlId::QuickFormat, quick);
      QWidget* window = dialog.Widget();  // still there once the dialog has ended
      for (quint32 key : keys) SendKey(window, QEvent::KeyPress, key);
      Press(dialog, IDOK);
      for (quint32 key : keys) SendKey(window, QEvent::KeyRelease, key);
    };
    PassWatch watch([&] { return everyPass && everyPass(dialog); });
    CAnswererScope scope(user_);
    return dialog.Run(nullptr);
  }
  bool KeptFileIsThere() { return Mtools("mdir", "-b ::/keep.txt", medium_).exitCode == 0; }

  std::string medium_;
  DialogUser user_;
};

TEST_F(FormatTest, AFullFormatShowsEachPercentageOnceAndStopsAtTheCloseBoxButCancelCannotStopAQuickOne) {
  MakePlayer("--internal 4M --card 32M", 1);
  // The close box at 10% stops a full format: no message, the status cleared.
  std::string status;
  EXPECT_EQ(Format(false, {},
                   [&](MediaFormatDialog& dialog) {
                     const bool stopped = status == "Full Format 10%";
                     status = ItemString(dialog, ControlId::StatusLine);
                     if (status == "Full Format 10%") dialog.Widget()->close();
                     return !stopped;  // one look after the stop, then the user leaves
                   }),
            IDCANCEL);
  EXPECT_EQ(status, "");
  ExpectClean("card");  // an empty volume

  Connect();
  std::vector<std::string> shown;
  EXPECT_EQ(Format(false, {},
                   [&](MediaFormatDialog& dialog) {
                     status = ItemString(dialog, ControlId::StatusLine);
                     if (status.empty() || (!shown.empty() && shown.back() == status)) return true;
                     shown.push_back(status);
                     if (status == "Full Format 50%") SaveScreenshot(dialog, "format-full-50");
                     return true;
                   }),
            IDOK);
  std::vector<std::string> expected;
  for (int percentage = 0; percentage <= 100; ++percentage)
    expected.push_back("Full Format " + std::to_string(percentage) + "%");
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(ReadFile(player_ + "/card.reserved"), Reserved);
  EXPECT_FALSE(connection_->IsOpen());

  PutOnImage("/keep.txt", "kept", medium_);
  Connect();
  // A Cancel pressed during a quick format waits in the queue until the
  // completion box runs the loop.
  user_.onBox = [&](const std::string& text) {
    if (text == "Format completed.") Press(*user_.dialog, IDCANCEL);
  };
  EXPECT_EQ(Format(true), IDOK);
  EXPECT_FALSE(KeptFileIsThere());
  EXPECT_EQ(user_.Texts(),
            (std::vector<std::string>{AskFormat, AskFormat, "Format completed.", AskFormat, "Format completed."}));
  ExpectClean("card");
}

TEST_F(FormatTest, RightShiftWithRightAltResetTheReservedBlockAndOneOfThemAloneKeepsIt) {
  MakePlayer("--internal 4M", 0);
  const std::pair<std::vector<quint32>, std::string> cases[] = {
      {{62, 108}, std::string(128, '\xFF')}, {{62}, Reserved}, {{108}, Reserved}, {{50, 108}, Reserved}};
  for (const auto& [keys, block] : cases) {
    WriteFile(player_ + "/internal.reserved", Reserved);
    Connect();
    EXPECT_EQ(Format(true, keys), IDOK);
    EXPECT_EQ(ReadFile(player_ + "/internal.reserved"), block) << keys.size() << " keys, first " << keys[0];
  }
  ExpectClean();
}

TEST_F(FormatTest, WithoutAMediumFormatIsDisabledUntilRefreshFindsOne) {
  CreatePlayer("--internal 4M --card 64000000");
  ASSERT_EQ(Player("eject").exitCode, 0);
  settings_.selectedMedium = 1;
  MediaFormatDialog dialog(*connection_);
  std::vector<std::string> seen;
  const auto look = [&] {
    seen.push_back(ItemString(dialog, ControlId::FormatMedium) + "|" + ItemString(dialog, ControlId::FormatCapacity) +
                   (dialog.Item(IDOK)->Widget()->isEnabled() ? "|enabled" : "|disabled"));
  };
  user_.act = [&](CDialogBase&) {
    look();
    ASSERT_EQ(Player("insert").exitCode, 0);
    Press(dialog, ControlId::RefreshMedium);
    look();
    Press(dialog, IDCANCEL);
  };
  CAnswererScope scope(user_);
  EXPECT_EQ(dialog.Run(nullptr), IDCANCEL);
  EXPECT_EQ(seen, (std::vector<std::string>{"<Not Available>||disabled", "SD Memory Card 64MB|62500KB|enabled"}));
  EXPECT_FALSE(connection_->IsOpen());
}

}  // namespace
}  // namespace tools_ui_testing
