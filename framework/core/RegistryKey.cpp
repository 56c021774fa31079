#include "framework/core/RegistryKey.h"

#include "framework/core/Exception.h"
#include "platform/Errors.h"

void CRegistryKey::Open(platform::RegistryRoot root, const CText& path, uint32_t access) {
  Close();
  if (access & ~ReadAccess) throw CException(platform::Error::AccessDenied);
  if (!platform::RegistryKeyExists(root, path.View())) throw CException(platform::Error::FileNotFound);
  root_ = root;
  path_ = path;
  open_ = true;
}

CText CRegistryKey::StringValue(const CText& name) const {
  if (!open_) throw CException(platform::Error::InvalidHandle);
  const auto value = platform::RegistryValue(root_, path_.View(), name.View());
  if (!value) CException::ThrowLastError();
  return CText(value->c_str());
}
