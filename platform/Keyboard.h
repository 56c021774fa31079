// The keyboard's left and right modifier keys, told apart by the physical key
// rather than by what the layout makes of it (AltGr is still the right Alt).
#pragma once

#include <cstdint>

namespace platform {

// The design's virtual-key code of a left or right Shift, Ctrl or Alt key
// (0xA0 left Shift to 0xA5 right Alt) from a key event's native scan code, 0
// for every other key. Scan codes are those of X11 and Wayland: the kernel's
// key code plus 8.
int SideKeyOfScanCode(uint32_t scanCode);

}  // namespace platform
