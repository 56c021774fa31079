// The files of one drop from the desktop. The window layer hands over the
// dropped paths; the drop is finished when the list is released.
#pragma once

#include <memory>
#include <vector>

#include "framework/core/FileEntry.h"
#include "framework/core/Root.h"
#include "framework/core/Text.h"

// What a drop delivers: full paths in the program's code page.
struct DropHandle {
  std::vector<CText> paths;
};

class CDroppedFiles : public CRoot {
 public:
  // Finishes any earlier drop; gives the number of dropped paths.
  int Attach(std::unique_ptr<DropHandle> drop);
  // Fills the entry of the next path, its name being the full path; false after
  // the last. Throws CException when that path cannot be found.
  bool Next(CFileEntry& entry);

 private:
  std::unique_ptr<DropHandle> drop_;
  int next_ = 0;
  int count_ = 0;
};
