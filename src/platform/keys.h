// Key codes of the keyboard input the program reads: the virtual-key numbers of Windows, so the
// window procedures hand the platform's codes over unchanged. Letters and digits are their ASCII
// upper-case characters ('A', '1').
#pragma once

namespace zor {

enum Key : int {
  KeyBackspace = 0x08,
  KeyTab = 0x09,
  KeyEnter = 0x0D,
  KeyEscape = 0x1B,
  KeySpace = 0x20,
  KeyPageUp = 0x21,
  KeyPageDown = 0x22,
  KeyEnd = 0x23,
  KeyHome = 0x24,
  KeyLeft = 0x25,
  KeyUp = 0x26,
  KeyRight = 0x27,
  KeyDown = 0x28,
  KeyF5 = 0x74,
  KeyF8 = 0x77,
  KeyF9 = 0x78,
  KeyF11 = 0x7A,
  KeyF12 = 0x7B,
};

// Modifier flags of a key press.
enum KeyModifier : unsigned {
  ModControl = 1u << 0,
  ModAlt = 1u << 1,
  ModShift = 1u << 2,
};

}  // namespace zor
