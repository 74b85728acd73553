// The three options of the split, kept in Div_Sub.ini (section Sub) beside the
// program: a "%" line before and after each program and a serial in each name.
#pragma once

#include <filesystem>
#include <string>

// Div_Sub.ini in the program folder.
std::filesystem::path SplitOptionsPath();

struct SplitOptions {
    bool F_Set = false; // "%" line at the start of each program's file
    bool B_Set = false; // "%" line at its end
    bool N_Set = false; // serial "_001", "_002", ... in each file name
};

// A missing file or key reads as off; any non-zero integer as on.
SplitOptions LoadSplitOptions(const std::filesystem::path& iniFile);
// Writes each flag as "1" or "0", keeping the rest of the file; false with *error.
bool SaveSplitOptions(const std::filesystem::path& iniFile, const SplitOptions& options,
                      std::string* error = nullptr);
