#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QStyleOptionComboBox>
#include <QThread>
#include <QTreeWidget>
#include <functional>

#include "framework/core/Helpers.h"
#include "player/DisplayText.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "tests/tools/ui/ToolsUiTesting.h"
#include "tests/ui/UiTesting.h"

namespace ui_testing {
namespace {

using namespace CommandId;
using namespace tools_ui_testing;

class MainFrameTest : public FrameTest {
 protected:
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
  const int listWidth = frame_->Bar().MediaList().WindowSize().width;
  EXPECT_GE(listWidth, 120);  // wider for a name that would be cut
  EXPECT_EQ(frame_->Bar().MediaList().Count(), 2);
  EXPECT_EQ(frame_->Bar().ToolBar().PositionInParent().x, 6 + listWidth + 2);
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
  QIcon::setThemeName(QString());  // no desktop's theme: an installed one stands in
  icons_.Create();
  EXPECT_GT(indexOf("photo.jpg"), IconCache::MediumImage);
  QIcon::setThemeName(themeName);
}

// The design's widths are the least: the medium list, the columns and the
// status parts widen for what would be cut at the default font.
TEST_F(MainFrameTest, NoTextIsCutInAnyLanguage) {
  CreatePlayer("--internal 4M --card 4000M");
  PutTracks({"One"});
  PutUserFile("<USER>", "new.txt", 1);
  const std::string old = temp_ + "/old.txt";
  WriteFile(old, "x");  // the widest date: two-digit fields, after noon
  ASSERT_EQ(RunShell("touch -d '2025-12-28 22:58' '" + old + "'").exitCode, 0);
  ASSERT_EQ(Mtools("mcopy -m", "'" + old + "' ::/USER/old.txt").exitCode, 0);
  for (const char* language : {"en", "ja", "ko", "zh"}) {
    InLanguage scope(language);
    settings_.SetDefaults();
    OpenFrame();
    Reload();
    frame_->View().EnterFolder("<USER>");
    auto* list = static_cast<QTreeWidget*>(frame_->View().Widget());
    for (int column = 1; column < 3; ++column)  // what Qt's own cells need, by their texts
      EXPECT_LE(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column), list->columnWidth(column))
          << language;
    auto* media = static_cast<QComboBox*>(frame_->Bar().MediaList().Widget());
    QStyleOptionComboBox box;
    box.initFrom(media);
    const int room =
        media->style()->subControlRect(QStyle::CC_ComboBox, &box, QStyle::SC_ComboBoxEditField, media).width();
    for (int item = 0; item < media->count(); ++item)
      EXPECT_LE(media->fontMetrics().horizontalAdvance(media->itemText(item)), room) << language;
    frame_->View().GoBack(true);  // the card has no USER folder to come back to
    frame_->Send(WM_COMMAND, MemoryCard);
    PumpMessages(2);
    ASSERT_EQ(StatusTexts()[2], "SD Memory Card 4194MB");  // free space near 4 GB
    for (QLabel* part : frame_->StatusBar().Widget()->findChildren<QLabel*>())
      EXPECT_LE(part->fontMetrics().horizontalAdvance(part->text()), part->contentsRect().width()) << language;
    CloseFrame();
  }
}

}  // namespace
}  // namespace ui_testing
