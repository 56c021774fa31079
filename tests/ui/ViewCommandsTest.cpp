// The commands on the player view's rows, driven through the main window by
// keys, clicks and drops over real players, and read back with tunewarden-cli
// and mtools.
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <tuple>

#include "audio/ui/TrackPropertiesDialog.h"
#include "framework/core/Helpers.h"
#include "platform/Files.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "tests/tools/ui/ToolsUiTesting.h"

namespace ui_testing {
namespace {

using namespace tools_ui_testing;

using namespace CommandId;
using Texts = std::vector<std::string>;
using Rows = std::vector<int>;
using Commands = std::vector<uint32_t>;

// Plays the user of the context menu (choosing `choose`) and the file and
// folder choosers, and of the dialogs and boxes as DialogUser does.
struct ViewUser : DialogUser {
  uint32_t AnswerPopupMenu(CMenu& popup) override {
    menus.emplace_back();
    for (uint32_t id : {CommandId::CreateFolder, Download, Upload, Delete, Properties, Refresh})
      if (popup.IsItemEnabled(id)) menus.back().push_back(id);
    return std::exchange(choose, 0);
  }
  bool AnswerFiles(CNativeWindow*, const CText& filter, std::vector<CText>* paths) override {
    filters.emplace_back(filter.Chars());
    *paths = files;
    return !files.empty();
  }
  bool AnswerFolder(CNativeWindow*, const CText& title, const CText&, CText* folder) override {
    filters.emplace_back(title.Chars());
    *folder = uploadFolder;
    return true;
  }
  void AnswerOpenInShell(const CText& path) override { opened.emplace_back(path.Chars()); }
  uint32_t choose = 0;
  std::vector<Commands> menus;  // the enabled items of each menu shown
  std::vector<CText> files;
  CText uploadFolder;
  std::vector<std::string> filters;  // and the folder chooser's titles
  std::vector<std::string> opened;   // in the desktop's file manager
};

class ViewCommandsTest : public FrameTest {
 protected:
  void TearDown() override {
    FrameTest::TearDown();
    platform::SetCurrentDirectory(folder_.View());  // the file chooser moves it
  }
  void Open() {
    OpenFrame();
    Reload();
  }
  PlayerView& View() { return frame_->View(); }
  QWidget* List() { return View().Widget(); }
  QWidget* Area() { return View().Handle()->Client(); }
  QPoint At(int row) {
    const CXYRect rect = View().ItemRect(row);
    return row < 0 ? QPoint(5, Area()->height() - 5) : QPoint(rect.left + 30, rect.top + rect.height / 2);
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(List(), static_cast<Qt::Key>(key), modifiers);
    PumpMessages(2);
  }
  // Row -1 is empty space below the rows.
  void Click(int row, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(Area(), button, modifiers, At(row));
    PumpMessages(2);
  }
  void Menu(uint32_t command, int row = -1) {
    user_.choose = command;
    Click(row, {}, Qt::RightButton);
  }
  // Types into the label editor and ends with the key.
  void TypeLabel(const char* text, Qt::Key end) {
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, end);
    PumpMessages(2);
  }
  Texts Names() {
    Texts names;
    for (int row = 0; row < View().ItemCount(); ++row) names.push_back(View().ItemText(row, 0).Chars());
    return names;
  }
  Rows Selected() {
    Rows rows;
    for (int row = 0; row < View().ItemCount(); ++row)
      if (View().IsSelected(row)) rows.push_back(row);
    return rows;
  }
  std::string Mdir(const std::string& folder) { return Mtools("mdir -b", "::" + folder).output; }

  CText folder_ = CurrentDirectory();
  ViewUser user_;
  CAnswererScope userScope_{user_};
};

TEST_F(ViewCommandsTest, F2RenamesTracksByTitleAndUserFilesByNameButNeverTheUserRow) {
  CreatePlayer();
  PutTracks({"One", "Two"});
  PutUserFile("<USER>", "notes.txt", 10);
  PutUserFile("<USER>", "zz.txt", 10);
  Open();
  Click(1);
  Key(Qt::Key_F2);
  TypeLabel("Second Song", Qt::Key_Return);
  Click(2);
  Key(Qt::Key_F2);
  TypeLabel("Elsewhere", Qt::Key_Return);
  EXPECT_EQ(Names(), (Texts{"One", "Second Song", "<USER>"}));
  EXPECT_NE(RunShell(CLI_COMMAND " ls").output.find("Second Song\t"), std::string::npos);

  // Into "<USER>" by a double click (press, release, press, double click,
  // release): nothing of the new rows, one now under the pointer, is selected.
  QTest::mouseClick(Area(), Qt::LeftButton, {}, At(2));
  QTest::mousePress(Area(), Qt::LeftButton, {}, At(2));
  QTest::mouseDClick(Area(), Qt::LeftButton, {}, At(2));
  QTest::mouseRelease(Area(), Qt::LeftButton, {}, At(2));
  ASSERT_EQ(Names(), (Texts{"..", "notes.txt", "zz.txt"}));
  EXPECT_EQ(Selected(), Rows{});
  Click(1);
  Key(Qt::Key_F2);
  TypeLabel("renamed.txt", Qt::Key_Return);
  EXPECT_EQ(Names(), (Texts{"..", "renamed.txt", "zz.txt"}));
  EXPECT_EQ(Mdir("/USER"), "::/USER/renamed.txt\n::/USER/zz.txt\n");
  EXPECT_TRUE(user_.boxes.empty());
  ExpectClean();
}

TEST_F(ViewCommandsTest, CreateFolderTakesTheFirstFreeNumberAndDelLeavesTheUpRow) {
  CreatePlayer();
  Cli("mkdir '<USER>' FOLDER01");
  Cli("mkdir '<USER>' FOLDER03");
  for (const char* name : {"a.txt", "b.txt"}) PutUserFile("<USER>", name, 10);
  Open();
  Click(0);
  Key(Qt::Key_Return);
  Click(3);
  Menu(CommandId::CreateFolder);  // on empty space: nothing selected
  EXPECT_EQ(user_.menus, (std::vector<Commands>{{CommandId::CreateFolder, Download, Refresh}}));
  EXPECT_EQ(Selected(), Rows{5});
  TypeLabel("", Qt::Key_Escape);
  EXPECT_EQ(Names().back(), "FOLDER02");
  EXPECT_NE(Mdir("/USER").find("::/USER/FOLDER02/\n"), std::string::npos);

  std::string asked;
  user_.act = [&](CDialogBase& question) {
    asked = ItemString(question, ControlId::FileName);
    Press(question, IDYES);
  };
  Click(0);
  Click(3, Qt::ControlModifier);
  Click(4, Qt::ControlModifier);
  Key(Qt::Key_Delete);
  EXPECT_EQ(asked, "Are you sure you want to delete these 2 files?");
  EXPECT_EQ(Names(), (Texts{"..", "FOLDER01", "FOLDER02", "FOLDER03"}));

  std::string folders;
  for (int n = 4; n <= 99; ++n) folders += " ::/USER/FOLDER" + std::to_string(n / 10) + std::to_string(n % 10);
  ASSERT_EQ(Mtools("mmd", folders).exitCode, 0);
  Key(Qt::Key_F5);
  const std::string before = Mdir("/USER");
  Menu(CommandId::CreateFolder);
  EXPECT_EQ(user_.Texts(), Texts{"Unknown error!!"});
  EXPECT_EQ(Mdir("/USER"), before);
  ExpectClean();
}

TEST_F(ViewCommandsTest, MovesSaveThePlayOrderAndTheContextMenuFollowsTheMainMenu) {
  CreatePlayer();
  PutTracks({"A", "B", "C", "D"});
  Open();
  Click(1);
  Click(2, Qt::ControlModifier);
  Key(Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(Selected(), (Rows{0, 1}));
  Key(Qt::Key_Up, Qt::AltModifier);  // a block at the top stays
  Click(3);
  Key(Qt::Key_Down, Qt::AltModifier);  // never past "<USER>"
  EXPECT_EQ(Names(), (Texts{"B", "C", "A", "D", "<USER>"}));
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "4\nTRACK002.MP3\nTRACK003.MP3\nTRACK001.MP3\nTRACK004.MP3\n");
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(View().SelectedCount(), 5);
  // The selection shows only while the list has the focus.
  auto colour = [&] { return Area()->grab().toImage().pixelColor(View().ColumnWidth(0) + 3, At(0).y()); };
  frame_->Bar().MediaList().SetFocus();
  EXPECT_EQ(colour(), List()->palette().color(QPalette::Base));
  View().SetFocus();
  EXPECT_LE(std::abs(colour().blue() - QApplication::palette().color(QPalette::Highlight).blue()), 2);

  // A right click selects the row under the pointer alone; the keys open the
  // menu below the focused row.
  Click(1, {}, Qt::RightButton);
  EXPECT_EQ(Selected(), Rows{1});
  Key(Qt::Key_F10, Qt::ShiftModifier);
  Key(Qt::Key_Menu);
  const Commands track{Download, Upload, Delete, Properties, Refresh};
  EXPECT_EQ(user_.menus, (std::vector<Commands>{track, track, track}));
  ExpectClean();
}

TEST_F(ViewCommandsTest, DroppedFilesAndFoldersAreDownloadedOnlyWhileTheFileSystemIsOpen) {
  CreatePlayer();
  PutUserFile("<USER>", "kept.txt", 10);
  const std::string pc = temp_ + "/pc";
  std::filesystem::create_directories(pc + "/album");
  for (const std::string& file : {pc + "/a.txt", pc + "/b.txt", pc + "/album/c.txt"}) WriteFile(file, "bytes");
  Open();
  Click(0);
  Key(Qt::Key_Return);
  QMimeData text;
  text.setText("not a file");
  QMimeData files;
  for (const char* name : {"/a.txt", "/b.txt", "/album"})
    files.setUrls(files.urls() << QUrl::fromLocalFile((pc + name).c_str()));
  auto drop = [&](QMimeData& mime) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Area(), &enter);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(Area(), &event);
    PumpMessages(2);
    return enter.isAccepted();
  };
  EXPECT_FALSE(drop(text));
  ASSERT_TRUE(drop(files));
  EXPECT_EQ(Names(), (Texts{"..", "album", "a.txt", "b.txt", "kept.txt"}));
  EXPECT_EQ(Mdir("/USER/album"), "::/USER/album/c.txt\n");
  ExpectClean();

  ASSERT_EQ(Player("unplug").exitCode, 0);
  Key(Qt::Key_F5);
  user_.boxes.clear();
  WriteFile(pc + "/a.txt", "changed");
  drop(files);
  EXPECT_TRUE(user_.boxes.empty());
  EXPECT_EQ(ReadFromImage("/USER/a.txt"), "bytes");
}

TEST_F(ViewCommandsTest, DownloadAndUploadRememberTheirFoldersAndUploadShowsTheDestination) {
  CreatePlayer("--internal 8M");
  const std::string pc = temp_ + "/pc";
  std::filesystem::create_directories(pc + "/up");
  for (const char* title : {"First", "Second"}) MakeMp3(pc + "/" + title + ".mp3", 1, title);
  Open();
  user_.files = {CText((pc + "/First.mp3").c_str()), CText((pc + "/Second.mp3").c_str())};
  Menu(Download);
  EXPECT_EQ(Names(), (Texts{"First", "Second", "<USER>"}));
  EXPECT_EQ(std::string(settings_.downloadFolder.Chars()), pc + "/");

  // Also after an upload stopped in the replacement question the folder opens.
  user_.uploadFolder = CText((pc + "/up/").c_str());
  user_.act = [](CDialogBase& question) { Press(question, IDCANCEL); };
  Menu(Upload, 0);
  EXPECT_TRUE(std::filesystem::exists(pc + "/up/TRACK001.MP3"));
  EXPECT_EQ(std::string(settings_.uploadFolder.Chars()), pc + "/up/");
  Menu(Upload, 0);
  EXPECT_EQ(user_.opened, (Texts{pc + "/up/", pc + "/up/"}));

  user_.files.clear();  // a USER folder offers every file
  Click(2);
  Key(Qt::Key_Return);
  Menu(Download);
  EXPECT_EQ(user_.filters, (Texts{LoadStringText(StringId::MusicFileFilter).Chars(), "Select a upload directory",
                                  "Select a upload directory", "All Files\n*.*\n"}));
  ExpectClean();
}

TEST_F(ViewCommandsTest, AltEnterEditsTheTagsAndAFailureKeepsTheDialogOpen) {
  CreatePlayer();
  PutTracks({"Song"});
  Open();
  Click(0);
  Texts shown;
  user_.act = [&](CDialogBase& dialog) {
    using namespace ControlId;
    for (uint32_t id : {TrackTitle, TrackArtist, TrackFormat, TrackFrequency, TrackBitRate, TrackPlayTime})
      shown.push_back(ItemString(dialog, id));
    dialog.SetItemText(TrackTitle, CText("Renamed"));
    Press(dialog, IDOK);
  };
  Key(Qt::Key_Return, Qt::AltModifier);
  EXPECT_EQ(shown, (Texts{"Song", "Tester", "MPEG-1 Layer3", "44100 Hz", "64 Kbps", "00:00:01"}));
  EXPECT_EQ(Names(), (Texts{"Renamed", "<USER>"}));
  EXPECT_EQ(Selected(), Rows{0});
  EXPECT_NE(RunShell(CLI_COMMAND " ls").output.find("Renamed\t"), std::string::npos);

  // Without a title and an artist there is no name to draw: the message, and
  // the dialog waits on (until the answerer gives up) with the entry as it was.
  PlayerEntry entry = *View().EntryOf(0);
  user_.act = [](CDialogBase& dialog) {
    dialog.SetItemText(ControlId::TrackTitle, CText());
    dialog.SetItemText(ControlId::TrackArtist, CText());
    Press(dialog, IDOK);
  };
  EXPECT_EQ(ShowTrackProperties(View().Handle(), *connection_, entry), IDCANCEL);
  EXPECT_EQ(user_.Texts(), Texts{"Unknown error!!"});
  EXPECT_STREQ(entry.trackInfo->title.Chars(), "Renamed");
  ExpectClean();
}

TEST_F(ViewCommandsTest, TrackFiguresAndTheLimitOfWhatTheUserTypes) {
  for (uint32_t version : {1, 2, 3, 0}) {
    PlayerEntry entry;
    entry.trackInfo = std::make_unique<TrackInfo>();
    TrackInfo& info = *entry.trackInfo;
    std::tie(info.version, info.layer, info.bitRate, info.sampleRate, info.duration) =
        std::tuple(version, 3, 127999, 22050, 3725);
    info.title = std::string(70, 'T').c_str();  // from a tag: shown whole
    Texts shown;
    user_.act = [&](CDialogBase& dialog) {
      using namespace ControlId;
      QTest::keyClicks(dialog.Item(TrackArtist)->Widget(), QString(70, 'a'));
      for (uint32_t id : {TrackFormat, TrackFrequency, TrackBitRate, TrackPlayTime, TrackTitle, TrackArtist})
        shown.push_back(ItemString(dialog, id));
    };
    EXPECT_EQ(ShowTrackProperties(nullptr, *connection_, entry), IDCANCEL);
    const char* formats[] = {"UNKNOWN", "MPEG-1 Layer3", "MPEG-2 LSF Layer3", "MPEG-2.5 Layer3"};
    const Texts figures = version ? Texts{formats[version], "22050 Hz", "127 Kbps", "01:02:05"} : Texts(4, "UNKNOWN");
    EXPECT_EQ(shown,
              (Texts{figures[0], figures[1], figures[2], figures[3], std::string(70, 'T'), std::string(64, 'a')}));
  }
  user_.dialog = nullptr;
  PlayerEntry file;
  EXPECT_EQ(ShowTrackProperties(nullptr, *connection_, file), IDCANCEL);
  EXPECT_EQ(user_.dialog, nullptr) << "no dialog for an entry without TrackInfo";
}

}  // namespace
}  // namespace ui_testing
