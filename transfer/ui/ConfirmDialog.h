// The questions asked before a copy replaces a file and before entries of the
// player are deleted: one small dialog that shows four texts prepared by its
// caller and returns the button pressed.
#pragma once

#include <vector>

#include "framework/ui/Dialog.h"
#include "player/PlayerEntry.h"

class ConfirmDialog final : public CDialogBase {
 public:
  void SetTitle(const CText& title) { title_ = title; }
  void SetMessage(const CText& message) { message_ = message; }
  void SetExistingFileText(const CText& text) { existingFile_ = text; }
  void SetNewFileText(const CText& text) { newFile_ = text; }
  // IDYES, IDNO, 1000 (Yes to All) or IDCANCEL (also Escape and the close
  // box).
  int Run(CNativeWindow* owner, uint32_t templateId) { return static_cast<int>(RunModal(owner, templateId)); }

  bool OnMessage(MessageRecord& record) override;

 private:
  CText title_;
  CText message_;
  CText existingFile_;
  CText newFile_;
};

// The replacement question of a download: the PC file at the path would
// replace the player's entry. Afterwards the owner has the keyboard focus.
int AskReplaceOnPlayer(CNativeWindow* owner, const CText& pcPath, const PlayerEntry& existing);
// The replacement question of an upload: the player's entry would replace the
// file of that name in the PC's current folder.
int AskReplaceOnPc(CNativeWindow* owner, const CText& name, const PlayerEntry& replacement);

// The deletion question over the selected entries: ".", ".." and "<USER>"
// are left out, one entry is named by its display name, several are counted.
// True when the user answered Yes to a question about at least one entry,
// which are then in `kept`.
bool AskDeletion(CNativeWindow* owner, const std::vector<PlayerEntry>& selected, std::vector<PlayerEntry>* kept);
