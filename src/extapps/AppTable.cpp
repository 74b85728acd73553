#include "extapps/AppTable.h"

#include "platform/ProgramFolder.h"

namespace {

constexpr const char* kSection = "Application";

std::string Key(char letter, const char* suffix) {
    return std::string("OutApp") + letter + suffix;
}

std::string LegendLines(const TAppTable& table, char first, char last) {
    std::string text;
    for (char letter = first; letter <= last; ++letter)
        text += std::string("ALT+") + letter + " : " + table.ForLetter(letter)->name + "\n";
    return text;
}

} // namespace

AppBinding* TAppTable::ForLetter(char letter) {
    return letter >= 'A' && letter <= 'Z' ? &apps[static_cast<size_t>(letter - 'A')] : nullptr;
}

const AppBinding* TAppTable::ForLetter(char letter) const {
    return letter >= 'A' && letter <= 'Z' ? &apps[static_cast<size_t>(letter - 'A')] : nullptr;
}

std::vector<std::string> AppTableKeys() {
    std::vector<std::string> keys{"EditApp"};
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        keys.push_back(Key(letter, ""));
        keys.push_back(Key(letter, "_F"));
        keys.push_back(Key(letter, "_N"));
    }
    return keys;
}

void ReadAppTable(TAppTable& table, const IniFile& ini) {
    const TAppTable defaults;
    // Program paths and command lines name files: their bytes stay; the names are text.
    table.EditApp = ini.ReadString(kSection, "EditApp", defaults.EditApp, IniValue::Path);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        AppBinding& app = *table.ForLetter(letter);
        const AppBinding& fallback = *defaults.ForLetter(letter);
        app.command = ini.ReadString(kSection, Key(letter, ""), fallback.command, IniValue::Path);
        app.flag = ini.ReadString(kSection, Key(letter, "_F"), fallback.flag);
        app.name = ini.ReadString(kSection, Key(letter, "_N"), fallback.name);
    }
}

void WriteAppTable(const TAppTable& table, IniFile& ini) {
    ini.WriteString(kSection, "EditApp", table.EditApp);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const AppBinding& app = *table.ForLetter(letter);
        ini.WriteString(kSection, Key(letter, ""), app.command);
        ini.WriteString(kSection, Key(letter, "_F"), app.flag);
        ini.WriteString(kSection, Key(letter, "_N"), app.name);
    }
}

std::filesystem::path AppTablePath() {
    return ProgramFolder() / "OutApp_Sub.ini";
}

std::string AppLegendLeft(const TAppTable& table) {
    return "ｴﾃﾞｨﾀｰ: " + table.EditApp + "\n" + LegendLines(table, 'A', 'M');
}

std::string AppLegendRight(const TAppTable& table) {
    return LegendLines(table, 'N', 'Z');
}
