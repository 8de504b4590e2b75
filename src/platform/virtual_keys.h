// Key codes of the keyboard commands, from Qt's keys. The codes are the
// virtual-key numbers the status line has always shown ("keydown: 83" for S).
#pragma once

enum virtual_key_code : unsigned {
  VK_BACKSPACE = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_ALT = 0x12,
  VK_PAUSE = 0x13,
  VK_CAPS_LOCK = 0x14,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PAGE_UP = 0x21,
  VK_PAGE_DOWN = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_DIGIT_0 = 0x30,   // to 0x39 for 9
  VK_LETTER_A = 0x41,  // to 0x5A for Z
  VK_F1 = 0x70,        // to 0x87 for F24
  VK_SEMICOLON = 0xBA,
  VK_EQUALS = 0xBB,
  VK_COMMA = 0xBC,
  VK_MINUS = 0xBD,
  VK_PERIOD = 0xBE,
  VK_SLASH = 0xBF,
  VK_BACK_QUOTE = 0xC0,
  VK_BRACKET_LEFT = 0xDB,
  VK_BACKSLASH = 0xDC,
  VK_BRACKET_RIGHT = 0xDD,
  VK_APOSTROPHE = 0xDE,
};

// The code of a letter key ('A' to 'Z') and of a digit key (0 to 9).
constexpr unsigned vk_letter(char upper) { return VK_LETTER_A + static_cast<unsigned>(upper - 'A'); }
constexpr unsigned vk_digit(int d) { return VK_DIGIT_0 + static_cast<unsigned>(d); }

// The virtual-key code for a Qt::Key value, 0 for keys without one.
unsigned virtual_key(int qt_key);
