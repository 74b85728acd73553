// The program folder: where Dravik.INI, Dravik.log and the history lists live.
// DRAVIK_HOME when set; else the folder of the executable when it is writable and
// not a system folder; else $XDG_CONFIG_HOME/dravik (default ~/.config/dravik),
// created on demand.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path ProgramFolder();
// Overrides the folder for this process (tests, and main() after reading argv[0]).
void SetProgramFolder(const std::filesystem::path& folder);
// A path in the program folder named after the program file: "Dravik" + extension.
std::filesystem::path ProgramFilePath(const char* extension);

// What the choice depends on, read from the process by ProgramFolder().
struct ProgramFolderFacts {
    std::string dravikHome;    // $DRAVIK_HOME, empty when unset
    std::string xdgConfigHome; // $XDG_CONFIG_HOME, empty when unset
    std::string home;          // $HOME, empty when unset
    std::filesystem::path executableFolder;
    bool executableFolderWritable = false;
};
// The folder those facts give, without touching the file system.
std::filesystem::path ChooseProgramFolder(const ProgramFolderFacts& facts);
// True for the folders that installed programs live in (/usr/..., /bin, /sbin):
// settings never go there, not even when the user (root) may write to them.
bool IsSystemProgramFolder(const std::filesystem::path& folder);
