// A directory search by wildcard path ("folder/*.hex"); names match without
// regard to case.
#pragma once

#include "framework/core/FileEntry.h"
#include "framework/core/Root.h"
#include "platform/Files.h"

class CFileSearch : public CRoot {
 public:
  ~CFileSearch() override { Close(); }
  // Closes any earlier search. False when nothing matches; Next then gives false.
  bool Start(const CText& pattern);
  // False when there are no more entries or the search did not start.
  bool Next(CFileEntry& entry);
  void Close();

 private:
  platform::DirectorySearch search_;
  bool started_ = false;
};
