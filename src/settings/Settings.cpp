#include "settings/Settings.h"

#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <variant>

namespace {

struct Key {
    const char* section;
    const char* name;
    std::variant<std::string TSettings::*, int TSettings::*> field;
    IniValue kind = IniValue::Text;
};

// Table order is the load order and, after Top and Left, the save order.
const Key kKeys[] = {
    {"Setting", "Port1", &TSettings::Port1},
    {"Setting", "Speed1", &TSettings::Speed1},
    {"Setting", "Port2", &TSettings::Port2},
    {"Setting", "Speed2", &TSettings::Speed2},
    {"Setting", "DirPath", &TSettings::DirPath, IniValue::Path},
    {"Setting", "Mask", &TSettings::Mask},
    {"Setting", "Signal1", &TSettings::Signal1},
    {"Setting", "Signal2", &TSettings::Signal2},
    {"Setting", "StartChar", &TSettings::StartChar},
    {"Setting", "FileSort", &TSettings::FileSort},
    {"Setting", "SortMuki", &TSettings::SortMuki},
    {"Setting", "Code", &TSettings::Code},
    {"Setting", "Puncher", &TSettings::Puncher},
    {"Setting", "Feed", &TSettings::Feed},
    {"Setting", "Feed1", &TSettings::Feed1},
    {"Setting", "Reader", &TSettings::Reader},
    {"Setting", "EndChar", &TSettings::EndChar},
    {"Setting", "O/:-Change", &TSettings::OChange},
    {"Setting", "ALL-Files", &TSettings::ALLFiles},
    {"Options", "op1", &TSettings::op1},
    {"Options", "InvTime", &TSettings::InvTime},
    {"Options", "ListColumn", &TSettings::ListColumn},
    {"Setting", "DC3(0X93)", &TSettings::DC30X93},
    {"Options", "Add_No", &TSettings::Add_No},
    {"Setting", "StartChar_Type", &TSettings::StartChar_Type},
    {"Setting", "EndChar_Type", &TSettings::EndChar_Type},
    {"Options", "Power_Off", &TSettings::Power_Off},
    {"Options", "Send_SP_Cut", &TSettings::Send_SP_Cut},
    {"Options", "Read_SP_Cut", &TSettings::Read_SP_Cut},
    {"Options", "Send_Before", &TSettings::Send_Before},
    {"Options", "AutoSelect", &TSettings::AutoSelect},
    {"Setting", "SendMsg1", &TSettings::SendMsg1},
    {"Setting", "R_Code", &TSettings::R_Code},
    {"Options", "MSG_OP", &TSettings::MSG_OP},
    {"Options", "op2", &TSettings::op2},
    {"Options", "op3", &TSettings::op3},
    {"Options", "op4", &TSettings::op4},
    {"Options", "op5", &TSettings::op5},
    {"Options", "op6", &TSettings::op6},
    // WinVer sits here in the read order; it is read separately and never written.
    {"Setting", "ModemePort1", &TSettings::ModemePort1},
    {"Setting", "ModemePort2", &TSettings::ModemePort2},
};

} // namespace

std::string DefaultDirPath() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string("/");
}

void LoadSettings(TSettings& s, const IniFile& ini) {
    const TSettings defaults;
    s.Left = ini.ReadInteger("Main", "Left", defaults.Left);
    s.Top = ini.ReadInteger("Main", "Top", defaults.Top);
    for (const Key& key : kKeys) {
        if (auto text = std::get_if<std::string TSettings::*>(&key.field)) {
            std::string fallback = defaults.*(*text);
            if (*text == &TSettings::DirPath)
                fallback = DefaultDirPath();
            s.*(*text) = ini.ReadString(key.section, key.name, fallback, key.kind);
        } else {
            auto number = std::get<int TSettings::*>(key.field);
            s.*number = ini.ReadInteger(key.section, key.name, defaults.*number);
        }
        if (key.field == decltype(key.field)(&TSettings::op6))
            s.WinVer = ini.ReadInteger("Options", "WinVer", 0) != 0;
    }
    s.Ports = ini.ReadSection("Ports", IniValue::Path); // device paths
    // "C:" or "D:\NC" from a Windows installation, or any other relative path, would
    // be taken against the process's current folder: like the Windows default, it
    // means the home folder.
    if (s.DirPath.empty() || s.DirPath.front() != '/')
        s.DirPath = DefaultDirPath();
}

void SaveSettings(const TSettings& s, IniFile& ini) {
    ini.WriteInteger("Main", "Top ", s.Top);
    ini.WriteInteger("Main", "Left", s.Left);
    for (const Key& key : kKeys) {
        if (auto text = std::get_if<std::string TSettings::*>(&key.field))
            ini.WriteString(key.section, key.name, s.*(*text));
        else
            ini.WriteInteger(key.section, key.name, s.*std::get<int TSettings::*>(key.field));
    }
    for (const auto& [port, device] : s.Ports)
        ini.WriteString("Ports", port, device);
}

bool SetSettingByKey(TSettings& s, std::string_view name, std::string_view value) {
    for (const Key& key : kKeys) {
        if (!SameNameIgnoringCase(key.name, name))
            continue;
        if (auto text = std::get_if<std::string TSettings::*>(&key.field)) {
            s.*(*text) = std::string(TrimBlanks(value));
            return true;
        }
        return ParseDecimalInt(TrimBlanks(value), &(s.*std::get<int TSettings::*>(key.field)));
    }
    return false;
}

std::filesystem::path SettingsPath() {
    return ProgramFilePath(".INI");
}
