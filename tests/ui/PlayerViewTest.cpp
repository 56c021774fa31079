#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "framework/core/Helpers.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "tests/ui/UiTesting.h"
#include "ui/PlayerView.h"

namespace ui_testing {
namespace {

// Stands in for the frame: reflects the view's notifications and counts its
// state reports.
class ViewParent : public CWindowBase {
 public:
  bool OnMessage(MessageRecord& record) override {
    if (record.message != UM_UPDATESTATE) return false;
    ++updates;
    return true;
  }
  int updates = 0;
};

PlayerEntry Entry(const char* name, uint32_t attributes, uint32_t size, int year) {
  PlayerEntry entry;
  entry.longName = name;
  entry.attributes = attributes;
  entry.size = size;
  entry.stamp = CFileStamp(year, 5, 1, 12, 0, 0);
  return entry;
}

class PlayerViewTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_.CreateChild(nullptr, WS_VISIBLE, 0, 0, WindowClass(), 0, 0, 520, 300);
    view_ = std::make_unique<PlayerView>(settings_, *connection_, icons_);
    view_->Create(parent_.Handle());
    view_->Move(0, 0, 520, 300);
  }
  void TearDown() override {
    DestroyWindow(parent_.Handle());
    view_.reset();
    WindowTest::TearDown();
  }

  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    texts.reserve(view_->ItemCount());
    for (int row = 0; row < view_->ItemCount(); ++row) texts.push_back(view_->ItemText(row, column).Chars());
    return texts;
  }
  int UpdatesAfterPumping() {
    parent_.updates = 0;
    PumpMessages(2);
    return parent_.updates;
  }
  std::string Folder() { return connection_->GetCurrentFolder().Chars(); }

  ViewParent parent_;
  std::unique_ptr<PlayerView> view_;
};

using Names = std::vector<std::string>;

TEST_F(PlayerViewTest, SortOrdersKeepTheUpRowAndFoldersFirst) {
  EXPECT_EQ(view_->AddEntryRow(Entry(".", PlayerEntry::FolderAttribute, 0, 2001)), -1);
  for (const PlayerEntry& entry :
       {Entry("zeta.mp3", 0, 10, 2020), Entry("Music", PlayerEntry::FolderAttribute, 0, 2023),
        Entry("alpha.txt", 0, 9, 2024), Entry("..", PlayerEntry::FolderAttribute, 0, 2000),
        Entry("noext", 0, 5000, 2022), Entry("Books", PlayerEntry::FolderAttribute, 0, 2019)})
    view_->AddEntryRow(entry);

  view_->SortBy(CommandId::SortName);
  EXPECT_EQ(Column(0), (Names{"..", "Books", "Music", "alpha.txt", "noext", "zeta.mp3"}));
  view_->SortBy(CommandId::SortSize);
  EXPECT_EQ(Column(0), (Names{"..", "Books", "Music", "alpha.txt", "zeta.mp3", "noext"}));
  view_->SortBy(CommandId::SortDate);
  EXPECT_EQ(Column(0), (Names{"..", "Music", "Books", "alpha.txt", "noext", "zeta.mp3"}));
  view_->SortBy(CommandId::SortExtension);
  EXPECT_EQ(Column(0), (Names{"..", "Music", "Books", "noext", "zeta.mp3", "alpha.txt"}));
  EXPECT_EQ(view_->SortCommand(), CommandId::SortExtension);
  // A header click sorts a USER folder by that column's key, and never
  // reorders the track list.
  QHeaderView* header = static_cast<QTreeView*>(view_->Widget())->header();
  auto clickHeader = [&](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 5, 5));
  };
  connection_->folderMode = PlayerConnection::TrackListMode;
  clickHeader(1);
  EXPECT_EQ(Column(0)[5], "alpha.txt");
  connection_->folderMode = PlayerConnection::UserTreeMode;
  clickHeader(1);
  EXPECT_EQ(view_->SortCommand(), CommandId::SortSize);
  EXPECT_EQ(Column(0)[5], "noext");
  // The header marks that column, whatever Qt's own click handling would do.
  clickHeader(1);
  EXPECT_EQ(header->sortIndicatorSection(), 1);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(PlayerViewTest, TrackListShowsTitlesInPlayOrderThenTheUserRow) {
  CreatePlayer();
  PutTracks({"Second Song", "First Song"});
  view_->Reload(false);
  EXPECT_EQ(Column(0), (Names{"Second Song", "First Song", "<USER>"}));
  EXPECT_EQ(Column(1)[2], "<DIR>");
  EXPECT_EQ(view_->ItemImage(0), IconCache::TrackImage);
  EXPECT_EQ(view_->ItemImage(2), IconCache::FolderImage);
  EXPECT_EQ(view_->SortCommand(), CommandId::SortNone);
  // Enter opens the selected folder row, Backspace goes back.
  view_->SelectItem(2);
  view_->Send(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::UserTreeMode);
  view_->Send(WM_KEYDOWN, VK_BACK);
  EXPECT_EQ(Column(0).back(), "<USER>");
  EXPECT_TRUE(recorder_.boxes.empty());
}

TEST_F(PlayerViewTest, UserFolderListsUpRowFoldersThenFilesSortedAndReportsOnceAfterAFill) {
  CreatePlayer();
  Cli("mkdir '<USER>' Zoo");
  Cli("mkdir '<USER>' Attic");
  PutUserFile("<USER>", "big.txt", 5000);
  PutUserFile("<USER>", "empty.dat", 0);
  PutUserFile("<USER>", "alpha.bin", 1025);
  view_->Reload(false);
  PumpMessages(2);
  view_->EnterFolder("<USER>");
  EXPECT_EQ(connection_->folderMode, PlayerConnection::UserTreeMode);
  EXPECT_EQ(Column(0), (Names{"..", "Attic", "Zoo", "alpha.bin", "big.txt", "empty.dat"}));
  EXPECT_EQ(Column(1), (Names{"<DIR>", "<DIR>", "<DIR>", "1KB", "4KB", "0KB"}));
  EXPECT_EQ(Column(2)[1], "");
  EXPECT_EQ(view_->SortCommand(), CommandId::SortName);
  EXPECT_EQ(UpdatesAfterPumping(), 1);

  // "Sort by None" fills again and ends sorted by name.
  view_->Send(WM_COMMAND, CommandId::SortSize);
  EXPECT_EQ(Column(0)[3], "empty.dat");
  view_->Send(WM_COMMAND, CommandId::SortNone);
  EXPECT_EQ(view_->SortCommand(), CommandId::SortName);
  EXPECT_EQ(Column(0)[3], "alpha.bin");
  EXPECT_EQ(UpdatesAfterPumping(), 1);

  // A selection made by the user is reported.
  view_->SelectItem(4);
  EXPECT_GE(UpdatesAfterPumping(), 1);

  // The ".." label is never edited; other labels are.
  view_->StartLabelEdit(0);
  EXPECT_EQ(view_->Widget()->findChild<QLineEdit*>(), nullptr);
  view_->StartLabelEdit(1);
  EXPECT_NE(view_->Widget()->findChild<QLineEdit*>(), nullptr);
}

TEST_F(PlayerViewTest, HistoryGoesBackWithUpAndForwardToTheStoredPath) {
  CreatePlayer();
  Cli("mkdir '<USER>' A");
  Cli("mkdir '<USER>' C");
  view_->Reload(false);
  EXPECT_FALSE(view_->GoBack(false));
  view_->EnterFolder("<USER>");
  const std::string user = Folder();
  view_->EnterFolder("A");
  const std::string a = Folder();
  ASSERT_EQ(view_->History().size(), 3u);
  EXPECT_EQ(view_->HistoryPosition(), 2);
  EXPECT_EQ(std::string(view_->History()[1].Chars()), user);
  EXPECT_TRUE(view_->GoBack(false));
  EXPECT_FALSE(view_->GoForward(false));

  EXPECT_TRUE(view_->GoBack(true));
  EXPECT_EQ(view_->HistoryPosition(), 1);
  EXPECT_EQ(Folder(), user);
  EXPECT_TRUE(view_->GoForward(true));
  EXPECT_EQ(Folder(), a);
  EXPECT_EQ(Column(0), (Names{".."}));

  // Entering another folder from the middle replaces what lay ahead.
  view_->GoBack(true);
  view_->EnterFolder("C");
  ASSERT_EQ(view_->History().size(), 3u);
  EXPECT_NE(std::string(view_->History()[2].Chars()), a);
  EXPECT_EQ(std::string(view_->History()[2].Chars()), Folder());
  EXPECT_FALSE(view_->GoForward(false));

  // A reload comes back to the USER folder that was shown, history kept.
  view_->Send(WM_COMMAND, CommandId::Refresh);
  EXPECT_EQ(Folder(), std::string(view_->History()[2].Chars()));
  EXPECT_EQ(view_->HistoryPosition(), 2);
  // Up from the top of the USER tree is the track list again.
  view_->GoBack(true);
  view_->GoBack(true);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  EXPECT_EQ(Column(0).back(), "<USER>");
  EXPECT_TRUE(recorder_.boxes.empty());
}

TEST_F(PlayerViewTest, ReloadWithoutAPlayerLeavesAnEmptyListAndReportsOnlyWhenAsked) {
  CreatePlayer();
  Cli("mkdir '<USER>' A");
  view_->Reload(false);
  view_->EnterFolder("<USER>");
  ASSERT_EQ(Player("unplug").exitCode, 0);

  view_->Reload(false);
  EXPECT_EQ(view_->ItemCount(), 0);
  EXPECT_TRUE(recorder_.boxes.empty());
  EXPECT_EQ(view_->History().size(), 1u);
  EXPECT_EQ(view_->HistoryPosition(), 0);
  EXPECT_FALSE(connection_->IsOpen());

  view_->Reload(true);
  EXPECT_EQ(view_->ItemCount(), 0);
  ASSERT_EQ(recorder_.boxes.size(), 1u);
  EXPECT_EQ(recorder_.boxes[0].caption, "Tunewarden");
  EXPECT_EQ(recorder_.boxes[0].text, LoadStringText(StringId::MediaNotFound).Chars());
  EXPECT_EQ(recorder_.boxes[0].flags, MB_ICONEXCLAMATION);
}

TEST_F(PlayerViewTest, FailedEnterShowsTheMessageAndReconnectsSilently) {
  CreatePlayer();
  view_->Reload(false);
  view_->EnterFolder("<USER>");
  view_->EnterFolder("Missing");
  ASSERT_EQ(recorder_.boxes.size(), 1u);
  EXPECT_EQ(view_->HistoryPosition(), 0);
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  EXPECT_EQ(Column(0), (Names{"<USER>"}));
}

}  // namespace
}  // namespace ui_testing
