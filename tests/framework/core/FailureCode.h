// The code of the CException an action throws; 0 when it throws none.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/Exception.h"

inline uint32_t FailureCode(const std::function<void()>& action) {
  try {
    action();
  } catch (const CException& e) {
    return e.Code();
  }
  return 0;
}
