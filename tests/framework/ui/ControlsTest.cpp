#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Graphics.h"
#include "tests/framework/ui/UiFrameworkTesting.h"

namespace {

constexpr uint32_t ToolBar = 9200;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { parent_.CreateTopLevel(600, 400); }
  void TearDown() override { parent_.Close(0); }
  RecordingWindow parent_;
};

TEST_F(ControlsTest, ToolBarButtonsComeFromTheResourceWithImagesInOrderAndTipsFromTheStrings) {
  Resources().toolBars[ToolBar] = {1, 24, 23, {40035, 40052, 0, 40016}};
  QImage strip(3 * 24, 23, QImage::Format_RGB32);
  for (int x = 0; x < 72; ++x)
    for (int y = 0; y < 23; ++y) strip.setPixel(x, y, qRgb(10 * (x / 24 + 1), 0, 0));
  Resources().bitmaps[ToolBar] = strip;
  SetStringTable([](uint32_t id) {
    if (id == 40035) return CText("Refresh the view\nRefresh");
    if (id == 40052) return CText("no line feed");
    return CText();
  });

  CToolStrip bar;
  bar.Create(parent_.Handle(), WS_CHILD | WS_VISIBLE, 59392);
  bar.SetButtonSize(31, 31);
  bar.Load(ToolBar);
  SetStringTable(nullptr);

  auto* qtBar = static_cast<QToolBar*>(bar.Widget());
  const QList<QAction*> actions = qtBar->actions();
  ASSERT_EQ(actions.size(), 4);
  EXPECT_TRUE(actions[2]->isSeparator());
  EXPECT_EQ(bar.ButtonCount(), 3);
  // Each button shows the next image of the strip.
  const int shades[] = {10, 20, -1, 30};
  for (int i : {0, 1, 3}) {
    const QImage shown = actions[i]->icon().pixmap(24, 23).toImage();
    EXPECT_EQ(qRed(shown.pixel(12, 12)), shades[i]) << "button " << i;
  }
  EXPECT_EQ(actions[0]->toolTip(), QString("Refresh"));
  EXPECT_EQ(actions[1]->toolTip(), QString());
  EXPECT_EQ(qtBar->widgetForAction(actions[0])->size(), QSize(31, 31));

  bar.EnableButton(40016, false);
  EXPECT_FALSE(bar.IsButtonEnabled(40016));
  EXPECT_TRUE(bar.IsButtonEnabled(40035));

  actions[0]->trigger();
  ASSERT_EQ(parent_.Records(WM_COMMAND).size(), 1u);
  EXPECT_EQ(LowWord(parent_.Records(WM_COMMAND)[0].wParam), 40035);

  bar.RemoveAllButtons();
  EXPECT_EQ(bar.ButtonCount(), 0);
  EXPECT_THROW(bar.Load(ToolBar + 1), CException);
}

TEST_F(ControlsTest, StatusBarKeepsToTheBottomOfItsParentWithItsParts) {
  CStatusLine status;
  status.Create(parent_.Handle(), WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 2);
  status.SetParts({0, 0, -1});
  status.Send(WM_SIZE, SIZE_RESTORED, MakeLParam(600, 400));
  const int height = status.WindowSize().height;
  EXPECT_GT(height, 10);
  EXPECT_EQ(status.PositionInParent().y, 400 - height);
  EXPECT_EQ(status.WindowSize().width, 600);

  status.SetParts({600 - 300, 600 - 160, -1});
  status.SetText(0, 0, "3 object(s)");
  status.SetText(2, 0, "Internal Memory 512MB");
  status.SetText(7, 0, "no such part");
  EXPECT_STREQ(status.PartText(0).Chars(), "3 object(s)");
  EXPECT_STREQ(status.PartText(1).Chars(), "");
  EXPECT_STREQ(status.PartText(2).Chars(), "Internal Memory 512MB");
}

TEST_F(ControlsTest, ComboBoxesReportUserChoicesButNotTheirOwnAndSortWithoutCase) {
  CComboControl combo;
  combo.Create(parent_.Handle(), WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 7);
  EXPECT_EQ(combo.AddText("Internal Memory"), 0);
  EXPECT_EQ(combo.AddText("MMC/SD Card"), 1);
  combo.Select(1);
  EXPECT_EQ(combo.CurrentSelection(), 1);
  EXPECT_TRUE(parent_.Trail(WM_COMMAND).empty());
  combo.Move(6, 6, 120, 160);
  EXPECT_LT(combo.WindowSize().height, 160);
  emit static_cast<QComboBox*>(combo.Widget())->activated(0);
  ASSERT_FALSE(parent_.seen.empty());
  EXPECT_EQ(parent_.seen.back().record.wParam, MakeWParam(7, CBN_SELCHANGE));
  EXPECT_EQ(parent_.seen.back().record.lParam, reinterpret_cast<LPARAM>(combo.Handle()));

  CComboControl sorted;
  sorted.Create(parent_.Handle(), WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT, 1001);
  EXPECT_EQ(sorted.AddText("B.HEX"), 0);
  EXPECT_EQ(sorted.AddText("a.hex"), 0);
  EXPECT_EQ(sorted.AddText("c.hex"), 2);
  sorted.Select(0);
  EXPECT_STREQ(sorted.Text().Chars(), "a.hex");
  sorted.SetText("c.hex");
  EXPECT_EQ(sorted.CurrentSelection(), 2);
  // A template gives a combo box the height of its open list too.
  CNativeWindow* fromTemplate = CreateControl({1001, ControlKind::ComboBox, "", 0, 0, 100, 80},
                                              parent_.Handle()->Client(), QRect(0, 0, 100, 120));
  EXPECT_LT(fromTemplate->Widget()->height(), 120);
}

TEST_F(ControlsTest, ProgressBarStepsAndStartsOverPastItsEnd) {
  // A progress bar lives in dialogs: bind one made from a template.
  CNativeWindow* window = CreateControl({1104, ControlKind::ProgressBar, "", 0, 0, 100, 10}, parent_.Handle()->Client(),
                                        QRect(0, 0, 100, 10));
  CProgressControl progress;
  progress.Attach(window);
  progress.SetRange(10);
  progress.SetStep(4);
  progress.Step();
  progress.Step();
  EXPECT_EQ(progress.Position(), 8);
  progress.Step();
  EXPECT_EQ(progress.Position(), 0);
  progress.SetPosition(50);
  EXPECT_EQ(progress.Position(), 10);
  progress.SetPosition(3);
  progress.Fill();
  EXPECT_EQ(progress.Position(), 10);
}

TEST_F(ControlsTest, AnimationPlaysUntilClosedOrDestroyed) {
  QImage frame(8, 8, QImage::Format_RGB32);
  frame.fill(Qt::blue);
  Resources().animations[501] = {{frame, frame}, 50};
  CAnimationControl animation;
  animation.Attach(
      CreateControl({1100, ControlKind::Animation, "", 0, 0, 20, 20}, parent_.Handle()->Client(), QRect(0, 0, 20, 20)));
  animation.OpenClip(501);
  EXPECT_TRUE(animation.IsPlaying());
  animation.CloseClip();
  EXPECT_FALSE(animation.IsPlaying());
  EXPECT_THROW(animation.OpenClip(502), CException);

  animation.OpenClip(501);
  CNativeWindow* handle = animation.Handle();
  auto* label = handle->Widget();
  DestroyWindow(handle);
  EXPECT_EQ(animation.Handle(), nullptr);
  EXPECT_TRUE(static_cast<QLabel*>(label)->pixmap().isNull());
}

}  // namespace
