#include "platform/Keyboard.h"

#include <linux/input-event-codes.h>

namespace platform {

int SideKeyOfScanCode(uint32_t scanCode) {
  constexpr uint32_t KernelOffset = 8;
  if (scanCode < KernelOffset) return 0;
  switch (scanCode - KernelOffset) {
    case KEY_LEFTSHIFT:
      return 0xA0;
    case KEY_RIGHTSHIFT:
      return 0xA1;
    case KEY_LEFTCTRL:
      return 0xA2;
    case KEY_RIGHTCTRL:
      return 0xA3;
    case KEY_LEFTALT:
      return 0xA4;
    case KEY_RIGHTALT:
      return 0xA5;
    default:
      return 0;
  }
}

}  // namespace platform
