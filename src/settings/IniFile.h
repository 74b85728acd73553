// Windows profile text (INI) with the semantics the settings files rely on:
// section and key names match without regard to letter case and with the blanks
// around them ignored, values are trimmed, a write replaces the value in place or
// appends the key to its section, and every other line is kept byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How a value is read: text is decoded for display (a Shift-JIS line written by the
// Windows build becomes UTF-8); a path keeps the bytes of the file, since a path
// is the bytes the file system gave and decoding would name another file.
enum class IniValue { Text, Path };

class IniFile {
public:
    IniFile() = default;

    // Reads the file; a missing or unreadable file gives an empty profile. *error
    // names the fault when the file exists but cannot be read (a folder, no access).
    static IniFile Load(const std::filesystem::path& path, std::string* error = nullptr);
    static IniFile Parse(std::string_view bytes);

    // Writes the whole profile, CR LF after every line. False with a reason on failure.
    bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;
    std::string Serialize() const;

    bool HasKey(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback, IniValue kind = IniValue::Text) const;
    // The stored value when it is a decimal integer that fits 32 bits, else the fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // A value is one line: it ends at its first CR or LF (a folder name may hold one),
    // so that no written value ever adds lines or sections of its own.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

    // Every key=value pair of a section, in file order (first occurrence of each key);
    // the keys are text, the values read as kind says.
    std::vector<std::pair<std::string, std::string>>
    ReadSection(std::string_view section, IniValue kind = IniValue::Text) const;

private:
    struct Line {
        std::string text; // the line as read, without its line end
    };
    // Index of the section header line, or -1.
    int FindSection(std::string_view section) const;
    // Index of the key's line within the section starting at header, or -1.
    int FindKey(int header, std::string_view key) const;
    int SectionEnd(int header) const;

    std::vector<Line> lines_;
};

// Parsing helpers shared by the profile files.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
std::string_view TrimBlanks(std::string_view text);
bool ParseDecimalInt(std::string_view text, int* value);
