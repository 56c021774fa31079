// Files, folders and directory search. Paths are in the program's code page
// and use '/'; folder texts end in '/'.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Time.h"

namespace platform {

using FileHandle = int;
constexpr FileHandle InvalidFile = -1;

// The framework's open flags.
namespace OpenFlag {
constexpr uint32_t Create = 0x01;     // create if missing
constexpr uint32_t Truncate = 0x02;   // with Create: always create empty
constexpr uint32_t CreateNew = 0x04;  // fail if the file exists; overrides the two above
constexpr uint32_t Read = 0x08;
constexpr uint32_t Write = 0x10;
constexpr uint32_t ShareRead = 0x20;
constexpr uint32_t ShareWrite = 0x40;
}  // namespace OpenFlag

enum class SeekOrigin { Begin, Current, End };

// Windows file attribute bits, as CFileEntry reports them.
namespace Attribute {
constexpr uint32_t ReadOnly = 0x01;
constexpr uint32_t Hidden = 0x02;
constexpr uint32_t Directory = 0x10;
constexpr uint32_t Archive = 0x20;
constexpr uint32_t Device = 0x40;  // neither file nor folder: a pipe, socket, device node or broken link
constexpr uint32_t Normal = 0x80;
}  // namespace Attribute

// Each returns InvalidFile / false and sets the last error on failure.
FileHandle OpenFile(std::string_view path, uint32_t flags);
bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);
bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin, uint64_t* position);
bool GetFileSize(FileHandle file, uint64_t* size);
bool CloseFile(FileHandle file);

bool FileExists(std::string_view path);
bool DeleteFile(std::string_view path);
bool CreateFolder(std::string_view path);
bool RemoveFolder(std::string_view path);
bool RenameFile(std::string_view from, std::string_view to);

// Which file an entry is, whatever path led to it (links followed).
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct FileInfo {
  std::string name;  // last path element
  uint64_t size = 0;
  uint32_t attributes = 0;
  FileTime modified = 0;  // UTC
  std::string shortName;  // empty: Linux has no 8.3 alternative names
  FileIdentity identity;
  // The code page cannot hold the system's name: `name` shows it with '?'
  // for what it lacks, and no call reaches the entry by it.
  bool nameLost = false;
};
bool GetFileInfo(std::string_view path, FileInfo* info);

// Case-insensitive (ASCII) wildcard match with '*' and '?': "*.hex" matches "B.HEX".
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Lists the entries of a folder whose names match the pattern's last element
// ("dir/*.hex"); "." and ".." are listed as the system lists them.
class DirectorySearch {
 public:
  DirectorySearch() = default;
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;
  ~DirectorySearch();
  // False (last error FileNotFound / PathNotFound) when nothing matches.
  bool Start(std::string_view pattern);
  // False when there are no more. Entries whose names the code page cannot
  // hold are listed too, with nameLost set.
  bool Next(FileInfo* info);
  void Close();

 private:
  void* dir_ = nullptr;
  std::string pattern_;
  FileInfo first_;  // found by Start, handed out by the first Next
  bool pending_ = false;
};

// The path as the system takes it (UTF-8); false (last error InvalidName) when
// it does not convert or holds a 0 byte.
bool ToSystemPath(std::string_view path, std::string* systemPath);
// A new empty file in the temporary folder (TMPDIR, else /tmp) that only this
// user may read, open for reading and writing; `path` is set in the program's
// code page. InvalidFile on failure, with the last error set.
FileHandle CreateTemporaryFile(std::string* path);

std::string CurrentDirectory();  // ends in '/'
bool SetCurrentDirectory(std::string_view path);
std::string ProgramPath();    // the running executable
std::string ProgramFolder();  // its folder, ending in '/'
// Makes `folder` (ending in '/') stand for the program's folder from now on;
// empty gives the executable's again. Tests use it so that files they put
// beside the program cannot meet another run of the same build.
void SetProgramFolder(std::string folder);
// True when this user may create files in the folder.
bool FolderWritable(std::string_view folder);
// The user's folder for settings: $XDG_CONFIG_HOME (taken only as an absolute
// path), else ~/.config; ends in '/'; empty when neither is set.
std::string UserConfigFolder();
// The simulated player's folder, which the device plug-in drives and the
// window watches for its switches: $TUNEWARDEN_PLAYER, else
// $XDG_DATA_HOME/tunewarden/player (taken only as an absolute path), else
// ~/.local/share/tunewarden/player; empty when none of them can be formed.
std::string SimulatedPlayerFolder();

}  // namespace platform
