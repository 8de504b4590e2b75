#include "platform/virtual_keys.h"

#include <Qt>

unsigned virtual_key(int qt_key) {
  if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
    return VK_LETTER_A + static_cast<unsigned>(qt_key - Qt::Key_A);
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
    return VK_DIGIT_0 + static_cast<unsigned>(qt_key - Qt::Key_0);
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
    return VK_F1 + static_cast<unsigned>(qt_key - Qt::Key_F1);
  // Shift never changes a key's meaning: the shifted digits of a US keyboard
  // are their digit keys.
  switch (qt_key) {
    case Qt::Key_ParenRight:
      return vk_digit(0);
    case Qt::Key_Exclam:
      return vk_digit(1);
    case Qt::Key_At:
      return vk_digit(2);
    case Qt::Key_NumberSign:
      return vk_digit(3);
    case Qt::Key_Dollar:
      return vk_digit(4);
    case Qt::Key_Percent:
      return vk_digit(5);
    case Qt::Key_AsciiCircum:
      return vk_digit(6);
    case Qt::Key_Ampersand:
      return vk_digit(7);
    case Qt::Key_Asterisk:
      return vk_digit(8);
    case Qt::Key_ParenLeft:
      return vk_digit(9);
    default:
      break;
  }
  switch (qt_key) {
    case Qt::Key_Backspace:
      return VK_BACKSPACE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
      return VK_ALT;
    case Qt::Key_Pause:
      return VK_PAUSE;
    case Qt::Key_CapsLock:
      return VK_CAPS_LOCK;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_PageUp:
      return VK_PAGE_UP;
    case Qt::Key_PageDown:
      return VK_PAGE_DOWN;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
      return VK_SEMICOLON;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
      return VK_EQUALS;
    case Qt::Key_Comma:
    case Qt::Key_Less:
      return VK_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return VK_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater:
      return VK_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question:
      return VK_SLASH;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
      return VK_BACK_QUOTE;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
      return VK_BRACKET_LEFT;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
      return VK_BACKSLASH;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
      return VK_BRACKET_RIGHT;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
      return VK_APOSTROPHE;
    default:
      return 0;
  }
}
