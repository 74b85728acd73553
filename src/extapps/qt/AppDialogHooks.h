// What the application dialogs need of the main window, handed to them when they
// are made, so that they include nothing of the window itself.
#pragma once

#include <functional>
#include <string>

class QWidget;

struct AppDialogHooks {
    // Centres a dialog on the main window's remembered rectangle.
    std::function<void(QWidget* dialog)> centre;
    // Hides the communication settings panel and clears the Alt legend shown flag.
    std::function<void()> hideMainPanels;
    // LaunchProgram of the main window, which names a program that did not start.
    std::function<void(const std::string& program, const std::string& arguments)> launch;
    // The program chooser (OpenDialog1); unset, the modal ProgramChooser. Answers
    // the chosen path as bytes, empty when cancelled.
    std::function<std::string(QWidget* parent)> chooseProgram;
};
