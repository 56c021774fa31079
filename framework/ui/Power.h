// The power broadcast on Linux. The design's system asks every top-level
// window before it suspends, and a window may refuse. logind asks no one but
// lets a program hold a "sleep" inhibitor lock; so the framework asks its
// windows itself whenever a modal dialog starts or ends, and holds the lock
// while one of them refuses.
#pragma once

#include "framework/ui/Messages.h"

class CNativeWindow;

// Sends WM_POWERBROADCAST with the query event to every top-level window;
// returns the first one that answers BROADCAST_QUERY_DENY, null when all agree.
CNativeWindow* WindowRefusingSuspend(WPARAM event = PBT_APMQUERYSUSPEND);
// Takes logind's "sleep" inhibitor lock while a window refuses to let the
// system suspend, and releases it once none does. Without a system bus (as in
// a container) or without logind on it, nothing is inhibited.
void UpdateSleepInhibitor();
bool HoldsSleepInhibitor();
