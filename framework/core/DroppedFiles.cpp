#include "framework/core/DroppedFiles.h"

#include "framework/core/Helpers.h"

int CDroppedFiles::Attach(std::unique_ptr<DropHandle> drop) {
  drop_ = std::move(drop);
  next_ = 0;
  count_ = drop_ ? static_cast<int>(drop_->paths.size()) : 0;
  return count_;
}

bool CDroppedFiles::Next(CFileEntry& entry) {
  if (next_ >= count_) return false;
  const CText& path = drop_->paths[next_++];
  entry = GetFileEntry(path);
  entry.name = path;
  return true;
}
