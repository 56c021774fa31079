// The program-wide small and large image lists that give every row of the
// player view its icon. Files take the icon of their type from the desktop's
// MIME database and icon theme (Adwaita when the desktop names none), cached
// by extension text.
#pragma once

#include <utility>
#include <vector>

#include "framework/core/Text.h"
#include "framework/ui/Graphics.h"
#include "player/PlayerEntry.h"

class IconCache {
 public:
  // The fixed icons, at the same index in both lists.
  static constexpr int FileImage = 0;    // icon 512, any file
  static constexpr int FolderImage = 1;  // icon 511
  static constexpr int TrackImage = 2;   // icon 513
  static constexpr int MediumImage = 3;  // icon 112

  // Makes both lists and loads the fixed icons; a missing icon resource
  // throws CException.
  void Create();
  // Never fails: anything that goes wrong gives the generic file icon.
  int IconIndexFor(const PlayerEntry& entry);
  CImageSet* SmallImages() { return &small_; }
  CImageSet* LargeImages() { return &large_; }

 private:
  CImageSet small_;
  CImageSet large_;
  std::vector<std::pair<CText, int>> byExtension_;
};
