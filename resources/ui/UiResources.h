// The resources of the windows: menus, accelerators, the tool bar with its
// bitmap, the icons and the About dialog, in the language of the string tables.
#pragma once

// Installs the string tables and fills Resources() anew; run again after the
// interface language or the code page changed.
void InstallUiResources();
