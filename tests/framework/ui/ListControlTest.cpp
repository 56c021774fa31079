#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <algorithm>

#include "framework/core/Exception.h"
#include "framework/ui/Graphics.h"
#include "framework/ui/ListControl.h"
#include "tests/framework/ui/UiFrameworkTesting.h"

namespace {

// A list that records the notifications reflected to it and sorts its rows
// by their item values.
class TestList : public CListControl {
 public:
  struct Notice {
    int32_t code;
    int item;
    uint32_t oldState;
    uint32_t newState;
    LPARAM value;
    bool cancelled;
    std::string text;
    bool reflected;
  };
  std::vector<Notice> notices;
  std::vector<int> columnClicks;
  LRESULT beginResult = 0;
  LRESULT endResult = 1;
  LRESULT deleteAllResult = 0;

  bool OnMessage(MessageRecord& record) override {
    if (record.message != WM_NOTIFY) return false;
    const auto* notify = reinterpret_cast<const ListViewNotify*>(record.lParam);
    notices.push_back({notify->header.code, notify->item, notify->oldState, notify->newState, notify->itemValue,
                       notify->text == nullptr, notify->text ? notify->text : "", notify->header.from == nullptr});
    switch (notify->header.code) {
      case LVN_BEGINLABELEDITA:
        record.result = beginResult;
        return true;
      case LVN_ENDLABELEDITA:
        record.result = endResult;
        return true;
      case LVN_DELETEALLITEMS:
        record.result = deleteAllResult;
        return true;
      default:
        return false;
    }
  }
  void OnColumnClick(int column) override { columnClicks.push_back(column); }
  int Compare(LPARAM a, LPARAM b, uint32_t sortValue) override {
    const int order = a < b ? -1 : (a > b ? 1 : 0);
    return sortValue == 1 ? order : -order;
  }
  // Focus moving brings selection changes that label edits are not about.
  std::vector<int32_t> Codes(bool withItemChanges = true) const {
    std::vector<int32_t> codes;
    for (const Notice& notice : notices)
      if (withItemChanges || notice.code != LVN_ITEMCHANGED) codes.push_back(notice.code);
    return codes;
  }
  QTreeWidget* Tree() const { return static_cast<QTreeWidget*>(Widget()); }
};

class ListControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_.CreateTopLevel(500, 300);
    list_.Create(parent_.Handle(), WS_CHILD | WS_VISIBLE | LVS_EDITLABELS, WS_EX_ACCEPTFILES, 0);
    list_.Move(0, 0, 500, 300);
    list_.InsertColumn("Name", LVCFMT_LEFT, 200);
    list_.InsertColumn("Size", LVCFMT_RIGHT, 80);
    list_.InsertColumn("Date", LVCFMT_LEFT, 120);
    for (LPARAM value : {30, 10, 20}) {
      const int row = list_.InsertItem(value);
      list_.SetItemText(row, 0, CText(std::string_view(std::to_string(value) + ".mp3")));
      list_.SetItemText(row, 1, "1KB");
    }
  }
  void TearDown() override { parent_.Close(0); }

  RecordingWindow parent_;
  TestList list_;
};

TEST_F(ListControlTest, SelectionChangesGoToTheParentAndAreReflectedUnlessItHandlesThem) {
  list_.SelectItem(1);
  EXPECT_TRUE(list_.IsSelected(1));
  EXPECT_TRUE(list_.IsFocused(1));
  EXPECT_EQ(list_.SelectedCount(), 1);
  ASSERT_FALSE(list_.notices.empty());
  for (const auto& notice : list_.notices) {
    EXPECT_EQ(notice.code, LVN_ITEMCHANGED);
    EXPECT_EQ(notice.item, 1);
    EXPECT_EQ(notice.value, 10);
    EXPECT_TRUE(notice.reflected);
  }
  // The parent heard it first and left it to default processing.
  EXPECT_EQ(parent_.Trail(WM_NOTIFY).size(), 2 * list_.notices.size());

  list_.notices.clear();
  list_.SetItemState(1, 0, LVIS_SELECTED);
  ASSERT_EQ(list_.notices.size(), 1u);
  EXPECT_EQ(list_.notices[0].oldState, LVIS_SELECTED);
  EXPECT_EQ(list_.notices[0].newState, 0u);

  list_.SelectAll();
  EXPECT_EQ(list_.SelectedCount(), 3);
  EXPECT_EQ(list_.NextItem(-1, LVNI_SELECTED), 0);
  EXPECT_EQ(list_.NextItem(0, LVNI_SELECTED), 1);
  EXPECT_EQ(list_.NextItem(-1, LVNI_FOCUSED), 1);
  EXPECT_EQ(list_.NextItem(2, LVNI_ALL), -1);

  list_.notices.clear();
  parent_.handles = {{WM_NOTIFY, 0}};
  list_.SelectItem(0);
  EXPECT_TRUE(list_.notices.empty());
}

TEST_F(ListControlTest, HeaderClicksReachOnColumnClick) {
  QHeaderView* header = list_.Tree()->header();
  Click(header->viewport(), QPoint(header->sectionViewportPosition(1) + 10, 5));
  Click(header->viewport(), QPoint(header->sectionViewportPosition(2) + 10, 5));
  EXPECT_EQ(list_.columnClicks, (std::vector<int>{1, 2}));
  EXPECT_EQ(list_.Codes(), (std::vector<int32_t>{LVN_COLUMNCLICK, LVN_COLUMNCLICK}));
}

TEST_F(ListControlTest, DeletingReportsEachRowUnlessTheOwnerDeclinesTheRowNotices) {
  list_.SelectItem(1);
  list_.notices.clear();
  list_.DeleteItem(1);
  ASSERT_EQ(list_.Codes(), std::vector<int32_t>{LVN_DELETEITEM});
  EXPECT_EQ(list_.notices[0].value, 10);
  EXPECT_EQ(list_.ItemValue(1), 20);

  list_.InsertItem(40);
  list_.notices.clear();
  list_.DeleteAllItems();
  EXPECT_EQ(list_.Codes(), (std::vector<int32_t>{LVN_DELETEALLITEMS, LVN_DELETEITEM, LVN_DELETEITEM, LVN_DELETEITEM}));
  EXPECT_EQ(list_.notices[1].value, 30);
  EXPECT_EQ(list_.notices[3].value, 40);
  EXPECT_EQ(list_.ItemCount(), 0);

  list_.InsertItem(5);
  list_.notices.clear();
  list_.deleteAllResult = 1;
  list_.DeleteAllItems();
  EXPECT_EQ(list_.Codes(), std::vector<int32_t>{LVN_DELETEALLITEMS});
  EXPECT_EQ(list_.ItemCount(), 0);
}

TEST_F(ListControlTest, SortOrdersRowsByCompareAndKeepsTheSelection) {
  list_.SelectItem(0);  // value 30
  list_.notices.clear();
  list_.Sort(1);
  EXPECT_EQ((std::vector<LPARAM>{list_.ItemValue(0), list_.ItemValue(1), list_.ItemValue(2)}),
            (std::vector<LPARAM>{10, 20, 30}));
  EXPECT_STREQ(list_.ItemText(0, 0).Chars(), "10.mp3");
  EXPECT_TRUE(list_.IsSelected(2));
  EXPECT_TRUE(list_.IsFocused(2));
  EXPECT_TRUE(list_.notices.empty());
  list_.Sort(2);
  EXPECT_EQ(list_.ItemValue(0), 30);
}

TEST_F(ListControlTest, LabelEditsAskTheOwnerAtBothEndsAndKeepOnlyAnAcceptedText) {
  struct Case {
    const char* name;
    LRESULT beginResult, endResult;
    int key;
    bool cancelled;
    const char* kept;
  };
  for (const Case& edit : {Case{"refused at the start", 1, 1, 0, false, "10.mp3"},
                           Case{"accepted", 0, 1, Qt::Key_Return, false, "typed.mp3"},
                           Case{"refused at the end", 0, 0, Qt::Key_Return, false, "10.mp3"},
                           Case{"escaped", 0, 1, Qt::Key_Escape, true, "10.mp3"}}) {
    SCOPED_TRACE(edit.name);
    list_.SetItemText(1, 0, "10.mp3");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the last editor goes
    list_.notices.clear();
    list_.beginResult = edit.beginResult;
    list_.endResult = edit.endResult;
    list_.StartLabelEdit(1);
    auto* editor = list_.Tree()->findChild<QLineEdit*>();
    const bool opens = edit.beginResult == 0;
    ASSERT_EQ(editor != nullptr, opens);
    if (opens) {
      EXPECT_EQ(editor->text(), QString("10.mp3"));
      editor->setText("typed.mp3");
      PressKey(editor, edit.key);
      PumpMessages(1);  // Qt commits an edit on its next pass
    }
    std::vector<int32_t> expected{LVN_BEGINLABELEDITA};
    if (opens) expected.push_back(LVN_ENDLABELEDITA);
    ASSERT_EQ(list_.Codes(false), expected);
    EXPECT_EQ(list_.notices[0].item, 1);
    if (opens) {
      const auto& end = *std::find_if(list_.notices.rbegin(), list_.notices.rend(),
                                      [](const auto& notice) { return notice.code == LVN_ENDLABELEDITA; });
      EXPECT_EQ(end.cancelled, edit.cancelled);
      EXPECT_EQ(end.text, edit.cancelled ? "" : "typed.mp3");
    }
    EXPECT_STREQ(list_.ItemText(1, 0).Chars(), edit.kept);
  }
}

TEST_F(ListControlTest, InputOnTheRowsArrivesAsRecordsInClientCoordinates) {
  struct Inputs : TestList {
    std::vector<MessageRecord> records;
    bool OnMessage(MessageRecord& record) override {
      if (record.message == WM_KEYDOWN || record.message == WM_LBUTTONDBLCLK || record.message == WM_RBUTTONDOWN)
        records.push_back(record);
      return TestList::OnMessage(record);
    }
  } inputs;
  QTreeWidget* tree = list_.Tree();
  inputs.Attach(list_.Handle());
  QWidget* rows = tree->viewport();
  const QRect second = tree->visualItemRect(tree->topLevelItem(1));

  SendMouse(rows, QEvent::MouseButtonPress, second.center(), Qt::RightButton);
  PressKey(tree, Qt::Key_Return);
  ASSERT_EQ(inputs.records.size(), 2u);
  EXPECT_EQ(inputs.records[0].message, WM_RBUTTONDOWN);
  EXPECT_EQ(SignedHighWord(inputs.records[0].lParam), second.center().y());
  EXPECT_EQ(inputs.records[1].wParam, WPARAM(VK_RETURN));

  // A click sent to the list selects the row under it alone; on empty space it
  // clears the selection.
  inputs.SelectAll();
  inputs.Send(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(second.center().x(), second.center().y()));
  EXPECT_EQ(inputs.SelectedCount(), 1);
  EXPECT_TRUE(inputs.IsSelected(1));
  inputs.Send(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, rows->height() - 2));
  EXPECT_EQ(inputs.SelectedCount(), 0);
}

TEST_F(ListControlTest, RowImagesComeFromAnImageSetThatRefusesWhatItCannotHold) {
  CImageSet images;
  QPixmap red(32, 32);
  red.fill(Qt::red);
  EXPECT_THROW(images.AddIcon(QIcon(red)), CException);  // not created yet
  images.Create(16, 16, 1, 0, 0);
  EXPECT_THROW(images.AddIcon(QIcon()), CException);
  EXPECT_EQ(images.AddIcon(QIcon(red)), 0);
  EXPECT_EQ(images.AddIcon(QIcon(red)), 1);
  EXPECT_EQ(images.Icon(0).pixmap(16, 16).size(), QSize(16, 16));
  EXPECT_TRUE(images.Icon(2).isNull());
  list_.SetImageList(&images);
  list_.SetItemImage(2, 1);
  EXPECT_EQ(list_.ItemImage(2), 1);
  EXPECT_EQ(list_.ItemImage(0), -1);
  EXPECT_FALSE(list_.Tree()->topLevelItem(2)->icon(0).isNull());
}

}  // namespace
