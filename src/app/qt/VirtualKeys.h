// Virtual-key codes, the key codes of the command table, from and to Qt's keys, and
// the key presses that PressKey synthesizes.
#pragma once

#include <QString>
#include <Qt>

// 0 for a Qt key without a virtual-key code here.
int VirtualKeyFromQt(int qtKey);
// Qt::Key_unknown for a code without a Qt key.
int QtKeyFromVirtual(int virtualKey);
// The character a key types (Enter "\r", Esc "\x1b", a letter in the case that
// shift gives); empty for keys that type nothing.
QString TextOfVirtualKey(int virtualKey, bool shift);
