// The dialog templates of the media tools: media format, media properties,
// the firmware file and the firmware upgrade.
#pragma once

#include "framework/ui/Resources.h"
#include "platform/Locale.h"

void AddToolDialogs(ResourceTable& table, platform::Language language);
