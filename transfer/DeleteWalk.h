// The deletion on the player as a walk, apart from any window: files, and
// folders with everything in them. The deletion dialog plugs in its progress
// display and stop request through a DeleteObserver; tunewarden-cli plugs in
// its own report.
#pragma once

#include <vector>

#include "framework/core/Text.h"
#include "player/PlayerConnection.h"

class DeleteObserver {
 public:
  // Asked before and after each entry; false stops the deletion there.
  virtual bool KeepGoing() = 0;
  // A file is about to be deleted.
  virtual void FileErasing(const PlayerEntry&) {}
  // An entry is gone; its path leads from the folder the deletion started in,
  // folders apart by '\'.
  virtual void Removed(const CText&, const PlayerEntry&) {}
  // An entry of the list starts, and is done.
  virtual void ItemStarting() {}
  virtual void ItemDone() {}
  // A folder being emptied holds `count` entries, of which `done` are gone.
  virtual void FolderListed(int) {}
  virtual void FolderProgress(int) {}

 protected:
  ~DeleteObserver() = default;
};

class DeleteWalk {
 public:
  DeleteWalk(PlayerConnection& connection, DeleteObserver& observer) : connection_(connection), observer_(observer) {}

  // "." and ".." and the "<USER>" row are never deleted: no folder whose name
  // begins with '.' or '<'.
  static bool IsDeletable(const PlayerEntry& entry);

  // Deletes entries of the player's current folder as one batch (in the
  // track list the playlist is written once, at the end); a folder's files go
  // first, then each subfolder after its content, then the folder. Entries
  // that are not deletable are passed over. A stop throws CException 0; every
  // failure ends the deletion, and what was deleted stays deleted. Whatever
  // happens, the PC's current folder and the player's are what they were.
  void Run(const std::vector<PlayerEntry>& entries);

 private:
  void EraseItem(const PlayerEntry& entry, const CText& folderPath);
  void EraseFolder(const PlayerEntry& entry, const CText& path);
  void CheckKeepGoing();

  PlayerConnection& connection_;
  DeleteObserver& observer_;
};
