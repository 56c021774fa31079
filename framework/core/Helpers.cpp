#include "framework/core/Helpers.h"

#include "framework/core/Exception.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace {

std::function<CText(uint32_t)>& StringTable() {
  static std::function<CText(uint32_t)> table;
  return table;
}

}  // namespace

bool FileExists(const CText& path) { return platform::FileExists(path.View()); }

CFileEntry GetFileEntry(const CText& path) {
  platform::FileInfo info;
  if (!platform::GetFileInfo(path.View(), &info)) CException::ThrowLastError();
  return CFileEntry::FromInfo(info);
}

bool DeleteFile(const CText& path) {
  if (platform::DeleteFile(path.View())) return true;
  const uint32_t code = platform::GetLastError();
  if (!platform::FileExists(path.View())) return false;
  throw CException(code);
}

void CreateFolder(const CText& path) {
  if (platform::CreateFolder(path.View())) return;
  const uint32_t code = platform::GetLastError();
  if (!platform::FileExists(path.View())) throw CException(code);
}

CText CurrentDirectory() { return CText(platform::CurrentDirectory()); }

CText SystemMessage(uint32_t code) { return CText(platform::ErrorMessage(code)); }

CText LoadStringText(uint32_t id) {
  if (!StringTable()) return CText();
  const CText text = StringTable()(id);
  return text.Left(static_cast<int>(platform::CutAtCharBoundary(text.View(), 255)));
}

void SetStringTable(std::function<CText(uint32_t id)> table) { StringTable() = std::move(table); }
