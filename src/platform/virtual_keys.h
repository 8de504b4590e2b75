// Key codes of the keyboard commands, from Qt's keys.
#pragma once

// The virtual-key code for a Qt::Key value, 0 for keys without one.
unsigned virtual_key(int qt_key);
