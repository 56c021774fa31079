#include "ui/PlayerView.h"

#include <memory>

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "messages/MessageBoxes.h"
#include "player/DisplayText.h"
#include "player/EntryOrder.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"

namespace {

constexpr uint32_t ViewStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_EDITLABELS;
constexpr uint32_t ViewExStyle = WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES;
constexpr const char* TopFolder = "\\";
constexpr const char* UpEntryName = "..";

struct Column {
  int width;
  int format;
};
constexpr Column Columns[] = {{200, LVCFMT_LEFT}, {80, LVCFMT_RIGHT}, {120, LVCFMT_LEFT}};

}  // namespace

PlayerView::~PlayerView() { FreeEntries(); }

void PlayerView::Create(CNativeWindow* frame) { CListControl::Create(frame, ViewStyle, ViewExStyle, 0); }

bool PlayerView::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_CREATE:
      DefaultProc(record);
      OnCreate();
      return true;
    case WM_DESTROY:
      FreeEntries();
      return false;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const ListViewNotify*>(record.lParam), &record.result);
    case WM_GETDLGCODE:
      record.result = DLGC_WANTALLKEYS;
      return true;
    case WM_KEYDOWN:
      switch (record.wParam) {
        case VK_RETURN:
          OnCommand(CommandId::Open);
          break;
        case VK_DELETE:
          OnCommand(CommandId::Delete);
          break;
        case VK_BACK:
          OnCommand(CommandId::Prev);
          break;
      }
      return false;
    case WM_COMMAND:
      return OnCommand(LowWord(record.wParam));
    case WM_LBUTTONDBLCLK:
      OnCommand(CommandId::Open);
      return false;
    case UM_RELOAD:
      Reload(record.wParam != 0);
      return true;
    default:
      return false;
  }
}

// The commands of the rows that the view carries out so far; the others are
// not handled.
bool PlayerView::OnCommand(uint32_t command) {
  switch (command) {
    case CommandId::Open:
      OpenSelected();
      return true;
    case CommandId::Refresh:
      Reload(true);
      return true;
    case CommandId::Prev:
      GoBack(true);
      return true;
    case CommandId::Next:
      GoForward(true);
      return true;
    case CommandId::SortNone:
      sortCommand_ = CommandId::SortNone;
      FillList();
      return true;
    case CommandId::SortName:
    case CommandId::SortSize:
    case CommandId::SortDate:
    case CommandId::SortExtension:
      SortBy(command);
      return true;
    default:
      return false;
  }
}

bool PlayerView::OnNotify(const ListViewNotify& notify, LRESULT* result) {
  switch (notify.header.code) {
    case LVN_COLUMNCLICK: {
      constexpr uint32_t ByColumn[] = {CommandId::SortName, CommandId::SortSize, CommandId::SortDate};
      if (notify.subItem >= 0 && notify.subItem < 3) SortBy(ByColumn[notify.subItem]);
      return true;
    }
    case LVN_BEGINLABELEDITA: {
      const auto* entry = reinterpret_cast<const PlayerEntry*>(notify.itemValue);
      if (!entry || entry->longName != UpEntryName) return false;
      *result = 1;
      return true;
    }
    case LVN_DELETEITEM:
      delete reinterpret_cast<PlayerEntry*>(notify.itemValue);
      return true;
    case LVN_DELETEALLITEMS:
    case LVN_ITEMCHANGED:
      if (!suppress_) ReportStateChange();
      return false;
    default:
      return false;
  }
}

void PlayerView::OnCreate() {
  sortCommand_ = CommandId::SortNone;
  ResetHistory();
  suppress_ = false;
  const CText headings = LoadStringText(StringId::ColumnHeadings);
  int start = 0;
  for (const Column& column : Columns) {
    const int end = headings.Find('\n', start);
    const int stop = end < 0 ? headings.Length() : end;
    InsertColumn(CText(headings.View().substr(static_cast<size_t>(start), static_cast<size_t>(stop - start))),
                 column.format, column.width);
    start = end < 0 ? stop : end + 1;
  }
  SetImageList(icons_.SmallImages(), LVSIL_SMALL);
}

void PlayerView::ResetHistory() {
  historyPosition_ = 0;
  history_.assign(1, CText(TopFolder));
}

void PlayerView::ReportStateChange() {
  if (handle_) PostMessage(handle_->Parent(), UM_UPDATESTATE, 0, 0);
}

void PlayerView::FreeEntries() {
  for (int row = 0; row < ItemCount(); ++row) {
    delete EntryOf(row);
    SetItemValue(row, 0);
  }
}

void PlayerView::Reload(bool reportErrors) {
  SetCursorShape(CursorShape::Wait);
  // A failed connection leaves nothing to show and the history at the top.
  auto fail = [&](auto show, uint32_t code) {
    connection_.Close();
    DeleteAllItems();
    if (reportErrors) show(handle_, code);
    ResetHistory();
  };
  try {
    CText savedPath;
    if (connection_.folderMode == PlayerConnection::UserTreeMode && connection_.IsFileSystemOpen())
      savedPath = connection_.GetCurrentFolder();
    connection_.Open(0);
    connection_.SelectMedia();
    connection_.OpenFileSystem();
    // Back to the USER folder that was shown; the track list stays the track list.
    if (!savedPath.IsEmpty()) {
      connection_.folderMode = PlayerConnection::UserTreeMode;
      connection_.ChangeFolder(savedPath);
    }
  } catch (const CMediaException& e) {
    fail(ShowMediaError, e.Code());
  } catch (const CException& e) {
    fail(ShowSystemError, e.Code());
  }
  FillList();
  SetCursorShape(CursorShape::Arrow);
}

void PlayerView::FillList() {
  LockUpdates(true);
  suppress_ = true;
  DeleteAllItems();
  if (connection_.IsFileSystemOpen()) {
    try {
      connection_.BeginListing();
      for (PlayerEntry entry; connection_.NextEntry(entry); entry = PlayerEntry()) AddEntryRow(entry);
    } catch (const CMediaException& e) {
      ShowMediaError(handle_, e.Code());
      DeleteAllItems();
    } catch (const CException& e) {
      ShowSystemError(handle_, e.Code());
      DeleteAllItems();
    }
  }
  // The track list keeps the play order; a USER folder is always sorted.
  if (connection_.folderMode != PlayerConnection::UserTreeMode) {
    sortCommand_ = CommandId::SortNone;
  } else if (sortCommand_ == CommandId::SortNone) {
    sortCommand_ = CommandId::SortName;
  }
  SortBy(sortCommand_);
  suppress_ = false;
  LockUpdates(false);
  ReportStateChange();
}

int PlayerView::AddEntryRow(const PlayerEntry& entry) {
  if (!entry.trackInfo && entry.IsFolder() && entry.longName == ".") return -1;
  auto copy = std::make_unique<PlayerEntry>(entry);
  const int row = InsertItem(reinterpret_cast<LPARAM>(copy.get()));
  if (row < 0) return row;
  static_cast<void>(copy.release());  // the row owns the entry now
  if (entry.trackInfo) {
    SetItemImage(row, IconCache::TrackImage);
    SetItemText(row, 0, entry.trackInfo->title);
  } else {
    SetItemImage(row, icons_.IconIndexFor(entry));
    SetItemText(row, 0, entry.longName);
  }
  if (entry.IsFolder()) {
    SetItemText(row, 1, entry.trackInfo ? "<NONE>" : "<DIR>");
  } else {
    SetItemText(row, 1, FormatSizeText(entry.size));
    SetItemText(row, 2, FormatDateText(entry.stamp));
  }
  return row;
}

void PlayerView::EnterFolder(const CText& name) {
  try {
    connection_.ChangeFolder(name);
    const CText path = connection_.GetCurrentFolder();
    history_.resize(static_cast<size_t>(historyPosition_) + 1);
    history_.push_back(path);
    ++historyPosition_;
    FillList();
  } catch (const CMediaException& e) {
    connection_.Close();
    DeleteAllItems();
    ShowMediaError(handle_, e.Code());
    ResetHistory();
    Reload(false);
  }
}

void PlayerView::OpenSelected() {
  const int row = NextItem(-1, LVNI_SELECTED);
  const PlayerEntry* entry = row < 0 ? nullptr : EntryOf(row);
  if (!entry || !entry->IsFolder()) return;
  try {
    EnterFolder(entry->longName);
  } catch (const CException&) {
    Reload(false);
  }
}

bool PlayerView::GoBack(bool perform) {
  if (historyPosition_ == 0) return false;
  if (!perform) return true;
  try {
    --historyPosition_;
    connection_.ChangeFolder(UpEntryName);
    FillList();
  } catch (const CMediaException&) {
    Reload(true);
  } catch (const CException&) {
    Reload(true);
  }
  return true;
}

bool PlayerView::GoForward(bool perform) {
  if (historyPosition_ + 1 >= static_cast<int>(history_.size())) return false;
  if (!perform) return true;
  // The entries that could not be reached are forgotten.
  auto forget = [&] {
    history_.resize(static_cast<size_t>(historyPosition_));
    --historyPosition_;
    Reload(true);
  };
  try {
    ++historyPosition_;
    // Stored paths lie in the USER tree, which the track list leads into
    // only through "<USER>".
    if (connection_.folderMode == PlayerConnection::TrackListMode)
      connection_.ChangeFolder(PlayerConnection::UserEntryName);
    connection_.ChangeFolder(history_[static_cast<size_t>(historyPosition_)]);
    FillList();
  } catch (const CMediaException&) {
    forget();
  } catch (const CException&) {
    forget();
  }
  return true;
}

void PlayerView::SortBy(uint32_t sortCommand) {
  sortCommand_ = sortCommand;
  if (sortCommand != CommandId::SortNone) Sort(sortCommand);
}

int PlayerView::Compare(LPARAM value1, LPARAM value2, uint32_t sortCommand) {
  EntryKey key = EntryKey::None;
  switch (sortCommand) {
    case CommandId::SortName:
      key = EntryKey::Name;
      break;
    case CommandId::SortSize:
      key = EntryKey::Size;
      break;
    case CommandId::SortDate:
      key = EntryKey::Date;
      break;
    case CommandId::SortExtension:
      key = EntryKey::Extension;
      break;
  }
  return CompareEntries(*reinterpret_cast<const PlayerEntry*>(value1), *reinterpret_cast<const PlayerEntry*>(value2),
                        key);
}
