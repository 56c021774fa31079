// Texts cross into Qt as UTF-8 and come back in the program's code page.
#pragma once

#include <QString>
#include <string_view>

#include "framework/core/Text.h"

QString ToQt(std::string_view text);
inline QString ToQt(const CText& text) { return ToQt(text.View()); }
// A character the code page lacks ends the text there.
CText FromQt(const QString& text);
