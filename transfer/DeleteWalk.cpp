#include "transfer/DeleteWalk.h"

#include "framework/core/Exception.h"
#include "transfer/Walking.h"

bool DeleteWalk::IsDeletable(const PlayerEntry& entry) {
  return !entry.IsFolder() ||
         (!entry.longName.IsEmpty() && entry.longName.Chars()[0] != '.' && entry.longName.Chars()[0] != '<');
}

void DeleteWalk::Run(const std::vector<PlayerEntry>& entries) {
  KeepingFolders(connection_, [&] {
    AsOneUpdate(connection_, [&] {
      for (const PlayerEntry& entry : entries) {
        if (!IsDeletable(entry)) continue;
        observer_.ItemStarting();
        EraseItem(entry, CText());
        observer_.ItemDone();
      }
    });
  });
}

void DeleteWalk::CheckKeepGoing() {
  if (!observer_.KeepGoing()) throw CException(0);
}

void DeleteWalk::EraseItem(const PlayerEntry& entry, const CText& folderPath) {
  CheckKeepGoing();
  CText path = folderPath;
  if (!path.IsEmpty()) path += '\\';
  path += entry.longName;
  if (entry.IsFolder()) {
    EraseFolder(entry, path);
  } else {
    observer_.FileErasing(entry);
    PlayerEntry file = entry;
    connection_.DeleteEntry(file);
  }
  observer_.Removed(path, entry);
  CheckKeepGoing();
}

void DeleteWalk::EraseFolder(const PlayerEntry& entry, const CText& path) {
  connection_.ChangeFolder(entry.longName);
  std::vector<PlayerEntry> inner = connection_.ListFolder();
  std::erase_if(inner, [](const PlayerEntry& e) { return e.IsDotFolder(); });
  observer_.FolderListed(static_cast<int>(inner.size()));
  for (size_t i = 0; i < inner.size(); ++i) {
    EraseItem(inner[i], path);
    observer_.FolderProgress(static_cast<int>(i + 1));
  }
  connection_.ChangeFolder("..");
  connection_.RemoveFolder(entry.longName);
}
