// The program's one top-level window: the media bar at the top, the player
// view in the middle and the status bar at the bottom. It routes every
// command: file commands to the view, the medium choice to the media bar;
// and sets the menu, tool bar and status bar from the connection and the view.
#pragma once

#include "framework/ui/Frame.h"
#include "player/PlayerConnection.h"
#include "settings/AppSettings.h"
#include "ui/DeviceMonitor.h"
#include "ui/IconCache.h"
#include "ui/MediaBar.h"
#include "ui/PlayerView.h"

class MainFrame final : public CFrameBase {
 public:
  static constexpr int Width = 500;
  static constexpr int Height = 400;

  MainFrame(AppSettings& settings, PlayerConnection& connection, IconCache& icons)
      : settings_(settings), connection_(connection), bar_(settings), view_(settings, connection, icons) {}

  // The hidden window with the main menu and accelerators. The object lives
  // on the heap and deletes itself when its window is gone.
  void Create();
  bool OnMessage(MessageRecord& record) override;

  // Enabled, grayed and checked items of the main menu or the context popup.
  void UpdateMenuState(CMenu& menu);
  void UpdateToolbar();
  void UpdateStatusBar();

  MediaBar& Bar() { return bar_; }
  PlayerView& View() { return view_; }
  CStatusLine& StatusBar() { return status_; }

 private:
  void OnCreate();
  void OnSize(LPARAM clientSize);
  void LayOutStatusParts(int width);
  void OnCommand(const MessageRecord& record);
  void OnDeviceChange();

  AppSettings& settings_;
  PlayerConnection& connection_;
  MediaBar bar_;
  PlayerView view_;
  CStatusLine status_;
  DeviceMonitor devices_;
};
