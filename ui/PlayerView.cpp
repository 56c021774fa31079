#include "ui/PlayerView.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "audio/ui/TrackPropertiesDialog.h"
#include "framework/core/DroppedFiles.h"
#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "framework/ui/Menu.h"
#include "framework/ui/Prompts.h"
#include "messages/MessageBoxes.h"
#include "platform/Files.h"
#include "player/DisplayText.h"
#include "player/EntryOrder.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "transfer/ui/DeleteDialog.h"
#include "transfer/ui/TransferDialog.h"

namespace {

constexpr uint32_t ViewStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_EDITLABELS;
constexpr uint32_t ViewExStyle = WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES;
constexpr const char* TopFolder = "\\";
constexpr const char* UpEntryName = "..";
constexpr const char* FolderMarker = "<DIR>";
constexpr const char* NoFileMarker = "<NONE>";
constexpr const char* NewFolderName = "FOLDER%02d";
constexpr int NewFolderNumbers = 99;

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
      return OnNotify(*reinterpret_cast<ListViewNotify*>(record.lParam), &record.result);
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
    case WM_RBUTTONDOWN:
      // The row under the pointer is selected first, as a left click does.
      Send(WM_LBUTTONDOWN, record.wParam, record.lParam);
      ShowContextMenu(SignedLowWord(record.lParam), SignedHighWord(record.lParam));
      return true;
    case WM_CONTEXTMENU: {
      // From the keyboard: below the focused row, or at the top.
      const CXYRect focused = ItemRect(NextItem(-1, LVNI_FOCUSED));
      ShowContextMenu(focused.left, focused.top + focused.height);
      return true;
    }
    case WM_DROPFILES:
      return OnDropFiles(record);
    case UM_RELOAD:
      Reload(record.wParam != 0);
      return true;
    default:
      return false;
  }
}

bool PlayerView::OnCommand(uint32_t command) {
  switch (command) {
    case CommandId::CreateFolder:
      NewFolder();
      return true;
    case CommandId::Open:
      OpenSelected();
      return true;
    case CommandId::Delete:
      DeleteSelected();
      return true;
    case CommandId::Rename:
      RenameFocused();
      return true;
    case CommandId::Properties:
      ShowProperties();
      return true;
    case CommandId::MoveUp:
      MoveSelectedUp();
      return true;
    case CommandId::MoveDown:
      MoveSelectedDown();
      return true;
    case CommandId::Download:
      Download();
      return true;
    case CommandId::Upload:
      Upload();
      return true;
    case CommandId::SelectAll:
      SelectAll();
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

bool PlayerView::OnNotify(ListViewNotify& notify, LRESULT* result) {
  switch (notify.header.code) {
    case LVN_COLUMNCLICK: {
      // The track list's order is the play order; no header click changes it.
      constexpr uint32_t ByColumn[] = {CommandId::SortName, CommandId::SortSize, CommandId::SortDate};
      if (connection_.folderMode == PlayerConnection::UserTreeMode && notify.subItem >= 0 && notify.subItem < 3)
        SortBy(ByColumn[notify.subItem]);
      return true;
    }
    case LVN_BEGINLABELEDITA: {
      const auto* entry = reinterpret_cast<const PlayerEntry*>(notify.itemValue);
      if (!entry || entry->longName != UpEntryName) return false;
      *result = 1;
      return true;
    }
    case LVN_ENDLABELEDITA:
      *result = CommitRename(notify);
      return true;
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
  SetColumnWidths();
}

void PlayerView::SetColumnWidths() {
  // The widest size is that of 4 GiB; a date is widest with two-digit fields,
  // before or after noon.
  const std::vector<CText> texts[] = {
      {},
      {FormatSizeText(UINT32_MAX), CText(FolderMarker), CText(NoFileMarker)},
      {FormatDateText(CFileStamp(2088, 12, 28, 10, 58, 0)), FormatDateText(CFileStamp(2088, 12, 28, 22, 58, 0))},
  };
  for (int column = 0; column < 3; ++column) {
    int width = std::max(Columns[column].width, ColumnWidthFor(column, CText()));
    for (const CText& text : texts[column]) width = std::max(width, ColumnWidthFor(column, text));
    SetColumnWidth(column, width);
  }
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
      const platform::DateTimeFormat dates;
      for (const PlayerEntry& entry : connection_.ListFolder()) AddEntryRow(entry, dates);
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

int PlayerView::AddEntryRow(const PlayerEntry& entry, const platform::DateTimeFormat& dates) {
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
    SetItemText(row, 1, entry.trackInfo ? NoFileMarker : FolderMarker);
  } else {
    SetItemText(row, 1, FormatSizeText(entry.size));
    SetItemText(row, 2, FormatDateText(entry.stamp, dates));
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

namespace {

EntryKey KeyOf(uint32_t sortCommand) {
  switch (sortCommand) {
    case CommandId::SortName:
      return EntryKey::Name;
    case CommandId::SortSize:
      return EntryKey::Size;
    case CommandId::SortDate:
      return EntryKey::Date;
    case CommandId::SortExtension:
      return EntryKey::Extension;
    default:
      return EntryKey::None;
  }
}

}  // namespace

void PlayerView::SortBy(uint32_t sortCommand) {
  sortCommand_ = sortCommand;
  if (sortCommand != CommandId::SortNone) {
    // Each row's key is worked out once for the whole sort.
    for (int row = 0; row < ItemCount(); ++row) {
      if (const PlayerEntry* entry = EntryOf(row))
        sortKeys_.emplace(ItemValue(row), MakeSortKey(*entry, KeyOf(sortCommand)));
    }
    Sort(sortCommand);
    sortKeys_.clear();
  }
  // The header marks the column of the order: names and sizes rising, dates
  // newest first. Extensions have no column of their own.
  switch (sortCommand) {
    case CommandId::SortName:
      SetSortMark(0, true);
      break;
    case CommandId::SortSize:
      SetSortMark(1, true);
      break;
    case CommandId::SortDate:
      SetSortMark(2, false);
      break;
    default:
      SetSortMark(-1, true);
  }
}

// Rows are sorted only by SortBy, which has made every row's key.
int PlayerView::Compare(LPARAM value1, LPARAM value2, uint32_t) {
  return CompareSortKeys(sortKeys_.at(value1), sortKeys_.at(value2));
}

// ---------------------------------------------------------------- commands

void PlayerView::NewFolder() {
  auto taken = [this](const CText& name) {
    for (int row = 0; row < ItemCount(); ++row) {
      const PlayerEntry* entry = EntryOf(row);
      if (entry && entry->IsFolder() && entry->longName == name) return true;
    }
    return false;
  };
  CText name;
  int number = 1;
  for (; number <= NewFolderNumbers; ++number) {
    name.Format(NewFolderName, number);
    if (!taken(name)) break;
  }
  if (number > NewFolderNumbers) {
    ShowMediaError(handle_, StringId::UnknownError);
    return;
  }
  try {
    connection_.CreateFolder(name);
    int row = -1;
    for (const PlayerEntry& entry : connection_.ListFolder())
      if (entry.longName == name) row = AddEntryRow(entry);
    // The new row alone is selected, so that nothing chosen before goes with
    // it into the next command.
    Scroll(0, 99999);
    SetFocus();
    for (int selected = NextItem(-1, LVNI_SELECTED); selected >= 0; selected = NextItem(selected, LVNI_SELECTED))
      SetItemState(selected, 0, LVIS_SELECTED);
    SelectItem(row);
    StartLabelEdit(row);
  } catch (...) {
    ShowMediaError(handle_, StringId::UnknownError);
  }
}

void PlayerView::RenameFocused() {
  const int row = NextItem(-1, LVNI_FOCUSED);
  if (row >= 0) StartLabelEdit(row);
}

bool PlayerView::CommitRename(ListViewNotify& notify) {
  PlayerEntry* entry = reinterpret_cast<PlayerEntry*>(notify.itemValue);
  if (!notify.text || !entry) return false;
  // "<USER>" keeps its name: it is the way into the USER tree.
  if (connection_.folderMode == PlayerConnection::TrackListMode && entry->IsFolder()) return false;
  if (!RunShowingErrors(handle_, [&] { connection_.RenameEntry(*entry, CText(notify.text)); })) {
    Reload(false);
    return false;
  }
  // The label shows the name as the player keeps it (a title cut to fit).
  notify.text = entry->DisplayName().Chars();
  if (!entry->trackInfo) SetItemImage(notify.item, icons_.IconIndexFor(*entry));
  return true;
}

std::vector<PlayerEntry> PlayerView::SelectedEntries() const {
  std::vector<PlayerEntry> entries;
  for (int row = NextItem(-1, LVNI_SELECTED); row >= 0; row = NextItem(row, LVNI_SELECTED))
    if (const PlayerEntry* entry = EntryOf(row)) entries.push_back(*entry);
  return entries;
}

void PlayerView::RefreshAfter(int result) {
  if (result == IDOK) {
    FillList();
  } else {
    Reload(false);
  }
}

void PlayerView::DeleteSelected() {
  if (ItemCount() == 0) return;
  if (const int result = DeleteSelection(handle_, connection_, SelectedEntries())) RefreshAfter(result);
}

void PlayerView::ShowProperties() {
  const int row = NextItem(-1, LVNI_SELECTED);
  PlayerEntry* entry = row < 0 ? nullptr : EntryOf(row);
  if (!entry) return;
  if (ShowTrackProperties(handle_, connection_, *entry) == IDOK) FillList();
  SelectItem(row);
}

// A selected row passes its unselected neighbour; a selected block that
// reaches the first row, or the last track before "<USER>", stays in place.
void PlayerView::MoveSelectedUp() {
  if (connection_.folderMode != PlayerConnection::TrackListMode) return;
  suppress_ = true;
  for (int row = 1; row < ItemCount(); ++row)
    if (IsSelected(row) && !IsSelected(row - 1)) MoveRow(row, row - 1);
  suppress_ = false;
  SaveOrder();
}

void PlayerView::MoveSelectedDown() {
  if (connection_.folderMode != PlayerConnection::TrackListMode) return;
  suppress_ = true;
  for (int row = ItemCount() - 2; row >= 0; --row)
    if (IsSelected(row) && !IsSelected(row + 1)) MoveRow(row, row + 1);
  suppress_ = false;
  SaveOrder();
}

// The "<USER>" row never moves, and no track passes it.
void PlayerView::MoveRow(int from, int to) {
  PlayerEntry* moving = EntryOf(from);
  const PlayerEntry* other = EntryOf(to);
  if (!moving || !other || moving->IsFolder() || other->IsFolder()) return;
  const int at = from > to ? to : to + 1;
  const int old = from > to ? from + 1 : from;
  const uint32_t state = ItemState(from, LVIS_SELECTED | LVIS_FOCUSED);
  InsertItem(reinterpret_cast<LPARAM>(moving), at);
  SetItemImage(at, ItemImage(old));
  for (int column = 0; column < ColumnCount(); ++column) SetItemText(at, column, ItemText(old, column));
  SetItemState(at, state, LVIS_SELECTED | LVIS_FOCUSED);
  SetItemValue(old, 0);  // the entry is the new row's now
  DeleteItem(old);
}

void PlayerView::SaveOrder() {
  std::vector<CText> names;
  for (int row = 0; row < ItemCount(); ++row)
    if (const PlayerEntry* entry = EntryOf(row)) names.emplace_back(entry->shortName);
  // On failure the rows go back to the order the player keeps.
  if (!RunShowingErrors(handle_, [&] { connection_.ReorderPlaylist(names); })) Reload(false);
}

void PlayerView::Download() {
  const uint32_t filter =
      connection_.folderMode == PlayerConnection::UserTreeMode ? StringId::AnyFileFilter : StringId::MusicFileFilter;
  platform::SetCurrentDirectory(settings_.downloadFolder.View());
  std::vector<CText> paths;
  if (!ChooseFiles(handle_, LoadStringText(filter), &paths)) return;
  settings_.downloadFolder = CurrentDirectory();
  // One file goes by its full path, several by their names in the folder
  // they came from, which is now the current one.
  if (paths.size() > 1)
    for (CText& path : paths) path = path.Right(path.Length() - path.FindLast('/') - 1);
  RefreshAfter(TransferDialog(connection_).RunDownload(handle_, paths));
}

void PlayerView::Upload() {
  const std::vector<PlayerEntry> entries = SelectedEntries();
  if (entries.empty()) return;
  platform::SetCurrentDirectory(settings_.uploadFolder.View());
  CText folder;
  if (!ChooseFolder(handle_, LoadStringText(StringId::ChooseUploadFolder), CurrentDirectory(), &folder)) return;
  settings_.uploadFolder = folder;
  platform::SetCurrentDirectory(folder.View());
  TransferDialog(connection_).RunUpload(handle_, entries);
  // Whatever became of the upload, the user sees what arrived; the rows stay.
  OpenInShell(folder);
}

void PlayerView::ShowContextMenu(int x, int y) {
  const std::unique_ptr<CMenu> menu = CMenu::Load(ResourceId::ContextMenu);
  CMenu* popup = menu->Popup(0);
  if (!popup) return;
  // Its items are enabled as the frame enables those of the main menu.
  SendMessage(handle_->Parent(), WM_INITMENU, reinterpret_cast<WPARAM>(popup));
  TrackPopupMenu(*popup, x, y);
}

bool PlayerView::OnDropFiles(const MessageRecord& record) {
  if (!connection_.IsFileSystemOpen()) return false;
  const std::unique_ptr<DropHandle> drop = TakeDropHandle(record);
  if (drop && !drop->paths.empty()) {
    BringToFront();
    RefreshAfter(TransferDialog(connection_).RunDownload(handle_, drop->paths));
  }
  return true;
}
