#include "framework/core/Exception.h"

#include "platform/Errors.h"

void CException::ThrowLastError() { throw CException(platform::GetLastError()); }
