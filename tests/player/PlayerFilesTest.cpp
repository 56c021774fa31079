// Walking the player's folders and changing files in the USER tree, over
// the real plug-ins.
#include <cstring>

#include "tests/player/PlayerTesting.h"

namespace {

using namespace player_testing;

class PlayerFilesTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    CreatePlayer();
    Connect();
  }

  PlayerEntry Entry(const char* name) {
    PlayerEntry entry;
    EXPECT_TRUE(connection_->FindEntry(name, &entry)) << name;
    return entry;
  }
};

uint32_t Stop(TransferRequest*) { return 0; }

TEST_F(PlayerFilesTest, AnEmptyTrackListListsOnlyUser) {
  EXPECT_EQ(List(), std::vector<std::string>{"<USER>"});
  PlayerEntry entry;
  connection_->BeginListing();
  ASSERT_TRUE(connection_->NextEntry(entry));
  EXPECT_TRUE(entry.IsFolder());
  EXPECT_STREQ(entry.shortName, "<USER>");
  EXPECT_FALSE(connection_->NextEntry(entry));
  EXPECT_FALSE(connection_->NextEntry(entry));
  connection_->EndListing();
}

TEST_F(PlayerFilesTest, ChangeFolderInBothModes) {
  EXPECT_EQ(Mtools("mdir -b", "::/USER").exitCode, 1) << "no USER folder yet";
  // In the track list only "<USER>" leads anywhere.
  connection_->ChangeFolder("..");
  connection_->ChangeFolder("USER");
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\MUSIC");

  connection_->ChangeFolder("<USER>");  // made on the way
  EXPECT_EQ(connection_->folderMode, PlayerConnection::UserTreeMode);
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\USER");
  connection_->CreateFolder("Albums");
  connection_->ChangeFolder("Albums");
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\USER\\Albums");
  EXPECT_EQ(List(), (std::vector<std::string>{".", ".."}));

  connection_->ChangeFolder("..");
  connection_->ChangeFolder("..");  // the root is never shown: back to the tracks
  EXPECT_EQ(connection_->folderMode, PlayerConnection::TrackListMode);
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\MUSIC");

  // A drive-like prefix is dropped, and a whole path is taken from the root.
  connection_->ChangeFolder("<USER>");
  connection_->ChangeFolder("C:\\USER\\Albums");
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\USER\\Albums");
  EXPECT_EQ(MediaErrorOf([&] { connection_->ChangeFolder("Missing"); }), 101);
  EXPECT_EQ(connection_->GetCurrentFolder(), "\\USER\\Albums");
  EXPECT_EQ(connection_->Flags(), 0x07);
}

TEST_F(PlayerFilesTest, FoldersAreMadeAndRemovedAndTheNothingToDoCasesAreSilent) {
  connection_->ChangeFolder("<USER>");
  connection_->CreateFolder("A");
  connection_->CreateFolder("A");  // exists already
  connection_->RemoveFolder("B");  // was never there
  EXPECT_EQ(Mtools("mdir -b", "::/USER").output, "::/USER/A/\n");
  connection_->RemoveFolder("A");
  EXPECT_EQ(Mtools("mdir -b", "::/USER").output, "");
  EXPECT_EQ(connection_->Flags(), 0x07);
}

TEST_F(PlayerFilesTest, FilesAreWrittenFoundRenamedReadAndDeleted) {
  connection_->ChangeFolder("<USER>");
  const std::string bytes(70000, 'x');
  ASSERT_TRUE(Write("notes.txt", bytes));
  EXPECT_EQ(ReadFromImage("/USER/notes.txt"), bytes);
  EXPECT_TRUE(connection_->FindEntry("NOTES.TXT", nullptr));
  EXPECT_FALSE(connection_->FindEntry("other.txt", nullptr));

  PlayerEntry entry = Entry("notes.txt");
  EXPECT_EQ(entry.size, 70000u);
  EXPECT_STREQ(entry.shortName, "NOTES.TXT");
  EXPECT_FALSE(entry.IsFolder());
  connection_->RenameEntry(entry, "Read me.txt");
  EXPECT_STREQ(entry.longName.Chars(), "Read me.txt");
  EXPECT_EQ(List(), (std::vector<std::string>{".", "..", "Read me.txt"}));

  std::string back(80000, '\0');
  MemoryCursor cursor{reinterpret_cast<uint8_t*>(back.data()), static_cast<uint32_t>(back.size())};
  TransferRequest request{};
  request.name = "Read me.txt";
  request.context = &cursor;
  request.data = CopyIntoMemory;
  ASSERT_TRUE(connection_->ReadEntry(request));
  EXPECT_EQ(request.total, 70000u);
  EXPECT_EQ(back.substr(0, 70000), bytes);

  connection_->DeleteEntry(entry);
  EXPECT_EQ(List(), (std::vector<std::string>{".", ".."}));
  ExpectClean();
}

TEST_F(PlayerFilesTest, FailuresAreTheProgramsOwnErrorsAndAStopIsNone) {
  connection_->ChangeFolder("<USER>");
  ASSERT_TRUE(Write("a.txt", "a"));
  ASSERT_TRUE(Write("b.txt", "b"));
  PlayerEntry entry = Entry("a.txt");
  EXPECT_EQ(SystemErrorOf([&] { connection_->RenameEntry(entry, "b.txt"); }), 80) << "onto an existing name";
  EXPECT_STREQ(entry.longName.Chars(), "a.txt");
  EXPECT_THROW(connection_->RenameEntry(entry, "a?.txt"), CException);
  EXPECT_EQ(MediaErrorOf([&] { connection_->RemoveFolder("a.txt"); }), 202);  // not a folder

  EXPECT_FALSE(Write("stopped.txt", std::string(100000, 's'), Stop));
  EXPECT_FALSE(connection_->FindEntry("stopped.txt", nullptr));

  TransferRequest request{};
  request.name = "a.txt";
  request.data = CopyIntoMemory;
  MemoryCursor none{nullptr, 0};  // room for nothing: the callback stops the read
  request.context = &none;
  EXPECT_FALSE(connection_->ReadEntry(request));
  request.name = "missing.txt";
  EXPECT_EQ(MediaErrorOf([&] { connection_->ReadEntry(request); }), 101);
}

TEST_F(PlayerFilesTest, AFullMediumStopsAWriteWithMemoryFull) {
  connection_->ChangeFolder("<USER>");
  EXPECT_EQ(MediaErrorOf([&] { Write("big.bin", std::string(5 << 20, 'b')); }), 154);
  EXPECT_FALSE(connection_->FindEntry("big.bin", nullptr));
  ExpectClean();
}

}  // namespace
