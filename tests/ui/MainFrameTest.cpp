#include <QImage>
#include <QThread>
#include <functional>

#include "framework/core/Helpers.h"
#include "player/DisplayText.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "tests/tools/ui/ToolsUiTesting.h"
#include "tests/ui/UiTesting.h"
#include "ui/MainFrame.h"

namespace ui_testing {
namespace {

using namespace CommandId;
using namespace tools_ui_testing;

class MainFrameTest : public WindowTest {
 protected:
  void TearDown() override {
    CloseFrame();
    WindowTest::TearDown();
  }

  MainFrame& OpenFrame() {
    frame_ = new MainFrame(settings_, *connection_, icons_);
    frame_->Create();
    frame_->Show(SW_SHOW);
    return *frame_;
  }
  void CloseFrame() {
    if (frame_) DestroyWindow(frame_->Handle());
    frame_ = nullptr;
    PumpMessages(1);
  }
  void Reload() {
    frame_->Send(UM_RELOAD, 0, 0);
    PumpMessages(2);  // the view's state report reaches the frame
  }
  void Select(int row) {
    frame_->View().SelectItem(row);
    PumpMessages(2);
  }

  // The enabled commands among the given ones, after the menu is set as it is
  // before it opens.
  std::vector<uint32_t> EnabledItems(std::initializer_list<uint32_t> commands) {
    CMenu* menu = frame_->Menu();
    frame_->Send(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
    std::vector<uint32_t> enabled;
    for (uint32_t command : commands)
      if (menu->IsItemEnabled(command)) enabled.push_back(command);
    return enabled;
  }
  std::vector<uint32_t> EnabledButtons() {
    std::vector<uint32_t> enabled;
    for (uint32_t command : {Properties, Delete, MoveUp, MoveDown, Refresh, MediaFormat})
      if (frame_->Bar().ToolBar().IsButtonEnabled(command)) enabled.push_back(command);
    return enabled;
  }
  // The window sized so that its client area is as given; the frame hears WM_SIZE.
  void ResizeClient(int width, int height) {
    QWidget* window = frame_->Widget();
    window->resize(width, height + window->height() - frame_->ClientSize().height);
    PumpMessages(2);
    ASSERT_EQ(frame_->ClientSize().width, width);
    ASSERT_EQ(frame_->ClientSize().height, height);
  }
  std::vector<std::string> StatusTexts() {
    std::vector<std::string> texts;
    texts.reserve(3);
    for (int part = 0; part < 3; ++part) texts.push_back(frame_->StatusBar().PartText(part).Chars());
    return texts;
  }

  MainFrame* frame_ = nullptr;
};

using Commands = std::vector<uint32_t>;
using Texts = std::vector<std::string>;
const std::initializer_list<uint32_t> FileItems = {
    Download, CommandId::CreateFolder, Upload, Properties, Delete, Rename, MoveUp, MoveDown};

TEST_F(MainFrameTest, MenuAndToolBarFollowTheFolderModeTheLockAndTheSelection) {
  OpenFrame();
  Reload();  // no player yet
  EXPECT_EQ(EnabledItems(FileItems), Commands{});
  EXPECT_EQ(EnabledItems({Refresh, SelectAll, Exit, About, MediaFormat, FirmwareUpgrade, MediaProperties}),
            (Commands{Refresh, SelectAll, Exit, About, MediaFormat, FirmwareUpgrade}));
  EXPECT_EQ(EnabledButtons(), (Commands{Refresh, MediaFormat}));
  EXPECT_TRUE(recorder_.boxes.empty());

  CreatePlayer();
  PutTracks({"One", "Two"});
  PutUserFile("<USER>", "notes.txt", 100);
  Reload();
  // The track list.
  EXPECT_EQ(EnabledItems(FileItems), Commands{Download});
  EXPECT_EQ(EnabledItems({SortNone, SortName, SortSize, SortDate, SortExtension}), Commands{});
  EXPECT_TRUE(frame_->Menu()->IsItemChecked(SortNone));
  EXPECT_EQ(EnabledButtons(), (Commands{Refresh, MediaFormat}));
  Select(0);
  EXPECT_EQ(EnabledItems(FileItems), (Commands{Download, Upload, Properties, Delete, Rename, MoveUp, MoveDown}));
  EXPECT_EQ(EnabledButtons(), (Commands{Properties, Delete, MoveUp, MoveDown, Refresh, MediaFormat}));

  // A USER folder.
  frame_->View().EnterFolder("<USER>");
  PumpMessages(2);
  EXPECT_EQ(EnabledItems(FileItems), (Commands{Download, CommandId::CreateFolder}));
  EXPECT_EQ(EnabledItems({SortNone, SortName, SortSize, SortDate, SortExtension}),
            (Commands{SortName, SortSize, SortDate, SortExtension}));
  EXPECT_TRUE(frame_->Menu()->IsItemChecked(SortName));
  EXPECT_FALSE(frame_->Menu()->IsItemChecked(SortNone));
  EXPECT_EQ(EnabledButtons(), (Commands{Refresh, MediaFormat}));
  Select(1);
  EXPECT_EQ(EnabledItems(FileItems), (Commands{Download, CommandId::CreateFolder, Upload, Delete, Rename}));
  EXPECT_EQ(EnabledButtons(), (Commands{Delete, Refresh, MediaFormat}));

  // Locked: the USER folder stays shown after the reload.
  ASSERT_EQ(Player("lock internal").exitCode, 0);
  Reload();
  ASSERT_TRUE(connection_->IsLocked());
  ASSERT_EQ(connection_->folderMode, PlayerConnection::UserTreeMode);
  Select(1);
  EXPECT_EQ(EnabledItems(FileItems), Commands{Upload});
  EXPECT_EQ(EnabledButtons(), (Commands{Refresh, MediaFormat}));
  frame_->View().GoBack(true);
  PumpMessages(2);
  Select(0);
  EXPECT_EQ(EnabledItems(FileItems), (Commands{Upload, Properties}));
  EXPECT_EQ(EnabledButtons(), (Commands{Properties, Refresh, MediaFormat}));
  EXPECT_EQ(StatusTexts()[1], "LOCKED");
}

TEST_F(MainFrameTest, LayoutOfA600By400ClientArea) {
  // Position and size of a child window in its parent.
  auto place = [](const CWindowBase& window) {
    return QRect(window.PositionInParent().x, window.PositionInParent().y, window.WindowSize().width,
                 window.WindowSize().height);
  };
  settings_.mediaCount = 1;
  OpenFrame();
  ResizeClient(600, 400);
  const int statusHeight = frame_->StatusBar().WindowSize().height;
  ASSERT_GT(statusHeight, 0);
  EXPECT_EQ(place(frame_->Bar()), QRect(0, 0, 600, 32));
  EXPECT_EQ(place(frame_->View()), QRect(0, 32, 600, 400 - 32 - statusHeight));
  EXPECT_EQ(frame_->StatusBar().PositionInParent().y, 400 - statusHeight);
  // One medium: no media list, the tool bar from the left edge.
  EXPECT_EQ(frame_->Bar().MediaList().Handle(), nullptr);
  EXPECT_EQ(frame_->Bar().ToolBar().PositionInParent().x, 0);
  EXPECT_EQ(frame_->Bar().ToolBar().ButtonCount(), 6);
  frame_->Send(WM_COMMAND, MemoryCard);  // ignored by the bar
  EXPECT_EQ(settings_.selectedMedium, 0);
  CloseFrame();

  settings_.mediaCount = 2;
  OpenFrame();
  ResizeClient(600, 400);
  EXPECT_EQ(frame_->Bar().MediaList().PositionInParent().x, 6);
  EXPECT_EQ(frame_->Bar().MediaList().WindowSize().width, 120);
  EXPECT_EQ(frame_->Bar().MediaList().Count(), 2);
  EXPECT_EQ(frame_->Bar().ToolBar().PositionInParent().x, 128);
  EXPECT_EQ(frame_->Text(), CText("Tunewarden"));
}

TEST_F(MainFrameTest, StatusTextsFollowConnectionSelectionAndMedium) {
  OpenFrame();
  Reload();
  EXPECT_EQ(StatusTexts(), (Texts{"", "", "Not Available"}));

  CreatePlayer("--internal 4M --card 32M");
  PutTracks({"One", "Two"});
  Reload();
  const std::string free = std::string("Free space: ") + FormatSizeText(connection_->GetFreeBytes()).Chars();
  EXPECT_EQ(StatusTexts(), (Texts{"3 object(s)", free, "Internal Memory 4MB"}));
  EXPECT_NE(free, "Free space: 0KB");
  Select(0);
  Select(1);
  EXPECT_EQ(StatusTexts()[0], "2 object(s) selected");

  // The card from the View menu: the bar selects it and the view reloads.
  frame_->Send(WM_COMMAND, MemoryCard);
  PumpMessages(2);
  EXPECT_EQ(settings_.selectedMedium, 1);
  EXPECT_EQ(frame_->Bar().MediaList().CurrentSelection(), 1);
  EXPECT_EQ(StatusTexts(), (Texts{"1 object(s)", StatusTexts()[1], "SD Memory Card 33MB"}));
  frame_->Send(WM_INITMENU, reinterpret_cast<WPARAM>(frame_->Menu()));
  EXPECT_TRUE(frame_->Menu()->IsItemChecked(MemoryCard));
  EXPECT_FALSE(frame_->Menu()->IsItemChecked(InternalMemory));
  EXPECT_TRUE(recorder_.boxes.empty());
}

TEST_F(MainFrameTest, CommandsReachTheViewAndADeviceChangeProbesQuietly) {
  CreatePlayer();
  Cli("mkdir '<USER>' A");
  PutUserFile("<USER>", "b.txt", 10);
  OpenFrame();
  Reload();
  frame_->View().EnterFolder("<USER>");
  frame_->Send(WM_COMMAND, SortSize);
  EXPECT_EQ(frame_->View().SortCommand(), SortSize);
  frame_->Send(WM_COMMAND, Prev);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  frame_->Send(WM_COMMAND, Next);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::UserTreeMode);

  ASSERT_EQ(Player("unplug").exitCode, 0);
  frame_->Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
  PumpMessages(2);
  EXPECT_FALSE(connection_->IsFileSystemOpen());
  EXPECT_TRUE(recorder_.boxes.empty());
  frame_->Send(UM_UPDATESTATE);
  EXPECT_EQ(StatusTexts()[2], "Not Available");
  // Refresh reports what went wrong.
  frame_->Send(WM_COMMAND, Refresh);
  EXPECT_EQ(recorder_.boxes.size(), 1u);
  frame_->Send(WM_COMMAND, About);
  EXPECT_EQ(recorder_.dialogs, std::vector<std::string>{"About Tunewarden"});
}

// A device change reloads the view at the track list, so the folder mode
// and the folder agree; while a dialog runs it waits for the dialog's end.
// The simulated player's switches are seen live, as a reader's would be.
TEST_F(MainFrameTest, ADeviceChangeReloadsAtTheTrackListOnceNoDialogRuns) {
  CreatePlayer();
  OpenFrame();
  Reload();
  frame_->View().EnterFolder("<USER>");
  DialogUser user;
  CAnswererScope scope(user);
  user.act = [&](CDialogBase& about) {
    frame_->Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    PumpMessages(2);
    EXPECT_EQ(connection_->folderMode, PlayerConnection::UserTreeMode);
    Press(about, IDOK);
  };
  frame_->Send(WM_COMMAND, About);
  PumpMessages(2);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  EXPECT_EQ(std::string(connection_->GetCurrentFolder().Chars()), "\\MUSIC");
  EXPECT_EQ(frame_->View().ItemCount(), 1) << "the <USER> row";

  const auto pumpUntil = [](const std::function<bool()>& done) {
    for (int i = 0; i < 100 && !done(); ++i) {
      PumpMessages(1);
      QThread::msleep(50);
    }
    return done();
  };
  ASSERT_EQ(Player("unplug").exitCode, 0);
  EXPECT_TRUE(pumpUntil([&] { return !connection_->IsFileSystemOpen(); }));
  EXPECT_EQ(frame_->View().ItemCount(), 0);
  ASSERT_EQ(Player("plug").exitCode, 0);
  EXPECT_TRUE(pumpUntil([&] { return connection_->IsFileSystemOpen(); }));
  EXPECT_TRUE(user.boxes.empty());
}

TEST_F(MainFrameTest, MediaToolsRunTheirDialogsAndReloadTheViewAsEachAsks) {
  CreatePlayer();
  OpenFrame();
  Reload();
  DialogUser user;
  CAnswererScope scope(user);
  const auto pressing = [&](int button) { user.act = [button](CDialogBase& dialog) { Press(dialog, button); }; };
  // Tracks put from outside show only when the view reloads.
  PutTracks({"One"});
  pressing(IDCANCEL);
  frame_->Send(WM_COMMAND, MediaProperties);
  EXPECT_EQ(frame_->View().ItemCount(), 1);
  frame_->Send(WM_COMMAND, MediaFormat);
  EXPECT_EQ(frame_->View().ItemCount(), 2);
  EXPECT_TRUE(connection_->IsFileSystemOpen());
  PutTracks({"Two"});
  pressing(IDOK);
  frame_->Send(WM_COMMAND, MediaProperties);
  EXPECT_EQ(frame_->View().ItemCount(), 3);
  EXPECT_TRUE(user.boxes.empty());
  // The file dialog, then the upgrade from the file chosen: none lies here.
  frame_->Send(WM_COMMAND, FirmwareUpgrade);
  EXPECT_EQ(user.Texts(), Texts{SystemMessage(2).Chars()});
}

TEST_F(MainFrameTest, FileTypesTakeTheirIconFromTheThemeCachedByExtensionText) {
  TempFolder themes;
  const std::string theme = themes.File("TestTheme");
  std::filesystem::create_directories(theme + "/16x16/mimetypes");
  WriteFile(theme + "/index.theme",
            "[Icon Theme]\nName=TestTheme\nDirectories=16x16/mimetypes\n\n"
            "[16x16/mimetypes]\nSize=16\nContext=MimeTypes\nType=Fixed\n");
  QImage picture(16, 16, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(theme + "/16x16/mimetypes/audio-mpeg.png")));
  const QStringList searchPaths = QIcon::themeSearchPaths();
  const QString themeName = QIcon::themeName();
  QIcon::setThemeSearchPaths({QString::fromStdString(themes.Path())});
  QIcon::setThemeName("TestTheme");

  auto indexOf = [&](const char* name, uint32_t attributes = 0) {
    PlayerEntry entry;
    entry.longName = name;
    entry.attributes = attributes;
    return icons_.IconIndexFor(entry);
  };
  const int upper = indexOf("a.MP3");
  const int lower = indexOf("b.mp3");
  EXPECT_GT(upper, IconCache::MediumImage);
  EXPECT_NE(upper, lower);  // different extension texts, two look-ups
  EXPECT_EQ(indexOf("c.mp3"), lower);
  EXPECT_EQ(icons_.SmallImages()->Count(), icons_.LargeImages()->Count());
  EXPECT_EQ(icons_.SmallImages()->Icon(lower).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
  EXPECT_EQ(indexOf("notes.txt"), IconCache::FileImage);  // the theme has no text icon
  EXPECT_EQ(indexOf("data.nosuchtype"), IconCache::FileImage);
  EXPECT_EQ(indexOf("README"), IconCache::FileImage);
  EXPECT_EQ(indexOf("folder.mp3", PlayerEntry::FolderAttribute), IconCache::FolderImage);

  QIcon::setThemeSearchPaths(searchPaths);
  QIcon::setThemeName(themeName);
}

}  // namespace
}  // namespace ui_testing
