// TSettings: every value of Dravik.INI, one field per key, held by the main
// window from creation to close. Flags stay the one-letter texts "Y" and "N".
// The file is read once at creation and written once at the close request.
#pragma once

#include "settings/IniFile.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct TSettings {
    int Left = 10;
    int Top = 10;
    std::string Port1 = "COM1";
    std::string Speed1 = "4800,8,N,2";
    std::string Port2 = "COM1";
    std::string Speed2 = "4800,8,N,2";
    std::string DirPath; // default: the home folder, the stand-in for "C:"
    std::string Mask = "*.NC";
    std::string Signal1 = "Y";
    std::string Signal2 = "Y";
    std::string StartChar = "N";
    std::string FileSort = "N";
    std::string SortMuki = "D";
    std::string Code = "N";
    std::string Puncher = "N";
    std::string Feed = "50";
    std::string Feed1 = "50";
    std::string Reader = "N";
    std::string EndChar = "Y";
    std::string OChange = "N";  // key "O/:-Change"
    std::string ALLFiles = "Y"; // key "ALL-Files"
    std::string op1 = "N";
    int InvTime = 0;
    int ListColumn = 2;
    std::string DC30X93 = "Y"; // key "DC3(0X93)"
    std::string Add_No = "Y";
    int StartChar_Type = 1;
    int EndChar_Type = 1;
    std::string Power_Off = "N";
    std::string Send_SP_Cut = "N";
    std::string Read_SP_Cut = "N";
    int Send_Before = 0;
    std::string AutoSelect = "N";
    std::string SendMsg1;
    int R_Code = 0;
    std::string MSG_OP = "N";
    std::string op2 = "N";
    std::string op3 = "N";
    std::string op4 = "N";
    std::string op5 = "N";
    std::string op6 = "N";
    bool WinVer = false;
    std::string ModemePort1;
    std::string ModemePort2;

    // Section Ports: COMn to device path (a Linux addition; see the README).
    std::vector<std::pair<std::string, std::string>> Ports;
};

// The stand-in for the drive root "C:": the user's home folder.
std::string DefaultDirPath();

// Reads every key in table order; missing keys and non-integer integer values give
// the defaults. Does not move the window: the caller applies Left and Top.
void LoadSettings(TSettings& settings, const IniFile& ini);
// Writes "Top " then Left, then every other key in table order except WinVer.
void SaveSettings(const TSettings& settings, IniFile& ini);
// Sets the field of the key named (any letter case, any section) from a profile
// value, as LoadSettings reads it. False for a key that is not a setting, or an
// integer key whose value is not a decimal integer.
bool SetSettingByKey(TSettings& settings, std::string_view key, std::string_view value);

std::filesystem::path SettingsPath(); // Dravik.INI in the program folder
