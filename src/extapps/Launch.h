// LaunchProgram and the editor's start: a program with an argument text is started
// with that text split like a Windows command line; a program or file without one
// is opened the way the desktop opens it (an executable file is started directly,
// anything else goes to the desktop's opener). Nothing is waited for; the outcome
// says whether the start worked, so that the window can name what failed.
#pragma once

#include "platform/ProcessStart.h"

#include <string>
#include <string_view>
#include <vector>

struct LaunchOutcome {
    std::string program; // what was (or was to be) started
    int error = 0;       // 0 started, else errno
    bool Started() const { return error == 0; }
};

// The desktop's opener, standing in for the shell's "open".
inline constexpr const char* kDesktopOpener = "xdg-open";
// Editors tried, in this order, where the editor path names no program.
inline constexpr const char* kEditorStandIns[] = {"gnome-text-editor", "gedit", "kate",
                                                  "mousepad",          "xed",   "pluma"};

LaunchOutcome LaunchProgram(ProcessStarter& starter, std::string_view program,
                            std::string_view arguments);

// Starts program (looked up on PATH when it has no "/") with args as they are.
LaunchOutcome StartProgram(ProcessStarter& starter, std::string_view program,
                           const std::vector<std::string>& args);

// The program the editor command starts: the editor path when a file is there, else
// the first stand-in editor on PATH, else the desktop's opener.
std::string EditorProgram(std::string_view editApp);

// Opens fullPath in the editor. The path goes as one argument, blanks and all: the
// Windows editor took the whole rest of its command line as the file name.
LaunchOutcome LaunchEditorOn(ProcessStarter& starter, std::string_view editApp,
                             const std::string& fullPath);

// "ﾌﾟﾛｸﾞﾗﾑを起動できません。", the program and the reason, in the operator's words.
std::string LaunchFailureText(const LaunchOutcome& outcome);
