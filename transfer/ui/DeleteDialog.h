// The progress window of a deletion on the player ("File Delete"): visible
// from the start, it names each file as it goes and lets the user stop
// between entries.
#pragma once

#include <vector>

#include "player/PlayerConnection.h"
#include "transfer/DeleteWalk.h"
#include "transfer/ui/ProgressDialog.h"

class DeleteDialog final : public ProgressDialog, private DeleteObserver {
 public:
  explicit DeleteDialog(PlayerConnection& connection) : connection_(connection) {}

  // Deletes entries of the player's current folder, folders with everything
  // in them, owned by `parent`. 1 after a normal end, 2 after an error
  // (shown) or a stop.
  int RunDelete(CNativeWindow* parent, const std::vector<PlayerEntry>& entries);

 private:
  void Initialise() override;
  void Work(uint32_t) override { DeleteWalk(connection_, *this).Run(*entries_); }

  bool KeepGoing() override;
  void FileErasing(const PlayerEntry& entry) override;
  void ItemStarting() override { progressBar_.SetPosition(0); }
  void ItemDone() override { progressBar_.Fill(); }
  void FolderListed(int count) override;
  void FolderProgress(int done) override { progressBar_.SetPosition(done); }

  PlayerConnection& connection_;
  const std::vector<PlayerEntry>* entries_ = nullptr;
};

// The Delete command's work: the deletion question over the selected
// entries, and on Yes the deletion, owned by the view. 0 when nothing was
// asked or the answer was No, else the deletion's result.
int DeleteSelection(CNativeWindow* view, PlayerConnection& connection, const std::vector<PlayerEntry>& selected);
