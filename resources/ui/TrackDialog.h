// The dialog template of a track's properties ("File Properties").
#pragma once

#include "framework/ui/Resources.h"
#include "platform/Locale.h"

void AddTrackDialog(ResourceTable& table, platform::Language language);
