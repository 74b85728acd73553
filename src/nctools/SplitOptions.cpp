#include "nctools/SplitOptions.h"

#include "platform/ProgramFolder.h"
#include "settings/IniFile.h"

namespace {

constexpr const char* kSection = "Sub";

bool ReadFlag(const IniFile& ini, const char* key) {
    return ini.ReadInteger(kSection, key, 0) != 0;
}

} // namespace

SplitOptions LoadSplitOptions(const std::filesystem::path& iniFile) {
    IniFile ini = IniFile::Load(iniFile);
    return {ReadFlag(ini, "F_Set"), ReadFlag(ini, "B_Set"), ReadFlag(ini, "N_Set")};
}

bool SaveSplitOptions(const std::filesystem::path& iniFile, const SplitOptions& options,
                      std::string* error) {
    IniFile ini = IniFile::Load(iniFile);
    ini.WriteInteger(kSection, "F_Set", options.F_Set ? 1 : 0);
    ini.WriteInteger(kSection, "B_Set", options.B_Set ? 1 : 0);
    ini.WriteInteger(kSection, "N_Set", options.N_Set ? 1 : 0);
    return ini.Save(iniFile, error);
}

std::filesystem::path SplitOptionsPath() {
    return ProgramFolder() / "Div_Sub.ini";
}
