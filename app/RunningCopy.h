// One running copy of the program per user. The first copy takes a lock in
// the user's runtime folder, atomically, before anything else decides, and
// listens on a local socket beside it; a later copy finds the lock taken,
// asks the first to come to the front and ends.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>
#include <memory>

#include "framework/core/Text.h"

class RunningCopy {
 public:
  RunningCopy() = default;
  RunningCopy(const RunningCopy&) = delete;
  RunningCopy& operator=(const RunningCopy&) = delete;
  ~RunningCopy() { Stop(); }

  // Takes the lock of the title: true for the first copy (and where no lock
  // can be made at all, so that the program still runs), false while another
  // copy holds it. The lock goes with the process, however it ends.
  bool Claim(const CText& title);
  // Asks the copy that holds the lock to come to the front, giving one that is
  // still starting a few seconds to listen. True when it answered.
  static bool AskEarlierCopy(const CText& title);
  // Every later copy that asks calls `bringToFront`. A socket left behind by a
  // copy that crashed is taken over, as the lock tells it is gone. False when
  // the socket cannot be made.
  bool Listen(const CText& title, std::function<void()> bringToFront);
  // Stops listening and gives the lock up.
  void Stop();

  // The user's runtime folder: $XDG_RUNTIME_DIR, else a folder of this user's
  // own under /tmp (never $TMPDIR, which differs between shells). Ends in '/';
  // empty when there is none to be had.
  static QString RuntimeFolder();

 private:
  int lock_ = -1;
  std::unique_ptr<QLocalServer> server_;
};
