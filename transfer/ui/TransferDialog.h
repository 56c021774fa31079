// The progress window of a download to the player and of an upload to the
// PC ("File Transfer"). It stays hidden until its first display update, at
// least 500 ms after it started, so short transfers never show it; its
// display updates keep the windows alive.
#pragma once

#include <vector>

#include "player/PlayerConnection.h"
#include "transfer/TransferObserver.h"
#include "transfer/TransferProgress.h"
#include "transfer/ui/ProgressDialog.h"

class TransferDialog final : public ProgressDialog, private TransferObserver {
 public:
  explicit TransferDialog(PlayerConnection& connection) : connection_(connection) {}

  // Copies PC files and folders (full paths, or names in the PC's current
  // folder) into the player's current folder, owned by `parent`. 1 when the
  // walk ended normally, 2 after an error (shown) or a stop inside a file.
  // What was passed over is told in one box when the walk ends.
  int RunDownload(CNativeWindow* parent, const std::vector<CText>& paths);
  // Copies entries of the player's current folder into the PC's current
  // folder. 1 after a normal end or a stop, 2 after an error (shown) or
  // Cancel in a replacement question.
  int RunUpload(CNativeWindow* parent, const std::vector<PlayerEntry>& entries);

 private:
  void Initialise() override;
  void Work(uint32_t workMessage) override;

  void FileStarting(const CText& name, uint32_t length) override;
  bool FileProgress(const TransferRequest& request) override;
  void FileDone() override { progressBar_.Fill(); }
  ReplaceAnswer AskReplace(const CText& pcPath, const PlayerEntry& playerEntry) override;
  void NotSent(const CText& path, uint32_t reasonId) override;
  bool StopRequested() override { return StopAsked(); }
  void TellNotSent();

  PlayerConnection& connection_;
  const std::vector<CText>* paths_ = nullptr;
  const std::vector<PlayerEntry>* entries_ = nullptr;
  TransferDirection direction_ = TransferDirection::ToPlayer;
  bool shown_ = false;
  TransferProgress progress_;
  std::vector<CText> notSent_;  // one line each
};
