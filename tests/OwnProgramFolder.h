// Gives this run of a test binary a program folder of its own: two runs of one
// build at once (or a run beside the real program) never see each other's files
// beside the program. The build's folder is mirrored: its programs and
// libraries by links, its data files by copies that a test may overwrite.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/Files.h"
#include "tests/TempFiles.h"

class OwnProgramFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    namespace fs = std::filesystem;
    folder_ = std::make_unique<TempFolder>();
    for (const fs::directory_entry& entry : fs::directory_iterator(platform::ProgramFolder())) {
      const fs::path target = fs::path(folder_->Path()) / entry.path().filename();
      if (!entry.is_regular_file()) continue;
      if ((entry.status().permissions() & fs::perms::owner_exec) != fs::perms::none) {
        fs::create_symlink(entry.path(), target);
      } else {
        fs::copy_file(entry.path(), target);
      }
    }
    platform::SetProgramFolder(folder_->Path() + "/");
  }
  void TearDown() override {
    platform::SetProgramFolder({});
    folder_.reset();
  }

 private:
  std::unique_ptr<TempFolder> folder_;
};
inline ::testing::Environment* const OwnProgramFolderRegistration =
    ::testing::AddGlobalTestEnvironment(new OwnProgramFolder);
