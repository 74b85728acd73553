// The external application table: the editor and the 26 Alt+letter bindings, held
// by the main window for the whole run, and its file OutApp_Sub.ini (section
// Application, 79 keys), read once at creation and written once at the close.
#pragma once

#include "settings/IniFile.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

struct AppBinding {
    // Program path, optionally one blank and an argument template; empty: unbound.
    std::string command;
    // "Y": the launch asks for the argument; any other value opens the program bare.
    std::string flag = "N";
    std::string name; // shown in the Alt legend and the argument dialog
};

struct TAppTable {
    std::string EditApp; // the editor's full path
    std::array<AppBinding, 26> apps;

    // The binding of a letter "A" to "Z"; nullptr for any other character.
    AppBinding* ForLetter(char letter);
    const AppBinding* ForLetter(char letter) const;
};

// The 79 keys in file order: EditApp, then OutAppX, OutAppX_F, OutAppX_N for A to Z.
std::vector<std::string> AppTableKeys();

// Every key as text with its default; a missing file or key gives the default.
void ReadAppTable(TAppTable& table, const IniFile& ini);
// All 79 keys, in order; keys the program does not use are left as they are.
void WriteAppTable(const TAppTable& table, IniFile& ini);

std::filesystem::path AppTablePath(); // OutApp_Sub.ini in the program folder

// The Alt legend: Label40 holds the editor and the letters A to M, Label41 N to Z.
std::string AppLegendLeft(const TAppTable& table);
std::string AppLegendRight(const TAppTable& table);
