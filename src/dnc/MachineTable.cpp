#include "dnc/MachineTable.h"

#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "platform/TextCodec.h"
#include "transfer/SpeedString.h"

#include <algorithm>
#include <map>
#include <unistd.h>

namespace {

constexpr std::string_view kSectionPrefix = "Machine:";

struct SectionLines {
    std::string name;
    int header = 0;
    std::map<std::string, int> keyLines; // upper-cased key to its line
};

// The [Machine:...] sections in file order with the lines of their keys; the
// INI layer gives the values, this only finds where each one stands.
std::vector<SectionLines> ScanSections(std::string_view bytes) {
    std::vector<SectionLines> sections;
    bool inMachine = false;
    int number = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string_view line =
            bytes.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? bytes.size() : end + 1;
        ++number;
        line = TrimBlanks(line);
        if (!line.empty() && line.back() == '\r')
            line = TrimBlanks(line.substr(0, line.size() - 1));
        if (!line.empty() && line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string_view name = TrimBlanks(line.substr(1, line.size() - 2));
            inMachine = name.size() >= kSectionPrefix.size() &&
                        SameNameIgnoringCase(name.substr(0, kSectionPrefix.size()), kSectionPrefix);
            if (inMachine)
                sections.push_back(
                    {std::string(TrimBlanks(name.substr(kSectionPrefix.size()))), number, {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (inMachine && equals != std::string_view::npos)
            sections.back().keyLines.emplace(AsciiUpper(TrimBlanks(line.substr(0, equals))),
                                             number);
    }
    return sections;
}

bool ValidName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_';
    });
}

// "Y" or "N" in any case.
bool ReadFlag(const std::string& value, bool& flag) {
    const std::string upper = AsciiUpper(value);
    if (upper != "Y" && upper != "N")
        return false;
    flag = upper == "Y";
    return true;
}

// "O" and one to five digits ("9999" alone is taken as "O9999").
bool ReadProgramNumber(const std::string& value, std::string& program) {
    std::string digits = value;
    if (!digits.empty() && (digits[0] == 'O' || digits[0] == 'o'))
        digits.erase(0, 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    program = "O" + digits;
    return true;
}

class SectionReader {
public:
    SectionReader(const SectionLines& lines, Machine& machine,
                  const std::filesystem::path& programFolder, const PortKnown& portKnown)
        : lines_(lines), machine_(machine), programFolder_(programFolder), portKnown_(portKnown) {}

    // Empty when the section is sound, else the problem with its line.
    std::string Read(const std::vector<std::pair<std::string, std::string>>& values) {
        for (const auto& [key, value] : values) {
            std::string problem = Take(AsciiUpper(key), key, value);
            if (!problem.empty())
                return At(key) + problem;
        }
        if (machine_.port.empty())
            return At("") + "Port がありません";
        if (!folderSet_)
            return At("") + "Folder がありません";
        std::error_code ec;
        if (!std::filesystem::is_directory(machine_.settings.DirPath, ec))
            return At("Folder") + "フォルダーがありません: " + machine_.settings.DirPath;
        if (::access(machine_.settings.DirPath.c_str(), W_OK | X_OK) != 0)
            return At("Folder") + "フォルダーに書き込めません: " + machine_.settings.DirPath;
        if (!portKnown_(machine_.port, machine_.settings.Ports))
            return At("Port") + "ポートが分かりません: " + machine_.port;
        // The server asks nobody: a tape device's prompts have no one to answer them.
        machine_.settings.Puncher = "N";
        machine_.settings.Reader = "N";
        return {};
    }

private:
    std::string At(const std::string& key) const {
        auto found = lines_.keyLines.find(AsciiUpper(key));
        const int line = found == lines_.keyLines.end() ? lines_.header : found->second;
        return "Machines.ini " + std::to_string(line) + ": [Machine:" + lines_.name + "] ";
    }

    std::string Take(const std::string& key, const std::string& written, const std::string& value) {
        TSettings& s = machine_.settings;
        if (key == "PORT") {
            machine_.port = value;
            if (PortNumber(value) != 0) {
                s.Port1 = s.Port2 = value;
            } else {
                s.Ports.insert(s.Ports.begin(), {std::string(kMachinePortName), value});
                s.Port1 = s.Port2 = kMachinePortName;
            }
            return value.empty() ? "Port が空です" : "";
        }
        if (key == "SPEED") {
            if (ParseSpeedString(value).error != SpeedError::None)
                return "Speed は 9600,7,E,2 の形です: " + value;
            s.Speed1 = s.Speed2 = value;
            return {};
        }
        if (key == "CODE") {
            const std::string upper = AsciiUpper(value);
            if (upper != "ISO" && upper != "EIA")
                return "Code は ISO か EIA です: " + value;
            s.Code = upper == "EIA" ? "Y" : "N";
            return {};
        }
        if (key == "RECEIVECODE") {
            static const char* const kCodes[] = {"AUTO", "ISO", "EIA", "ASCII"};
            for (int i = 0; i < 4; ++i) {
                if (AsciiUpper(value) == kCodes[i]) {
                    s.R_Code = i;
                    return {};
                }
            }
            return "ReceiveCode は auto, iso, eia, ascii のどれかです: " + value;
        }
        if (key == "FOLDER") {
            if (value.empty())
                return "Folder が空です";
            std::filesystem::path folder(value);
            if (folder.is_relative())
                folder = programFolder_ / folder;
            s.DirPath = folder.lexically_normal().string();
            while (s.DirPath.size() > 1 && s.DirPath.back() == '/')
                s.DirPath.pop_back();
            folderSet_ = true;
            return {};
        }
        if (key == "AUTORECEIVE")
            return ReadFlag(value, machine_.autoReceive) ? ""
                                                         : "AutoReceive は Y か N です: " + value;
        if (key == "REQUEST")
            return ReadFlag(value, machine_.request) ? "" : "Request は Y か N です: " + value;
        if (key == "REQUESTPROGRAM")
            return ReadProgramNumber(value, machine_.requestProgram)
                       ? ""
                       : "RequestProgram は O9999 の形です: " + value;
        if (key == "REQUESTDELAY") {
            int seconds = 0;
            if (!ParseDecimalInt(value, &seconds) || seconds < 0 || seconds > 3600)
                return "RequestDelay は秒数 (0 から 3600) です: " + value;
            machine_.requestDelaySeconds = seconds;
            return {};
        }
        if (key == "PORT1" || key == "PORT2" || key == "DIRPATH")
            return written + " は使えません (Port, Folder で指定します)";
        if (!SetSettingByKey(s, key, value))
            return "知らない設定です: " + written;
        return {};
    }

    const SectionLines& lines_;
    Machine& machine_;
    const std::filesystem::path& programFolder_;
    const PortKnown& portKnown_;
    bool folderSet_ = false;
};

} // namespace

bool PortIsKnown(const std::string& port, const PortMap& ports) {
    if (PortNumber(port) == 0)
        return port.front() == '/' || port.find("://") != std::string::npos;
    return !PortDevicePath(port, ports).empty();
}

std::filesystem::path MachinesPath() {
    return ProgramFolder() / "Machines.ini";
}

MachineTable ReadMachineTable(std::string_view bytes, const TSettings& base,
                              const std::filesystem::path& programFolder,
                              const PortKnown& portKnown) {
    MachineTable table;
    const IniFile ini = IniFile::Parse(bytes);
    const std::vector<SectionLines> sections = ScanSections(bytes);
    // A name used twice serves neither: which of the two was meant is unknown.
    std::map<std::string, std::vector<int>> headers;
    for (const SectionLines& lines : sections)
        headers[AsciiUpper(lines.name)].push_back(lines.header);
    for (const SectionLines& lines : sections) {
        const std::string where =
            "Machines.ini " + std::to_string(lines.header) + ": [Machine:" + lines.name + "] ";
        if (!ValidName(lines.name)) {
            table.problems.push_back(where + "名前は英数字と - _ だけです");
            continue;
        }
        const std::vector<int>& same = headers[AsciiUpper(lines.name)];
        if (same.size() > 1) {
            const int other = same[0] == lines.header ? same[1] : same[0];
            table.problems.push_back(where + "同じ名前が " + std::to_string(other) +
                                     " 行にもあります");
            continue;
        }
        Machine machine;
        machine.name = lines.name;
        machine.line = lines.header;
        machine.settings = base;
        SectionReader reader(lines, machine, programFolder, portKnown);
        std::string problem =
            reader.Read(ini.ReadSection(std::string(kSectionPrefix) + lines.name));
        if (problem.empty())
            table.machines.push_back(std::move(machine));
        else
            table.problems.push_back(problem);
    }
    return table;
}
