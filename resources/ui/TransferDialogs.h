// The dialog templates of the transfers, the deletion and their questions.
#pragma once

#include "framework/ui/Resources.h"
#include "platform/Locale.h"

void AddTransferDialogs(ResourceTable& table, platform::Language language);
