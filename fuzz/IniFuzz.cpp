// Settings files come from old Windows installations: CP932 text, CR LF, hand
// edits, any bytes. The input is the file, its last bytes choose a key and the
// value written to it (a line of the file itself, perhaps with the next line
// behind a CR LF, as a folder name may hold one). Checked for every input:
// - the profile as saved reads back as the same profile (save, load, save gives
//   the same bytes);
// - after one write, save and load, the key reads the value written (cut at its
//   first line end and trimmed) and every other key of the file (the first 64)
//   reads as before;
// - every line other than the written key's is kept as it was and in its order:
//   the write replaces one line or adds one key line (and a header);
// - the settings read from that file, saved into it and read again, are the same.
#include "platform/TextCodec.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct Place {
    const char* section;
    const char* key;
};

// Keys the program writes, with the blanks and marks some of them carry.
const Place kPlaces[] = {
    {"Main", "Top "},      {"Main", "Left"},          {"Setting", "DirPath"},
    {"Setting", "Speed1"}, {"Setting", "O/:-Change"}, {"Setting", "DC3(0X93)"},
    {"Options", "op1"},    {"Options", "InvTime"},    {"Ports", "COM1"},
    {"New", "k"},
};

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Every section and key name of a saved profile, as this target reads the format.
std::vector<std::pair<std::string, std::string>> Names(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    bool inSection = false;
    for (const std::string& line : lines) {
        std::string_view t = TrimBlanks(line);
        if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string_view::npos) {
            section = std::string(TrimBlanks(t.substr(1, t.find(']') - 1)));
            inSection = true;
            continue;
        }
        size_t eq = t.find('=');
        if (inSection && !t.empty() && t.front() != ';' && eq != std::string_view::npos)
            names.emplace_back(section, std::string(TrimBlanks(t.substr(0, eq))));
    }
    return names;
}

std::string SettingsText(const TSettings& s) {
    IniFile ini;
    SaveSettings(s, ini);
    return ini.Serialize() + (s.WinVer ? "WinVer" : "");
}

void Check(bool property) {
    if (!property)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const Place& place = kPlaces[provider.ConsumeIntegral<uint8_t>() % std::size(kPlaces)];
    const uint8_t valuePick = provider.ConsumeIntegral<uint8_t>();
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    const IniFile loaded = IniFile::Parse(bytes);
    const std::string saved = loaded.Serialize();
    Check(IniFile::Parse(saved).Serialize() == saved);
    const std::vector<std::string> before = SplitLines(saved);

    std::string value;
    if (!before.empty()) {
        size_t at = (valuePick >> 1) % before.size();
        value = before[at];
        if ((valuePick & 1) && at + 1 < before.size())
            value += "\r\n" + before[at + 1];
    }
    IniFile changed = loaded;
    changed.WriteString(place.section, place.key, value);
    const IniFile reloaded = IniFile::Parse(changed.Serialize());

    const std::string_view oneLine = std::string_view(value).substr(0, value.find_first_of("\r\n"));
    Check(reloaded.ReadString(place.section, place.key, "\x01missing") ==
          DecodeToUtf8(TrimBlanks(oneLine)));
    // Every key of the file, up to a number that keeps a run of large files quick.
    std::vector<std::pair<std::string, std::string>> names = Names(before);
    if (names.size() > 64)
        names.resize(64);
    for (const auto& [section, key] : names) {
        if (SameNameIgnoringCase(section, place.section) && SameNameIgnoringCase(key, place.key))
            continue;
        Check(reloaded.ReadString(section, key, "\x01missing") ==
              loaded.ReadString(section, key, "\x01missing"));
    }

    // The lines before and after the write differ in one place only.
    const std::vector<std::string> after = SplitLines(reloaded.Serialize());
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const size_t gone = before.size() - head - tail;
    const size_t added = after.size() - head - tail;
    Check(gone <= 1 && added <= 2 && added >= gone);
    if (gone == 1) {
        IniFile one = IniFile::Parse("[" + std::string(place.section) + "]\r\n" + before[head]);
        Check(one.HasKey(place.section, place.key));
    }

    // Settings: any value reads without a fault, and what is saved reads back the same.
    TSettings first;
    LoadSettings(first, loaded);
    IniFile resaved = loaded;
    SaveSettings(first, resaved);
    TSettings second;
    LoadSettings(second, IniFile::Parse(resaved.Serialize()));
    Check(SettingsText(first) == SettingsText(second));
    Check(first.Ports == second.Ports);
    return 0;
}
