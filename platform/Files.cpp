#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Errors.h"

namespace platform {

namespace {

bool FromSystemPath(std::string_view systemPath, std::string* path) {
  if (ActiveCodePage() == CodePageUtf8) {
    path->assign(systemPath);
    return true;
  }
  return Utf8ToCodePage(systemPath, path);
}

std::string ParentFolder(const std::string& systemPath) {
  size_t end = systemPath.find_last_not_of('/');
  if (end == std::string::npos) return "/";
  size_t slash = systemPath.rfind('/', end);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : systemPath.substr(0, slash);
}

// Sets the last error for a failed call on a path. A missing entry is "file
// not found" when its folder exists and "path not found" when the folder is
// missing too, as the original system tells them apart.
bool FailOnPath(const std::string& systemPath, int errnoValue) {
  SetLastErrorFromErrno(errnoValue);
  if (errnoValue == ENOENT) {
    struct stat folder;
    bool folderThere = stat(ParentFolder(systemPath).c_str(), &folder) == 0 && S_ISDIR(folder.st_mode);
    if (!folderThere) SetLastError(Error::PathNotFound);
  }
  return false;
}

bool Fail() {
  SetLastErrorFromErrno();
  return false;
}

std::string LastElement(std::string_view path) {
  size_t end = path.find_last_not_of('/');
  if (end == std::string_view::npos) return std::string(path.empty() ? "" : "/");
  size_t slash = path.rfind('/', end);
  size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return std::string(path.substr(start, end + 1 - start));
}

uint32_t AttributesOf(const struct stat& status, std::string_view name) {
  uint32_t attributes = S_ISDIR(status.st_mode)   ? Attribute::Directory
                        : S_ISREG(status.st_mode) ? Attribute::Archive
                                                  : Attribute::Device;
  if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= Attribute::ReadOnly;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= Attribute::Hidden;
  return attributes;
}

void FillInfo(const struct stat& status, std::string name, FileInfo* info) {
  info->attributes = AttributesOf(status, name);
  info->name = std::move(name);
  info->size = S_ISDIR(status.st_mode) ? 0 : static_cast<uint64_t>(status.st_size);
  info->modified = FileTimeFromUnix(status.st_mtim.tv_sec, status.st_mtim.tv_nsec);
  info->shortName.clear();
  info->identity = FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
  info->nameLost = false;
}

// Steps one character of the code page, so that '?' stands for a whole
// double-byte or UTF-8 character.
bool WildcardMatchFrom(std::string_view pattern, std::string_view name) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharLength(name, n);
    } else if (p < pattern.size() && lower(pattern[p]) == lower(name[n])) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      starN += CharLength(name, starN);
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool ToSystemPath(std::string_view path, std::string* systemPath) {
  if (path.find('\0') != std::string_view::npos) {
    SetLastError(Error::InvalidName);
    return false;
  }
  if (ActiveCodePage() == CodePageUtf8) {
    systemPath->assign(path);  // names on disk need not be valid UTF-8
    return true;
  }
  if (!CodePageToUtf8(path, systemPath)) {
    SetLastError(Error::InvalidName);
    return false;
  }
  return true;
}

FileHandle CreateTemporaryFile(std::string* path) {
  const char* folder = std::getenv("TMPDIR");
  std::string systemPath = std::string(folder != nullptr && *folder != 0 ? folder : "/tmp") + "/tunewarden-XXXXXX";
  const int file = mkostemp(systemPath.data(), O_CLOEXEC);
  if (file < 0) {
    SetLastErrorFromErrno(errno);
    return InvalidFile;
  }
  if (!FromSystemPath(systemPath, path)) {
    close(file);
    unlink(systemPath.c_str());
    return InvalidFile;
  }
  return file;
}

// Linux has no share modes: the share bits are accepted and have no effect.
FileHandle OpenFile(std::string_view path, uint32_t flags) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return InvalidFile;
  bool read = flags & OpenFlag::Read, write = flags & OpenFlag::Write;
  int mode = write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (flags & OpenFlag::CreateNew) {
    mode |= O_CREAT | O_EXCL;
  } else if (flags & OpenFlag::Create) {
    mode |= O_CREAT;
    if (flags & OpenFlag::Truncate) mode |= O_TRUNC;
  }
  int file = open(systemPath.c_str(), mode | O_CLOEXEC, 0666);
  if (file < 0) {
    FailOnPath(systemPath, errno);
    return InvalidFile;
  }
  struct stat status;
  const bool known = fstat(file, &status) == 0;
  if (known && S_ISDIR(status.st_mode)) {
    close(file);  // a folder is not a file, as the original system says
    SetLastError(Error::AccessDenied);
    return InvalidFile;
  }
  // A file within the system's first read-ahead gains nothing from the hint.
  constexpr off_t FirstReadAhead = off_t(128) * 1024;
  if (!known || status.st_size > FirstReadAhead) posix_fadvise(file, 0, 0, POSIX_FADV_SEQUENTIAL);
  return file;
}

bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (*done < count) {
    ssize_t got = read(file, bytes + *done, count - *done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail();
    if (got == 0) break;  // the end: success with fewer bytes
    *done += static_cast<uint32_t>(got);
  }
  return true;
}

bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (*done < count) {
    ssize_t put = write(file, bytes + *done, count - *done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return Fail();
    *done += static_cast<uint32_t>(put);
  }
  return true;
}

bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin, uint64_t* position) {
  int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  off_t result = lseek(file, offset, whence);
  if (result < 0) return Fail();
  if (position != nullptr) *position = static_cast<uint64_t>(result);
  return true;
}

bool GetFileSize(FileHandle file, uint64_t* size) {
  struct stat status;
  if (fstat(file, &status) != 0) return Fail();
  *size = static_cast<uint64_t>(status.st_size);
  return true;
}

bool CloseFile(FileHandle file) { return close(file) == 0 || Fail(); }

bool FileExists(std::string_view path) {
  std::string systemPath;
  struct stat status;
  if (!ToSystemPath(path, &systemPath)) return false;
  return stat(systemPath.c_str(), &status) == 0 || FailOnPath(systemPath, errno);
}

bool DeleteFile(std::string_view path) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return false;
  return unlink(systemPath.c_str()) == 0 || FailOnPath(systemPath, errno);
}

bool CreateFolder(std::string_view path) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return false;
  if (mkdir(systemPath.c_str(), 0777) == 0) return true;
  if (errno == EEXIST) {
    SetLastError(Error::AlreadyExists);
    return false;
  }
  return FailOnPath(systemPath, errno);
}

bool RemoveFolder(std::string_view path) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return false;
  if (rmdir(systemPath.c_str()) == 0) return true;
  int error = errno;
  FailOnPath(systemPath, error);
  if (error == ENOTDIR) {
    struct stat status;  // the entry itself is a file, not a folder in the path
    if (stat(systemPath.c_str(), &status) == 0) SetLastError(Error::NotADirectory);
  }
  return false;
}

// Like the original system, a rename never replaces an existing entry.
bool RenameFile(std::string_view from, std::string_view to) {
  std::string systemFrom, systemTo;
  if (!ToSystemPath(from, &systemFrom) || !ToSystemPath(to, &systemTo)) return false;
  int result = renameat2(AT_FDCWD, systemFrom.c_str(), AT_FDCWD, systemTo.c_str(), RENAME_NOREPLACE);
  if (result != 0 && errno == EINVAL) {  // a file system without the no-replace mode
    struct stat status;
    errno = EEXIST;
    result = lstat(systemTo.c_str(), &status) == 0 ? -1 : rename(systemFrom.c_str(), systemTo.c_str());
  }
  if (result == 0) return true;
  if (errno == EEXIST) {
    SetLastError(Error::AlreadyExists);
    return false;
  }
  return FailOnPath(systemFrom, errno);
}

bool GetFileInfo(std::string_view path, FileInfo* info) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return false;
  struct stat status;
  if (stat(systemPath.c_str(), &status) != 0) return FailOnPath(systemPath, errno);
  FillInfo(status, LastElement(path), info);
  return true;
}

// "*.*" means every name, with or without a dot, as users of the original
// system write it; so a trailing ".*" may also match nothing.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;  // every name: what the walks list folders with
  if (WildcardMatchFrom(pattern, name)) return true;
  return pattern.ends_with(".*") && WildcardMatchFrom(pattern.substr(0, pattern.size() - 2), name);
}

DirectorySearch::~DirectorySearch() { Close(); }

bool DirectorySearch::Start(std::string_view pattern) {
  Close();
  size_t slash = pattern.rfind('/');
  std::string folder(slash == std::string_view::npos ? "./" : pattern.substr(0, slash + 1));
  std::string systemFolder;
  if (!ToSystemPath(folder, &systemFolder)) return false;
  DIR* dir = opendir(systemFolder.c_str());
  if (dir == nullptr) {
    int error = errno;
    SetLastError(error == ENOENT || error == ENOTDIR ? Error::PathNotFound : ErrorFromErrno(error));
    return false;
  }
  dir_ = dir;
  pattern_ = pattern.substr(slash == std::string_view::npos ? 0 : slash + 1);
  pending_ = Next(&first_);
  if (!pending_) {
    Close();
    SetLastError(Error::FileNotFound);
  }
  return pending_;
}

bool DirectorySearch::Next(FileInfo* info) {
  if (pending_) {
    pending_ = false;
    *info = std::move(first_);
    return true;
  }
  if (dir_ == nullptr) {
    SetLastError(Error::NoMoreFiles);
    return false;
  }
  auto* dir = static_cast<DIR*>(dir_);
  while (dirent* entry = readdir(dir)) {
    std::string name;
    const bool nameLost = !FromSystemPath(entry->d_name, &name);
    if (nameLost) name = Utf8ToCodePageMarked(entry->d_name);
    if (!WildcardMatch(pattern_, name)) continue;
    struct stat status;
    // An entry that vanished since it was listed, or a link to nothing, is
    // reported as itself if it can be, otherwise skipped.
    if (fstatat(dirfd(dir), entry->d_name, &status, 0) != 0 &&
        fstatat(dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;
    }
    FillInfo(status, std::move(name), info);
    info->nameLost = nameLost;
    return true;
  }
  SetLastError(Error::NoMoreFiles);
  return false;
}

void DirectorySearch::Close() {
  if (dir_ != nullptr) closedir(static_cast<DIR*>(dir_));
  dir_ = nullptr;
  pending_ = false;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(256);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      Fail();
      return std::string();
    }
    buffer.resize(buffer.size() * 2);
  }
  std::string folder;
  if (!FromSystemPath(buffer.data(), &folder)) return std::string();
  if (!folder.ends_with('/')) folder += '/';
  return folder;
}

bool SetCurrentDirectory(std::string_view path) {
  std::string systemPath;
  if (!ToSystemPath(path, &systemPath)) return false;
  if (chdir(systemPath.c_str()) == 0) return true;
  if (errno == ENOTDIR) {
    struct stat status;
    if (stat(systemPath.c_str(), &status) == 0) {
      SetLastError(Error::NotADirectory);
      return false;
    }
  }
  return FailOnPath(systemPath, errno);
}

std::string ProgramPath() {
  // The program's own path stays while it runs, and every module and
  // settings file asks for it: the link is read once (or its error kept).
  struct Link {
    std::string path;
    int error = 0;
  };
  static const Link own = [] {
    std::vector<char> buffer(256);
    while (true) {
      ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (length < 0) return Link{{}, errno};
      if (static_cast<size_t>(length) < buffer.size()) return Link{std::string(buffer.data(), length), 0};
      buffer.resize(buffer.size() * 2);
    }
  }();
  std::string path;
  if (own.error != 0) {
    SetLastErrorFromErrno(own.error);
    return path;
  }
  if (!FromSystemPath(own.path, &path)) return std::string();
  return path;
}

namespace {
std::string programFolderOverride;
}  // namespace

void SetProgramFolder(std::string folder) { programFolderOverride = std::move(folder); }

std::string ProgramFolder() {
  if (!programFolderOverride.empty()) return programFolderOverride;
  std::string path = ProgramPath();
  return path.substr(0, path.rfind('/') + 1);
}

bool FolderWritable(std::string_view folder) {
  std::string systemPath;
  return ToSystemPath(folder, &systemPath) && access(systemPath.c_str(), W_OK | X_OK) == 0;
}

std::string UserConfigFolder() {
  std::string systemPath;
  if (const char* config = getenv("XDG_CONFIG_HOME"); config && *config == '/') {
    systemPath = config;
  } else if (const char* home = getenv("HOME"); home && *home) {
    systemPath = std::string(home) + "/.config";
  }
  std::string folder;
  if (systemPath.empty() || !FromSystemPath(systemPath, &folder)) return std::string();
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string SimulatedPlayerFolder() {
  if (const char* folder = getenv("TUNEWARDEN_PLAYER"); folder && *folder) return folder;
  if (const char* data = getenv("XDG_DATA_HOME"); data && *data == '/') return std::string(data) + "/tunewarden/player";
  if (const char* home = getenv("HOME"); home && *home) return std::string(home) + "/.local/share/tunewarden/player";
  return {};
}

}  // namespace platform
