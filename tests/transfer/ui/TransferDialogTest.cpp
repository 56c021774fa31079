// Downloads and uploads through the transfer window, as the view's commands
// start them.
#include <sys/stat.h>

#include <QDir>
#include <QProgressBar>

#include "tests/transfer/ui/TransferUiTesting.h"

namespace transfer_ui_testing {
namespace {

constexpr uint32_t MiB = 1 << 20;

// A track list filled from nested folders creates no folder, a short run never
// shows its window, an invalid file stops the next run with the tracks before
// it kept, and tracks go back to the PC as their audio files.
TEST_F(TransferTest, DownloadIntoTheTrackListAndTracksBack) {
  std::filesystem::create_directories(pc_ + "/album/disc 2/bonus");
  MakeMp3(pc_ + "/album/one.mp3", 1, "One");
  MakeMp3(pc_ + "/album/disc 2/two.mp3", 1, "Two");
  MakeMp3(pc_ + "/album/disc 2/bonus/three.mp3", 1, "Three");
  WriteFile(pc_ + "/notes.txt", std::string(3000, 'n'));
  ShownWindows shown;
  EXPECT_EQ(Download({CText((pc_ + "/album").c_str())}), 1);
  EXPECT_EQ(shown.titles.count("File Transfer"), 0u);
  EXPECT_EQ(Mtools("mdir -b", "::/MUSIC").output,
            "::/MUSIC/TRACK001.MP3\n::/MUSIC/TRACK001.INF\n::/MUSIC/TRACK002.MP3\n::/MUSIC/TRACK002.INF\n"
            "::/MUSIC/TRACK003.MP3\n::/MUSIC/TRACK003.INF\n::/MUSIC/PLAYLIST.DAT\n");

  settings_.skipDuplicates = false;  // the same file again makes another track
  EXPECT_EQ(Download({"album/one.mp3", "notes.txt", "album/one.mp3"}), 2);
  ASSERT_EQ(user_.boxes.size(), 1u);
  EXPECT_EQ(user_.boxes[0].text, "This file format is not valid.");
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "4\nTRACK001.MP3\nTRACK002.MP3\nTRACK003.MP3\nTRACK004.MP3\n");
  ExpectClean();

  std::filesystem::create_directory(pc_ + "/back");
  ASSERT_TRUE(platform::SetCurrentDirectory(pc_ + "/back"));
  EXPECT_EQ(Upload(connection_->ListFolder()), 1) << "with the <USER> row, which is passed over";
  std::set<std::string> names;
  for (const auto& file : std::filesystem::directory_iterator(pc_ + "/back")) names.insert(file.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"TRACK001.MP3", "TRACK002.MP3", "TRACK003.MP3", "TRACK004.MP3"}));
  EXPECT_EQ(ReadFile(pc_ + "/back/TRACK002.MP3"), ReadFromImage("/MUSIC/TRACK002.MP3"));
}

// In a USER folder: a PC folder is recreated or reused, and the replacement
// question is answered No, Yes to All (holding into later folders of the
// run), and in the next run Cancel by Escape and by the close box.
TEST_F(TransferTest, DownloadIntoAUserFolderAsksBeforeReplacing) {
  connection_->ChangeFolder("<USER>");
  std::filesystem::create_directories(pc_ + "/m");
  std::filesystem::create_directories(pc_ + "/z/deep");
  for (const char* name : {"a.txt", "m/b.txt", "z/deep/c.txt"}) WriteFile(pc_ + "/" + name, std::string(300, 'o'));
  ASSERT_EQ(Download({"a.txt", "m", "z"}), 1);
  for (const char* name : {"a.txt", "m/b.txt", "z/deep/c.txt"}) WriteFile(pc_ + "/" + name, std::string(1536, 'n'));

  user_.answers = {IDNO, ControlId::YesToAll};
  user_.onQuestion = [](CDialogBase& question) {
    ASSERT_TRUE(QDir().mkpath(SCREENSHOT_FOLDER));
    EXPECT_TRUE(question.Widget()->grab().save(SCREENSHOT_FOLDER "/replace-question.png"));
  };
  EXPECT_EQ(Download({"a.txt", "m", "z"}), 1);
  ASSERT_EQ(user_.questions.size(), 2u) << "Yes to All holds into later folders";
  EXPECT_EQ(user_.questions[0].title, "Confirm a file replacement");
  EXPECT_EQ(user_.questions[0].message, "This folder already contains a file called 'a.txt'.");
  EXPECT_EQ(user_.questions[0].existing.substr(0, 13), "Size 1KB\nDate");
  EXPECT_EQ(user_.questions[0].replacement.substr(0, 13), "Size 1KB\nDate");
  EXPECT_EQ(ReadFromImage("/USER/a.txt"), std::string(300, 'o'));
  EXPECT_EQ(ReadFromImage("/USER/z/deep/c.txt"), std::string(1536, 'n'));

  for (int cancel : {QuestionUser::Escape, QuestionUser::CloseBox}) {
    user_.answers = {cancel};
    EXPECT_EQ(Download({"a.txt", "m"}), 2) << "a new run asks again";
  }
  EXPECT_EQ(user_.questions.size(), 4u);
  EXPECT_TRUE(user_.boxes.empty()) << "Cancel is no error";
  EXPECT_EQ(ReadFromImage("/USER/a.txt"), std::string(300, 'o'));
  ExpectFoldersKept(pc_, "\\USER");
  ExpectClean();
}

// What a download passes over is told in one box at the end, ten lines at
// most; the run itself ends normally.
TEST_F(TransferTest, WhatIsNotSentIsToldInOneBox) {
  connection_->ChangeFolder("<USER>");
  std::filesystem::create_directories(pc_ + "/pipes");
  for (int i = 0; i < 12; ++i) ASSERT_EQ(mkfifo((pc_ + "/pipes/p" + std::to_string(i)).c_str(), 0600), 0);
  WriteFile(pc_ + "/pipes/kept.txt", "kept");
  EXPECT_EQ(Download({"pipes"}), 1);
  ASSERT_EQ(user_.boxes.size(), 1u);
  const std::string& text = user_.boxes[0].text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
  EXPECT_EQ(text.substr(0, 8), "'pipes/p") << text;
  EXPECT_EQ(text.substr(text.size() - 15), "... and 2 more.") << text;
  EXPECT_EQ(ReadFromImage("/USER/pipes/kept.txt"), "kept");
  ExpectClean();
}

// Cancel during the third of five files leaves two whole files and nothing
// of the others; a second run into the same folder asks before replacing,
// makes the empty folder, and an error deep in the tree leaves both current
// folders as they were.
TEST_F(TransferTest, UploadStopsBetweenFilesAndReplacesOnlyWhenAllowed) {
  Cli("mkdir '<USER>' docs");
  Cli("mkdir '\\USER\\docs' empty");
  const std::vector<std::string> names = {"a.bin", "b.bin", "c.bin", "d.bin", "e.bin"};
  for (size_t i = 0; i < names.size(); ++i) PutOnImage("/USER/docs/" + names[i], std::string(MiB, char('a' + i)));
  Reconnect();
  connection_->ChangeFolder("<USER>");
  connection_->ChangeFolder("docs");

  step_ = 600;
  onTick_ = [this] {
    QWidget* window = Window("File Transfer");
    if (!window) return;
    const int shownKB = window->findChild<QProgressBar*>()->value();
    const std::string file = NativeWindowOf(window)->Object()->ItemText(ControlId::FileName).Chars();
    if (file == "b.bin" && shownKB == 256) {
      // Grabbed after this reading's update: 512KB of 1024KB.
      QMetaObject::invokeMethod(
          window, [window] { window->grab().save(SCREENSHOT_FOLDER "/transfer-window.png"); }, Qt::QueuedConnection);
    }
    if (file == "c.bin" && shownKB == 0) ClickLater(window, "Cancel");
  };
  ShownWindows shown;
  EXPECT_EQ(Upload(Entries(names)), 1) << "a stop is a normal end";
  EXPECT_EQ(shown.titles.count("File Transfer"), 1u);
  EXPECT_EQ(ReadFile(pc_ + "/a.bin"), std::string(MiB, 'a'));
  EXPECT_EQ(ReadFile(pc_ + "/b.bin"), std::string(MiB, 'b'));
  for (const char* gone : {"c.bin", "d.bin", "e.bin"}) EXPECT_FALSE(std::filesystem::exists(pc_ + "/" + gone));

  onTick_ = nullptr;
  connection_->ChangeFolder("..");
  std::filesystem::create_directory(pc_ + "/docs");
  WriteFile(pc_ + "/docs/a.bin", "mine");
  WriteFile(pc_ + "/docs/b.bin", "mine");
  WriteFile(pc_ + "/docs/c.bin", "mine");
  user_.answers = {IDNO, ControlId::YesToAll};
  EXPECT_EQ(Upload(Entries({"docs"})), 1);
  EXPECT_EQ(user_.questions.size(), 2u);
  EXPECT_EQ(ReadFile(pc_ + "/docs/a.bin"), "mine") << "No keeps the PC file byte for byte";
  for (size_t i = 1; i < names.size(); ++i) EXPECT_EQ(ReadFile(pc_ + "/docs/" + names[i]), std::string(MiB, 'a' + i));
  EXPECT_TRUE(std::filesystem::is_directory(pc_ + "/docs/empty"));

  Cli("mkdir '\\USER\\docs\\empty' deeper");
  PutOnImage("/USER/docs/empty/deeper/f.txt", "f");
  Reconnect();
  connection_->ChangeFolder("<USER>");
  std::filesystem::create_directories(pc_ + "/out/docs/empty");
  WriteFile(pc_ + "/out/docs/empty/deeper", "a file where the folder goes");
  ASSERT_TRUE(platform::SetCurrentDirectory(pc_ + "/out"));
  EXPECT_EQ(Upload(Entries({"docs"})), 2);
  EXPECT_EQ(user_.boxes.size(), 1u);
  ExpectFoldersKept(pc_ + "/out", "\\USER");
}

// A new user's tree with Japanese and Korean names, empty folders and an
// empty file goes to <USER> and comes back the same.
TEST_F(TransferTest, ATreeMakesTheRoundTripUnchanged) {
  for (const char* folder : {"tree/音楽/한국어 노래", "tree/empty", "tree/sub/deeper/also empty"})
    std::filesystem::create_directories(pc_ + "/" + folder);
  WriteFile(pc_ + "/tree/音楽/한국어 노래/가사.txt", "노래");
  WriteFile(pc_ + "/tree/日本語の名前.txt", std::string(70000, 'j'));
  WriteFile(pc_ + "/tree/zero.bin", "");
  connection_->ChangeFolder("<USER>");
  ASSERT_EQ(Download({"tree"}), 1);
  std::filesystem::create_directory(pc_ + "/back");
  ASSERT_TRUE(platform::SetCurrentDirectory(pc_ + "/back"));
  ASSERT_EQ(Upload(Entries({"tree"})), 1);
  const Outcome compared = RunShell("diff -r '" + pc_ + "/tree' '" + pc_ + "/back/tree'");
  EXPECT_EQ(compared.exitCode, 0) << compared.output;
  EXPECT_TRUE(user_.boxes.empty());
  ExpectClean();
}

}  // namespace
}  // namespace transfer_ui_testing
