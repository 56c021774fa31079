#include <gtest/gtest.h>

#include <QKeySequence>
#include <QLabel>
#include <QStringList>
#include <QToolBar>
#include <set>

#include "framework/core/Helpers.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/Frame.h"
#include "framework/ui/Prompts.h"
#include "framework/ui/QtText.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "tests/resources/UiResourcesTesting.h"
#include "tunewarden/Version.h"

namespace {

constexpr const char* LanguageTags[] = {"en", "ja", "ko", "zh"};

void CollectCommands(const std::vector<MenuItem>& items, std::vector<const MenuItem*>* commands) {
  for (const MenuItem& item : items)
    if (!item.items.empty()) {
      CollectCommands(item.items, commands);
    } else if (item.id != 0) {
      commands->push_back(&item);
    }
}

std::vector<const MenuItem*> MenuCommands(uint32_t menu) {
  std::vector<const MenuItem*> commands;
  CollectCommands(LoadMenuDescription(menu), &commands);
  return commands;
}

// A frame of resource 101 that writes down the commands reaching it.
class CommandFrame : public CFrameBase {
 public:
  std::vector<uint32_t> commands;
  bool OnMessage(MessageRecord& record) override {
    if (record.message != WM_COMMAND) return false;
    commands.push_back(LowWord(record.wParam));
    return true;
  }
};

// Presses a key as a menu names it after the tab ("Ctrl+A", "Alt+Down", "F5").
void PressKeys(QWidget* target, const QString& keys) {
  const QKeyCombination combination = QKeySequence(keys)[0];
  // The main keyboard's Return, not the keypad's Enter.
  PressKey(target, combination.key() == Qt::Key_Enter ? Qt::Key_Return : combination.key(),
           combination.keyboardModifiers());
}

bool HasOpaquePixel(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) == 255) return true;
  return false;
}

TEST(UiResourcesTest, MenusKeysToolBarAndToolTipsAreCompleteInEveryLanguage) {
  for (const char* tag : LanguageTags) {
    SCOPED_TRACE(tag);
    InLanguage language(tag);
    std::unique_ptr<CMenu> main = CMenu::Load(ResourceId::MainFrame);
    ASSERT_EQ(main->PopupCount(), 5);
    for (int popup = 0; popup < main->PopupCount(); ++popup) {
      QMenu* menu = main->Popup(popup)->QtMenu();
      EXPECT_FALSE(menu->title().isEmpty());
      for (QAction* action : menu->actions()) EXPECT_TRUE(action->isSeparator() || !action->text().isEmpty());
    }
    std::unique_ptr<CMenu> context = CMenu::Load(ResourceId::ContextMenu);
    ASSERT_EQ(context->PopupCount(), 1);
    std::set<uint32_t> commands;
    for (const MenuItem* item : MenuCommands(ResourceId::ContextMenu)) {
      EXPECT_TRUE(context->Popup(0)->HasItem(item->id));
      // The context menu offers only what the main menu offers too.
      EXPECT_TRUE(main->HasItem(item->id)) << item->id;
      commands.insert(item->id);
    }

    // Every key a menu item names reaches the frame as that item's command.
    CommandFrame frame;
    frame.Create(ResourceId::MainFrame, WindowClass());
    int named = 0;
    for (const MenuItem* item : MenuCommands(ResourceId::MainFrame)) {
      EXPECT_TRUE(main->IsItemEnabled(item->id));
      commands.insert(item->id);
      const QString text = ToQt(item->text);
      const qsizetype tab = text.indexOf('\t');
      // Del is turned into Delete by the player view, not by the table.
      if (tab < 0 || text.mid(tab + 1) == "Del") continue;
      ++named;
      frame.commands.clear();
      PressKeys(frame.Widget(), text.mid(tab + 1));
      EXPECT_EQ(frame.commands, std::vector<uint32_t>{item->id}) << text.toStdString();
    }
    EXPECT_EQ(named, 5);
    frame.commands.clear();
    PressKeys(frame.Widget(), "Ctrl+D");
    PressKeys(frame.Widget(), "Alt+Enter");
    EXPECT_EQ(frame.commands, (std::vector<uint32_t>{CommandId::Delete, CommandId::Properties}));

    CToolStrip bar;
    bar.Create(frame.Handle(), WS_CHILD | WS_VISIBLE, 59392);
    bar.Load(ResourceId::MainFrame);
    ASSERT_EQ(bar.ButtonCount(), 6);
    for (QAction* button : static_cast<QToolBar*>(bar.Widget())->actions())
      EXPECT_TRUE(button->isSeparator() || !button->toolTip().isEmpty()) << button->data().toUInt();
    for (uint16_t command : LoadToolBarDescription(ResourceId::MainFrame).commands)
      if (command != 0) commands.insert(command);
    for (uint32_t command : commands) {
      const CText text = LoadStringText(command);
      const int lineFeed = text.Find('\n');
      EXPECT_TRUE(lineFeed >= 0 && lineFeed + 1 < text.Length()) << "tool tip of command " << command;
    }
    frame.Close(0);
  }
  InLanguage japanese("ja");
  EXPECT_EQ(CMenu::Load(ResourceId::MainFrame)->Popup(0)->QtMenu()->title(), QString::fromUtf8("ファイル(&F)"));
}

TEST(UiResourcesTest, ButtonImagesOfSixteenColoursAndIconsOfBothSizesHavePictures) {
  const ToolBarDescription& description = LoadToolBarDescription(ResourceId::MainFrame);
  const QImage& bitmap = LoadBitmap(ResourceId::MainFrame);
  ASSERT_EQ(bitmap.width(), 6 * description.buttonWidth);
  ASSERT_EQ(bitmap.height(), description.buttonHeight);
  for (int button = 0; button < 6; ++button)
    EXPECT_TRUE(HasOpaquePixel(
        bitmap.copy(button * description.buttonWidth, 0, description.buttonWidth, description.buttonHeight)))
        << "button " << button << " has no picture";
  std::set<QRgb> colours;
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x)
      if (qAlpha(bitmap.pixel(x, y)) == 255) colours.insert(bitmap.pixel(x, y));
  EXPECT_LE(colours.size(), 16u);

  for (uint32_t id : {ResourceId::MainFrame, ResourceId::FileIcon, ResourceId::FolderIcon, ResourceId::TrackIcon,
                      ResourceId::MediumIcon, ResourceId::QuestionIcon}) {
    const QIcon& icon = LoadIcon(id);
    for (int size : {16, 32}) {
      EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << id << " at " << size;
      EXPECT_TRUE(HasOpaquePixel(icon.pixmap(size, size).toImage())) << id << " at " << size;
    }
  }
}

TEST(UiResourcesTest, TransferWindowsAndQuestionsExistInEveryLanguageWithTheirClips) {
  for (const char* tag : LanguageTags) {
    InLanguage language(tag);
    for (uint32_t id : {ResourceId::TransferDialog, ResourceId::DeleteDialog, ResourceId::ConfirmDeleteDialog,
                        ResourceId::ConfirmReplaceDialog}) {
      const DialogTemplate& dialog = LoadDialogTemplate(id);
      EXPECT_FALSE(dialog.title.IsEmpty()) << tag << " " << id;
      for (const ControlTemplate& control : dialog.controls)
        EXPECT_TRUE(control.kind != ControlKind::Button || !control.text.IsEmpty()) << tag << " " << id;
    }
  }
  for (uint32_t id : {ResourceId::TransferClip, ResourceId::DeleteClip}) {
    const AnimationClip& clip = LoadAnimation(id);
    ASSERT_GT(clip.frames.size(), 1u);
    EXPECT_NE(clip.frames.front(), clip.frames.back()) << "the clip moves";
    for (const QImage& frame : clip.frames) EXPECT_TRUE(HasOpaquePixel(frame)) << id;
  }
}

TEST(UiResourcesTest, AboutDialogShowsTheVersionAndClosesWithOk) {
  for (const char* tag : LanguageTags) {
    InLanguage language(tag);
    struct PressOk : CPromptAnswerer {
      QStringList texts;
      void AnswerDialog(CDialogBase& dialog) override {
        for (const QLabel* label : dialog.Widget()->findChildren<QLabel*>()) texts << label->text();
        dialog.Send(WM_COMMAND, MakeWParam(IDOK, BN_CLICKED));
      }
    } answerer;
    CAnswererScope scope(answerer);
    CDialogBase about;
    EXPECT_EQ(about.RunModal(nullptr, ResourceId::AboutDialog), IDOK) << tag;
    EXPECT_TRUE(answerer.texts.contains(QString("Tunewarden ") + TunewardenVersion)) << tag;
  }
}

}  // namespace
