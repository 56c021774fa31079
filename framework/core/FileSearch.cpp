#include "framework/core/FileSearch.h"

bool CFileSearch::Start(const CText& pattern) {
  Close();
  started_ = search_.Start(pattern.View());
  return started_;
}

bool CFileSearch::Next(CFileEntry& entry) {
  platform::FileInfo info;
  if (!started_ || !search_.Next(&info)) return false;
  entry = CFileEntry::FromInfo(info);
  return true;
}

void CFileSearch::Close() {
  search_.Close();
  started_ = false;
}
