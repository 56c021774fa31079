// A text of the window resources in the four interface languages (UTF-8).
#pragma once

#include "framework/core/Text.h"
#include "platform/Locale.h"

struct Translated {
  const char* english;
  const char* japanese;
  const char* korean;
  const char* chinese;

  // In the program's code page.
  CText In(platform::Language language) const;
};
