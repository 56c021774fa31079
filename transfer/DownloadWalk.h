// The download to the player as a walk over PC files and folders, apart from
// any window. The transfer dialog plugs in its progress display, replacement
// question and stop request through a DownloadObserver; tunewarden-cli plugs
// in its own.
//
// In the track list every file becomes a track (only its audio range is sent)
// and folders are only walked; in a USER folder files keep their names,
// folders are recreated and an existing file is replaced only when the
// observer says so.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/AudioAnalysis.h"
#include "framework/core/DiskFile.h"
#include "framework/core/Text.h"
#include "player/PlayerConnection.h"

// The answers of the replacement question, as its dialog returns them.
enum class ReplaceAnswer : int { Yes = 6, No = 7, YesToAll = 1000, Cancel = 2 };

class DownloadObserver {
 public:
  // A file is about to be sent: its name and the bytes that go.
  virtual void FileStarting(const CText& name, uint32_t length) = 0;
  // The plug-in's progress call during the file; false stops the download.
  virtual bool FileProgress(const TransferRequest& request) = 0;
  // The file is on the player.
  virtual void FileDone() = 0;
  // A file of the PC file's name exists in the player's current USER folder.
  virtual ReplaceAnswer AskReplace(const CText& pcPath, const PlayerEntry& existing) = 0;
  // Asked after every item; true ends the walk there as a finished one.
  virtual bool StopRequested() = 0;

 protected:
  ~DownloadObserver() = default;
};

class DownloadWalk {
 public:
  DownloadWalk(PlayerConnection& connection, DownloadObserver& observer)
      : connection_(connection), observer_(observer) {}

  // Copies the PC paths (full, or relative to the PC's current folder) into
  // the player's current folder as one batch (BeginUpdate ... EndUpdate).
  // Every failure ends the whole download and is thrown after EndUpdate;
  // files already stored stay. A stop inside a file and Cancel in the
  // replacement question throw CException 0. Whatever happens, the PC's
  // current folder and the player's are what they were before.
  void Run(const std::vector<CText>& paths);

 private:
  void DownloadItems(const std::vector<CText>& paths);
  void DownloadItem(const CText& path);
  void DownloadFolder(const CText& path);
  void DownloadFile(const CText& path);
  void RestoreFolders(const CText& pcFolder, const CText& playerFolder);
  static uint32_t OnProgress(TransferRequest* request);
  static uint32_t OnData(TransferRequest* request, void* buffer, uint32_t length);

  PlayerConnection& connection_;
  DownloadObserver& observer_;
  bool replaceAll_ = false;
  CDiskFile file_;            // the PC file being sent
  uint32_t readFailure_ = 0;  // why reading it failed, for the error shown
};
