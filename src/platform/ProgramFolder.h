// The program folder: where Dravik.INI, Dravik.log and the history lists live.
// DRAVIK_HOME when set; else the folder of the executable when it is writable;
// else $XDG_CONFIG_HOME/dravik (default ~/.config/dravik), created on demand.
#pragma once

#include <filesystem>

std::filesystem::path ProgramFolder();
// Overrides the folder for this process (tests, and main() after reading argv[0]).
void SetProgramFolder(const std::filesystem::path& folder);
// A path in the program folder named after the program file: "Dravik" + extension.
std::filesystem::path ProgramFilePath(const char* extension);
