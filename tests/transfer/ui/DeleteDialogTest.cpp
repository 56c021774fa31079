// The deletion question and the deletion window, as the Delete command
// starts them.
#include <QProgressBar>

#include "tests/transfer/ui/TransferUiTesting.h"

namespace transfer_ui_testing {
namespace {

// Tracks are named by their titles; ".." and "<USER>" are never asked about
// nor deleted; the play order is written once, at the end of the run.
TEST_F(TransferTest, TheDeletionQuestionAndTracksDeleted) {
  PutTracks({"Morning Light", "City Rain", "Long Way Home"});
  Reconnect();
  const std::vector<PlayerEntry> rows = connection_->ListFolder();
  ASSERT_EQ(rows.size(), 4u);
  std::vector<PlayerEntry> kept;
  user_.answers = {IDNO};
  EXPECT_FALSE(AskDeletion(nullptr, {rows[0], rows[3]}, &kept));
  EXPECT_FALSE(AskDeletion(nullptr, {rows[3]}, &kept));
  ASSERT_EQ(user_.questions.size(), 1u) << "nothing asked about <USER> alone";
  EXPECT_EQ(user_.questions[0].title, "Confirm File Deletion");
  EXPECT_EQ(user_.questions[0].message, "Are you sure you want to delete 'Morning Light'?");

  bool writtenDuringTheRun = false;
  ShownWindows shown;
  shown.onShow = [&](QWidget* window) {
    QObject::connect(window->findChild<QProgressBar*>(), &QProgressBar::valueChanged, [&] {
      writtenDuringTheRun |= (connection_->Flags() & PlayerConnection::FlagPlaylistChanged) == 0;
    });
  };
  EXPECT_EQ(DeleteSelection(nullptr, *connection_, {rows[0], rows[2], rows[3]}), 1);
  EXPECT_EQ(user_.questions.back().message, "Are you sure you want to delete these 2 files?");
  EXPECT_EQ(shown.titles.count("File Delete"), 1u);
  EXPECT_FALSE(writtenDuringTheRun);
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "1\nTRACK002.MP3\n");
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC/TRACK*").output, "::/MUSIC/TRACK002.MP3\n::/MUSIC/TRACK002.INF\n");
  ExpectClean();
}

// The close box, like Cancel, stops the deletion of a folder at the next entry; a second run
// takes the rest with a nested tree, and both current folders stay.
TEST_F(TransferTest, DeletionStopsAtTheNextEntryOrTakesWholeTrees) {
  Cli("mkdir '<USER>' many");
  Cli("mkdir '<USER>' top");
  Cli("mkdir '\\USER\\top' sub");
  for (int i = 1; i <= 6; ++i) PutOnImage("/USER/many/f" + std::to_string(i), "x");
  PutOnImage("/USER/top/sub/g.txt", "g");
  Reconnect();
  connection_->ChangeFolder("<USER>");
  ShownWindows shown;
  shown.onShow = [](QWidget* window) {
    QObject::connect(window->findChild<QProgressBar*>(), &QProgressBar::valueChanged, [window](int done) {
      if (done == 3) QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    });
  };
  EXPECT_EQ(DeleteDialog(*connection_).RunDelete(nullptr, Entries({"many"})), 2);
  EXPECT_EQ(Mtools("mdir -b", "::/USER/many").output, "::/USER/many/f4\n::/USER/many/f5\n::/USER/many/f6\n");

  shown.onShow = nullptr;
  EXPECT_EQ(DeleteDialog(*connection_).RunDelete(nullptr, Entries({"many", "top"})), 1);
  EXPECT_EQ(Mtools("mdir -b", "::/USER").output, "");
  EXPECT_TRUE(user_.boxes.empty());
  ExpectFoldersKept(pc_, "\\USER");
  ExpectClean();
}

}  // namespace
}  // namespace transfer_ui_testing
