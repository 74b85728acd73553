// The buttons of a dialog whose fields take Enter themselves: none of them is the
// dialog's default (Enter in a field would press it as well), and Enter on a button
// that holds the focus presses that button, so the Enter chain never ends in a
// button that does nothing.
#pragma once

#include <initializer_list>

class QPushButton;

void PressOnEnter(std::initializer_list<QPushButton*> buttons);
