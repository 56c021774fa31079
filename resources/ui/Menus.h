// The menus and accelerator tables.
#pragma once

#include "framework/ui/Resources.h"
#include "platform/Locale.h"

void AddMenus(ResourceTable& table, platform::Language language);
void AddAccelerators(ResourceTable& table);
