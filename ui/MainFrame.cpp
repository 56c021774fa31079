#include "ui/MainFrame.h"

#include <algorithm>

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialog.h"
#include "player/DisplayText.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "tools/ui/FirmwareDialogs.h"
#include "tools/ui/MediaFormatDialog.h"
#include "tools/ui/MediaPropertiesDialog.h"

namespace {

constexpr uint32_t StatusStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
// The design's widths of the free space and the medium's parts, the least
// they get.
constexpr int SpacePartWidth = 140;
constexpr int MediumPartWidth = 160;

// The commands that the player view carries out; the frame passes them on as they came.
bool IsViewCommand(uint32_t command) {
  using namespace CommandId;
  switch (command) {
    case CommandId::CreateFolder:
    case Open:
    case Delete:
    case Rename:
    case Properties:
    case MoveUp:
    case MoveDown:
    case Download:
    case Upload:
    case SelectAll:
    case Refresh:
    case Prev:
    case Next:
    case SortNone:
    case SortName:
    case SortSize:
    case SortDate:
    case SortExtension:
      return true;
    default:
      return false;
  }
}

void SetEnabled(CMenu& menu, std::initializer_list<uint32_t> commands, bool enabled) {
  for (uint32_t command : commands) menu.EnableItem(command, enabled);
}

}  // namespace

void MainFrame::Create() {
  CFrameBase::Create(ResourceId::MainFrame, WindowClass{COLOR_WINDOW, ResourceId::MainFrame});
}

bool MainFrame::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_CREATE:
      OnCreate();
      return true;
    case WM_SIZE:
      OnSize(record.lParam);
      return false;
    case WM_SETFOCUS:
      view_.SetFocus();
      return true;
    case WM_DESTROY:
      devices_.Stop();
      return false;
    case WM_NCDESTROY:
      DefaultProc(record);
      delete this;
      return true;
    case WM_COMMAND:
      OnCommand(record);
      return true;
    case WM_INITMENU:
      UpdateMenuState(*reinterpret_cast<CMenu*>(record.wParam));
      return true;
    case WM_DEVICECHANGE:
      if (record.wParam != DBT_DEVNODES_CHANGED) return false;
      // A dialog or question on the stack relies on the folder it works in;
      // the change is taken once it has ended.
      if (IsInModalLoop())
        PostAfterModalLoops(handle_, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
      else
        OnDeviceChange();
      return false;
    case UM_RELOAD:
      SendMessage(view_.Handle(), UM_RELOAD, record.wParam, record.lParam);
      return true;
    case UM_UPDATESTATE:
      UpdateToolbar();
      UpdateStatusBar();
      return true;
    default:
      return false;
  }
}

void MainFrame::OnCreate() {
  bar_.Create(handle_);
  view_.Create(handle_);
  status_.Create(handle_, StatusStyle, 0);
  status_.SetParts({0, 0, -1});
  SetText(settings_.title);
  bar_.LoadToolbar(ResourceId::MainFrame);
  UpdateToolbar();
  UpdateStatusBar();
  SetSize(Width, Height);
  devices_.Start(handle_);
}

void MainFrame::OnSize(LPARAM clientSize) {
  const int width = LowWord(static_cast<uintptr_t>(clientSize));
  const int height = HighWord(static_cast<uintptr_t>(clientSize));
  SendMessage(bar_.Handle(), WM_SIZE, SIZE_RESTORED, clientSize);
  SendMessage(status_.Handle(), WM_SIZE, SIZE_RESTORED, clientSize);
  LayOutStatusParts(width);
  const int barHeight = bar_.WindowSize().height;
  const int statusHeight = status_.WindowSize().height;
  view_.Move(0, barHeight, width, height - barHeight - statusHeight);
}

void MainFrame::OnCommand(const MessageRecord& record) {
  const uint32_t command = LowWord(record.wParam);
  if (IsViewCommand(command)) {
    SendMessage(view_.Handle(), WM_COMMAND, record.wParam, record.lParam);
    return;
  }
  switch (command) {
    case CommandId::Exit:
      PostQuit(0);
      break;
    case CommandId::About: {
      CDialogBase about;
      about.RunModal(handle_, ResourceId::AboutDialog);
      break;
    }
    case CommandId::MediaFormat: {
      MediaFormatDialog format(connection_);
      format.Run(handle_);
      SendMessage(view_.Handle(), UM_RELOAD, 0, 0);  // whatever the result
      break;
    }
    case CommandId::MediaProperties: {
      MediaPropertiesDialog properties(connection_);
      if (properties.Run(handle_) == IDOK) SendMessage(view_.Handle(), UM_RELOAD, 0, 0);
      break;
    }
    case CommandId::FirmwareUpgrade: {
      CText fileName;
      FirmwareFileDialog files(fileName);
      if (files.Run(handle_) != IDOK) break;
      FirmwareUpgradeDialog upgrade(connection_, fileName);
      upgrade.Run(handle_);
      break;
    }
    case CommandId::InternalMemory:
      SendMessage(bar_.Handle(), UM_SELECTMEDIUM, 0, 0);
      break;
    case CommandId::MemoryCard:
      SendMessage(bar_.Handle(), UM_SELECTMEDIUM, 1, 0);
      break;
  }
}

// Reopens the device link, then reloads the view at the track list, where
// the probe leaves the folder mode: so the view never shows a USER folder in
// the track-list mode, and a player that came back (or came at all) is shown
// at once. A failure leaves the connection's flags cleared and the view empty.
void MainFrame::OnDeviceChange() {
  if (connection_.IsOpen()) {
    try {
      connection_.ProbeDevice();
    } catch (const CMediaException&) {
    } catch (const CException&) {
    }
  }
  SendMessage(view_.Handle(), UM_RELOAD, 0, 0);
}

void MainFrame::UpdateMenuState(CMenu& menu) {
  using namespace CommandId;
  const bool locked = connection_.IsLocked();
  const bool writable = connection_.IsFileSystemOpen() && !locked;
  const bool selected = view_.SelectedCount() > 0;
  menu.EnableItem(MediaProperties, connection_.IsFileSystemOpen());
  for (uint32_t item : {InternalMemory, MemoryCard, SortNone, SortName, SortExtension, SortDate, SortSize})
    menu.CheckItem(item, false);
  menu.CheckItem(settings_.selectedMedium == 1 ? MemoryCard : InternalMemory, true);
  if (connection_.folderMode == PlayerConnection::UserTreeMode) {
    menu.CheckItem(view_.SortCommand(), true);
    menu.EnableItem(SortNone, false);
    SetEnabled(menu, {SortName, SortExtension, SortDate, SortSize}, true);
    menu.EnableItem(Prev, view_.GoBack(false));
    menu.EnableItem(Next, view_.GoForward(false));
    SetEnabled(menu, {Download, CommandId::CreateFolder}, writable);
    menu.EnableItem(Upload, selected);
    menu.EnableItem(Properties, false);
    SetEnabled(menu, {Delete, Rename}, selected && !locked);
    SetEnabled(menu, {MoveUp, MoveDown}, false);
  } else if (connection_.folderMode == PlayerConnection::TrackListMode) {
    menu.CheckItem(SortNone, true);
    SetEnabled(menu, {SortNone, SortName, SortExtension, SortDate, SortSize}, false);
    menu.EnableItem(Download, writable);
    menu.EnableItem(Upload, selected);
    menu.EnableItem(CommandId::CreateFolder, false);
    menu.EnableItem(Properties, selected);
    SetEnabled(menu, {Delete, Rename, MoveUp, MoveDown}, selected && !locked);
  }
}

void MainFrame::UpdateToolbar() {
  using namespace CommandId;
  const uint8_t mode = connection_.folderMode;
  if (mode != PlayerConnection::TrackListMode && mode != PlayerConnection::UserTreeMode) return;
  const bool trackList = mode == PlayerConnection::TrackListMode;
  const bool locked = connection_.IsLocked();
  const bool selected = view_.SelectedCount() > 0;
  bar_.EnableButton(Download, connection_.IsFileSystemOpen() && !locked);
  bar_.EnableButton(Upload, selected);
  bar_.EnableButton(Properties, trackList && selected);
  bar_.EnableButton(Delete, selected && !locked);
  bar_.EnableButton(MoveUp, trackList && selected && !locked);
  bar_.EnableButton(MoveDown, trackList && selected && !locked);
  if (!trackList) {
    bar_.EnableButton(Prev, view_.GoBack(false));
    bar_.EnableButton(Next, view_.GoForward(false));
  }
}

void MainFrame::UpdateStatusBar() {
  if (!connection_.IsFileSystemOpen()) {
    status_.SetText(0, 0, CText());
    status_.SetText(1, 0, CText());
    status_.SetText(2, 0, LoadStringText(StringId::NotAvailable));
    return;
  }
  CText objects;
  if (const int selected = view_.SelectedCount(); selected > 0) {
    objects.Format(LoadStringText(StringId::ObjectsSelected).Chars(), selected);
  } else {
    objects.Format(LoadStringText(StringId::Objects).Chars(), view_.ItemCount());
  }
  status_.SetText(0, 0, objects);
  CText space = LoadStringText(StringId::Locked);
  if (!connection_.IsLocked())
    space.Format(LoadStringText(StringId::FreeSpace).Chars(), FormatSizeText(connection_.GetFreeBytes()).Chars());
  status_.SetText(1, 0, space);
  status_.SetText(2, 0, connection_.GetMediaDescription());
  LayOutStatusParts(ClientSize().width);
}

// The free space and the medium keep to the right end and widen for a text
// that would be cut; the object count takes the rest.
void MainFrame::LayOutStatusParts(int width) {
  const int medium = std::max(MediumPartWidth, status_.PartWidthFor(2, status_.PartText(2)));
  const int space = std::max(SpacePartWidth, status_.PartWidthFor(1, status_.PartText(1)));
  status_.SetParts({width - space - medium, width - medium, -1});
}
