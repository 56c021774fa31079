// The list in the middle of the main window: the current folder of the
// connected medium, one row per entry (name, size, date). The track list keeps
// the play order and ends with the "<USER>" row; a USER folder starts with its
// ".." row and folders, and is sorted. The commands on the rows (create,
// open, rename, delete, move, select all, properties, download, upload) run
// here, from the frame, from the keys, from the context menu and from drops.
#pragma once

#include <unordered_map>
#include <vector>

#include "framework/ui/ListControl.h"
#include "platform/Locale.h"
#include "player/EntryOrder.h"
#include "player/PlayerConnection.h"
#include "settings/AppSettings.h"
#include "ui/IconCache.h"

class PlayerView final : public CListControl {
 public:
  PlayerView(AppSettings& settings, PlayerConnection& connection, IconCache& icons)
      : settings_(settings), connection_(connection), icons_(icons) {}
  ~PlayerView() override;

  void Create(CNativeWindow* frame);

  bool OnMessage(MessageRecord& record) override;
  // Takes a sort command (40041 to 40045), not a column.
  void OnColumnClick(int sortCommand) override { SortBy(static_cast<uint32_t>(sortCommand)); }
  int Compare(LPARAM value1, LPARAM value2, uint32_t sortCommand) override;

  // Connects to the player again and fills the rows; the message of a failed
  // connection is shown only when asked.
  void Reload(bool reportErrors);
  void FillList();
  // The index of the new row; nothing is added for ".". A listing passes one
  // date format for all its rows.
  int AddEntryRow(const PlayerEntry& entry, const platform::DateTimeFormat& dates = platform::DateTimeFormat());
  void EnterFolder(const CText& name);
  // With perform false they only tell whether the step is possible.
  bool GoBack(bool perform);
  bool GoForward(bool perform);
  void SortBy(uint32_t sortCommand);

  uint32_t SortCommand() const { return sortCommand_; }
  const std::vector<CText>& History() const { return history_; }
  int HistoryPosition() const { return historyPosition_; }
  PlayerEntry* EntryOf(int row) const { return reinterpret_cast<PlayerEntry*>(ItemValue(row)); }

 private:
  void OnCreate();
  // The Parts' widths are the least; a column widens to show its widest text.
  void SetColumnWidths();
  bool OnCommand(uint32_t command);
  bool OnNotify(ListViewNotify& notify, LRESULT* result);
  void ResetHistory();
  void ReportStateChange();
  void FreeEntries();

  // The commands.
  void NewFolder();
  // The first selected row's folder: into it (Enter, double click).
  void OpenSelected();
  void RenameFocused();
  // The end of an edit of a row's label; false refuses the text.
  bool CommitRename(ListViewNotify& notify);
  void DeleteSelected();
  void ShowProperties();
  void MoveSelectedUp();
  void MoveSelectedDown();
  void MoveRow(int from, int to);
  void SaveOrder();
  void Download();
  void Upload();
  // At a point in client coordinates; the chosen command comes back as WM_COMMAND.
  void ShowContextMenu(int x, int y);
  bool OnDropFiles(const MessageRecord& record);
  // Copies of the entries of the selected rows, top to bottom.
  std::vector<PlayerEntry> SelectedEntries() const;
  // After a transfer or deletion: the rows again when it ended normally, the
  // connection again otherwise.
  void RefreshAfter(int result);

  AppSettings& settings_;
  PlayerConnection& connection_;
  IconCache& icons_;
  bool suppress_ = false;
  int historyPosition_ = 0;
  std::vector<CText> history_;
  uint32_t sortCommand_ = 0;
  std::unordered_map<LPARAM, EntrySortKey> sortKeys_;  // while the rows are sorted
};
