// One running copy of the program per user. The first copy listens on a
// local socket named by the application title; a later copy that reaches it
// asks it to come to the front and ends.
#pragma once

#include <QLocalServer>
#include <functional>
#include <memory>

#include "framework/core/Text.h"

class RunningCopy {
 public:
  // True when an earlier copy answered: it has been asked to come to the front.
  static bool AskEarlierCopy(const CText& title);
  // Every later copy that asks calls `bringToFront`. A socket left behind by a
  // copy that crashed is taken over. False when the socket cannot be made.
  bool Listen(const CText& title, std::function<void()> bringToFront);
  void Stop() { server_.reset(); }

 private:
  std::unique_ptr<QLocalServer> server_;
};
